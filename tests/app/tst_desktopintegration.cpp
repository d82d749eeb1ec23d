// Starting with the session (the XDG autostart entry) and the bundled help.

#include "app/Autostart.h"
#include "resources/DaybrookResources.h"
#include "tests/support/TestSupport.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

class DesktopIntegrationTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void registerWritesTheProgramPath_data();
    void registerWritesTheProgramPath();
    void registerAgainRewritesThePath();
    void onlyAnOwnDataRootIsPassed();
    void removeDeletesTheEntryAndIgnoresAbsence();
    void unwritableEntryIsReported();
    void noPlaceForEntriesIsSilent();
    void everyHelpLinkLeadsToABundledPage();

private:
    QString configHome() const { return m_config->path(); }
    std::unique_ptr<QTemporaryDir> m_config;
};

void DesktopIntegrationTest::initTestCase()
{
    pinTestLocale();
    initDaybrookResources();
}

void DesktopIntegrationTest::init()
{
    m_config = std::make_unique<QTemporaryDir>();
    QVERIFY(m_config->isValid());
    qputenv("XDG_CONFIG_HOME", configHome().toUtf8());
    QCOMPARE(Autostart::xdgEntryPath(), configHome() + QStringLiteral("/autostart/daybrook-planner.desktop"));
}

void DesktopIntegrationTest::registerWritesTheProgramPath_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("dataRoot");
    QTest::addColumn<QString>("execLine");
    QTest::newRow("plain path") << QStringLiteral("/opt/daybrook/bin/daybrook") << QString()
                                << QStringLiteral("Exec=/opt/daybrook/bin/daybrook");
    QTest::newRow("a space is quoted") << QStringLiteral("/home/ann/My Apps/daybrook") << QString()
                                       << QStringLiteral("Exec=\"/home/ann/My Apps/daybrook\"");
    QTest::newRow("dollar, backslash and percent are escaped")
        << QStringLiteral("/tmp/a$b\\c%d/daybrook") << QString()
        << QStringLiteral("Exec=\"/tmp/a\\\\$b\\\\\\\\c%%d/daybrook\"");
    QTest::newRow("a data root of its own")
        << QStringLiteral("/opt/daybrook/bin/daybrook") << QStringLiteral("/srv/planner")
        << QStringLiteral("Exec=/opt/daybrook/bin/daybrook --home /srv/planner");
    QTest::newRow("a data root with a space and a quote")
        << QStringLiteral("/home/ann/My Apps/daybrook") << QStringLiteral("/home/ann/Ann's \"planner\"")
        << QStringLiteral("Exec=\"/home/ann/My Apps/daybrook\" --home \"/home/ann/Ann's \\\\\"planner\\\\\"\"");
}

void DesktopIntegrationTest::registerWritesTheProgramPath()
{
    QFETCH(QString, program);
    QFETCH(QString, dataRoot);
    QFETCH(QString, execLine);
    QVERIFY(!Autostart::isRegistered());
    QVERIFY(Autostart::registerProgram(program, dataRoot).isOk());
    QVERIFY(Autostart::isRegistered());
    QCOMPARE(Autostart::registeredProgram(), program);
    QCOMPARE(Autostart::registeredDataRoot(), dataRoot);

    QFile entry(Autostart::xdgEntryPath());
    QVERIFY(entry.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(entry.readAll()).split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), QStringLiteral("[Desktop Entry]"));
    QVERIFY(lines.contains(QStringLiteral("Type=Application")));
    QVERIFY(lines.contains(QStringLiteral("Name=Daybrook Planner")));
    QVERIFY2(lines.contains(execLine), qPrintable(lines.join(QLatin1Char('|'))));
}

void DesktopIntegrationTest::registerAgainRewritesThePath()
{
    QVERIFY(Autostart::registerProgram(QStringLiteral("/old/place/daybrook")).isOk());
    QVERIFY(Autostart::registerProgram(QStringLiteral("/new/place/daybrook")).isOk());
    QCOMPARE(Autostart::registeredProgram(), QStringLiteral("/new/place/daybrook"));
}

// A start at log-on finds the standard data root by itself; any other one,
// given with --home or $DAYBROOK_HOME, goes into the entry.
void DesktopIntegrationTest::onlyAnOwnDataRootIsPassed()
{
    QCOMPARE(Autostart::dataRootToPass(DataRoot::standard()), QString());
    QCOMPARE(Autostart::dataRootToPass(DataRoot(QStringLiteral("/srv/planner/"))), QStringLiteral("/srv/planner"));
    QCOMPARE(Autostart::dataRootToPass(DataRoot()), QString());
}

void DesktopIntegrationTest::removeDeletesTheEntryAndIgnoresAbsence()
{
    QVERIFY(Autostart::registerProgram(QStringLiteral("/opt/daybrook/bin/daybrook")).isOk());
    Autostart::removeProgram();
    QVERIFY(!QFile::exists(Autostart::xdgEntryPath()));
    QVERIFY(!Autostart::isRegistered());
    Autostart::removeProgram();
    QVERIFY(!Autostart::isRegistered());
}

void DesktopIntegrationTest::unwritableEntryIsReported()
{
    // A directory where the entry file belongs cannot be replaced by a file,
    // whoever runs the test.
    QVERIFY(QDir().mkpath(Autostart::xdgEntryPath()));
    QCOMPARE(Autostart::registerProgram(QStringLiteral("/opt/daybrook/bin/daybrook")).error(),
             QStringLiteral("Failed to set data for 'Daybrook Planner'"));
}

void DesktopIntegrationTest::noPlaceForEntriesIsSilent()
{
    // A file named like the autostart folder: the folder cannot be opened.
    QFile blocker(configHome() + QStringLiteral("/autostart"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(Autostart::registerProgram(QStringLiteral("/opt/daybrook/bin/daybrook")).isOk());
    QVERIFY(!Autostart::isRegistered());
}

void DesktopIntegrationTest::everyHelpLinkLeadsToABundledPage()
{
    const QStringList required = {QStringLiteral("contents"), QStringLiteral("views"),     QStringLiteral("items"),
                                  QStringLiteral("tasks"),    QStringLiteral("reminders"), QStringLiteral("calendars"),
                                  QStringLiteral("options"),  QStringLiteral("printing")};
    for (const QString &page : required)
        QVERIFY2(QFile::exists(QStringLiteral(":/help/%1.html").arg(page)), qPrintable(page));

    const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+)\""));
    int links = 0;
    QDirIterator pages(QStringLiteral(":/help"), {QStringLiteral("*.html")});
    while (pages.hasNext()) {
        const QString path = pages.next();
        QFile page(path);
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        for (const auto &match : link.globalMatch(html)) {
            ++links;
            QVERIFY2(QFile::exists(QStringLiteral(":/help/") + match.captured(1)),
                     qPrintable(path + QStringLiteral(" -> ") + match.captured(1)));
        }
    }
    QVERIFY(links > required.size());
}

QTEST_GUILESS_MAIN(DesktopIntegrationTest)
#include "tst_desktopintegration.moc"
