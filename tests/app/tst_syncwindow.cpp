// The sync of the open calendar in the planner as main() wires it, against
// a real Radicale on 127.0.0.1: the scheduler takes a change made in the
// window up to the server, the title strip says how the last sync went,
// a refused sign-in keeps the local changes, and "CalDAV Calendar" tests
// and keeps a binding.

#include "app/PlannerProgram.h"
#include "app/Subsystems.h"
#include "app/SyncScheduler.h"
#include "app/TopBar.h"
#include "app/Unit1.h"
#include "folders/CalDavDialog.h"
#include "folders/Unit7.h"
#include "resources/DaybrookResources.h"
#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/Unit2.h"
#include "sync/CalDavBinding.h"
#include "sync/PasswordSource.h"
#include "tests/support/TestSupport.h"
#include "tests/sync/CalDavServer.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include <memory>
#include <optional>
#include <utility>

namespace {

// Network answers from a local server, generously.
constexpr int syncMilliseconds = 30000;

// "Synced 10:42" in the user's short time format (US English here).
const QRegularExpression syncedText(QStringLiteral("^Synced \\d{1,2}:\\d\\d(\\s[AP]M)?$"));

QByteArray eventObject(const QByteArray &uid, const QByteArray &summary, int day = 14)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:" + uid
        + "\r\nDTSTAMP:20261201T000000Z\r\nDTSTART:202612" + QByteArray::number(day).rightJustified(2, '0')
        + "T090000Z\r\nDTEND:202612" + QByteArray::number(day).rightJustified(2, '0') + "T100000Z\r\nSUMMARY:" + summary
        + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

// "address user" of the calendar file's binding; "" when it has none.
QString boundTo(const QString &calendar)
{
    const Result<std::optional<CalDavBinding>> bound = CalDavBinding::read(calendar);
    if (!bound)
        return bound.error();
    return bound.value() ? bound.value()->url.toString() + ' ' + bound.value()->user : QString();
}

// Whether any file below the folder holds the bytes.
bool anyFileHolds(const QString &folder, const QByteArray &bytes)
{
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(bytes))
            return true;
    }
    return false;
}

// One planner run on a data root of its own, with the calendar of its
// default folder bound to the collection before it starts.
class Planner
{
public:
    Planner(const TempHome &home, const std::optional<CalDavBinding> &binding, int pastRows = 0)
    {
        prepare(home.path(), binding, pastRows);
        PlannerProgram::Settings settings;
        settings.root = DataRoot(home.path());
        settings.trayAvailable = [] { return false; };
        settings.showMessage = [this](const QString &text) { messages << text; };
        program = std::make_unique<PlannerProgram>(std::move(settings));
        installSubsystems(*program);
    }

    // Starts the program; the first sync follows on the event loop.
    bool start()
    {
        const Outcome started = program->start();
        if (!started) {
            qWarning() << started.error();
            return false;
        }
        scheduler = program->mainWindow().findChild<SyncScheduler *>();
        if (!scheduler)
            return false;
        scheduler->setChangeDelay(300);
        scheduler->setPasswordAsker([this](const CalDavBinding &, const QString &why) -> std::optional<QString> {
            asked << why;
            return answer;
        });
        synced = std::make_unique<QSignalSpy>(scheduler, &SyncScheduler::synced);
        return true;
    }

    TDataModule2 &store() { return program->dataModule(); }
    QString calendar() { return store().Table50().filePath(); }
    QString strip() { return program->mainWindow().topBar()->syncState(); }

    // An appointment made through the window's own change path.
    bool addAppointment(const QString &subject)
    {
        Cursor &items = store().Table50();
        items.insert();
        items.setValue(ItemField::Subject, subject);
        items.setValue(ItemField::S, QDate(2026, 12, 15));
        items.setValue(ItemField::E, QDate(2026, 12, 15));
        items.setValue(ItemField::Md, QStringLiteral("0"));
        items.setValue(ItemField::St, QTime(9, 0));
        items.setValue(ItemField::Et, QTime(10, 0));
        if (items.post())
            return true;
        qWarning() << items.lastError();
        items.cancel();
        return false;
    }

    QStringList subjects()
    {
        Cursor &items = store().Table50();
        items.setFiltered(false);
        QStringList names;
        for (items.first(); !items.eof(); items.next())
            names << items.asText(ItemField::Subject);
        names.sort();
        return names;
    }

    // "Edit Folder" on the active folder, and its "CalDAV..." pressed.
    CalDavDialog *openCalDavDialog()
    {
        auto *editor = program->mainWindow().findChild<TForm7 *>();
        if (!editor)
            return nullptr;
        editor->show();
        QTest::mouseClick(editor->calDavButton(), Qt::LeftButton);
        return editor->calDavDialog();
    }

    std::unique_ptr<PlannerProgram> program;
    SyncScheduler *scheduler = nullptr;
    std::unique_ptr<QSignalSpy> synced;
    QStringList messages;
    QStringList asked;
    std::optional<QString> answer; // what the sign-in question is answered with

private:
    static void prepare(const QString &home, const std::optional<CalDavBinding> &binding, int pastRows)
    {
        TDataModule2 dm {DataRoot(home)};
        QVERIFY(dm.startUp());
        const QString calendar = dm.Table50().filePath();
        for (int row = 0; row < pastRows; ++row) {
            Cursor &items = dm.Table50();
            items.insert();
            items.setValue(ItemField::Subject, QStringLiteral("Before %1").arg(row));
            items.setValue(ItemField::S, QDate(2026, 12, 16));
            items.setValue(ItemField::E, QDate(2026, 12, 16));
            QVERIFY(items.post());
        }
        dm.closeAll();
        if (binding)
            QVERIFY(CalDavBinding::write(calendar, *binding).isOk());
    }
};

} // namespace

class SyncWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void changeGoesUpAndSyncsOwnWritesOnce();
    void offlineChangesWait_data();
    void offlineChangesWait();
    void refusedSignInKeepsChanges();
    void largeFirstSyncCancelled();
    void dialogTestAnswers_data();
    void dialogTestAnswers();
    void dialogKeepsOnlyAtOk();

private:
    CalDavBinding binding() const { return {m_server.collectionUrl(), m_server.user()}; }

    CalDavServer m_server {CalDavServer::Kind::Radicale};
    QTemporaryDir m_runtime;
};

void SyncWindowTest::initTestCase()
{
    pinTestLocale();
    initDaybrookResources();
    QVERIFY(m_runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
    // No keyring: the tests never reach one of the person running them.
    qputenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + m_runtime.path() + "/no-bus").toUtf8());
    const QString problem = m_server.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void SyncWindowTest::init()
{
    const QString problem = m_server.newCollection();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    qputenv(PasswordSource::environmentVariable, m_server.password().toUtf8());
}

void SyncWindowTest::cleanup()
{
    qunsetenv(PasswordSource::environmentVariable);
}

// The first sync pulls what the server holds; those writes come back to
// the window as outside changes and start no sync of their own. A change
// made in the window goes up within the delay after it.
void SyncWindowTest::changeGoesUpAndSyncsOwnWritesOnce()
{
    QCOMPARE(m_server.put(QStringLiteral("a.ics"), eventObject("a@test", "Standup")), 201);
    QCOMPARE(m_server.put(QStringLiteral("b.ics"), eventObject("b@test", "Review", 16)), 201);
    TempHome home;
    Planner planner(home, binding());
    QVERIFY(planner.start());
    QSignalSpy changed(&planner.store(), &TDataModule2::calendarChanged);

    QTRY_COMPARE_WITH_TIMEOUT(planner.synced->count(), 1, syncMilliseconds);
    const SyncSummary first = planner.synced->at(0).at(0).value<SyncSummary>();
    QVERIFY2(first.ok(), qPrintable(first.message));
    QCOMPARE(first.pulled, 2);
    QVERIFY2(syncedText.match(planner.strip()).hasMatch(), qPrintable(planner.strip()));
    QCOMPARE(planner.subjects(), (QStringList {"Review", "Standup"}));

    // The sync's own writes reached the window, and their delay passes
    // without a sync.
    QVERIFY(changed.count() > 0);
    QTRY_VERIFY_WITH_TIMEOUT(!planner.scheduler->changePending(), syncMilliseconds);
    QCoreApplication::processEvents();
    QVERIFY(!planner.scheduler->isSyncing());
    QCOMPARE(planner.synced->count(), 1);

    QVERIFY(planner.addAppointment(QStringLiteral("Dentist")));
    QTRY_COMPARE_WITH_TIMEOUT(planner.synced->count(), 2, syncMilliseconds);
    const SyncSummary second = planner.synced->at(1).at(0).value<SyncSummary>();
    QVERIFY2(second.ok(), qPrintable(second.message));
    QCOMPARE(second.pushed, 1);
    QCOMPARE(m_server.names().size(), 3);
    QVERIFY2(syncedText.match(planner.strip()).hasMatch(), qPrintable(planner.strip()));
}

void SyncWindowTest::offlineChangesWait_data()
{
    QTest::addColumn<int>("changes");
    QTest::addColumn<QString>("offline");
    QTest::newRow("one") << 1 << QStringLiteral("Offline — 1 change waiting");
    QTest::newRow("three") << 3 << QStringLiteral("Offline — 3 changes waiting");
}

// Changes made while the server is away wait, the strip says how many,
// and "Sync now" takes them up once it is back.
void SyncWindowTest::offlineChangesWait()
{
    QFETCH(int, changes);
    QFETCH(QString, offline);
    TempHome home;
    Planner planner(home, binding());
    QVERIFY(planner.start());
    QTRY_COMPARE_WITH_TIMEOUT(planner.synced->count(), 1, syncMilliseconds);

    m_server.stop();
    {
        // One burst: one sync after it.
        TDataModule2::ChangeBatch batch(planner.store());
        for (int change = 0; change < changes; ++change)
            QVERIFY(planner.addAppointment(QStringLiteral("Offline %1").arg(change)));
    }
    QTRY_COMPARE_WITH_TIMEOUT(planner.synced->count(), 2, syncMilliseconds);
    QCOMPARE(planner.strip(), offline);

    const QString problem = m_server.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    planner.scheduler->syncNow();
    QTRY_COMPARE_WITH_TIMEOUT(planner.synced->count(), 3, syncMilliseconds);
    QVERIFY2(syncedText.match(planner.strip()).hasMatch(), qPrintable(planner.strip()));
    QCOMPARE(m_server.names().size(), changes);
}

// A wrong password: the strip says so, nothing of the calendar is lost
// or sent, the window asks once; "Sync now" asks again and a right answer
// syncs.
void SyncWindowTest::refusedSignInKeepsChanges()
{
    qputenv(PasswordSource::environmentVariable, "not the password");
    TempHome home;
    Planner planner(home, binding(), 1);
    QVERIFY(planner.start());
    QTRY_COMPARE_WITH_TIMEOUT(planner.asked.size(), 1, syncMilliseconds);
    QCOMPARE(planner.synced->count(), 1);
    QCOMPARE(planner.strip(), QStringLiteral("Sign-in failed — 1 change waiting"));
    QCOMPARE(planner.asked.at(0),
             QStringLiteral("%1 refused the sign-in: 401 Unauthorized").arg(m_server.collectionUrl().toString()));
    QCOMPARE(planner.subjects(), QStringList {"Before 0"});
    QCOMPARE(m_server.names(), QStringList());

    // No automatic sync tries the refused password again.
    QVERIFY(planner.addAppointment(QStringLiteral("Meanwhile")));
    QTRY_VERIFY_WITH_TIMEOUT(!planner.scheduler->changePending(), syncMilliseconds);
    QCoreApplication::processEvents();
    QVERIFY(!planner.scheduler->isSyncing());
    QCOMPARE(planner.strip(), QStringLiteral("Sign-in failed — 2 changes waiting"));

    planner.answer = m_server.password();
    planner.scheduler->syncNow();
    QTRY_COMPARE_WITH_TIMEOUT(planner.asked.size(), 2, syncMilliseconds);
    QTRY_COMPARE_WITH_TIMEOUT(planner.synced->count(), 3, syncMilliseconds);
    QVERIFY2(syncedText.match(planner.strip()).hasMatch(), qPrintable(planner.strip()));
    QCOMPARE(m_server.names().size(), 2);
}

// A large first sync shows its progress beside the window; its "Cancel"
// stops it with what it pulled whole, and the next sync brings the rest
// with nothing doubled.
void SyncWindowTest::largeFirstSyncCancelled()
{
    constexpr int count = 450; // more than one batch
    for (int i = 0; i < count; ++i) {
        QFile object(QDir(m_server.storageFolder()).filePath(QStringLiteral("many-%1.ics").arg(i)));
        QVERIFY(object.open(QIODevice::WriteOnly));
        object.write(
            eventObject("many-" + QByteArray::number(i) + "@test", "Many " + QByteArray::number(i), 1 + i % 28));
    }
    TempHome home;
    Planner planner(home, binding());
    QVERIFY(planner.start());
    QList<int> shown; // the dialog's value at each step
    bool cancelOnce = true;
    QObject::connect(planner.scheduler, &SyncScheduler::progress, planner.scheduler, [&](int done, int total) {
        QProgressDialog *progress = planner.scheduler->progressDialog();
        if (!progress)
            return;
        QCOMPARE(progress->maximum(), total);
        shown << progress->value();
        if (done > 0 && progress->isVisible() && std::exchange(cancelOnce, false))
            progress->findChild<QPushButton *>()->click();
    });
    QTRY_COMPARE_WITH_TIMEOUT(planner.synced->count(), 1, syncMilliseconds);
    const SyncSummary cancelled = planner.synced->at(0).at(0).value<SyncSummary>();
    QCOMPARE(int(cancelled.failure), int(SyncSummary::Failure::Cancelled));
    QCOMPARE(planner.strip(), QStringLiteral("Sync cancelled"));
    QVERIFY(shown.size() >= 2);
    QCOMPARE(shown.first(), 0);
    QTRY_VERIFY(!planner.scheduler->progressDialog());
    const int kept = planner.subjects().size();
    QVERIFY2(kept > 0 && kept < count, qPrintable(QString::number(kept)));

    planner.scheduler->syncNow();
    QTRY_COMPARE_WITH_TIMEOUT(planner.synced->count(), 2, syncMilliseconds);
    const SyncSummary rest = planner.synced->at(1).at(0).value<SyncSummary>();
    QVERIFY2(rest.ok(), qPrintable(rest.message));
    QCOMPARE(rest.pulled, count - kept);
    QStringList subjects = planner.subjects();
    QCOMPARE(subjects.size(), count);
    subjects.removeDuplicates();
    QCOMPARE(subjects.size(), count);
}

void SyncWindowTest::dialogTestAnswers_data()
{
    QTest::addColumn<bool>("right");
    QTest::addColumn<QString>("answer"); // %1: the collection's address
    QTest::newRow("right password") << true << QStringLiteral("The collection answers and the sign-in is accepted.");
    QTest::newRow("wrong password") << false
                                    << QStringLiteral("Sign-in failed: %1 refused the sign-in: 401 Unauthorized");
}

// "Test" answers in the dialog with the typed values and keeps nothing.
void SyncWindowTest::dialogTestAnswers()
{
    QFETCH(bool, right);
    QFETCH(QString, answer);
    qunsetenv(PasswordSource::environmentVariable);
    TempHome home;
    Planner planner(home, std::nullopt);
    QVERIFY(planner.start());
    CalDavDialog *dialog = planner.openCalDavDialog();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("CalDAV Calendar"));
    QCOMPARE(dialog->addressBox()->text(), QString());

    QTest::keyClicks(dialog->addressBox(), m_server.collectionUrl().toString());
    QTest::keyClicks(dialog->userBox(), m_server.user());
    QTest::keyClicks(dialog->passwordBox(), right ? m_server.password() : QStringLiteral("wrong"));
    QSignalSpy answered(dialog, &CalDavDialog::answered);
    QTest::mouseClick(dialog->testButton(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(answered.count(), 1, syncMilliseconds);
    QCOMPARE(dialog->answer(), answer.contains("%1") ? answer.arg(m_server.collectionUrl().toString()) : answer);

    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(boundTo(planner.calendar()), QString());
}

// Cancel keeps nothing typed; "Sync now" syncs only the kept binding; OK
// keeps the binding in the calendar file and the password out of every
// file, says that no keyring took it, and the typed password serves the
// sync that follows. A blank address at OK unbinds.
void SyncWindowTest::dialogKeepsOnlyAtOk()
{
    qunsetenv(PasswordSource::environmentVariable);
    TempHome home;
    Planner planner(home, std::nullopt);
    QVERIFY(planner.start());
    CalDavDialog *dialog = planner.openCalDavDialog();
    QVERIFY(dialog);
    QSignalSpy answered(dialog, &CalDavDialog::answered);
    const QString password = m_server.password();

    QTest::keyClicks(dialog->addressBox(), m_server.collectionUrl().toString());
    QTest::keyClicks(dialog->userBox(), m_server.user());
    QTest::keyClicks(dialog->passwordBox(), password);
    QTest::mouseClick(dialog->syncNowButton(), Qt::LeftButton);
    QCOMPARE(dialog->answer(), QStringLiteral("Press OK to bind the calendar to this address; it then syncs at once."));
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    QCOMPARE(boundTo(planner.calendar()), QString());
    QCOMPARE(planner.synced->count(), 0);

    dialog = planner.openCalDavDialog();
    QCOMPARE(dialog->addressBox()->text(), QString());
    QTest::keyClicks(dialog->addressBox(), m_server.collectionUrl().toString());
    QTest::keyClicks(dialog->userBox(), m_server.user());
    QTest::keyClicks(dialog->passwordBox(), password);
    answered.clear();
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(answered.count(), 1, syncMilliseconds);
    QVERIFY2(dialog->answer().startsWith(QStringLiteral("The password could not be stored in the keyring: ")),
             qPrintable(dialog->answer()));
    QVERIFY2(dialog->answer().endsWith(QStringLiteral(". The calendar is bound; the planner asks for the password "
                                                      "when it syncs, unless DAYBROOK_CALDAV_PASSWORD is set.")),
             qPrintable(dialog->answer()));
    QVERIFY(dialog->isVisible());
    QCOMPARE(boundTo(planner.calendar()), binding().url.toString() + ' ' + binding().user);
    QTRY_COMPARE_WITH_TIMEOUT(planner.synced->count(), 1, syncMilliseconds);
    QVERIFY2(syncedText.match(planner.strip()).hasMatch(), qPrintable(planner.strip()));
    QCOMPARE(planner.asked, QStringList());

    // "Sync now" on the kept binding answers in the dialog too.
    QTest::mouseClick(dialog->syncNowButton(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(planner.synced->count(), 2, syncMilliseconds);
    QVERIFY2(syncedText.match(dialog->answer()).hasMatch(), qPrintable(dialog->answer()));
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QVERIFY(!anyFileHolds(home.path(), password.toUtf8()));

    dialog = planner.openCalDavDialog();
    QCOMPARE(dialog->addressBox()->text(), m_server.collectionUrl().toString());
    QCOMPARE(dialog->userBox()->text(), m_server.user());
    QCOMPARE(dialog->passwordBox()->text(), QString());
    dialog->addressBox()->clear();
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(boundTo(planner.calendar()), QString());
    QTRY_COMPARE_WITH_TIMEOUT(planner.strip(), QString(), syncMilliseconds);
}

QTEST_MAIN(SyncWindowTest)
#include "tst_syncwindow.moc"
