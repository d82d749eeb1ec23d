#include "editors/Unit3.h"

#include "editors/BoxText.h"
#include "editors/CalendarDropDown.h"
#include "store/ItemFields.h"
#include "store/Clock.h"
#include "store/Cursor.h"
#include "views/DayViewOps.h"
#include "editors/DropDownList.h"
#include "editors/DropDownWatcher.h"
#include "editors/HalfHourPicker.h"
#include "store/OptionLists.h"
#include "store/OptionsRecord.h"
#include "editors/RecurrencePanel.h"
#include "store/TableSchema.h"
#include "editors/ToggleButton.h"
#include "views/TypeColors.h"
#include "store/SeriesRow.h"
#include "store/SeriesRule.h"
#include "store/Unit2.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <algorithm>

using RecurrencePattern::Kind;

namespace {

// Layout of the dialog, in pixels from its client area's top left.
constexpr int labelLeft = 8;
constexpr int boxLeft = 72;
constexpr int subjectTop = 8;
constexpr int locationTop = 34;
constexpr int typeTop = 60;
constexpr int startTop = 124;
constexpr int endTop = 162;
constexpr int reminderTop = 196;
constexpr int recurrenceTop = 228;
constexpr int patternTop = 256;
constexpr int notesTopPlain = 256;
constexpr int notesTopRecurring = 352;
constexpr int buttonsTopPlain = 368;
constexpr int buttonsTopRecurring = 464;
constexpr int boxHeight = 21;
constexpr int dateBoxWidth = 90;
constexpr int timeBoxLeft = 190;
constexpr int timeBoxWidth = 70;
constexpr int pickerButtonWidth = 18;
constexpr int notesHeight = 104;

QLabel *addLabel(QWidget *parent, const QString &text, int top)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(labelLeft, top + 3, boxLeft - labelLeft - 2, 16);
    return label;
}

QLineEdit *addBox(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    return box;
}

// The subject and location boxes stop typing at the field's capacity, but
// setText() would cut a longer value that another program wrote, and an
// unchanged save would then lose its end without a word. Such a value is
// shown whole, and the store's refusal at the save names the field.
int capacity(const QString &field)
{
    const TableSchema &schema = calendarSchema();
    return schema.fields.at(schema.fieldIndex(field)).size;
}

void showWholeText(QLineEdit *box, const QString &field, const QString &text)
{
    box->setMaxLength(std::max(capacity(field), int(text.size())));
    box->setText(text);
}

QToolButton *addPickerButton(QWidget *parent, const QString &name, int left, int top)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setArrowType(Qt::DownArrow);
    button->setFocusPolicy(Qt::NoFocus); // the served box keeps the focus
    button->setGeometry(left, top, pickerButtonWidth, boxHeight);
    return button;
}

} // namespace

TForm3::TForm3(TDataModule2 &data, DayViewOps *dayView, QWidget *parent)
    : RowEditDialog(QStringLiteral("TForm3"), QStringLiteral("Edit Event"), data, parent)
    , m_dayView(dayView)
{
    setFixedSize(clientWidth, plainHeight);

    buildControls();
    buildPickers();
    connectHandlers();
    applyRecurrenceLayout(false);
}

TForm3::~TForm3() = default;

// --- building ------------------------------------------------------------

void TForm3::buildControls()
{
    addLabel(this, QStringLiteral("Subject:"), subjectTop);
    m_subject = addBox(this, QStringLiteral("subjectBox"), QRect(boxLeft, subjectTop, 487, boxHeight));
    m_subject->setMaxLength(capacity(ItemField::Subject));
    addLabel(this, QStringLiteral("Location:"), locationTop);
    m_location = addBox(this, QStringLiteral("locationBox"), QRect(boxLeft, locationTop, 487, boxHeight));
    m_location->setMaxLength(capacity(ItemField::Loc));

    addLabel(this, QStringLiteral("Type:"), typeTop);
    m_typeList = new QComboBox(this);
    m_typeList->setObjectName(QStringLiteral("typeList"));
    m_typeList->setGeometry(boxLeft, typeTop, 200, 22);
    m_typeList->setIconSize(QSize(16, 16));
    m_typeList->setMaxVisibleItems(TypeColors::typeCount);
    for (int type = 0; type < TypeColors::typeCount; ++type)
        m_typeList->addItem(TypeColors::swatchIcon(type), QString());

    auto *rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(labelLeft, 100, clientWidth - 2 * labelLeft, 2);

    addLabel(this, QStringLiteral("Start time:"), startTop);
    m_startDate = addBox(this, QStringLiteral("startDateBox"), QRect(boxLeft, startTop, dateBoxWidth, boxHeight));
    m_startCalendarButton =
        addPickerButton(this, QStringLiteral("startCalendarButton"), boxLeft + dateBoxWidth + 1, startTop);
    m_startTime = addBox(this, QStringLiteral("startTimeBox"), QRect(timeBoxLeft, startTop, timeBoxWidth, boxHeight));
    m_startListButton =
        addPickerButton(this, QStringLiteral("startListButton"), timeBoxLeft + timeBoxWidth + 1, startTop);
    m_allDay = new ToggleButton(QStringLiteral("All day event"), this);
    m_allDay->setObjectName(QStringLiteral("allDayToggle"));
    m_allDay->setGeometry(300, startTop - 1, 120, 23);

    m_endLabel = addLabel(this, QStringLiteral("End time:"), endTop);
    m_endDate = addBox(this, QStringLiteral("endDateBox"), QRect(boxLeft, endTop, dateBoxWidth, boxHeight));
    m_endCalendarButton =
        addPickerButton(this, QStringLiteral("endCalendarButton"), boxLeft + dateBoxWidth + 1, endTop);
    m_endTime = addBox(this, QStringLiteral("endTimeBox"), QRect(timeBoxLeft, endTop, timeBoxWidth, boxHeight));
    m_endListButton = addPickerButton(this, QStringLiteral("endListButton"), timeBoxLeft + timeBoxWidth + 1, endTop);

    m_reminder = new ToggleButton(QStringLiteral("Reminder"), this);
    m_reminder->setObjectName(QStringLiteral("reminderToggle"));
    m_reminder->setGeometry(boxLeft, reminderTop - 1, 100, 23);
    m_leadBox = addBox(this, QStringLiteral("leadBox"), QRect(timeBoxLeft, reminderTop, 36, boxHeight));
    m_leadBox->setMaxLength(3);
    m_unitLabel = new QLabel(this);
    m_unitLabel->setObjectName(QStringLiteral("unitLabel"));
    m_unitLabel->setGeometry(timeBoxLeft + 40, reminderTop + 3, 56, 16);
    m_leadListButton = addPickerButton(this, QStringLiteral("leadListButton"), timeBoxLeft + 98, reminderTop);

    m_recurrence = new ToggleButton(QStringLiteral("Recurence"), this);
    m_recurrence->setObjectName(QStringLiteral("recurrenceToggle"));
    m_recurrence->setGeometry(boxLeft, recurrenceTop - 1, 100, 23);
    m_pattern = new RecurrencePanel(this);
    m_pattern->setObjectName(QStringLiteral("patternArea"));
    m_pattern->move(boxLeft, patternTop);

    m_notes = new QPlainTextEdit(this);
    m_notes->setObjectName(QStringLiteral("notesBox"));
    m_notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_notes->setTabChangesFocus(true);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));

    setTabOrder(m_subject, m_location);
    setTabOrder(m_location, m_typeList);
    setTabOrder(m_typeList, m_startDate);
    setTabOrder(m_startDate, m_startTime);
    setTabOrder(m_startTime, m_allDay);
    setTabOrder(m_allDay, m_endDate);
    setTabOrder(m_endDate, m_endTime);
    setTabOrder(m_endTime, m_reminder);
    setTabOrder(m_reminder, m_leadBox);
    setTabOrder(m_leadBox, m_recurrence);
    setTabOrder(m_recurrence, m_notes);
    setTabOrder(m_notes, m_ok);
    setTabOrder(m_ok, m_cancel);
}

void TForm3::buildPickers()
{
    m_halfHour = new HalfHourPicker(this);
    m_calendarDrop = new CalendarDropDown(this);
    m_leadList = new DropDownList(this);
    m_leadList->setObjectName(QStringLiteral("leadList"));
    m_leadList->setVisibleRows(11, 100);
    QStringList leadTexts;
    for (const Lead &lead : LeadList::entries())
        leadTexts << lead.text;
    m_leadList->setEntries(leadTexts);

    DropDownWatcher *watcher = dropDownWatcher();
    watcher->watch([this] { return m_calendarDrop->isVisible() && m_calendarDrop->calendarHasFocus(); },
                   [this] { m_calendarDrop->close(); });
    watcher->watch([this] { return m_halfHour->served() && m_halfHour->served()->hasFocus(); },
                   [this] { m_halfHour->close(); });
    watcher->watch([this] { return m_leadBox->hasFocus(); }, [this] { m_leadList->hide(); });
}

void TForm3::connectHandlers()
{
    connect(m_ok, &QPushButton::clicked, this, &TForm3::save);
    connect(m_cancel, &QPushButton::clicked, this, &TForm3::cancelEdit);
    connect(m_typeList, &QComboBox::activated, this, &TForm3::typeChosen);
    connect(m_allDay, &ToggleButton::clicked, this, &TForm3::allDayToggled);
    connect(m_reminder, &ToggleButton::clicked, this, &TForm3::reminderToggled);
    connect(m_recurrence, &ToggleButton::clicked, this, &TForm3::recurrenceToggled);

    connect(m_pattern, &RecurrencePanel::choiceMade, this, &TForm3::patternChosen);
    connect(m_pattern, &RecurrencePanel::everyDayChosen, this, &TForm3::everyDayChosen);
    connect(m_pattern, &RecurrencePanel::everyWeekdayChosen, this, &TForm3::everyWeekdayChosen);
    connect(m_pattern, &RecurrencePanel::weekdayTicked, this,
            [this](int flag, bool ticked) { writeField(ItemField::weekdayFlags().at(flag), ticked); });

    connect(m_startCalendarButton, &QToolButton::clicked, this, [this] { openCalendar(m_startDate); });
    connect(m_endCalendarButton, &QToolButton::clicked, this, [this] { openCalendar(m_endDate); });
    connect(m_calendarDrop, &CalendarDropDown::datePicked, this, &TForm3::calendarDatePicked);
    connect(m_calendarDrop, &CalendarDropDown::todayChosen, this, [](QLineEdit *served) {
        if (served)
            served->setText(BoxText::date(Clock::today()));
    });

    connect(m_startListButton, &QToolButton::clicked, this, [this] { openHalfHourList(m_startTime); });
    connect(m_endListButton, &QToolButton::clicked, this, [this] { openHalfHourList(m_endTime); });
    connect(m_halfHour, &HalfHourPicker::entryChosen, this, &TForm3::halfHourEntryChosen);
    connect(m_halfHour, &HalfHourPicker::minuteChosen, this, [this](QLineEdit *served, const QTime &time) {
        if (served)
            served->setText(BoxText::time(time, use24Hour()));
    });

    connect(m_leadListButton, &QToolButton::clicked, this, &TForm3::openLeadList);
    connect(m_leadList, &DropDownList::entryClicked, this, &TForm3::chooseLead);
}

// --- the row -------------------------------------------------------------

Cursor &TForm3::row() const
{
    return data().Table50();
}

void TForm3::writeChanges(const FieldChanges &changes)
{
    for (const auto &[field, value] : changes.list())
        writeField(field, value);
}

// --- commands ------------------------------------------------------------

void TForm3::newAppointment()
{
    if (isVisible())
        cancelEdit();
    startNewItem(NewEvent::Kind::Appointment);
}

void TForm3::newAllDayEvent()
{
    startNewItem(NewEvent::Kind::AllDayEvent);
}

void TForm3::newRecurringAppointment()
{
    startNewItem(NewEvent::Kind::RecurringAppointment);
}

void TForm3::startNewItem(NewEvent::Kind kind)
{
    // An edit still open (the dialog is modal, so only an outside caller
    // gets here) is dropped rather than posted unchecked.
    if (isVisible())
        cancelEdit();
    const QDate date = m_dayView ? m_dayView->shownDate() : Clock::today();
    const int startRow = m_dayView ? m_dayView->selectionStartRow() : 16;
    const int endRow = m_dayView ? m_dayView->selectionEndRow() : 16;
    row().insert();
    const FieldChanges fields = NewEvent::fields(kind, date, startRow, endRow, options().defaultReminder());
    writeChanges(fields);
    m_startDate->setText(BoxText::date(date));
    m_endDate->setText(BoxText::date(date));
    fillTimeBoxes(fields.value(ItemField::St).toTime(), fields.value(ItemField::Et).toTime());
    m_typeList->setCurrentIndex(0);
    showModal();
}

bool TForm3::editItem(qint64 no)
{
    if (isVisible())
        cancelEdit();
    row().refresh(); // an item posted through another cursor since
    if (!row().locate(ItemField::No, no) || !row().edit())
        return false;
    showModal();
    return true;
}

void TForm3::showModal()
{
    fillFromRow();
    setWindowModality(Qt::ApplicationModal);
    show();
    activateWindow();
    m_subject->setFocus();
}

// --- opening -------------------------------------------------------------

void TForm3::fillFromRow()
{
    dropDownWatcher()->closeAll();
    rememberReminder();
    showWholeText(m_subject, ItemField::Subject, row().asText(ItemField::Subject));
    showWholeText(m_location, ItemField::Loc, row().asText(ItemField::Loc));
    m_notes->setPlainText(row().asText(ItemField::N));

    m_pattern->setChoice(Kind::None); // step 1
    m_pattern->resetExtension();
    m_startDate->setText(BoxText::date(row().asDate(ItemField::S))); // step 2
    m_endDate->setText(BoxText::date(row().asDate(ItemField::E)));
    if (!row().isBlank(ItemField::St)) // step 3
        fillTimeBoxes(row().asTime(ItemField::St), row().asTime(ItemField::Et));
    m_leadBox->setText(row().asText(ItemField::Tr)); // step 4
    m_unitLabel->setText(row().asText(ItemField::Tm));
    if (m_unitLabel->text().isEmpty()) // step 5
        chooseLead(std::clamp(options().defaultReminderLead(), 0, int(LeadList::entries().size()) - 1));
    fillPatternChoice(); // step 6

    QStringList halfHours; // step 7
    for (int i = 0; i < HalfHourList::count; ++i)
        halfHours << BoxText::time(HalfHourList::time(i), use24Hour());
    m_halfHour->setEntries(halfHours);

    applyRecurrenceLayout(row().asBool(ItemField::Re)); // step 8
    applyAllDayLayout(row().asBool(ItemField::A));      // step 9
    applyReminderState(row().asBool(ItemField::R));     // step 10
    fillPatternBoxes();                                 // step 11
    fillTypeList();                                     // step 12
    fillSeriesRule();
    m_calendarDrop->setFirstDayOfWeek(options().firstDayOfWeek());
    dropDownWatcher()->start(); // step 13
}

void TForm3::fillTimeBoxes(const QTime &start, const QTime &end)
{
    m_startTime->setText(BoxText::time(start, use24Hour()));
    m_endTime->setText(BoxText::time(end, use24Hour()));
}

void TForm3::fillPatternChoice()
{
    const Kind kind = RecurrenceKind::fromCode(row().asText(ItemField::Ret));
    if (kind == Kind::None)
        return;
    m_pattern->setChoice(kind);
    if (kind == Kind::Daily)
        m_pattern->setEveryDay(row().asBool(ItemField::Sun));
}

void TForm3::fillPatternBoxes()
{
    const QString d = row().asText(ItemField::D);
    m_pattern->yearlyDayBox()->setText(d);
    m_pattern->monthlyDayBox()->setText(d);
    bool ok = false;
    const int month = row().asText(ItemField::M).toInt(&ok);
    if (ok && month >= 1 && month <= 12)
        m_pattern->monthList()->setCurrentIndex(month - 1);
    showWeekFlags();
    const Kind kind = m_pattern->choice();
    m_pattern->showPanel(kind);
}

// An extended row shows its rule; its pattern fields are blank by its
// shape, so the day box, month and weekday flags come from the rule and go
// into the edit buffer as a four-pattern row would hold them.
void TForm3::fillSeriesRule()
{
    m_removedDates.clear();
    const QString text = row().asText(ItemField::Rr);
    if (text.trimmed().isEmpty() || !row().asBool(ItemField::Re))
        return;
    const Result<SeriesRule> parsed = SeriesRule::parse(text);
    if (!parsed)
        return;
    const QDate start = row().asDate(ItemField::S);
    const SeriesRule rule = parsed.value().explicitFor(start);
    if (const Result<SeriesDates> removed = parseRemovedDates(row().asText(ItemField::Rx)))
        m_removedDates = removed.value();
    m_pattern->intervalBox()->setText(QString::number(rule.interval));
    if (rule.count > 0) {
        m_pattern->setEnd(RecurrencePanel::End::AfterCount);
        m_pattern->countBox()->setText(QString::number(rule.count));
    } else if (rule.until.isValid()) {
        m_pattern->setEnd(RecurrencePanel::End::ByDate);
        m_pattern->endDateBox()->setText(BoxText::date(rule.until));
    }
    RecurrencePattern::WeekFlags flags = RecurrencePattern::noDays();
    for (int flag = 0; flag < 7; ++flag)
        flags[flag] = rule.weekdays & SeriesRule::weekdayBit(flag == 0 ? Qt::Sunday : flag);
    // The last day shows as "the last day"; days 1..31 in the day box.
    const bool nth = rule.ordinal != 0 || rule.monthDay == -1;
    const int ordinal = rule.ordinal != 0 ? rule.ordinal : -1;
    const int ordinalIndex = ordinal == -1 ? 4 : ordinal - 1;
    int weekdayIndex = 7;
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day) {
        if (rule.ordinal != 0 && rule.weekdays == SeriesRule::weekdayBit(day))
            weekdayIndex = day - 1;
    }
    switch (rule.frequency) {
    case SeriesRule::Frequency::Daily:
        m_pattern->setEveryDay(rule.weekdays == 0 || flags == RecurrencePattern::everyDay());
        writeWeekFlags(m_pattern->everyDaySelected() ? RecurrencePattern::everyDay()
                                                     : RecurrencePattern::everyWeekday());
        break;
    case SeriesRule::Frequency::Weekly:
        writeWeekFlags(flags);
        break;
    case SeriesRule::Frequency::Monthly:
        fillDayOrNth(nth, ordinalIndex, weekdayIndex, rule.monthDay, m_pattern->monthlyDayBox(),
                     m_pattern->monthlyDayButton(), m_pattern->monthlyNthButton(), m_pattern->monthlyOrdinalList(),
                     m_pattern->monthlyWeekdayList());
        break;
    case SeriesRule::Frequency::Yearly:
        m_pattern->monthList()->setCurrentIndex(std::clamp(rule.month, 1, 12) - 1);
        fillDayOrNth(nth, ordinalIndex, weekdayIndex, rule.monthDay, m_pattern->yearlyDayBox(),
                     m_pattern->yearlyDayButton(), m_pattern->yearlyNthButton(), m_pattern->yearlyOrdinalList(),
                     m_pattern->yearlyWeekdayList());
        break;
    }
}

void TForm3::fillDayOrNth(bool nth, int ordinalIndex, int weekdayIndex, int monthDay, QLineEdit *dayBox,
                          QRadioButton *dayButton, QRadioButton *nthButton, QComboBox *ordinals, QComboBox *weekdays)
{
    (nth ? nthButton : dayButton)->setChecked(true);
    // The day box keeps a day for a switch back to day D.
    dayBox->setText(QString::number(nth ? row().asDate(ItemField::S).day() : monthDay));
    if (nth) {
        ordinals->setCurrentIndex(ordinalIndex);
        weekdays->setCurrentIndex(weekdayIndex);
    }
}

void TForm3::fillTypeList()
{
    for (int type = 0; type < TypeColors::typeCount; ++type)
        m_typeList->setItemText(type, options().typeName(type));
    m_typeList->setCurrentIndex(std::clamp(row().asInt(ItemField::T), 0, TypeColors::typeCount - 1));
}

void TForm3::applyRecurrenceLayout(bool recurring)
{
    const int notesTop = recurring ? notesTopRecurring : notesTopPlain;
    const int buttonsTop = recurring ? buttonsTopRecurring : buttonsTopPlain;
    m_notes->setGeometry(labelLeft, notesTop, clientWidth - 2 * labelLeft, notesHeight);
    m_notes->raise();
    m_ok->setGeometry(clientWidth - 2 * 83 - 2, buttonsTop, 75, 25);
    m_cancel->setGeometry(clientWidth - 83, buttonsTop, 75, 25);
    setFixedSize(clientWidth, recurring ? recurringHeight : plainHeight);
    m_pattern->setVisible(recurring);
    m_recurrence->setChecked(recurring);
    m_endLabel->setVisible(!recurring);
    m_endDate->setVisible(!recurring);
    m_endCalendarButton->setVisible(!recurring);
}

void TForm3::applyAllDayLayout(bool allDay)
{
    m_allDay->setChecked(allDay);
    for (QWidget *w : {static_cast<QWidget *>(m_startTime), static_cast<QWidget *>(m_startListButton),
                       static_cast<QWidget *>(m_endTime), static_cast<QWidget *>(m_endListButton)})
        w->setVisible(!allDay);
}

void TForm3::applyReminderState(bool on)
{
    m_reminder->setChecked(on);
    m_leadBox->setEnabled(on);
    m_unitLabel->setEnabled(on);
    m_leadListButton->setEnabled(on);
}

// --- saving --------------------------------------------------------------

EventEntry TForm3::currentEntry() const
{
    EventEntry entry;
    entry.startDate = m_startDate->text();
    entry.endDate = m_endDate->text();
    entry.startTime = m_startTime->text();
    entry.endTime = m_endTime->text();
    entry.lead = m_leadBox->text();
    entry.unit = m_unitLabel->text();
    entry.allDay = m_allDay->isChecked();
    entry.recurring = m_recurrence->isChecked();
    entry.pattern = m_pattern->choice();
    entry.monthlyDay = m_pattern->monthlyDayBox()->text();
    entry.yearlyDay = m_pattern->yearlyDayBox()->text();
    entry.monthIndex = m_pattern->monthList()->currentIndex();
    entry.everyDay = m_pattern->everyDaySelected();
    entry.weekFlags = m_pattern->weekFlags();
    entry.interval = m_pattern->intervalBox()->text();
    entry.end = EventEntry::End(int(m_pattern->end()));
    entry.untilDate = m_pattern->endDateBox()->text();
    entry.count = m_pattern->countBox()->text();
    entry.monthlyNth = m_pattern->monthlyNthButton()->isChecked();
    entry.yearlyNth = m_pattern->yearlyNthButton()->isChecked();
    const bool yearly = entry.pattern == Kind::Yearly;
    entry.ordinalIndex = (yearly ? m_pattern->yearlyOrdinalList() : m_pattern->monthlyOrdinalList())->currentIndex();
    entry.weekdayIndex = (yearly ? m_pattern->yearlyWeekdayList() : m_pattern->monthlyWeekdayList())->currentIndex();
    entry.removed = m_removedDates;
    return entry;
}

void TForm3::showEntry(const EventEntry &entry)
{
    m_startDate->setText(entry.startDate);
    m_endDate->setText(entry.endDate);
}

bool TForm3::save()
{
    if (reportItemGone())
        return false;
    writeField(ItemField::Subject, m_subject->text());
    writeField(ItemField::Loc, m_location->text());
    writeField(ItemField::N, m_notes->toPlainText());

    EventEntry entry = currentEntry();
    const EventSave::Outcome outcome = EventSave::run(entry);
    writeChanges(outcome.changes);
    showEntry(entry);
    if (!outcome.ok()) {
        report(MessageKind::Validation, outcome.message);
        return false;
    }
    if (outcome.rule) {
        const Outcome written =
            SeriesRow::writeExtendedSeries(row(), *outcome.rule, row().asDate(ItemField::S), outcome.removed);
        if (!written) {
            report(MessageKind::Validation, written.error());
            return false;
        }
    }

    endStaleSnooze();
    const TDataModule2::UndoStep step(
        data(), row().state() == Cursor::State::Insert ? QStringLiteral("New Item") : QStringLiteral("Edit"));

    // The views follow the post through the calendar's change notice.
    if (!row().post()) {
        report(MessageKind::StoreError, row().lastError());
        return false;
    }
    finishEdit(QDialog::Accepted);
    return true;
}

// --- handlers ------------------------------------------------------------

void TForm3::typeChosen(int index)
{
    writeField(ItemField::T, index);
}

void TForm3::allDayToggled(bool on)
{
    writeField(ItemField::A, on);
    applyAllDayLayout(on);
    if (on)
        return;
    QTime start = row().asTime(ItemField::St);
    QTime end = row().asTime(ItemField::Et);
    if (!start.isValid()) {
        start = QTime(8, 0);
        end = QTime(8, 30);
        writeField(ItemField::St, start);
        writeField(ItemField::Et, end);
    }
    m_startTime->setText(BoxText::timeWithLocaleAmPm(start, use24Hour()));
    m_endTime->setText(BoxText::timeWithLocaleAmPm(end, use24Hour()));
}

void TForm3::reminderToggled(bool on)
{
    writeField(ItemField::R, on);
    applyReminderState(on);
    (on ? m_leadBox : m_subject)->setFocus();
}

void TForm3::recurrenceToggled(bool on)
{
    if (on) {
        writeField(ItemField::weekdayFlag(row().asDate(ItemField::S)), true);
        writeField(ItemField::Re, true);
        m_pattern->setChoice(Kind::Weekly);
        patternChosen(Kind::Weekly);
    } else {
        writeField(ItemField::Ret, QVariant());
        writeWeekFlags(RecurrencePattern::noDays());
        writeField(ItemField::Re, false);
    }
    applyRecurrenceLayout(on);
    m_subject->setFocus();
}

void TForm3::patternChosen(Kind kind)
{
    const QDate start = row().asDate(ItemField::S);
    switch (kind) {
    case Kind::Daily:
        m_pattern->setEveryDay(true);
        everyDayChosen();
        break;
    case Kind::Weekly:
        writeWeekFlags(RecurrencePattern::onlyWeekdayOf(start));
        break;
    case Kind::Monthly:
        writeWeekFlags(RecurrencePattern::noDays());
        m_pattern->monthlyDayBox()->setText(QString::number(start.day()));
        m_pattern->yearlyDayBox()->clear();
        break;
    case Kind::Yearly:
        writeWeekFlags(RecurrencePattern::noDays());
        m_pattern->yearlyDayBox()->setText(QString::number(start.day()));
        m_pattern->monthList()->setCurrentIndex(start.month() - 1);
        m_pattern->monthlyDayBox()->clear();
        break;
    case Kind::None:
        return;
    }
    writeField(ItemField::Ret, RecurrenceKind::code(kind));
    m_pattern->showPanel(kind);
}

void TForm3::everyDayChosen()
{
    writeWeekFlags(RecurrencePattern::everyDay());
}

void TForm3::everyWeekdayChosen()
{
    writeWeekFlags(RecurrencePattern::everyWeekday());
}

void TForm3::writeWeekFlags(const RecurrencePattern::WeekFlags &flags)
{
    for (int flag = 0; flag < 7; ++flag)
        writeField(ItemField::weekdayFlags().at(flag), flags[flag]);
    showWeekFlags();
}

void TForm3::showWeekFlags()
{
    RecurrencePattern::WeekFlags flags = RecurrencePattern::noDays();
    for (int flag = 0; flag < 7; ++flag)
        flags[flag] = row().asBool(ItemField::weekdayFlags().at(flag));
    m_pattern->setWeekFlags(flags);
}

void TForm3::openCalendar(QLineEdit *served)
{
    dropDownWatcher()->closeAll();
    const bool start = served == m_startDate;
    m_calendarDrop->openFor(served, start ? startRowBottom : endRowBottom,
                            row().asDate(start ? ItemField::S : ItemField::E));
}

void TForm3::calendarDatePicked(QLineEdit *served, const QDate &date)
{
    if (!served)
        return;
    served->setText(BoxText::date(date));
    writeField(served == m_startDate ? ItemField::S : ItemField::E, date);
}

void TForm3::openHalfHourList(QLineEdit *served)
{
    dropDownWatcher()->closeAll();
    const bool start = served == m_startTime;
    QTime time = BoxText::readTime(served->text());
    if (!time.isValid())
        time = row().asTime(start ? ItemField::St : ItemField::Et);
    m_halfHour->open(served, start ? startRowBottom : endRowBottom, time);
}

void TForm3::halfHourEntryChosen(QLineEdit *served, int index)
{
    if (!served)
        return;
    served->setText(m_halfHour->list()->entries().value(index));
    // Keep the start from ending up after the end, whatever the date boxes
    // say: the dates may still change before "OK", and a multi-date item
    // whose end time lies before its start time is typed, not picked.
    const QTime start = BoxText::readTime(m_startTime->text());
    const QTime end = BoxText::readTime(m_endTime->text());
    if (!start.isValid() || !end.isValid() || end >= start)
        return;
    if (served == m_endTime)
        m_startTime->setText(m_endTime->text());
    else
        m_endTime->setText(m_startTime->text());
}

void TForm3::openLeadList()
{
    dropDownWatcher()->closeAll();
    bool ok = false;
    const int amount = m_leadBox->text().toInt(&ok);
    const int current = ok ? LeadList::indexOf(amount, m_unitLabel->text()) : -1;
    m_leadList->setTopIndex(std::max(0, current));
    m_leadList->setCurrentIndex(current);
    m_leadList->move(m_leadBox->x(), leadListTop);
    m_leadList->show();
    m_leadList->raise();
    m_leadBox->setFocus();
}

void TForm3::chooseLead(int index)
{
    if (index < 0 || index >= LeadList::entries().size())
        return;
    const Lead &lead = LeadList::entries().at(index);
    m_leadBox->setText(QString::number(lead.amount));
    m_unitLabel->setText(lead.unitText());
    m_leadList->hide();
}
