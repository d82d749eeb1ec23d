// Find Items as the planner wires it: Ctrl+F opens the window, typing
// lists the items of years back and ahead, Enter shows the item's day with
// the item selected and a second Enter opens its editor; "All calendars"
// lists another folder's item, and Enter on it switches to that folder.

#include "app/FindItemsWindow.h"
#include "app/FoundItemsModel.h"
#include "app/PlannerProgram.h"
#include "app/Subsystems.h"
#include "app/Unit1.h"
#include "editors/Unit3.h"
#include "editors/Unit4.h"
#include "resources/DaybrookResources.h"
#include "store/Clock.h"
#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/OptionFields.h"
#include "store/Unit2.h"
#include "tests/support/TestSupport.h"
#include "views/DayBlock.h"
#include "views/DayView.h"

#include <QCheckBox>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

const QDate today(2025, 3, 12);

qint64 post(Cursor &cursor, const QVariantMap &fields)
{
    cursor.insert();
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        cursor.setValue(it.key(), it.value());
    if (!cursor.post())
        qFatal("%s", qPrintable(cursor.lastError()));
    return cursor.currentId();
}

QVariantMap appointment(const QString &subject, const QDate &date, const QTime &start)
{
    using namespace ItemField;
    return {{Subject, subject}, {S, date}, {E, date}, {Md, "0"}, {St, start}, {Et, start.addSecs(3600)}, {A, false}};
}

// What the list shows, row by row: date, time, subject and (with several
// calendars) folder, joined by " | ".
QStringList shownRows(const FindItemsWindow &window)
{
    QStringList rows;
    const QAbstractItemModel *model = window.list()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(row, column).data().toString();
        rows << cells.join(QStringLiteral(" | "));
    }
    return rows;
}

} // namespace

class FindItemsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void findsPastAndFutureAndOpensThem();
    void allCalendarsSwitchesToTheItemsFolder();
    void aTaskOpensInTheTaskEditor();

private:
    FindItemsWindow *openFindItems();

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<QTemporaryDir> m_runtime;
    std::unique_ptr<PlannerProgram> m_program;
    qint64 m_past = 0;
    qint64 m_future = 0;
    qint64 m_work = 0;
    qint64 m_task = 0;
    QStringList m_messages;
};

void FindItemsTest::initTestCase()
{
    pinTestLocale();
    initDaybrookResources();
    Clock::setNowForTesting(QDateTime(today, QTime(8, 0)));
}

void FindItemsTest::init()
{
    m_home = std::make_unique<TempHome>();
    m_runtime = std::make_unique<QTemporaryDir>();
    qputenv("XDG_RUNTIME_DIR", m_runtime->path().toUtf8());
    const QString home = m_home->path();
    {
        TDataModule2 store {DataRoot(home)};
        QVERIFY(store.startUp());
        const qint64 personal = store.Table61().currentId();
        m_past = post(store.Table50(), appointment("Dentist check-up", QDate(2019, 3, 12), QTime(10, 0)));
        post(store.Table50(), appointment("Lunch", QDate(2025, 3, 12), QTime(12, 0)));
        m_future = post(store.Table50(), appointment("Dentist, new clinic", QDate(2030, 3, 12), QTime(15, 0)));
        m_task =
            post(store.Table50(),
                 {{ItemField::Subject, "Call the dentist"}, {ItemField::Ta, true}, {ItemField::E, QDate(2026, 1, 5)}});
        QVERIFY(store.createCalendarTable(home + "Work/", "work.db"));
        post(store.Table61(),
             {{FolderListField::Name, "Work"},
              {FolderListField::Path, home + "Work/"},
              {FolderListField::File, "work.db"},
              {FolderListField::View, 1},
              {FolderListField::TaskPadView, 1}});
        Cursor work;
        work.setTableFile(home + "Work/", "work.db", calendarSchema());
        QVERIFY(work.open());
        m_work = post(work, appointment("Dentist for the team", QDate(2027, 5, 4), QTime(9, 0)));
        QVERIFY(store.Table61().locate(FolderListField::Id, personal));
        store.closeAll();
    }
    m_messages.clear();
    PlannerProgram::Settings settings;
    settings.root = DataRoot(home);
    settings.trayAvailable = [] { return false; };
    settings.showMessage = [this](const QString &text) { m_messages << text; };
    m_program = std::make_unique<PlannerProgram>(std::move(settings));
    installSubsystems(*m_program);
    const Outcome started = m_program->start();
    QVERIFY2(started, qPrintable(started.error()));
    m_program->mainWindow().resize(1000, 1100); // the whole day without scrolling
    QVERIFY(QTest::qWaitForWindowExposed(&m_program->mainWindow()));
}

void FindItemsTest::cleanup()
{
    m_program.reset();
    m_home.reset();
}

FindItemsWindow *FindItemsTest::openFindItems()
{
    TForm1 &window = m_program->mainWindow();
    window.activateWindow();
    QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
    auto *find = window.findChild<FindItemsWindow *>();
    // Shown at once: the shortcut's action runs within the key press.
    return find && find->isVisible() ? find : nullptr;
}

void FindItemsTest::findsPastAndFutureAndOpensThem()
{
    FindItemsWindow *find = openFindItems();
    QVERIFY(find);
    QCOMPARE(find->windowTitle(), QStringLiteral("Find Items"));
    QVERIFY(QTest::qWaitForWindowActive(find));
    QTRY_VERIFY(find->textBox()->hasFocus());

    QSignalSpy finished(find, &FindItemsWindow::searchFinished);
    QTest::keyClicks(find->textBox(), "DENTIST");
    QTRY_VERIFY(!find->isSearching());
    QVERIFY(finished.size() >= 1);
    QCOMPARE(shownRows(*find),
             (QStringList {"3/12/2019 | 10:00am-11:00am | Dentist check-up", "Due 1/5/2026 |  | Call the dentist",
                           "3/12/2030 | 3:00pm-4:00pm | Dentist, new clinic"}));
    QCOMPARE(find->statusLabel()->text(), QStringLiteral("3 items"));

    // Enter in the text box takes the selected row, the first: its day, the item selected.
    TForm1 &window = m_program->mainWindow();
    auto *day = qobject_cast<DayView *>(window.viewWidget(TForm1::View::Day));
    QVERIFY(day);
    QTest::keyClick(find->textBox(), Qt::Key_Return);
    QCOMPARE(window.currentView(), TForm1::View::Day);
    QCOMPARE(window.shownDate(), QDate(2019, 3, 12));
    QVERIFY(day->block(m_past));
    QVERIFY(day->block(m_past)->isSelected());

    // Down to the item five years ahead; Enter shows it, a second Enter opens it.
    QTest::keyClick(find->textBox(), Qt::Key_Down);
    QTest::keyClick(find->textBox(), Qt::Key_Down);
    QTest::keyClick(find->textBox(), Qt::Key_Return);
    QCOMPARE(window.shownDate(), QDate(2030, 3, 12));
    QVERIFY(day->block(m_future) && day->block(m_future)->isSelected());
    QVERIFY(!day->block(m_past));
    auto *editor = window.findChild<TForm3 *>();
    QVERIFY(editor);
    QVERIFY(!editor->isVisible());
    QTest::keyClick(find->list(), Qt::Key_Return);
    QTRY_VERIFY(editor->isVisible());
    QCOMPARE(editor->subjectBox()->text(), QStringLiteral("Dentist, new clinic"));
    QCOMPARE(m_program->dataModule().Table50().currentId(), m_future);
    QTest::mouseClick(editor->cancelButton(), Qt::LeftButton);
    QTRY_VERIFY(!editor->isVisible());

    // The list follows a change to the calendar, whichever cursor made it: a new item is listed.
    const Cursor &calendar = m_program->dataModule().Table50();
    Cursor other;
    other.setTableFile(calendar.directory(), calendar.fileName(), calendarSchema());
    QVERIFY(other.open());
    post(other, appointment("Dentist again", QDate(2025, 4, 1), QTime(8, 0)));
    QTRY_COMPARE(find->results().size(), size_t(4));
    QCOMPARE(find->results().at(1).subject, QStringLiteral("Dentist again"));
    // The row the user was on stays current while the list follows.
    QCOMPARE(find->list()->currentIndex().row(), 3);
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('\n')));
}

void FindItemsTest::allCalendarsSwitchesToTheItemsFolder()
{
    FindItemsWindow *find = openFindItems();
    QVERIFY(find);
    QTest::keyClicks(find->textBox(), "dentist");
    QTRY_VERIFY(!find->isSearching());
    QCOMPARE(find->results().size(), size_t(3)); // the active calendar's alone

    find->allCalendarsBox()->setChecked(true);
    QTRY_VERIFY(!find->isSearching());
    QCOMPARE(shownRows(*find),
             (QStringList {"3/12/2019 | 10:00am-11:00am | Dentist check-up | Personal Calendar",
                           "Due 1/5/2026 |  | Call the dentist | Personal Calendar",
                           "5/4/2027 | 9:00am-10:00am | Dentist for the team | Work",
                           "3/12/2030 | 3:00pm-4:00pm | Dentist, new clinic | Personal Calendar"}));

    TForm1 &window = m_program->mainWindow();
    find->list()->setCurrentIndex(find->list()->model()->index(2, 0));
    QTest::keyClick(find->list(), Qt::Key_Return);
    QCOMPARE(window.folderName(), QStringLiteral("Work"));
    QCOMPARE(window.currentView(), TForm1::View::Day);
    QCOMPARE(window.shownDate(), QDate(2027, 5, 4));
    auto *day = qobject_cast<DayView *>(window.viewWidget(TForm1::View::Day));
    QVERIFY(day && day->block(m_work) && day->block(m_work)->isSelected());
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('\n')));

    // Unticked, the search is of the active calendar again: now Work's.
    find->allCalendarsBox()->setChecked(false);
    QTRY_VERIFY(!find->isSearching());
    QCOMPARE(shownRows(*find), QStringList {"5/4/2027 | 9:00am-10:00am | Dentist for the team"});
}

// A task has no block: Enter shows the day it is due, a double click on
// it again opens the task editor.
void FindItemsTest::aTaskOpensInTheTaskEditor()
{
    FindItemsWindow *find = openFindItems();
    QVERIFY(find);
    QTest::keyClicks(find->textBox(), "call the");
    QTRY_VERIFY(!find->isSearching());
    QCOMPARE(shownRows(*find), QStringList {"Due 1/5/2026 |  | Call the dentist"});
    TForm1 &window = m_program->mainWindow();
    QTest::keyClick(find->textBox(), Qt::Key_Enter);
    QCOMPARE(window.shownDate(), QDate(2026, 1, 5));
    auto *taskEditor = window.findChild<TForm4 *>();
    QVERIFY(taskEditor && !taskEditor->isVisible());
    QTreeView *list = find->list();
    const QRect row = list->visualRect(list->model()->index(0, 2));
    QSignalSpy doubleClicked(list, &QAbstractItemView::doubleClicked);
    // A double click comes after the click of its first press.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(doubleClicked.size(), 1);
    QTRY_VERIFY(taskEditor->isVisible());
    QCOMPARE(taskEditor->subjectBox()->text(), QStringLiteral("Call the dentist"));
    QCOMPARE(m_program->dataModule().Table47().currentId(), m_task);
}

QTEST_MAIN(FindItemsTest)
#include "tst_finditems.moc"
