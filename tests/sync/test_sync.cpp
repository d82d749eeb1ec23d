#include "CalDavServer.h"
#include "SyncTestSupport.h"

#include "sync/CalDavBinding.h"
#include "sync/SyncEngine.h"
#include "sync/SyncSummary.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QtTest>

// Two data roots and an independent client agree through a real server:
// the cases every server runs.
class SyncCases : public QObject
{
    Q_OBJECT
public:
    explicit SyncCases(CalDavServer::Kind kind)
        : m_kind(kind)
    { }

private slots:
    void initTestCase();
    void init();

    void firstSyncBothWays();
    void secondRootSeesSeriesAndTask();
    void editsAndDeletesBothWays();
    void conflictKeepsBoth();
    void serverAwayThenBack();
    void attendeesSurviveAnEdit();
    void seriesOutsideTheRulesIsNeverPushed();
    void refusedPushKeepsBoth();
    void quietSyncMissesNoLocalEdit_data();
    void quietSyncMissesNoLocalEdit();
    void quietSyncMissesNoServerRevert();

protected:
    CalDavServer::Kind m_kind;
    std::unique_ptr<CalDavServer> m_server;
};

// Radicale, with sign-in and a store a test can fill directly, runs the
// rest too.
class TestSyncRadicale : public SyncCases
{
    Q_OBJECT
public:
    TestSyncRadicale()
        : SyncCases(CalDavServer::Kind::Radicale)
    { }

private slots:
    void badArguments_data();
    void badArguments();
    void freshRootHasNothingToSync();
    void wrongPasswordChangesNothing();
    void untrustedCertificateStops();
    void killedSyncCompletes_data();
    void killedSyncCompletes();
    void cancelledSyncCompletesLater();
    void serverErrorIsNoConflict();
    void etagListingPullsEditsAndDeletes();
};

namespace {

const QByteArray seriesWithException =
    "BEGIN:VEVENT\r\nUID:lunch@test\r\nDTSTAMP:20261201T000000Z\r\nDTSTART:20261201T120000Z\r\n"
    "DTEND:20261201T130000Z\r\nRRULE:FREQ=WEEKLY;BYDAY=TU\r\nEXDATE:20261208T120000Z\r\nSUMMARY:Lunch\r\n"
    "END:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:lunch@test\r\nDTSTAMP:20261201T000000Z\r\nRECURRENCE-ID:20261215T120000Z\r\n"
    "DTSTART:20261215T140000Z\r\nDTEND:20261215T150000Z\r\nSUMMARY:Lunch moved\r\nEND:VEVENT\r\n";
const QByteArray task = "BEGIN:VTODO\r\nUID:milk@test\r\nDTSTAMP:20261201T000000Z\r\nSUMMARY:Buy milk\r\n"
                        "DUE;VALUE=DATE:20261220\r\nPRIORITY:1\r\nEND:VTODO\r\n";

const QStringList typeNames {"Standard", "Important",   "Business",        "Personal",
                             "Vacation", "Must Attend", "Travel Required", "Needs Preparation",
                             "Birthday", "Anniversary", "Phone Call"};

// One sync of the root's calendar through the engine itself, for the
// paths only its test hooks reach.
SyncSummary engineSync(const PlannerRoot &root, const CalDavServer &server, SyncEngine::TestHooks hooks)
{
    const CalDavBinding binding {server.collectionUrl(), server.user()};
    if (!CalDavBinding::write(root.calendarPath(), binding).isOk())
        return SyncSummary {SyncSummary::Failure::LocalFile, QStringLiteral("cannot bind")};
    SyncEngine engine(root.calendarPath(), binding, server.password(), typeNames);
    engine.setTestHooks(std::move(hooks));
    QSignalSpy finished(&engine, &SyncEngine::finished);
    engine.start();
    if (!finished.wait(60000))
        return SyncSummary {SyncSummary::Failure::Unreachable, QStringLiteral("no end of the sync")};
    return finished.takeFirst().at(0).value<SyncSummary>();
}

QStringList subjects(const PlannerRoot &root)
{
    QStringList names = root.column(QStringLiteral("SELECT Subject FROM items"));
    names.sort();
    return names;
}

} // namespace

void SyncCases::initTestCase()
{
    m_server = std::make_unique<CalDavServer>(m_kind);
    const QString problem = m_server->start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void SyncCases::init()
{
    const QString problem = m_server->newCollection();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestSyncRadicale::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("line");
    QTest::newRow("no address") << QStringList {"--caldav"} << "daybrook: --caldav needs one collection address";
    QTest::newRow("not http") << QStringList {"--caldav", "ftp://127.0.0.1/cal/"}
                              << "daybrook: --caldav: \"ftp://127.0.0.1/cal/\" is not an http or https address";
    QTest::newRow("user without caldav") << QStringList {"--sync", "--user", "alice"}
                                         << "daybrook: --user belongs to --caldav";
    QTest::newRow("both commands") << QStringList {"--sync", "--caldav", "http://127.0.0.1/c/"}
                                   << "daybrook: --caldav and --sync cannot be combined";
    QTest::newRow("unknown option") << QStringList {"--sync", "--fast"}
                                    << "daybrook: unknown argument --fast for --caldav or --sync";
}

void TestSyncRadicale::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, line);
    PlannerRoot root;
    const PlannerRoot::Run run = root.daybrook(arguments, m_server->password());
    QCOMPARE(run.code, 2);
    QCOMPARE(run.err, line + QLatin1Char('\n'));
    QCOMPARE(run.out, QString());
}

void SyncCases::firstSyncBothWays()
{
    QCOMPARE(m_server->put(QStringLiteral("from-phone.ics"), calendarText(eventText("phone@test", "Dentist"))), 201);
    PlannerRoot root;
    QCOMPARE(root.importText(calendarText(eventText("desk@test", "Review", {}, 15) + task)).code, 0);

    const PlannerRoot::Run run = root.bind(*m_server);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.out, QStringLiteral("Personal Calendar: pulled 1, pushed 2, deleted 0, conflicts 0\n"));
    QCOMPARE(run.code, 0);
    QCOMPARE(subjects(root), (QStringList {"Buy milk", "Dentist", "Review"}));
    QCOMPARE(m_server->names().size(), 3);
    QVERIFY(m_server->get(QStringLiteral("desk_test.ics")).contains("SUMMARY:Review"));

    // Nothing changed: nothing moves, nothing doubles.
    const PlannerRoot::Run again = root.sync(*m_server);
    QCOMPARE(again.out, QStringLiteral("Personal Calendar: pulled 0, pushed 0, deleted 0, conflicts 0\n"));
    QCOMPARE(again.code, 0);
    QCOMPARE(root.column(QStringLiteral("SELECT count(*) FROM items")), QStringList {"3"});
    QCOMPARE(m_server->names().size(), 3);
}

void SyncCases::secondRootSeesSeriesAndTask()
{
    PlannerRoot first;
    QCOMPARE(first.importText(calendarText(seriesWithException + task)).code, 0);
    QCOMPARE(first.bind(*m_server).code, 0);

    PlannerRoot second;
    const PlannerRoot::Run run = second.bind(*m_server);
    QCOMPARE(run.out, QStringLiteral("Personal Calendar: pulled 2, pushed 0, deleted 0, conflicts 0\n"));
    // The series arrives whole: one row with its rule and removed date, and
    // the moved occurrence linked to it.
    const QList<QStringList> series =
        second.query(QStringLiteral("SELECT Subject, S, St, Re, Rr, Rx FROM items WHERE Rp IS NULL AND Ta IS NOT 1"));
    QCOMPARE(series,
             (QList<QStringList> {
                 {"Lunch", "2026-12-01", "12:00:00", "1", "FREQ=WEEKLY;BYDAY=TU", "2026-12-08,2026-12-15"}}));
    const QList<QStringList> moved = second.query(QStringLiteral(
        "SELECT o.Subject, o.S, o.St, o.Ro FROM items o JOIN items s ON o.Rp = s.No WHERE s.Subject = 'Lunch'"));
    QCOMPARE(moved, (QList<QStringList> {{"Lunch moved", "2026-12-15", "14:00:00", "2026-12-15"}}));
    QCOMPARE(second.query(QStringLiteral("SELECT Subject, E, Ta, P FROM items WHERE Ta = 1")),
             (QList<QStringList> {{"Buy milk", "2026-12-20", "1", "High"}}));
}

void SyncCases::editsAndDeletesBothWays()
{
    PlannerRoot a, b;
    QCOMPARE(a.importText(calendarText(eventText("one@test", "One") + eventText("two@test", "Two", {}, 15)
                                       + eventText("three@test", "Three", {}, 16)))
                 .code,
             0);
    QCOMPARE(a.bind(*m_server).code, 0);
    QCOMPARE(b.bind(*m_server).code, 0);

    // A changes one row and deletes another the way any program may write
    // the file; B deletes the third.
    QVERIFY(a.exec(QStringLiteral("UPDATE items SET Subject = 'One, later', Loc = 'Room 4' WHERE Subject = 'One'")));
    QVERIFY(a.exec(QStringLiteral("DELETE FROM items WHERE Subject = 'Two'")));
    QVERIFY(b.exec(QStringLiteral("DELETE FROM items WHERE Subject = 'Three'")));

    QCOMPARE(a.sync(*m_server).out, QStringLiteral("Personal Calendar: pulled 0, pushed 1, deleted 1, conflicts 0\n"));
    QCOMPARE(b.sync(*m_server).out, QStringLiteral("Personal Calendar: pulled 1, pushed 0, deleted 2, conflicts 0\n"));
    QCOMPARE(a.sync(*m_server).out, QStringLiteral("Personal Calendar: pulled 0, pushed 0, deleted 1, conflicts 0\n"));

    QCOMPARE(subjects(a), QStringList {"One, later"});
    QCOMPARE(subjects(b), QStringList {"One, later"});
    QCOMPARE(b.column(QStringLiteral("SELECT Loc FROM items")), QStringList {"Room 4"});
    QCOMPARE(m_server->names(), QStringList {"one_test.ics"});
    QVERIFY(m_server->get(QStringLiteral("one_test.ics")).contains("LOCATION:Room 4"));
}

void SyncCases::conflictKeepsBoth()
{
    PlannerRoot a, b;
    QCOMPARE(a.importText(calendarText(eventText("plan@test", "Plan"))).code, 0);
    QCOMPARE(a.bind(*m_server).code, 0);
    QCOMPARE(b.bind(*m_server).code, 0);
    QVERIFY(a.exec(QStringLiteral("UPDATE items SET Subject = 'Plan A'")));
    QVERIFY(b.exec(QStringLiteral("UPDATE items SET Subject = 'Plan B'")));

    QCOMPARE(a.sync(*m_server).out, QStringLiteral("Personal Calendar: pulled 0, pushed 1, deleted 0, conflicts 0\n"));
    const PlannerRoot::Run run = b.sync(*m_server);
    QCOMPARE(run.out, QStringLiteral("Personal Calendar: pulled 1, pushed 1, deleted 0, conflicts 1\n"));
    QCOMPARE(run.code, 0);
    QCOMPARE(subjects(b), (QStringList {"Plan A", "Plan B (conflicting copy)"}));
    QCOMPARE(a.sync(*m_server).out, QStringLiteral("Personal Calendar: pulled 1, pushed 0, deleted 0, conflicts 0\n"));
    QCOMPARE(subjects(a), (QStringList {"Plan A", "Plan B (conflicting copy)"}));
    QCOMPARE(m_server->names().size(), 2);
}

void SyncCases::serverAwayThenBack()
{
    PlannerRoot root;
    QCOMPARE(root.importText(calendarText(eventText("walk@test", "Walk"))).code, 0);
    QCOMPARE(root.bind(*m_server).code, 0);
    QVERIFY(root.exec(QStringLiteral("UPDATE items SET Subject = 'Long walk'")));
    QVERIFY(root.exec(QStringLiteral("INSERT INTO items (Subject, S, E, Md, St, Et) "
                                     "VALUES ('Call', '2026-12-17', '2026-12-17', '0', '08:00:00', '08:30:00')")));
    const QString stateQuery = QStringLiteral("SELECT No, Href, ETag, Hash FROM caldav_items ORDER BY No");
    const QList<QStringList> stateBefore = root.query(stateQuery);

    m_server->stop();
    const PlannerRoot::Run away = root.sync(*m_server);
    QCOMPARE(away.code, 3);
    QVERIFY2(away.err.startsWith(
                 QStringLiteral("Personal Calendar: %1 cannot be reached: ").arg(m_server->collectionUrl().toString())),
             qPrintable(away.err));
    QCOMPARE(away.err.count(QLatin1Char('\n')), 1);
    QCOMPARE(root.query(stateQuery), stateBefore);

    QVERIFY(m_server->start().isEmpty());
    QCOMPARE(root.sync(*m_server).out,
             QStringLiteral("Personal Calendar: pulled 0, pushed 2, deleted 0, conflicts 0\n"));
    QVERIFY(m_server->get(QStringLiteral("walk_test.ics")).contains("SUMMARY:Long walk"));
    QCOMPARE(m_server->names().size(), 2);
}

void TestSyncRadicale::wrongPasswordChangesNothing()
{
    PlannerRoot root;
    QCOMPARE(root.importText(calendarText(eventText("gym@test", "Gym"))).code, 0);
    const PlannerRoot::Run run = root.bind(*m_server, QStringLiteral("not the password"));
    QCOMPARE(run.code, 3);
    QCOMPARE(run.err,
             QStringLiteral("Personal Calendar: %1 refused the sign-in: 401 Unauthorized\n")
                 .arg(m_server->collectionUrl().toString()));
    QCOMPARE(run.out, QString());
    // Not bound, nothing sent.
    QCOMPARE(root.daybrook({QStringLiteral("--sync")}).out,
             QStringLiteral("No calendar is bound to a CalDAV collection.\n"));
    QCOMPARE(m_server->names(), QStringList());

    // Bound with the right one, a wrong one later is refused the same way.
    QCOMPARE(root.bind(*m_server).code, 0);
    const PlannerRoot::Run later = root.sync(*m_server, QStringLiteral("stale"));
    QCOMPARE(later.code, 3);
    QVERIFY(later.err.contains(QStringLiteral("refused the sign-in: 401")));
}

void TestSyncRadicale::freshRootHasNothingToSync()
{
    PlannerRoot root;
    const PlannerRoot::Run run = root.daybrook({QStringLiteral("--sync")}, m_server->password());
    QCOMPARE(run.out, QStringLiteral("No calendar is bound to a CalDAV collection.\n"));
    QCOMPARE(run.err, QString());
    QCOMPARE(run.code, 0);
}

void TestSyncRadicale::untrustedCertificateStops()
{
    CalDavServer server(CalDavServer::Kind::Radicale, true);
    QString problem = server.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    problem = server.newCollection();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    PlannerRoot root;
    QCOMPARE(root.importText(calendarText(eventText("secret@test", "Secret"))).code, 0);
    const PlannerRoot::Run run = root.bind(server);
    QCOMPARE(run.code, 3);
    const QString start = QStringLiteral("Personal Calendar: The certificate of %1 is not valid: ")
                              .arg(server.collectionUrl().toString());
    QVERIFY2(run.err.startsWith(start) && run.err.contains(QLatin1String("self-signed")), qPrintable(run.err));
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    QCOMPARE(server.names(), QStringList());
    QCOMPARE(root.daybrook({QStringLiteral("--sync")}).out,
             QStringLiteral("No calendar is bound to a CalDAV collection.\n"));
}

void TestSyncRadicale::killedSyncCompletes_data()
{
    QTest::addColumn<bool>("duringPush");
    QTest::newRow("kill while pushing") << true;
    QTest::newRow("kill while pulling") << false;
}

void TestSyncRadicale::killedSyncCompletes()
{
    QFETCH(bool, duringPush);
    // A pull commits a batch of objects at a time, so it needs a few
    // batches to be killed between two.
    const int count = duringPush ? 150 : 500;
    QByteArray events;
    PlannerRoot root;
    const QString bindUrl = m_server->collectionUrl().toString();
    if (duringPush) {
        for (int i = 0; i < count; ++i)
            events +=
                eventText("bulk-" + QByteArray::number(i) + "@test", "Bulk " + QByteArray::number(i), {}, 1 + i % 28);
        QCOMPARE(root.importText(calendarText(events)).code, 0);
    } else {
        // Bound while the collection is empty, then filled by another client.
        QCOMPARE(root.bind(*m_server).code, 0);
        for (int i = 0; i < count; ++i) {
            QFile object(QDir(m_server->storageFolder()).filePath(QStringLiteral("bulk-%1.ics").arg(i)));
            QVERIFY(object.open(QIODevice::WriteOnly));
            object.write(calendarText(
                eventText("bulk-" + QByteArray::number(i) + "@test", "Bulk " + QByteArray::number(i), {}, 1 + i % 28)));
        }
        QCOMPARE(m_server->names().size(), count);
    }

    // Killed once part of the work is durable on the side it goes to.
    std::unique_ptr<QProcess> process = duringPush
        ? root.startDaybrook({QStringLiteral("--caldav"), bindUrl, QStringLiteral("--user"), m_server->user()},
                             m_server->password())
        : root.startDaybrook({QStringLiteral("--sync")}, m_server->password());
    const auto done = [&] {
        return duringPush ? int(m_server->names().size())
                          : root.column(QStringLiteral("SELECT count(*) FROM items")).value(0).toInt();
    };
    int partial = 0;
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && process->state() == QProcess::Running && (partial = done()) == 0)
        QThread::msleep(duringPush ? 20 : 1);
    process->kill();
    process->waitForFinished();
    partial = done();
    QVERIFY2(partial > 0 && partial < count,
             qPrintable(QStringLiteral("killed after %1 of %2").arg(partial).arg(count)));

    const PlannerRoot::Run run = root.sync(*m_server);
    QCOMPARE(run.code, 0);
    QCOMPARE(root.column(QStringLiteral("SELECT count(*) FROM items")), QStringList {QString::number(count)});
    QCOMPARE(root.column(QStringLiteral("SELECT count(DISTINCT Subject) FROM items")),
             QStringList {QString::number(count)});
    QCOMPARE(m_server->names().size(), count);
    QCOMPARE(root.sync(*m_server).out,
             QStringLiteral("Personal Calendar: pulled 0, pushed 0, deleted 0, conflicts 0\n"));
}

void SyncCases::attendeesSurviveAnEdit()
{
    const QByteArray tokyo =
        "BEGIN:VTIMEZONE\r\nTZID:Asia/Tokyo\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
        "TZOFFSETFROM:+0900\r\nTZOFFSETTO:+0900\r\nTZNAME:JST\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
    const QByteArray meeting =
        "BEGIN:VEVENT\r\nUID:meeting@test\r\nDTSTAMP:20261201T000000Z\r\n"
        "DTSTART;TZID=Asia/Tokyo:20261214T180000\r\nDTEND;TZID=Asia/Tokyo:20261214T190000\r\nSUMMARY:Meeting\r\n"
        "ORGANIZER;CN=Boss:mailto:boss@example.org\r\n"
        "ATTENDEE;CN=Ann;PARTSTAT=ACCEPTED:mailto:ann@example.org\r\n"
        "ATTENDEE;CN=Bob:mailto:bob@example.org\r\nCATEGORIES:Project X\r\nX-PHONE-COLOUR:teal\r\n"
        "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:a\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n"
        "BEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER:-PT1H\r\nEND:VALARM\r\nEND:VEVENT\r\n";
    QCOMPARE(m_server->put(QStringLiteral("meeting.ics"), calendarText(tokyo + meeting)), 201);
    PlannerRoot root;
    QCOMPARE(root.bind(*m_server).code, 0);
    // Tokyo's 18:00 is 09:00 here (UTC).
    QCOMPARE(root.query(QStringLiteral("SELECT S, St, Et FROM items")),
             (QList<QStringList> {{"2026-12-14", "09:00:00", "10:00:00"}}));
    QVERIFY(root.exec(QStringLiteral("UPDATE items SET Subject = 'Meeting, room 2'")));
    QCOMPARE(root.sync(*m_server).out,
             QStringLiteral("Personal Calendar: pulled 0, pushed 1, deleted 0, conflicts 0\n"));

    const QByteArray stored = m_server->get(QStringLiteral("meeting.ics"));
    QVERIFY2(stored.contains("SUMMARY:Meeting\\, room 2"), stored.constData());
    for (const char *kept :
         {"ATTENDEE;CN=Ann;PARTSTAT=ACCEPTED:mailto:ann@example.org", "ATTENDEE;CN=Bob:mailto:bob@example.org",
          "ORGANIZER;CN=Boss:mailto:boss@example.org", "CATEGORIES:Project X", "X-PHONE-COLOUR:teal", "TRIGGER:-PT1H",
          "DTSTART;TZID=Asia/Tokyo:20261214T180000", "DTEND;TZID=Asia/Tokyo:20261214T190000", "TZID:Asia/Tokyo"})
        QVERIFY2(stored.contains(kept), kept);
    QCOMPARE(stored.count("BEGIN:VALARM"), 2);

    // A time changed here goes up as the planner writes it; the end that
    // stayed keeps its zone.
    QVERIFY(root.exec(QStringLiteral("UPDATE items SET St = '08:30:00'")));
    QCOMPARE(root.sync(*m_server).out,
             QStringLiteral("Personal Calendar: pulled 0, pushed 1, deleted 0, conflicts 0\n"));
    const QByteArray moved = m_server->get(QStringLiteral("meeting.ics"));
    QVERIFY2(moved.contains("DTSTART:20261214T083000Z"), moved.constData());
    QVERIFY(moved.contains("DTEND;TZID=Asia/Tokyo:20261214T190000"));
    QVERIFY(moved.contains("ATTENDEE;CN=Bob:mailto:bob@example.org"));
}

void SyncCases::seriesOutsideTheRulesIsNeverPushed()
{
    // Extra dates (RDATE) lie outside what a series row holds.
    const QByteArray object = calendarText(
        "BEGIN:VEVENT\r\nUID:course@test\r\nDTSTAMP:20261201T000000Z\r\nDTSTART:20261201T090000Z\r\n"
        "DTEND:20261201T100000Z\r\nRRULE:FREQ=DAILY;COUNT=3\r\nRDATE:20261225T090000Z\r\nSUMMARY:Course\r\n"
        "END:VEVENT\r\n");
    QCOMPARE(m_server->put(QStringLiteral("course.ics"), object), 201);
    PlannerRoot root;
    QCOMPARE(root.bind(*m_server).code, 0);
    QCOMPARE(root.column(QStringLiteral("SELECT S FROM items i JOIN caldav_items c ON c.No = i.No "
                                        "WHERE c.ReadOnly = 1 ORDER BY S")),
             (QStringList {"2026-12-01", "2026-12-02", "2026-12-03", "2026-12-25"}));

    QVERIFY(root.exec(QStringLiteral("UPDATE items SET Subject = 'Course, changed here' WHERE S = '2026-12-02'")));
    QVERIFY(root.exec(QStringLiteral("DELETE FROM items WHERE S = '2026-12-03'")));
    QCOMPARE(root.sync(*m_server).out,
             QStringLiteral("Personal Calendar: pulled 0, pushed 0, deleted 0, conflicts 0\n"));
    const QByteArray stored = m_server->get(QStringLiteral("course.ics"));
    QVERIFY2(stored.contains("RDATE:20261225T090000Z") && stored.contains("SUMMARY:Course\r\n"), stored.constData());
    QVERIFY(!stored.contains("changed here"));
}

// The engine as the window drives it: progress, then a cancel that keeps
// what is done and consistent, and a later sync that completes the rest.
void TestSyncRadicale::cancelledSyncCompletesLater()
{
    constexpr int count = 500;
    for (int i = 0; i < count; ++i) {
        QFile object(QDir(m_server->storageFolder()).filePath(QStringLiteral("many-%1.ics").arg(i)));
        QVERIFY(object.open(QIODevice::WriteOnly));
        object.write(calendarText(
            eventText("many-" + QByteArray::number(i) + "@test", "Many " + QByteArray::number(i), {}, 1 + i % 28)));
    }
    PlannerRoot root;
    QCOMPARE(root.importText(calendarText(eventText("mine@test", "Mine"))).code, 0);
    const CalDavBinding binding {m_server->collectionUrl(), m_server->user()};
    QVERIFY(CalDavBinding::write(root.calendarPath(), binding).isOk());
    SyncEngine engine(root.calendarPath(), binding, m_server->password(), typeNames);
    QList<QPair<int, int>> steps;
    QObject::connect(&engine, &SyncEngine::progress, &engine, [&](int done, int total) {
        steps << qMakePair(done, total);
        if (done > 0)
            engine.cancel();
    });
    QSignalSpy finished(&engine, &SyncEngine::finished);
    engine.start();
    QVERIFY(finished.wait(30000));
    const SyncSummary cancelled = finished.takeFirst().at(0).value<SyncSummary>();
    QCOMPARE(int(cancelled.failure), int(SyncSummary::Failure::Cancelled));
    QVERIFY(!engine.isRunning());
    QCOMPARE(steps.first(), qMakePair(0, count));
    const int kept = root.column(QStringLiteral("SELECT count(*) FROM items")).value(0).toInt() - 1;
    QVERIFY2(kept > 0 && kept < count, qPrintable(QString::number(kept)));
    // What was kept is whole: every pulled row has its state.
    QCOMPARE(root.column(QStringLiteral("SELECT count(*) FROM caldav_items")), QStringList {QString::number(kept)});
    QCOMPARE(SyncEngine::changesWaiting(root.calendarPath()), 1); // "Mine", not yet sent

    SyncEngine again(root.calendarPath(), binding, m_server->password(), typeNames);
    QSignalSpy done(&again, &SyncEngine::finished);
    again.start();
    QVERIFY(done.wait(30000));
    const SyncSummary summary = done.takeFirst().at(0).value<SyncSummary>();
    QVERIFY2(summary.ok(), qPrintable(summary.message));
    QCOMPARE(summary.countsLine(), QStringLiteral("pulled %1, pushed 1, deleted 0, conflicts 0").arg(count - kept));
    QCOMPARE(root.column(QStringLiteral("SELECT count(DISTINCT Subject) FROM items")),
             QStringList {QString::number(count + 1)});
    QCOMPARE(SyncEngine::changesWaiting(root.calendarPath()), 0);
    QCOMPARE(m_server->names().size(), count + 1);
}

void TestSyncRadicale::serverErrorIsNoConflict()
{
    PlannerRoot root;
    QCOMPARE(root.importText(calendarText(eventText("talk@test", "Talk"))).code, 0);
    QCOMPARE(root.bind(*m_server).code, 0);
    QVERIFY(root.exec(QStringLiteral("UPDATE items SET Subject = 'Talk, moved'")));

    // Whatever happens below, the next test gets a sound server.
    struct Restore
    {
        CalDavServer &server;
        ~Restore()
        {
            server.stop();
            server.setWritesFail(false);
            server.start();
        }
    } restore {*m_server};
    m_server->stop();
    m_server->setWritesFail(true);
    QVERIFY(m_server->start().isEmpty());
    const PlannerRoot::Run failed = root.sync(*m_server);
    QCOMPARE(failed.code, 1);
    QCOMPARE(failed.out, QStringLiteral("Personal Calendar: pulled 0, pushed 0, deleted 0, conflicts 0\n"));
    QCOMPARE(failed.err,
             QStringLiteral("Personal Calendar: %1 answered 500 Internal Server Error; the change waits "
                            "for the next sync\n")
                 .arg(m_server->collectionUrl().toString()));

    m_server->stop();
    m_server->setWritesFail(false);
    QVERIFY(m_server->start().isEmpty());
    // The server had stored the change before it failed: the next sync
    // finds its own change there, not a conflict.
    const PlannerRoot::Run run = root.sync(*m_server);
    QCOMPARE(run.out, QStringLiteral("Personal Calendar: pulled 1, pushed 0, deleted 0, conflicts 0\n"));
    QCOMPARE(run.code, 0);
    QCOMPARE(subjects(root), QStringList {"Talk, moved"});
    QCOMPARE(m_server->names(), QStringList {"talk_test.ics"});
    QVERIFY(m_server->get(QStringLiteral("talk_test.ics")).contains("SUMMARY:Talk\\, moved"));
    QCOMPARE(root.sync(*m_server).out,
             QStringLiteral("Personal Calendar: pulled 0, pushed 0, deleted 0, conflicts 0\n"));
}

// The server changes the object between the engine's pull and its push:
// the push on the old ETag is refused (412), and the next pull keeps both.
void SyncCases::refusedPushKeepsBoth()
{
    PlannerRoot root;
    QCOMPARE(root.importText(calendarText(eventText("plan@test", "Plan"))).code, 0);
    QCOMPARE(root.bind(*m_server).code, 0);
    QVERIFY(root.exec(QStringLiteral("UPDATE items SET Subject = 'Plan here'")));

    int put = 0;
    SyncEngine::TestHooks hooks;
    hooks.beforePush = [&] {
        put = m_server->put(QStringLiteral("plan_test.ics"), calendarText(eventText("plan@test", "Plan there")));
    };
    const SyncSummary summary = engineSync(root, *m_server, hooks);
    QVERIFY(put >= 200 && put < 300);
    QVERIFY2(summary.ok(), qPrintable(summary.message));
    QCOMPARE(summary.countsLine(), QStringLiteral("pulled 1, pushed 1, deleted 0, conflicts 1"));
    QCOMPARE(subjects(root), (QStringList {"Plan here (conflicting copy)", "Plan there"}));
    QVERIFY(m_server->get(QStringLiteral("plan_test.ics")).contains("SUMMARY:Plan there\r\n"));
    QCOMPARE(m_server->names().size(), 2);
}

// After a sync that found nothing to do, the next one may take the file's
// change counter as proof that nothing changed here: an edit by another
// program, also in WAL mode (where the counter stands still), still goes up.
void SyncCases::quietSyncMissesNoLocalEdit_data()
{
    QTest::addColumn<QString>("edit");
    QTest::newRow("rollback journal") << "UPDATE items SET Subject = 'Edited'";
    QTest::newRow("WAL") << "PRAGMA journal_mode=WAL; UPDATE items SET Subject = 'Edited'";
}

void SyncCases::quietSyncMissesNoLocalEdit()
{
    QFETCH(QString, edit);
    QCOMPARE(m_server->put(QStringLiteral("note.ics"), calendarText(eventText("note@test", "Note"))), 201);
    PlannerRoot root;
    QCOMPARE(root.bind(*m_server).out,
             QStringLiteral("Personal Calendar: pulled 1, pushed 0, deleted 0, conflicts 0\n"));
    QCOMPARE(root.sync(*m_server).out,
             QStringLiteral("Personal Calendar: pulled 0, pushed 0, deleted 0, conflicts 0\n"));
    QVERIFY(root.exec(edit));
    QCOMPARE(root.sync(*m_server).out,
             QStringLiteral("Personal Calendar: pulled 0, pushed 1, deleted 0, conflicts 0\n"));
    QVERIFY(m_server->get(QStringLiteral("note.ics")).contains("SUMMARY:Edited\r\n"));
    QCOMPARE(root.sync(*m_server).out,
             QStringLiteral("Personal Calendar: pulled 0, pushed 0, deleted 0, conflicts 0\n"));
}

// A server whose token names the content (Xandikos: the git tree) gives
// the old token again when a change is put back. A sync that pushed must
// not take that token as "nothing changed since".
void SyncCases::quietSyncMissesNoServerRevert()
{
    PlannerRoot root;
    QCOMPARE(root.importText(calendarText(eventText("memo@test", "Memo"))).code, 0);
    QCOMPARE(root.bind(*m_server).code, 0);
    QCOMPARE(root.sync(*m_server).out,
             QStringLiteral("Personal Calendar: pulled 0, pushed 0, deleted 0, conflicts 0\n"));
    const QByteArray original = m_server->get(QStringLiteral("memo_test.ics"));
    QVERIFY(root.exec(QStringLiteral("UPDATE items SET Subject = 'Memo, later'")));
    QCOMPARE(root.sync(*m_server).out,
             QStringLiteral("Personal Calendar: pulled 0, pushed 1, deleted 0, conflicts 0\n"));

    QCOMPARE(m_server->put(QStringLiteral("memo_test.ics"), original) / 100, 2);
    QCOMPARE(root.sync(*m_server).out,
             QStringLiteral("Personal Calendar: pulled 1, pushed 0, deleted 0, conflicts 0\n"));
    QCOMPARE(subjects(root), QStringList {"Memo"});
}

// Servers without sync-collection are compared by the ETags of a PROPFIND;
// both servers here offer it, so the engine is told to list that way.
void TestSyncRadicale::etagListingPullsEditsAndDeletes()
{
    SyncEngine::TestHooks byEtags;
    byEtags.listByEtags = true;
    QCOMPARE(m_server->put(QStringLiteral("there.ics"), calendarText(eventText("there@test", "There"))), 201);
    PlannerRoot root;
    QCOMPARE(root.importText(calendarText(eventText("here@test", "Here"))).code, 0);
    SyncSummary summary = engineSync(root, *m_server, byEtags);
    QVERIFY2(summary.ok(), qPrintable(summary.message));
    QCOMPARE(summary.countsLine(), QStringLiteral("pulled 1, pushed 1, deleted 0, conflicts 0"));
    QCOMPARE(subjects(root), (QStringList {"Here", "There"}));

    QCOMPARE(m_server->put(QStringLiteral("there.ics"), calendarText(eventText("there@test", "There moved", {}, 20)))
                 / 100,
             2);
    QVERIFY(root.exec(QStringLiteral("UPDATE items SET Subject = 'Here, later' WHERE Subject = 'Here'")));
    summary = engineSync(root, *m_server, byEtags);
    QCOMPARE(summary.countsLine(), QStringLiteral("pulled 1, pushed 1, deleted 0, conflicts 0"));
    QCOMPARE(root.query(QStringLiteral("SELECT Subject, S FROM items ORDER BY Subject")),
             (QList<QStringList> {{"Here, later", "2026-12-14"}, {"There moved", "2026-12-20"}}));
    QVERIFY(m_server->get(QStringLiteral("here_test.ics")).contains("SUMMARY:Here\\, later"));

    QCOMPARE(m_server->remove(QStringLiteral("there.ics")) / 100, 2);
    QVERIFY(root.exec(QStringLiteral("DELETE FROM items WHERE Subject = 'Here, later'")));
    summary = engineSync(root, *m_server, byEtags);
    QCOMPARE(summary.countsLine(), QStringLiteral("pulled 0, pushed 0, deleted 2, conflicts 0"));
    QCOMPARE(subjects(root), QStringList());
    QCOMPARE(m_server->names(), QStringList());
    // The listing never went through sync-collection, which leaves a token.
    QCOMPARE(root.column(QStringLiteral("SELECT SyncToken FROM caldav_binding")), QStringList {QString()});
}

// "radicale" or "xandikos" picks the server; the rest goes to QTest.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    const bool xandikos = arguments.size() > 1 && arguments.at(1) == QLatin1String("xandikos");
    if (arguments.size() > 1 && (xandikos || arguments.at(1) == QLatin1String("radicale")))
        arguments.removeAt(1);
    if (xandikos) {
        SyncCases cases(CalDavServer::Kind::Xandikos);
        return QTest::qExec(&cases, arguments);
    }
    TestSyncRadicale cases;
    return QTest::qExec(&cases, arguments);
}

#include "test_sync.moc"
