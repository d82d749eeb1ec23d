#include "editors/RecurrencePanel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

using RecurrencePattern::Kind;

namespace {
constexpr int panelLeft = 100;
constexpr int panelWidth = 385;
constexpr int areaHeight = 92;
// The pattern panels use the top two rows; the row of interval and end
// lies under them, shared by all four.
constexpr int repeatRowTop = 62;

QStringList ordinalNames()
{
    return {QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third"), QStringLiteral("fourth"),
            QStringLiteral("last")};
}

QStringList weekdayNames()
{
    return {QStringLiteral("Monday"),   QStringLiteral("Tuesday"), QStringLiteral("Wednesday"),
            QStringLiteral("Thursday"), QStringLiteral("Friday"),  QStringLiteral("Saturday"),
            QStringLiteral("Sunday"),   QStringLiteral("day")};
}

QComboBox *addList(QWidget *parent, const QString &name, const QStringList &entries, const QRect &geometry)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(name);
    list->addItems(entries);
    list->setMaxVisibleItems(entries.size());
    list->setGeometry(geometry);
    return list;
}
} // namespace

RecurrencePanel::RecurrencePanel(QWidget *parent)
    : QWidget(parent)
    , m_choices(new QButtonGroup(this))
{
    resize(487, areaHeight);
    const QStringList captions = {QStringLiteral("Daily"), QStringLiteral("Weekly"), QStringLiteral("Monthly"),
                                  QStringLiteral("Yearly")};
    for (int i = 0; i < captions.size(); ++i) {
        auto *button = new QRadioButton(captions.at(i), this);
        button->setGeometry(8, 4 + 20 * i, 76, 18);
        m_choices->addButton(button, i + 1); // id = the `Ret` code
    }
    // A click on the choice already made changes nothing.
    connect(m_choices, &QButtonGroup::idClicked, this, [this](int id) {
        if (Kind(id) == m_lastChoice)
            return;
        m_lastChoice = Kind(id);
        emit choiceMade(m_lastChoice);
    });

    auto *separator = new QFrame(this);
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry(90, 2, 2, areaHeight - 4);

    m_dailyPanel = buildDailyPanel();
    m_weekdayPanel = buildWeekdayPanel();
    m_monthlyPanel = buildMonthlyPanel();
    m_yearlyPanel = buildYearlyPanel();
    for (QWidget *p : {m_dailyPanel, m_weekdayPanel, m_monthlyPanel, m_yearlyPanel}) {
        p->setGeometry(panelLeft, 0, panelWidth, repeatRowTop);
        p->hide();
    }
    buildRepeatRow();
}

void RecurrencePanel::buildRepeatRow()
{
    m_repeatRow = new QWidget(this);
    m_repeatRow->setGeometry(panelLeft, repeatRowTop, width() - panelLeft, areaHeight - repeatRowTop);
    auto *every = new QLabel(QStringLiteral("Every"), m_repeatRow);
    every->setGeometry(10, 5, 34, 18);
    m_interval = new QLineEdit(QStringLiteral("1"), m_repeatRow);
    m_interval->setObjectName(QStringLiteral("intervalBox"));
    m_interval->setGeometry(46, 3, 32, 21);
    m_interval->setMaxLength(3);
    m_intervalUnit = new QLabel(m_repeatRow);
    m_intervalUnit->setObjectName(QStringLiteral("intervalUnitLabel"));
    m_intervalUnit->setGeometry(82, 5, 54, 18);
    m_endList = addList(m_repeatRow, QStringLiteral("endList"),
                        {QStringLiteral("No end date"), QStringLiteral("End by"), QStringLiteral("End after")},
                        QRect(140, 3, 100, 21));
    m_endDate = new QLineEdit(m_repeatRow);
    m_endDate->setObjectName(QStringLiteral("endByBox"));
    m_endDate->setGeometry(246, 3, 90, 21);
    m_count = new QLineEdit(m_repeatRow);
    m_count->setObjectName(QStringLiteral("countBox"));
    m_count->setGeometry(246, 3, 36, 21);
    m_count->setMaxLength(4);
    m_countUnit = new QLabel(QStringLiteral("occurrences"), m_repeatRow);
    m_countUnit->setGeometry(286, 5, 90, 18);
    connect(m_endList, &QComboBox::currentIndexChanged, this, [this] { showEndBoxes(); });
    m_repeatRow->hide();
    showEndBoxes();
}

void RecurrencePanel::showEndBoxes()
{
    m_endDate->setVisible(end() == End::ByDate);
    m_count->setVisible(end() == End::AfterCount);
    m_countUnit->setVisible(end() == End::AfterCount);
}

RecurrencePanel::End RecurrencePanel::end() const
{
    return End(m_endList->currentIndex());
}

void RecurrencePanel::setEnd(End end)
{
    m_endList->setCurrentIndex(int(end));
}

void RecurrencePanel::resetExtension()
{
    m_interval->setText(QStringLiteral("1"));
    setEnd(End::None);
    m_endDate->clear();
    m_count->clear();
    m_monthlyOnDay->setChecked(true);
    m_yearlyOnDay->setChecked(true);
    for (QComboBox *list : {m_monthlyOrdinal, m_monthlyWeekday, m_yearlyOrdinal, m_yearlyWeekday})
        list->setCurrentIndex(0);
}

QWidget *RecurrencePanel::buildDailyPanel()
{
    auto *p = new QWidget(this);
    m_everyDay = new QRadioButton(QStringLiteral("Every day"), p);
    m_everyWeekday = new QRadioButton(QStringLiteral("Every weekday"), p);
    m_everyDay->setGeometry(10, 8, 150, 18);
    m_everyWeekday->setGeometry(10, 32, 150, 18);
    connect(m_everyDay, &QRadioButton::clicked, this, &RecurrencePanel::everyDayChosen);
    connect(m_everyWeekday, &QRadioButton::clicked, this, &RecurrencePanel::everyWeekdayChosen);
    return p;
}

QWidget *RecurrencePanel::buildWeekdayPanel()
{
    auto *p = new QWidget(this);
    // Monday first, as the boxes are laid out; flag numbers count from Sunday.
    const QStringList names = {QStringLiteral("Monday"),   QStringLiteral("Tuesday"), QStringLiteral("Wednesday"),
                               QStringLiteral("Thursday"), QStringLiteral("Friday"),  QStringLiteral("Saturday"),
                               QStringLiteral("Sunday")};
    for (int i = 0; i < 7; ++i) {
        const int flag = (i + 1) % 7;
        auto *box = new QCheckBox(names.at(i), p);
        box->setGeometry(10 + 90 * (i % 4), i < 4 ? 8 : 34, 88, 18);
        m_weekdays[flag] = box;
        connect(box, &QCheckBox::clicked, this, [this, flag](bool ticked) { emit weekdayTicked(flag, ticked); });
    }
    return p;
}

QWidget *RecurrencePanel::buildMonthlyPanel()
{
    auto *p = new QWidget(this);
    m_monthlyOnDay = new QRadioButton(QStringLiteral("Day"), p);
    m_monthlyOnDay->setGeometry(10, 9, 52, 18);
    m_monthlyOnDay->setChecked(true);
    m_monthlyDay = new QLineEdit(p);
    m_monthlyDay->setObjectName(QStringLiteral("monthlyDayBox"));
    m_monthlyDay->setGeometry(64, 8, 32, 21);
    m_monthlyDay->setMaxLength(3);
    m_monthlyOnNth = new QRadioButton(QStringLiteral("The"), p);
    m_monthlyOnNth->setGeometry(10, 35, 52, 18);
    m_monthlyOrdinal = addList(p, QStringLiteral("monthlyOrdinalList"), ordinalNames(), QRect(64, 34, 76, 21));
    m_monthlyWeekday = addList(p, QStringLiteral("monthlyWeekdayList"), weekdayNames(), QRect(146, 34, 100, 21));
    return p;
}

QWidget *RecurrencePanel::buildYearlyPanel()
{
    auto *p = new QWidget(this);
    auto *every = new QLabel(QStringLiteral("Every"), p);
    every->setGeometry(10, 10, 34, 18);
    m_monthList = new QComboBox(p);
    m_monthList->setObjectName(QStringLiteral("monthList"));
    m_monthList->addItems({QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
                           QStringLiteral("April"), QStringLiteral("May"), QStringLiteral("June"),
                           QStringLiteral("July"), QStringLiteral("August"), QStringLiteral("September"),
                           QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December")});
    m_monthList->setMaxVisibleItems(12);
    m_monthList->setGeometry(48, 8, 92, 21);
    m_yearlyOnDay = new QRadioButton(QStringLiteral("on day"), p);
    m_yearlyOnDay->setGeometry(148, 9, 64, 18);
    m_yearlyOnDay->setChecked(true);
    m_yearlyDay = new QLineEdit(p);
    m_yearlyDay->setObjectName(QStringLiteral("yearlyDayBox"));
    m_yearlyDay->setGeometry(214, 8, 32, 21);
    m_yearlyDay->setMaxLength(3);
    m_yearlyOnNth = new QRadioButton(QStringLiteral("on the"), p);
    m_yearlyOnNth->setGeometry(148, 35, 64, 18);
    m_yearlyOrdinal = addList(p, QStringLiteral("yearlyOrdinalList"), ordinalNames(), QRect(214, 34, 72, 21));
    m_yearlyWeekday = addList(p, QStringLiteral("yearlyWeekdayList"), weekdayNames(), QRect(290, 34, 94, 21));
    return p;
}

Kind RecurrencePanel::choice() const
{
    const int id = m_choices->checkedId();
    return id < 0 ? Kind::None : Kind(id);
}

QRadioButton *RecurrencePanel::choiceButton(Kind kind) const
{
    return static_cast<QRadioButton *>(m_choices->button(int(kind)));
}

void RecurrencePanel::setChoice(Kind kind)
{
    const QSignalBlocker blocker(m_choices);
    m_lastChoice = kind;
    if (kind == Kind::None) {
        // An exclusive group never lets its last button go; lift that for a moment.
        m_choices->setExclusive(false);
        for (QAbstractButton *button : m_choices->buttons())
            button->setChecked(false);
        m_choices->setExclusive(true);
        return;
    }
    choiceButton(kind)->setChecked(true);
}

QWidget *RecurrencePanel::panel(Kind kind) const
{
    switch (kind) {
    case Kind::Daily:
        return m_dailyPanel;
    case Kind::Weekly:
        return m_weekdayPanel;
    case Kind::Monthly:
        return m_monthlyPanel;
    case Kind::Yearly:
        return m_yearlyPanel;
    case Kind::None:
        break;
    }
    return nullptr;
}

void RecurrencePanel::showPanel(Kind kind)
{
    QWidget *shown = panel(kind);
    if (!shown)
        return;
    for (QWidget *p : {m_dailyPanel, m_weekdayPanel, m_monthlyPanel, m_yearlyPanel})
        p->setVisible(p == shown);
    m_shown = kind;
    const QStringList units = {QStringLiteral("day(s)"), QStringLiteral("week(s)"), QStringLiteral("month(s)"),
                               QStringLiteral("year(s)")};
    m_intervalUnit->setText(units.at(int(kind) - 1));
    m_repeatRow->show();
}

void RecurrencePanel::setEveryDay(bool everyDay)
{
    (everyDay ? m_everyDay : m_everyWeekday)->setChecked(true);
}

bool RecurrencePanel::everyDaySelected() const
{
    return m_everyDay->isChecked();
}

void RecurrencePanel::setWeekFlags(const RecurrencePattern::WeekFlags &flags)
{
    for (int flag = 0; flag < 7; ++flag)
        m_weekdays[flag]->setChecked(flags[flag]);
}

RecurrencePattern::WeekFlags RecurrencePanel::weekFlags() const
{
    RecurrencePattern::WeekFlags flags = RecurrencePattern::noDays();
    for (int flag = 0; flag < 7; ++flag)
        flags[flag] = m_weekdays[flag]->isChecked();
    return flags;
}
