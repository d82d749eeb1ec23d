// The folder pane, the folder commands and "Edit Folder", driven through a
// real program run on a fresh data root with stand-in views that log what
// the main window asks of them.

#include "store/Clock.h"
#include "store/Cursor.h"
#include "resources/DaybrookResources.h"
#include "folders/FolderCommands.h"
#include "folders/FolderList.h"
#include "folders/FolderPane.h"
#include "app/FolderWiring.h"
#include "app/PlannerProgram.h"
#include "store/TableSchema.h"
#include "tests/support/TestSupport.h"
#include "app/TopBar.h"
#include "app/Unit1.h"
#include "store/Unit2.h"
#include "folders/Unit7.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QtTest>

#include <sqlite3.h>

#include <memory>

using View = DataModuleHost::View;

namespace {

const QDate today(2025, 3, 9);
const QDate longAgo(2023, 1, 10);

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

qint64 addRow(Cursor &cursor, const QVariantMap &fields)
{
    cursor.insert();
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        cursor.setValue(it.key(), it.value());
    if (!cursor.post()) {
        qWarning() << "post failed:" << cursor.lastError();
        cursor.cancel();
        return 0;
    }
    return cursor.currentId();
}

QVariantMap appointment(const QString &subject, const QDate &date)
{
    return {{"Subject", subject}, {"S", date}, {"E", date}, {"Md", "0"}, {"St", QTime(9, 0)}, {"Et", QTime(10, 0)}};
}

QStringList allSubjects(Cursor &cursor)
{
    cursor.setFiltered(false);
    cursor.refresh();
    QStringList list;
    for (cursor.first(); !cursor.eof(); cursor.next())
        list << cursor.asText("Subject");
    list.sort();
    return list;
}

// Writes a row into a calendar file the way another program would, behind
// the back of any picture of it that is already in memory.
bool addRowFromOutside(const QString &calendar, const QString &subject)
{
    sqlite3 *db = nullptr;
    bool ok =
        sqlite3_open_v2(QFile::encodeName(calendar).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    const QByteArray sql =
        "INSERT INTO items (Subject, S, E) VALUES ('" + subject.toUtf8() + "', '2025-03-09', '2025-03-09')";
    ok = ok && sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// The bytes of a SQLite database of another program: it has a table, but not `items`.
QByteArray otherProgramsDatabase()
{
    QTemporaryDir dir;
    const QByteArray path = (dir.path() + "/other.db").toUtf8();
    sqlite3 *db = nullptr;
    sqlite3_open(path.constData(), &db);
    sqlite3_exec(db, "CREATE TABLE contacts (name TEXT); INSERT INTO contacts VALUES ('Ann');", nullptr, nullptr,
                 nullptr);
    sqlite3_close(db);
    return readBytes(QString::fromUtf8(path));
}

QString viewName(View view)
{
    switch (view) {
    case View::Day:
        return QStringLiteral("day");
    case View::Week:
        return QStringLiteral("week");
    case View::Month:
        return QStringLiteral("month");
    case View::None:
        break;
    }
    return QStringLiteral("none");
}

// The data root of most tests: the default folder "Personal Calendar"
// (day view, task pad view 1) active, and "Work" on Work/work.db (month
// view, task pad view 4). Each calendar holds one row of today.
struct Home
{
    qint64 personal = 0;
    qint64 work = 0;
};

Home prepareHome(const QString &home, bool withWork = true)
{
    Home ids;
    TDataModule2 dm {DataRoot(home)};
    if (!dm.startUp())
        return ids;
    ids.personal = dm.Table61().currentId();
    addRow(dm.Table50(), appointment("personal today", today));
    if (withWork) {
        if (!dm.createCalendarTable(home + "Work/", "work.db"))
            return ids;
        ids.work = addRow(
            dm.Table61(),
            {{"2", "Work"}, {"3", home + "Work/"}, {"4", "work.db"}, {"5", 194}, {"6", 148}, {"7", 3}, {"8", 4}});
        Cursor work;
        work.setTableFile(home + "Work/", "work.db", calendarSchema());
        if (work.open())
            addRow(work, appointment("work today", today));
    }
    dm.Table61().locate("1", ids.personal);
    dm.closeAll();
    return ids;
}

void setActiveFolder(const QString &home, qint64 id)
{
    TDataModule2 dm {DataRoot(home)};
    QVERIFY(dm.startUp());
    QVERIFY(dm.options().change({{46, id}}));
    dm.closeAll();
}

// Answers for the folder dialogs, and the script that plays the user in
// "Edit Folder"; a dialog the script leaves open is cancelled.
struct Answers
{
    QString newCalendarFile;
    QString calendarFile;
    QMessageBox::StandardButton confirm = QMessageBox::Cancel;
    std::function<void(TForm7 &)> editor;

    QStringList questions;
    QStringList openStartDirs;
    QStringList saveStartDirs;
    int editorRuns = 0;

    FolderDialogs dialogs()
    {
        FolderDialogs d;
        d.chooseNewCalendarFile = [this](QWidget *, const QString &startDir) {
            saveStartDirs << startDir;
            return newCalendarFile;
        };
        d.chooseCalendarFile = [this](QWidget *, const QString &startDir) {
            openStartDirs << startDir;
            return calendarFile;
        };
        d.confirm = [this](QWidget *, const QString &question) {
            questions << question;
            return confirm;
        };
        d.runModal = [this](QDialog &dialog) {
            ++editorRuns;
            dialog.setResult(-1);
            dialog.show();
            if (editor)
                editor(static_cast<TForm7 &>(dialog));
            if (dialog.result() == -1)
                dialog.reject();
            return dialog.result();
        };
        return d;
    }
};

class Run
{
public:
    explicit Run(const QString &home)
    {
        PlannerProgram::Settings settings;
        settings.root = DataRoot(home);
        settings.trayAvailable = [] { return true; };
        settings.showMessage = [this](const QString &text) { messages << text; };
        program = std::make_unique<PlannerProgram>(std::move(settings));
        program->addMainWindowPart([this](PlannerProgram &p) { installViews(p.mainWindow()); });
        program->addMainWindowPart([this](PlannerProgram &p) { installFolderList(p, parts); });
        program->addHiddenWindow([this](PlannerProgram &p) { installFolderEditor(p, parts, answers.dialogs()); });
    }

    bool start()
    {
        if (!program->start())
            return false;
        // Start-up's own view and task pad view are not what the tests look at.
        viewCalls.clear();
        taskPadViews.clear();
        return true;
    }

    TForm1 &window() { return program->mainWindow(); }
    TDataModule2 &dm() { return program->dataModule(); }
    FolderList &list() { return *parts.list; }
    TForm7 &editor() { return *parts.editor; }
    QString calendarFile() { return dm().table(1).filePath(); }
    qint64 activeFolder() { return dm().Table60().value("46").toLongLong(); }
    QString folderText(int field) { return dm().Table61().asText(QString::number(field)); }

    int rowOf(const QString &name)
    {
        for (int row = 0; row < list().rowCount(); ++row) {
            if (list().rowName(row) == name)
                return row;
        }
        return -1;
    }
    void click(const QString &folder)
    {
        const int row = rowOf(folder);
        QVERIFY2(row >= 0, qPrintable(folder));
        QTest::mouseClick(&list(), Qt::LeftButton, {}, list().rowRect(row).center());
    }
    void doubleClick(const QString &folder)
    {
        const int row = rowOf(folder);
        QVERIFY2(row >= 0, qPrintable(folder));
        // A double click comes after the click of its first press.
        QTest::mouseClick(&list(), Qt::LeftButton, {}, list().rowRect(row).center());
        QTest::mouseDClick(&list(), Qt::LeftButton, {}, list().rowRect(row).center());
    }
    void fileMenu(const QString &entry)
    {
        for (QAction *top : window().menuBar()->actions()) {
            // As a person reads them, without the mnemonic marks.
            if (QString(top->text()).remove('&') != "File ")
                continue;
            for (QAction *action : top->menu()->actions()) {
                if (QString(action->text()).remove('&') == entry) {
                    action->trigger();
                    return;
                }
            }
        }
        QFAIL(qPrintable("no File menu entry " + entry));
    }

    std::unique_ptr<PlannerProgram> program;
    FolderParts parts;
    Answers answers;
    QStringList messages;
    QStringList viewCalls;
    QList<int> taskPadViews;

private:
    void installViews(TForm1 &window)
    {
        for (View view : {View::Day, View::Week, View::Month}) {
            const QString name = viewName(view);
            TForm1::ViewHooks hooks;
            hooks.build = [this, name](const QDate &) { viewCalls << name + " build"; };
            hooks.leave = [this, name] { viewCalls << name + " leave"; };
            window.installView(view, new QWidget, hooks);
        }
        QObject::connect(&window, &TForm1::taskPadViewRequested, [this](int view) { taskPadViews << view; });
    }
};

// Replaces the whole text of a box as a person would type it.
void typeInto(QLineEdit *box, const QString &text)
{
    box->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Backspace);
    else
        QTest::keyClicks(box, text);
}

} // namespace

class FoldersTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase() { Clock::setNowForTesting(QDateTime()); }

    void listShowsEveryFolder();
    void clickingAFolder_data();
    void clickingAFolder();
    void eachFolderReopensInItsOwnViews();
    void folderFileThatIsNoCalendar_data();
    void folderFileThatIsNoCalendar();
    void editFolder_data();
    void editFolder();
    void newFolder_data();
    void newFolder();
    void deleteFolder_data();
    void deleteFolder();
    void deleteOntoAFileThatIsNoCalendar_data();
    void deleteOntoAFileThatIsNoCalendar();
    void ignoredKeys_data();
    void ignoredKeys();
    void newCalendar_data();
    void newCalendar();
    void editorCreatesAndOpensACalendar();
    void copiedDataRootKeepsToItsOwnCalendars_data();
    void copiedDataRootKeepsToItsOwnCalendars();
    void editorLayout_data();
    void editorLayout();
    void foldersButtonTwice();
    void currentRowColours_data();
    void currentRowColours();

private:
    std::unique_ptr<TempHome> m_home;
    QTemporaryDir m_runtime;
    QString home() const { return m_home->path(); }
};

void FoldersTest::initTestCase()
{
    pinTestLocale();
    initDaybrookResources();
    QVERIFY(m_runtime.isValid());
    QFile::setPermissions(m_runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
    Clock::setNowForTesting(QDateTime(today, QTime(10, 0)));
    // The program styles its menus with a style sheet, and a style sheet
    // changes how widgets take their palette colours.
    qApp->setStyleSheet("QMenu { background: white; }");
}

void FoldersTest::init()
{
    m_home = std::make_unique<TempHome>();
    QVERIFY(m_home->isValid());
}

void FoldersTest::listShowsEveryFolder()
{
    prepareHome(home());
    Run run(home());
    QVERIFY(run.start());
    QCOMPARE(run.list().rowCount(), 2);
    QCOMPARE(run.list().rowName(0), QString("Personal Calendar"));
    QCOMPARE(run.list().rowName(1), QString("Work"));
    QCOMPARE(run.list().height(), 32);
    QCOMPARE(run.list().currentRow(), 0);
    QCOMPARE(run.list().rowRect(1), QRect(0, 16, run.list().width() - 16, 16));
}

void FoldersTest::clickingAFolder_data()
{
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<QString>("calendar"); // below the data root
    QTest::addColumn<bool>("purged");
    QTest::addColumn<QStringList>("viewCalls");
    QTest::addColumn<QList<int>>("taskPadViews");

    QTest::newRow("the active folder again: no reload, no purge")
        << "Personal Calendar"
        << "Personal Calendar/Personal Calendar.db" << false << QStringList() << QList<int>();
    QTest::newRow("another folder: its calendar, purged, in its own views")
        << "Work"
        << "Work/work.db" << true << QStringList {"day leave", "month build"} << QList<int> {4};
}

void FoldersTest::clickingAFolder()
{
    QFETCH(QString, clicked);
    QFETCH(QString, calendar);
    QFETCH(bool, purged);
    QFETCH(QStringList, viewCalls);
    QFETCH(QList<int>, taskPadViews);

    const Home ids = prepareHome(home());
    Run run(home());
    QVERIFY(run.start());
    // Purging is switched on only now, so that start-up leaves the old rows.
    QVERIFY(run.dm().options().change({{52, true}, {54, 30}}));
    QVERIFY(addRow(run.dm().Table50(), appointment("personal old", longAgo)) > 0);
    {
        Cursor work;
        work.setTableFile(home() + "Work/", "work.db", calendarSchema());
        QVERIFY(work.open());
        QVERIFY(addRow(work, appointment("work old", longAgo)) > 0);
    }
    QVERIFY(addRowFromOutside(home() + calendar, "from outside"));

    run.click(clicked);

    QCOMPARE(run.calendarFile(), home() + calendar);
    const QStringList subjects = allSubjects(run.dm().table(1));
    // A row another program wrote shows either way: the store reads what
    // changed in the file whenever a cursor is read anew. That no reload
    // happened shows in the purge left undone and the views left alone.
    QVERIFY(subjects.contains("from outside"));
    QCOMPARE(subjects.contains(clicked == "Work" ? "work old" : "personal old"), !purged);
    QCOMPARE(run.viewCalls, viewCalls);
    QCOMPARE(run.taskPadViews, taskPadViews);
    QCOMPARE(run.activeFolder(), clicked == "Work" ? ids.work : ids.personal);
    QCOMPARE(run.window().folderName(), clicked);
    QCOMPARE(run.list().currentRow(), run.rowOf(clicked));
    QVERIFY(run.messages.isEmpty());
}

void FoldersTest::eachFolderReopensInItsOwnViews()
{
    prepareHome(home());
    Run run(home());
    QVERIFY(run.start());
    run.click("Work");
    QCOMPARE(run.window().currentView(), View::Month);
    // The week is chosen while in Work, the task pad's view too.
    run.window().showView(View::Week);
    QVERIFY(run.dm().Table61().edit());
    run.dm().Table61().setValue("8", 2);
    QVERIFY(run.dm().Table61().post());

    run.click("Personal Calendar");
    QCOMPARE(run.window().currentView(), View::Day);
    QCOMPARE(run.taskPadViews.last(), 1);
    run.click("Work");
    QCOMPARE(run.window().currentView(), View::Week);
    QCOMPARE(run.taskPadViews.last(), 2);
    QCOMPARE(run.window().topBar()->pressedView(), View::Week);
}

void FoldersTest::folderFileThatIsNoCalendar_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("a text file") << QByteArray("not a calendar\n");
    QTest::newRow("another program's database") << otherProgramsDatabase();
    QTest::newRow("a damaged database") << QByteArray("SQLite format 3").append('\0').append(QByteArray(4000, 'z'));
}

void FoldersTest::folderFileThatIsNoCalendar()
{
    QFETCH(QByteArray, content);
    const Home ids = prepareHome(home());
    const QString bad = home() + "Other/notes.db";
    QVERIFY(writeBytes(bad, content));
    {
        TDataModule2 dm {DataRoot(home())};
        QVERIFY(dm.startUp());
        QVERIFY(addRow(dm.Table61(), {{"2", "Other"}, {"3", home() + "Other/"}, {"4", "notes.db"}, {"7", 2}, {"8", 3}})
                > 0);
        dm.closeAll();
    }
    Run run(home());
    QVERIFY(run.start());

    run.click("Other");

    QCOMPARE(run.messages.size(), 1);
    QVERIFY2(run.messages.at(0).startsWith(QDir::toNativeSeparators(bad)
                                           + " is not a calendar that can be opened; the calendar in use stays open."),
             qPrintable(run.messages.at(0)));
    // The program stays on its calendar, in its view; the folder keeps its
    // file, and the file is as it was.
    QCOMPARE(run.calendarFile(), home() + "Personal Calendar/Personal Calendar.db");
    QCOMPARE(allSubjects(run.dm().table(1)), QStringList {"personal today"});
    QCOMPARE(run.activeFolder(), ids.personal);
    QCOMPARE(run.window().folderName(), QString("Personal Calendar"));
    QCOMPARE(run.list().currentRow(), run.rowOf("Personal Calendar"));
    QCOMPARE(run.window().currentView(), View::Day);
    QVERIFY(run.taskPadViews.isEmpty());
    QVERIFY(run.dm().calendarCursorsOpen());
    QVERIFY(run.dm().Table61().locate("2", "Other"));
    QCOMPARE(run.folderText(3), home() + "Other/");
    QCOMPARE(run.folderText(4), QString("notes.db"));
    QCOMPARE(readBytes(bad), content);
    QVERIFY(!QFile::exists(bad + "-journal"));
    QVERIFY(!QFile::exists(bad + "-wal"));
}

void FoldersTest::editFolder_data()
{
    QTest::addColumn<QString>("path"); // typed into the path box; "-" leaves it
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("calendar");
    QTest::addColumn<QStringList>("subjects");
    QTest::addColumn<QStringList>("viewCalls");

    QTest::newRow("a changed path is reloaded on OK")
        << "Work/"
        << "work.db" << true << "Work/work.db" << QStringList {"from outside", "work today"}
        << QStringList {"day leave", "day build"};
    QTest::newRow("OK without a change switches to the active folder again")
        << "-"
        << "-" << true << "Personal Calendar/Personal Calendar.db" << QStringList {"personal today"}
        << QStringList {"day leave", "day build"};
    QTest::newRow("Cancel keeps the row and the calendar")
        << "Work/"
        << "work.db" << false << "Personal Calendar/Personal Calendar.db" << QStringList {"personal today"}
        << QStringList();
}

void FoldersTest::editFolder()
{
    QFETCH(QString, path);
    QFETCH(QString, file);
    QFETCH(bool, ok);
    QFETCH(QString, calendar);
    QFETCH(QStringList, subjects);
    QFETCH(QStringList, viewCalls);

    const Home ids = prepareHome(home());
    QVERIFY(addRowFromOutside(home() + "Work/work.db", "from outside"));
    Run run(home());
    QVERIFY(run.start());
    QString shownPath;
    run.answers.editor = [&](TForm7 &editor) {
        shownPath = editor.pathBox()->text();
        if (path != "-") {
            typeInto(editor.pathBox(), home() + path);
            typeInto(editor.fileBox(), file);
        }
        QTest::mouseClick(ok ? editor.okButton() : editor.cancelButton(), Qt::LeftButton);
    };

    run.doubleClick("Personal Calendar");

    QCOMPARE(run.answers.editorRuns, 1);
    QCOMPARE(shownPath, home() + "Personal Calendar/");
    QVERIFY(!run.editor().isVisible());
    QCOMPARE(run.calendarFile(), home() + calendar);
    QCOMPARE(allSubjects(run.dm().table(1)), subjects);
    QCOMPARE(run.activeFolder(), ids.personal);
    QCOMPARE(run.dm().Table61().state(), Cursor::State::Browse);
    // A folder inside the data root is kept relative to it.
    QCOMPARE(run.folderText(3), ok && path != "-" ? path : QString("Personal Calendar/"));
    QCOMPARE(run.viewCalls, viewCalls);
    QCOMPARE(run.taskPadViews, ok ? QList<int> {1} : QList<int>());
    QVERIFY(run.messages.isEmpty());
}

void FoldersTest::newFolder_data()
{
    QTest::addColumn<bool>("ok");
    QTest::newRow("a blank folder opens the default calendar and names it") << true;
    QTest::newRow("Cancel drops the new row") << false;
}

void FoldersTest::newFolder()
{
    QFETCH(bool, ok);
    const Home ids = prepareHome(home());
    setActiveFolder(home(), ids.work);
    Run run(home());
    QVERIFY(run.start());
    QCOMPARE(run.calendarFile(), home() + "Work/work.db");

    int heightWhileEditing = 0;
    int currentRowWhileEditing = -1;
    QString shownName = "not shown";
    run.answers.editor = [&](TForm7 &editor) {
        heightWhileEditing = run.list().height();
        currentRowWhileEditing = run.list().currentRow();
        shownName = editor.nameBox()->text();
        typeInto(editor.nameBox(), "Travel");
        QTest::mouseClick(ok ? editor.okButton() : editor.cancelButton(), Qt::LeftButton);
    };

    run.fileMenu("New Folder");

    QCOMPARE(run.answers.editorRuns, 1);
    QCOMPARE(heightWhileEditing, 48);
    QCOMPARE(currentRowWhileEditing, 2);
    QCOMPARE(shownName, QString());
    QCOMPARE(run.dm().Table61().state(), Cursor::State::Browse);
    if (!ok) {
        QCOMPARE(run.dm().Table61().recordCount(), 2);
        QCOMPARE(run.list().height(), 32);
        QCOMPARE(run.calendarFile(), home() + "Work/work.db");
        QCOMPARE(run.activeFolder(), ids.work);
        QVERIFY(run.viewCalls.isEmpty());
        return;
    }
    QCOMPARE(run.dm().Table61().recordCount(), 3);
    QCOMPARE(run.list().height(), 48);
    QCOMPARE(run.list().rowName(2), QString("Travel"));
    QCOMPARE(run.list().currentRow(), 2);
    const qint64 travel = run.dm().Table61().currentId();
    QVERIFY(travel != ids.personal && travel != ids.work);
    QCOMPARE(run.activeFolder(), travel);
    QCOMPARE(run.calendarFile(), home() + "Personal Calendar/Personal Calendar.db");
    QCOMPARE(run.window().folderName(), QString("Travel"));
    // The row now names the default calendar, with the new folder's settings.
    QCOMPARE(run.folderText(2), QString("Travel"));
    QCOMPARE(run.folderText(3), QString("Personal Calendar/"));
    QCOMPARE(run.folderText(4), QString("Personal Calendar.db"));
    QCOMPARE(run.folderText(5), QString("194"));
    QCOMPARE(run.folderText(6), QString("148"));
    QCOMPARE(run.folderText(7), QString("1"));
    QCOMPARE(run.folderText(8), QString("1"));
    QCOMPARE(run.viewCalls, QStringList({"month leave", "day build"}));
    QCOMPARE(run.taskPadViews, QList<int> {1});
}

void FoldersTest::deleteFolder_data()
{
    QTest::addColumn<bool>("withWork");
    QTest::addColumn<QString>("active");
    QTest::addColumn<QString>("becomesActive");
    QTest::addColumn<QString>("calendar");
    QTest::addColumn<QStringList>("viewCalls");
    QTest::addColumn<QList<int>>("taskPadViews");

    QTest::newRow("the active folder, first in the list: the next one takes over")
        << true << "Personal Calendar"
        << "Work"
        << "Work/work.db" << QStringList {"day leave", "month build"} << QList<int> {4};
    QTest::newRow("the active folder, last in the list: the one before takes over")
        << true << "Work"
        << "Personal Calendar"
        << "Personal Calendar/Personal Calendar.db" << QStringList {"month leave", "day build"} << QList<int> {1};
    QTest::newRow("the last folder stays") << false << "Personal Calendar"
                                           << "Personal Calendar"
                                           << "Personal Calendar/Personal Calendar.db" << QStringList() << QList<int>();
}

void FoldersTest::deleteFolder()
{
    QFETCH(bool, withWork);
    QFETCH(QString, active);
    QFETCH(QString, becomesActive);
    QFETCH(QString, calendar);
    QFETCH(QStringList, viewCalls);
    QFETCH(QList<int>, taskPadViews);

    const Home ids = prepareHome(home(), withWork);
    if (active == "Work")
        setActiveFolder(home(), ids.work);
    Run run(home());
    QVERIFY(run.start());
    run.viewCalls.clear();
    const QString deletedFile = run.calendarFile();

    run.list().setFocus();
    QTest::keyClick(&run.list(), Qt::Key_Delete);

    QCOMPARE(run.dm().Table61().recordCount(), 1);
    QCOMPARE(run.list().rowCount(), 1);
    QCOMPARE(run.list().height(), 16);
    QCOMPARE(run.list().rowName(0), becomesActive);
    QCOMPARE(run.list().currentRow(), 0);
    QCOMPARE(run.folderText(2), becomesActive);
    QCOMPARE(run.activeFolder(), becomesActive == "Work" ? ids.work : ids.personal);
    QCOMPARE(run.calendarFile(), home() + calendar);
    QCOMPARE(run.window().folderName(), becomesActive);
    QCOMPARE(run.viewCalls, viewCalls);
    QCOMPARE(run.taskPadViews, taskPadViews);
    QVERIFY(QFileInfo(deletedFile).isFile()); // the file stays on disk
    QVERIFY(run.messages.isEmpty());
}

// The folder that takes over after Delete names a file that is no
// calendar. The deleted folder was the active one, so there is no calendar
// to stay on: the planner shows the folder that options "46" now names, on
// the default calendar, and says so; never the deleted folder's calendar
// under the other folder's name.
void FoldersTest::deleteOntoAFileThatIsNoCalendar_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("a text file") << QByteArray("not a calendar\n");
    QTest::newRow("another program's database") << otherProgramsDatabase();
}

void FoldersTest::deleteOntoAFileThatIsNoCalendar()
{
    QFETCH(QByteArray, content);
    const Home ids = prepareHome(home());
    const QString bad = home() + "Other/notes.db";
    QVERIFY(writeBytes(bad, content));
    qint64 other = 0;
    {
        TDataModule2 dm {DataRoot(home())};
        QVERIFY(dm.startUp());
        other = addRow(dm.Table61(), {{"2", "Other"}, {"3", home() + "Other/"}, {"4", "notes.db"}, {"7", 2}, {"8", 3}});
        QVERIFY(other > 0);
        QVERIFY(dm.options().change({{46, ids.work}}));
        dm.closeAll();
    }
    Run run(home());
    QVERIFY(run.start());
    QCOMPARE(run.calendarFile(), home() + "Work/work.db");
    run.viewCalls.clear();

    run.list().setFocus();
    QTest::keyClick(&run.list(), Qt::Key_Delete);

    const QString defaultCalendar = home() + "Personal Calendar/Personal Calendar.db";
    QCOMPARE(run.list().rowCount(), 2);
    QCOMPARE(run.folderText(2), QString("Other"));
    QCOMPARE(run.activeFolder(), other);
    QVERIFY(run.dm().Table61().locate("1", run.activeFolder()));
    QCOMPARE(run.window().folderName(), QString("Other"));
    QCOMPARE(run.calendarFile(), defaultCalendar);
    QCOMPARE(allSubjects(run.dm().table(1)), QStringList {"personal today"});
    QVERIFY(run.dm().calendarCursorsOpen());
    QCOMPARE(run.messages.size(), 1);
    QVERIFY2(run.messages.at(0).endsWith("The default calendar " + QDir::toNativeSeparators(defaultCalendar)
                                         + " was opened instead."),
             qPrintable(run.messages.at(0)));
    QCOMPARE(run.window().currentView(), View::Week);
    QCOMPARE(run.taskPadViews, QList<int> {3});
    // The folder keeps the file it names, and the file is as it was.
    QCOMPARE(run.folderText(3), home() + "Other/");
    QCOMPARE(run.folderText(4), QString("notes.db"));
    QCOMPARE(readBytes(bad), content);
}

void FoldersTest::ignoredKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    const int none = Qt::NoModifier;
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << none;
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << none;
    QTest::newRow("End") << int(Qt::Key_End) << none;
    QTest::newRow("Home") << int(Qt::Key_Home) << none;
    QTest::newRow("Left") << int(Qt::Key_Left) << none;
    QTest::newRow("Right") << int(Qt::Key_Right) << none;
    QTest::newRow("Up") << int(Qt::Key_Up) << none;
    QTest::newRow("Down") << int(Qt::Key_Down) << none;
    QTest::newRow("Ctrl+Delete") << int(Qt::Key_Delete) << int(Qt::ControlModifier);
}

void FoldersTest::ignoredKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    prepareHome(home());
    Run run(home());
    QVERIFY(run.start());
    run.list().setFocus();

    QTest::keyClick(&run.list(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QCOMPARE(run.dm().Table61().recordCount(), 2);
    QCOMPARE(run.list().currentRow(), 0);
    QCOMPARE(run.calendarFile(), home() + "Personal Calendar/Personal Calendar.db");
    QVERIFY(run.viewCalls.isEmpty());
}

void FoldersTest::newCalendar_data()
{
    QTest::addColumn<QString>("chosen"); // below the data root; "" cancels the save dialog
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QString>("emptyCalendar"); // the file that must now be an empty calendar, "" for none
    QTest::addColumn<QStringList>("messages");

    const int yes = QMessageBox::Yes, no = QMessageBox::No, cancel = QMessageBox::Cancel;
    const QStringList overwriteWork {"Overwrite existing calendar work.db?"};
    QTest::newRow("a new file") << "Trips/trips.db" << cancel << QStringList() << "Trips/trips.db" << QStringList();
    QTest::newRow("a name typed without .db")
        << "Trips/trips" << cancel << QStringList() << "Trips/trips.db" << QStringList();
    QTest::newRow("an existing calendar, answered No") << "Work/work.db" << no << overwriteWork << "" << QStringList();
    QTest::newRow("an existing calendar, answered Cancel")
        << "Work/work.db" << cancel << overwriteWork << "" << QStringList();
    QTest::newRow("an existing calendar, answered Yes")
        << "Work/work.db" << yes << overwriteWork << "Work/work.db" << QStringList();
    QTest::newRow("the active calendar, answered Yes")
        << "Personal Calendar/Personal Calendar.db" << yes
        << QStringList {"Overwrite existing calendar Personal Calendar.db?"} << ""
        << QStringList {"The calendar file is in use"};
    QTest::newRow("the save dialog cancelled") << "" << yes << QStringList() << "" << QStringList();
}

void FoldersTest::newCalendar()
{
    QFETCH(QString, chosen);
    QFETCH(int, answer);
    QFETCH(QStringList, questions);
    QFETCH(QString, emptyCalendar);
    QFETCH(QStringList, messages);

    prepareHome(home());
    Run run(home());
    QVERIFY(run.start());
    run.answers.newCalendarFile = chosen.isEmpty() ? QString() : home() + chosen;
    run.answers.confirm = QMessageBox::StandardButton(answer);
    const QByteArray work = readBytes(home() + "Work/work.db");
    const QByteArray personal = readBytes(home() + "Personal Calendar/Personal Calendar.db");

    run.fileMenu("New Calendar       ");

    QCOMPARE(run.answers.saveStartDirs, QStringList {home()});
    QCOMPARE(run.answers.questions, questions);
    QCOMPARE(run.messages, messages);
    if (emptyCalendar != "Work/work.db")
        QCOMPARE(readBytes(home() + "Work/work.db"), work);
    QCOMPARE(readBytes(home() + "Personal Calendar/Personal Calendar.db"), personal);
    if (!emptyCalendar.isEmpty()) {
        Cursor created;
        created.setTableFile(home(), emptyCalendar, calendarSchema());
        QVERIFY2(created.open(), qPrintable(created.lastError()));
        QCOMPARE(created.recordCount(), 0);
    }
    QVERIFY(!QFile::exists(home() + "Trips/trips"));
    // The folders list and the open calendar are as they were.
    QCOMPARE(run.dm().Table61().recordCount(), 2);
    QCOMPARE(run.calendarFile(), home() + "Personal Calendar/Personal Calendar.db");
    QCOMPARE(allSubjects(run.dm().table(1)), QStringList {"personal today"});
}

void FoldersTest::editorCreatesAndOpensACalendar()
{
    prepareHome(home());
    Run run(home());
    QVERIFY(run.start());
    run.answers.newCalendarFile = home() + "Trips/trips.db";
    run.answers.calendarFile = home() + "Trips/trips.db";
    QString pathAfterNew;
    run.answers.editor = [&](TForm7 &editor) {
        QTest::mouseClick(editor.newCalendarButton(), Qt::LeftButton);
        pathAfterNew = editor.pathBox()->text();
        QTest::mouseClick(editor.openCalendarButton(), Qt::LeftButton);
        QTest::mouseClick(editor.okButton(), Qt::LeftButton);
    };

    run.doubleClick("Work");

    // New Calendar leaves the boxes alone; Open Calendar starts in the path
    // box's folder and fills path and file.
    QCOMPARE(pathAfterNew, home() + "Work/");
    QCOMPARE(run.answers.openStartDirs, QStringList {home() + "Work/"});
    QCOMPARE(run.folderText(2), QString("Work"));
    QCOMPARE(run.folderText(3), QString("Trips/"));
    QCOMPARE(run.folderText(4), QString("trips.db"));
    QCOMPARE(run.calendarFile(), home() + "Trips/trips.db");
    QCOMPARE(run.dm().table(1).recordCount(), 0);
    QVERIFY(run.messages.isEmpty());
}

// A data root copied elsewhere (cp -a, a portable install on another disk)
// reads and writes the calendars inside it, never the original's; a row
// written before folders were kept relative still names its file in full.
void FoldersTest::copiedDataRootKeepsToItsOwnCalendars_data()
{
    QTest::addColumn<bool>("pickedInEditor"); // else: an absolute row from before
    QTest::addColumn<bool>("readsTheCopy");
    QTest::newRow("a folder chosen in Edit Folder") << true << true;
    QTest::newRow("an absolute row from before is read as it stands") << false << false;
}

void FoldersTest::copiedDataRootKeepsToItsOwnCalendars()
{
    QFETCH(bool, pickedInEditor);
    QFETCH(bool, readsTheCopy);
    const QString original = home() + "original/";
    const Home ids = prepareHome(original); // "Work" on an absolute row
    if (pickedInEditor) {
        Run run(original);
        QVERIFY(run.start());
        run.answers.calendarFile = original + "Work/work.db";
        run.answers.editor = [](TForm7 &editor) {
            QTest::mouseClick(editor.openCalendarButton(), Qt::LeftButton);
            QTest::mouseClick(editor.okButton(), Qt::LeftButton);
        };
        run.doubleClick("Work");
        QCOMPARE(run.folderText(3), QString("Work/"));
        QCOMPARE(run.calendarFile(), original + "Work/work.db");
        QVERIFY(run.dm().options().change({{46, ids.personal}}));
    }
    const QString copy = home() + "copy/";
    QVERIFY(QProcess::execute("cp", {"-a", QDir::cleanPath(original), QDir::cleanPath(copy)}) == 0);

    Run run(copy);
    QVERIFY(run.start());
    QCOMPARE(run.calendarFile(), copy + "Personal Calendar/Personal Calendar.db");
    run.click("Work");
    const QString work = (readsTheCopy ? copy : original) + "Work/work.db";
    QCOMPARE(run.calendarFile(), work);
    QVERIFY(addRow(run.dm().Table50(), appointment("added in the copy", today)) > 0);

    Cursor originalWork;
    originalWork.setTableFile(original + "Work/", "work.db", calendarSchema());
    QVERIFY(originalWork.open());
    const QStringList expected =
        readsTheCopy ? QStringList {"work today"} : QStringList {"added in the copy", "work today"};
    QCOMPARE(allSubjects(originalWork), expected);
}

void FoldersTest::editorLayout_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("name box") << "Folder name:" << QRect(88, 24, 297, 21);
    QTest::newRow("path box") << "Calendar path:" << QRect(88, 80, 353, 21);
    QTest::newRow("file box") << "Calendar file:" << QRect(88, 128, 225, 21);
    QTest::newRow("New Calendar") << "New Calendar" << QRect(448, 32, 81, 25);
    QTest::newRow("Open Calendar") << "Open Calendar" << QRect(448, 78, 81, 25);
    QTest::newRow("CalDAV...") << "CalDAV..." << QRect(448, 126, 81, 25);
    QTest::newRow("OK") << "OK" << QRect(248, 183, 89, 25);
    QTest::newRow("Cancel") << "Cancel" << QRect(368, 183, 89, 25);
}

void FoldersTest::editorLayout()
{
    QFETCH(QString, label);
    QFETCH(QRect, geometry);
    prepareHome(home());
    Run run(home());
    QVERIFY(run.start());
    TForm7 &editor = run.editor();
    QCOMPARE(editor.windowTitle(), QString("Edit Folder"));
    QCOMPARE(editor.size(), QSize(547, 232));
    QWidget *control = nullptr;
    for (QPushButton *button : editor.findChildren<QPushButton *>()) {
        if (button->text() == label)
            control = button;
    }
    for (QLabel *caption : editor.findChildren<QLabel *>()) {
        if (caption->text() == label)
            control = caption->buddy();
    }
    QVERIFY2(control, qPrintable(label));
    QCOMPARE(control->geometry(), geometry);
}

void FoldersTest::foldersButtonTwice()
{
    {
        prepareHome(home());
        TDataModule2 dm {DataRoot(home())};
        QVERIFY(dm.startUp());
        QVERIFY(dm.options().change({{18, 80}, {19, true}}));
        dm.closeAll();
    }
    Run run(home());
    QVERIFY(run.start());
    QToolButton *folders = run.window().topBar()->foldersButton();

    QTest::mouseClick(folders, Qt::LeftButton);
    QCOMPARE(run.window().folderPaneWidth(), 1);
    QVERIFY(!folders->isChecked());
    QVERIFY(!run.dm().options().boolField(19));

    QTest::mouseClick(folders, Qt::LeftButton);
    QCOMPARE(run.window().folderPaneWidth(), 100);
    QVERIFY(folders->isChecked());
    QVERIFY(run.dm().options().boolField(19));
    QCOMPARE(run.dm().options().intField(18), 80);
    // The list takes the pane's width and its name column 16 pixels less.
    QTRY_COMPARE(run.list().width(), 100);
    QCOMPARE(run.list().columnWidth(), 84);
    QCOMPARE(run.list().height(), 32);
}

void FoldersTest::currentRowColours_data()
{
    QTest::addColumn<bool>("focused");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("with the focus") << true << QColor(49, 106, 197);
    QTest::newRow("without the focus") << false << QApplication::palette().color(QPalette::Button);
}

void FoldersTest::currentRowColours()
{
    QFETCH(bool, focused);
    QFETCH(QColor, colour);
    prepareHome(home());
    Run run(home());
    QVERIFY(run.start());
    run.window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&run.window()));
    if (focused)
        run.list().setFocus();
    else
        run.window().topBar()->foldersButton()->setFocus();
    QTRY_COMPARE(run.list().hasFocus(), focused);

    run.click("Work");
    if (!focused)
        run.window().topBar()->foldersButton()->setFocus();
    QTRY_COMPARE(run.list().hasFocus(), focused);

    const QImage image = run.list().grab().toImage();
    const int right = run.list().columnWidth() - 2;
    QCOMPARE(image.pixelColor(right, 16 + 8), colour);                             // Work, the current row
    QCOMPARE(image.pixelColor(right, 8), QColor(Qt::white));                       // Personal Calendar
    QCOMPARE(image.pixelColor(run.list().width() - 4, 16 + 8), QColor(Qt::white)); // beyond the column

    // Below the folders the pane stays white.
    auto *pane = qobject_cast<FolderPane *>(run.list().parentWidget()->parentWidget()->parentWidget());
    QVERIFY(pane);
    const QImage paneImage = pane->grab().toImage();
    QCOMPARE(paneImage.pixelColor(10, FolderPane::HeaderHeight + 2 * 16 + 20), QColor(Qt::white));
}

QTEST_MAIN(FoldersTest)
#include "test_folders.moc"
