// The options dialog inside a running planner: the Options command opens
// it, "OK" reaches the month calendars, the time ruler, the block menu, the
// day view's shading and the start with the system at once, and the other
// writers of the options row keep their values whatever the dialog does.

#include "app/Autostart.h"
#include "editors/CalendarDropDown.h"
#include "store/Clock.h"
#include "store/Cursor.h"
#include "views/DayGrid.h"
#include "views/DayView.h"
#include "resources/DaybrookResources.h"
#include "app/MonthNavigator.h"
#include "app/PlannerProgram.h"
#include "app/Subsystems.h"
#include "tests/support/TestSupport.h"
#include "views/TimeRuler.h"
#include "app/Unit1.h"
#include "store/Unit2.h"
#include "editors/Unit3.h"
#include "options/Unit5.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QDir>
#include <QtTest>

#include <memory>

namespace {

void choose(QComboBox *list, int index)
{
    list->setCurrentIndex(index);
    emit list->activated(index);
}

} // namespace

class TestOptionsWiring : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstDayOfWeekOkVersusCancel_data();
    void firstDayOfWeekOkVersusCancel();
    void okTakesEffectAtOnce();
    void startWithSystemFollowsTheBox();
    void optionsCommandReopensAnOpenDialog();
    void otherWritersKeepTheirValues();

private:
    void openOptions();
    TForm1 &form() { return m_program->mainWindow(); }
    OptionsRecord &options() { return m_program->dataModule().options(); }
    std::unique_ptr<TDataModule2> onDisk();

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<PlannerProgram> m_program;
    TForm5 *m_dialog = nullptr;
    QStringList m_messages;
};

void TestOptionsWiring::initTestCase()
{
    pinTestLocale();
    initDaybrookResources();
}

void TestOptionsWiring::init()
{
    // A Wednesday, so that the shown day is a working day.
    Clock::setNowForTesting(QDateTime(QDate(2025, 3, 12), QTime(9, 0)));
    m_home = std::make_unique<TempHome>();
    m_config = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", m_config->path().toUtf8());
    m_messages.clear();

    PlannerProgram::Settings settings;
    settings.root = DataRoot(m_home->path());
    settings.trayAvailable = [] { return false; };
    settings.showMessage = [this](const QString &text) { m_messages << text; };
    m_program = std::make_unique<PlannerProgram>(std::move(settings));
    installSubsystems(*m_program);
    const Outcome started = m_program->start();
    QVERIFY2(started, qPrintable(started.error()));
    m_dialog = form().findChild<TForm5 *>();
    QVERIFY(m_dialog);
    m_dialog->setMessageReporter([this](QWidget *, const QString &text) { m_messages << text; });
}

void TestOptionsWiring::cleanup()
{
    m_program.reset();
    m_home.reset();
    m_config.reset();
    Clock::setNowForTesting(QDateTime());
}

void TestOptionsWiring::openOptions()
{
    emit form().optionsRequested();
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(m_program->dataModule().Table60().state(), Cursor::State::Edit);
}

std::unique_ptr<TDataModule2> TestOptionsWiring::onDisk()
{
    auto reader = std::make_unique<TDataModule2>(DataRoot(m_home->path()));
    if (const Outcome opened = reader->openForReading(1); !opened)
        qWarning() << opened.error();
    return reader;
}

void TestOptionsWiring::firstDayOfWeekOkVersusCancel_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<int>("stored");
    QTest::addColumn<Qt::DayOfWeek>("firstDay");
    QTest::newRow("OK") << true << 1 << Qt::Monday;
    QTest::newRow("Cancel") << false << 0 << Qt::Sunday;
}

void TestOptionsWiring::firstDayOfWeekOkVersusCancel()
{
    QFETCH(bool, confirm);
    QFETCH(int, stored);
    QFETCH(Qt::DayOfWeek, firstDay);
    auto *editor = form().findChild<TForm3 *>();
    QVERIFY(editor);
    QCOMPARE(form().navigator()->firstDayOfWeek(), Qt::Sunday);
    QCOMPARE(editor->calendarDropDown()->calendar()->firstDayOfWeek(), Qt::Sunday);

    openOptions();
    choose(qobject_cast<QComboBox *>(m_dialog->fieldControl(45)), 1);
    QTest::mouseClick(confirm ? m_dialog->okButton() : m_dialog->cancelButton(), Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(form().navigator()->firstDayOfWeek(), firstDay);
    QCOMPARE(editor->calendarDropDown()->calendar()->firstDayOfWeek(), firstDay);
    QCOMPARE(options().intField(45), stored);
    QCOMPARE(onDisk()->options().intField(45), stored);
}

void TestOptionsWiring::okTakesEffectAtOnce()
{
    auto *day = qobject_cast<DayView *>(form().viewWidget(TForm1::View::Day));
    QVERIFY(day);
    QCOMPARE(form().currentView(), TForm1::View::Day);
    QVERIFY(!day->ruler()->use24Hour());
    QCOMPARE(day->grid()->rowColor(20), QColor(153, 204, 255)); // 10:00, working time

    openOptions();
    QTest::mouseClick(qobject_cast<QCheckBox *>(m_dialog->fieldControl(30)), Qt::LeftButton);
    choose(qobject_cast<QComboBox *>(m_dialog->fieldControl(42)), 22); // work from 11:00
    m_dialog->setColorChooser([](QWidget *, const QColor &) { return QColor(255, 255, 153); });
    QTest::mouseClick(m_dialog->colorButton(0), Qt::LeftButton);
    auto *typeName = qobject_cast<QLineEdit *>(m_dialog->fieldControl(32));
    m_dialog->showPage(TForm5::Page::EventTypes);
    typeName->setFocus();
    typeName->selectAll();
    QTest::keyClicks(typeName, "Work");
    QTest::mouseClick(m_dialog->okButton(), Qt::LeftButton);

    QVERIFY(day->ruler()->use24Hour());
    QCOMPARE(day->grid()->rowColor(20), QColor(255, 255, 153)); // before work now
    QCOMPARE(day->grid()->rowColor(24), QColor(153, 204, 255));
    QCOMPARE(form().blockTypeAction(1)->text(), QString("Work"));
    QVERIFY(m_messages.isEmpty());
}

void TestOptionsWiring::startWithSystemFollowsTheBox()
{
    auto *box = qobject_cast<QCheckBox *>(m_dialog->fieldControl(16));
    QVERIFY(!Autostart::isRegistered());

    openOptions();
    m_dialog->showPage(TForm5::Page::Program);
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::mouseClick(m_dialog->okButton(), Qt::LeftButton);
    QVERIFY(Autostart::isRegistered());
    QCOMPARE(Autostart::registeredProgram(), QCoreApplication::applicationFilePath());
    // The test's own data root is not the one a start at log-on would find.
    QCOMPARE(Autostart::registeredDataRoot(), QDir::cleanPath(m_home->path()));

    openOptions();
    m_dialog->showPage(TForm5::Page::Program);
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::mouseClick(m_dialog->okButton(), Qt::LeftButton);
    QVERIFY(!Autostart::isRegistered());

    // Removed again while already absent: nothing to say, the dialog closes.
    openOptions();
    QTest::mouseClick(m_dialog->okButton(), Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(!Autostart::isRegistered());
    QVERIFY(m_messages.isEmpty());
}

void TestOptionsWiring::optionsCommandReopensAnOpenDialog()
{
    openOptions();
    QTest::mouseClick(qobject_cast<QCheckBox *>(m_dialog->fieldControl(30)), Qt::LeftButton);
    QVERIFY(options().boolField(30));
    // The tray menu's "Options" while the dialog is open.
    QAction *trayOptions = nullptr;
    for (QAction *action : form().trayMenu()->actions()) {
        if (action->text() == QLatin1String("Options"))
            trayOptions = action;
    }
    QVERIFY(trayOptions);
    trayOptions->trigger();
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(m_program->dataModule().Table60().state(), Cursor::State::Edit);
    QVERIFY(!options().boolField(30));
    QVERIFY(!qobject_cast<QCheckBox *>(m_dialog->fieldControl(30))->isChecked());
}

// The folder pane's button and Exit write the options row while the dialog
// holds it in edit mode: their values are posted at once and survive the
// dialog's Cancel, and Exit never posts what the user did not confirm.
void TestOptionsWiring::otherWritersKeepTheirValues()
{
    const bool paneOpen = form().folderPaneOpen();
    openOptions();
    QTest::mouseClick(qobject_cast<QCheckBox *>(m_dialog->fieldControl(30)), Qt::LeftButton);
    form().toggleFolderPane();
    QCOMPARE(onDisk()->options().boolField(19), !paneOpen);
    QTest::mouseClick(m_dialog->cancelButton(), Qt::LeftButton);
    QCOMPARE(options().boolField(19), !paneOpen);

    openOptions();
    QTest::mouseClick(qobject_cast<QCheckBox *>(m_dialog->fieldControl(30)), Qt::LeftButton);
    form().showNormal();
    form().setGeometry(120, 90, 700, 560);
    const QRect placed = form().geometry();
    form().exitProgram();
    QVERIFY(m_program->hasExited());
    const auto disk = onDisk();
    QCOMPARE(disk->options().intField(12), placed.x());
    QCOMPARE(disk->options().intField(13), placed.y());
    QCOMPARE(disk->options().intField(14), placed.height());
    QCOMPARE(disk->options().intField(15), placed.width());
    QVERIFY(!disk->options().boolField(30));
}

QTEST_MAIN(TestOptionsWiring)
#include "test_optionswiring.moc"
