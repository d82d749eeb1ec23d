#pragma once

#include "editors/RecurrencePattern.h"

#include <QWidget>

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// The pattern area of the event editor: the four choices "Daily",
// "Weekly", "Monthly", "Yearly" and, beside them, the panel of the chosen
// one. It only shows; what a user's choice does to the row is the editor's
// business, told through the signals, which fire for the user's own
// actions and never while the editor fills the controls.
class RecurrencePanel : public QWidget
{
    Q_OBJECT
public:
    explicit RecurrencePanel(QWidget *parent = nullptr);

    // --- the choice ------------------------------------------------------
    RecurrencePattern::Kind choice() const;
    void setChoice(RecurrencePattern::Kind kind); // None clears all four
    QRadioButton *choiceButton(RecurrencePattern::Kind kind) const;

    // --- the panels ------------------------------------------------------
    // Shows the panel of `kind` in front; None leaves them as they are.
    void showPanel(RecurrencePattern::Kind kind);
    RecurrencePattern::Kind shownPanel() const { return m_shown; }

    // Daily panel: "Every day" when true, "Every weekday" otherwise.
    void setEveryDay(bool everyDay);
    bool everyDaySelected() const;
    QRadioButton *everyDayButton() const { return m_everyDay; }
    QRadioButton *everyWeekdayButton() const { return m_everyWeekday; }

    // Weekday panel: the boxes, `Sun`..`Sat` order.
    void setWeekFlags(const RecurrencePattern::WeekFlags &flags);
    RecurrencePattern::WeekFlags weekFlags() const;
    QCheckBox *weekdayBox(int flag) const { return m_weekdays[flag]; }

    QLineEdit *monthlyDayBox() const { return m_monthlyDay; }
    QLineEdit *yearlyDayBox() const { return m_yearlyDay; }
    QComboBox *monthList() const { return m_monthList; }

    // Monthly and yearly: on day D (the default) or on the nth weekday.
    QRadioButton *monthlyDayButton() const { return m_monthlyOnDay; }
    QRadioButton *monthlyNthButton() const { return m_monthlyOnNth; }
    QRadioButton *yearlyDayButton() const { return m_yearlyOnDay; }
    QRadioButton *yearlyNthButton() const { return m_yearlyOnNth; }
    // first .. fourth, last; Monday .. Sunday, then "day" (the nth day).
    QComboBox *monthlyOrdinalList() const { return m_monthlyOrdinal; }
    QComboBox *monthlyWeekdayList() const { return m_monthlyWeekday; }
    QComboBox *yearlyOrdinalList() const { return m_yearlyOrdinal; }
    QComboBox *yearlyWeekdayList() const { return m_yearlyWeekday; }

    // The row under every panel: every N units, and the end.
    QLineEdit *intervalBox() const { return m_interval; }
    QLabel *intervalUnitLabel() const { return m_intervalUnit; }
    enum class End { None, ByDate, AfterCount };
    QComboBox *endList() const { return m_endList; } // positions as End
    QLineEdit *endDateBox() const { return m_endDate; }
    QLineEdit *countBox() const { return m_count; }
    End end() const;
    void setEnd(End end);
    // A pattern of the four kinds: interval 1, no end, day D.
    void resetExtension();

signals:
    void choiceMade(RecurrencePattern::Kind kind);
    void everyDayChosen();
    void everyWeekdayChosen();
    void weekdayTicked(int flag, bool ticked); // flag 0 = `Sun` .. 6 = `Sat`

private:
    QWidget *buildDailyPanel();
    QWidget *buildWeekdayPanel();
    QWidget *buildMonthlyPanel();
    QWidget *buildYearlyPanel();
    QWidget *panel(RecurrencePattern::Kind kind) const;
    void buildRepeatRow();
    void showEndBoxes();

    QButtonGroup *m_choices;
    QRadioButton *m_everyDay = nullptr;
    QRadioButton *m_everyWeekday = nullptr;
    std::array<QCheckBox *, 7> m_weekdays {};
    QLineEdit *m_monthlyDay = nullptr;
    QLineEdit *m_yearlyDay = nullptr;
    QComboBox *m_monthList = nullptr;
    QRadioButton *m_monthlyOnDay = nullptr;
    QRadioButton *m_monthlyOnNth = nullptr;
    QRadioButton *m_yearlyOnDay = nullptr;
    QRadioButton *m_yearlyOnNth = nullptr;
    QComboBox *m_monthlyOrdinal = nullptr;
    QComboBox *m_monthlyWeekday = nullptr;
    QComboBox *m_yearlyOrdinal = nullptr;
    QComboBox *m_yearlyWeekday = nullptr;
    QWidget *m_repeatRow = nullptr;
    QLineEdit *m_interval = nullptr;
    QLabel *m_intervalUnit = nullptr;
    QComboBox *m_endList = nullptr;
    QLineEdit *m_endDate = nullptr;
    QLineEdit *m_count = nullptr;
    QLabel *m_countUnit = nullptr;
    QWidget *m_dailyPanel;
    QWidget *m_weekdayPanel;
    QWidget *m_monthlyPanel;
    QWidget *m_yearlyPanel;
    RecurrencePattern::Kind m_shown = RecurrencePattern::Kind::None;
    RecurrencePattern::Kind m_lastChoice = RecurrencePattern::Kind::None;
};
