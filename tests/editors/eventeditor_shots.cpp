// Draws the event editor in its states into PNG files, for looking at:
//   eventeditor_shots OUTPUT_DIR
// Not a test; it shows what the tests check by numbers.

#include "editors/CalendarDropDown.h"
#include "store/Clock.h"
#include "editors/DropDownList.h"
#include "editors/HalfHourPicker.h"
#include "editors/RecurrencePanel.h"
#include "tests/support/TestSupport.h"
#include "editors/ToggleButton.h"
#include "store/Unit2.h"
#include "editors/Unit3.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

namespace {

void shoot(QWidget *widget, const QString &path)
{
    QTest::qWait(50);
    widget->grab().save(path);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    pinTestLocale();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(out);
    Clock::setNowForTesting(QDateTime(QDate(2024, 5, 8), QTime(12, 0)));

    TempHome home;
    TDataModule2 data {DataRoot(home.path())};
    if (!data.startUp())
        return 1;
    TForm3 form(data);
    form.setMessageReporter([](QWidget *, TForm3::MessageKind, const QString &) {});

    form.newAppointment();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    form.subjectBox()->setText(QStringLiteral("Dentist"));
    form.locationBox()->setText(QStringLiteral("Main Street 4"));
    form.notesBox()->setPlainText(QStringLiteral("Bring the insurance card."));
    form.reminderToggle()->click();
    shoot(&form, out + QStringLiteral("/editor_plain.png"));

    form.typeList()->showPopup();
    shoot(form.typeList()->view()->window(), out + QStringLiteral("/editor_typelist.png"));
    form.typeList()->hidePopup();

    form.startListButton()->click();
    shoot(&form, out + QStringLiteral("/editor_halfhour.png"));
    form.halfHourPicker()->close();

    form.leadListButton()->click();
    shoot(&form, out + QStringLiteral("/editor_leadlist.png"));
    form.leadList()->hide();

    form.recurrenceToggle()->click();
    shoot(&form, out + QStringLiteral("/editor_recurring.png"));

    form.startCalendarButton()->click();
    shoot(&form, out + QStringLiteral("/editor_calendar.png"));
    form.calendarDropDown()->close();

    form.patternArea()->choiceButton(RecurrencePattern::Kind::Yearly)->click();
    form.allDayToggle()->click();
    shoot(&form, out + QStringLiteral("/editor_yearly_allday.png"));

    RecurrencePanel *pattern = form.patternArea();
    pattern->yearlyNthButton()->click();
    pattern->yearlyOrdinalList()->setCurrentIndex(1);
    pattern->yearlyWeekdayList()->setCurrentIndex(2);
    pattern->setEnd(RecurrencePanel::End::ByDate);
    pattern->endDateBox()->setText(QStringLiteral("12/31/2030"));
    shoot(&form, out + QStringLiteral("/editor_yearly_nth_endby.png"));

    pattern->choiceButton(RecurrencePattern::Kind::Monthly)->click();
    pattern->monthlyNthButton()->click();
    pattern->monthlyOrdinalList()->setCurrentIndex(4);
    pattern->monthlyWeekdayList()->setCurrentIndex(4);
    pattern->intervalBox()->setText(QStringLiteral("2"));
    pattern->setEnd(RecurrencePanel::End::AfterCount);
    pattern->countBox()->setText(QStringLiteral("10"));
    shoot(&form, out + QStringLiteral("/editor_monthly_nth_count.png"));

    pattern->choiceButton(RecurrencePattern::Kind::Weekly)->click();
    shoot(&form, out + QStringLiteral("/editor_weekly_count.png"));
    form.cancelEdit();
    return 0;
}
