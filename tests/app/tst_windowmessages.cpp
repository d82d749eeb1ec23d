// Messages a window raises, in a real program run: each opens as that
// window's child and above it, also above the Reminders window, which
// stays on top of all others.

#include "store/Clock.h"
#include "store/Cursor.h"
#include "resources/DaybrookResources.h"
#include "app/PlannerProgram.h"
#include "reminders/ReminderScanner.h"
#include "reminders/ReminderSound.h"
#include "app/Subsystems.h"
#include "tests/support/TestSupport.h"
#include "app/Unit1.h"
#include "store/Unit2.h"
#include "reminders/Unit6.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

const QDate today(2025, 3, 12);

// What a box looked like when the program ran it.
struct ShownBox
{
    QWidget *parent = nullptr;
    Qt::WindowFlags flags;
    Qt::WindowModality modality = Qt::NonModal;
    QString text;
};

} // namespace

class WindowMessagesTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void reminderMessagesOpenAboveTheRemindersWindow_data();
    void reminderMessagesOpenAboveTheRemindersWindow();

private:
    TForm6 *reminders() const;
    void addReminderDueAt(const QTime &at);

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<PlannerProgram> m_program;
    QList<ShownBox> m_boxes;
};

void WindowMessagesTest::initTestCase()
{
    pinTestLocale();
    initDaybrookResources();
}

void WindowMessagesTest::init()
{
    Clock::setNowForTesting(QDateTime(today, QTime(14, 10)));
    m_boxes.clear();
    m_home = std::make_unique<TempHome>();
    PlannerProgram::Settings settings;
    settings.root = DataRoot(m_home->path());
    settings.trayAvailable = [] { return false; };
    settings.runMessageBox = [this](QMessageBox &box) {
        m_boxes << ShownBox {box.parentWidget(), box.windowFlags(), box.windowModality(), box.text()};
    };
    m_program = std::make_unique<PlannerProgram>(std::move(settings));
    installSubsystems(*m_program);
    QVERIFY(m_program->start());
    QVERIFY(reminders());
}

void WindowMessagesTest::cleanup()
{
    m_program.reset();
    m_home.reset();
    Clock::setNowForTesting(QDateTime());
}

TForm6 *WindowMessagesTest::reminders() const
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *form = qobject_cast<TForm6 *>(widget))
            return form;
    }
    return nullptr;
}

void WindowMessagesTest::addReminderDueAt(const QTime &at)
{
    Cursor &cursor = m_program->dataModule().Table50();
    cursor.insert();
    cursor.setValue("Subject", "Dentist");
    cursor.setValue("S", today);
    cursor.setValue("E", today);
    cursor.setValue("Md", "0");
    cursor.setValue("St", at);
    cursor.setValue("Et", at.addSecs(3600));
    cursor.setValue("R", true);
    cursor.setValue("Rs", today);
    cursor.setValue("Rt", at);
    QVERIFY2(cursor.post(), qPrintable(cursor.lastError()));
}

void WindowMessagesTest::reminderMessagesOpenAboveTheRemindersWindow_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("expected");
    QTest::newRow("snooze of 75 minutes") << "snooze"
                                          << "Enter a whole number of minutes from 0 to 59.";
    QTest::newRow("missing sound file")
        << "sound"
        << "The reminder sound %1gone.wav cannot be played: the file does not exist or cannot be read.";
}

void WindowMessagesTest::reminderMessagesOpenAboveTheRemindersWindow()
{
    QFETCH(QString, cause);
    QFETCH(QString, expected);
    TForm6 *window = reminders();
    addReminderDueAt(QTime(14, 30));
    window->scanner().requery();
    window->showReminders();
    QVERIFY(QTest::qWaitForWindowExposed(window));

    if (cause == "snooze") {
        window->amountBox()->setText("75");
        window->snoozeButton()->click();
    } else {
        window->sound().play(m_home->path() + "gone.wav");
        expected = expected.arg(m_home->path());
    }
    QTRY_COMPARE(m_boxes.size(), 1);
    const ShownBox &box = m_boxes.first();
    QCOMPARE(box.text, expected);
    QCOMPARE(box.parent, window);
    QVERIFY(box.flags & Qt::WindowStaysOnTopHint);
    QCOMPARE(box.modality, Qt::WindowModal);
    QVERIFY(window->isVisible());
}

QTEST_MAIN(WindowMessagesTest)
#include "tst_windowmessages.moc"
