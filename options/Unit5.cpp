#include "options/Unit5.h"

#include "editors/BoxText.h"
#include "store/Cursor.h"
#include "editors/DropDownList.h"
#include "editors/DropDownWatcher.h"
#include "store/OptionFields.h"
#include "store/OptionLists.h"
#include "options/OptionsInput.h"
#include "store/OptionsRecord.h"
#include "options/SwatchStrip.h"
#include "options/TaskTimePicker.h"
#include "views/TypeColors.h"
#include "store/Unit2.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>

namespace {

constexpr int tabWidth = 89;
constexpr int tabHeight = 25;
constexpr int tabTop = 4;
constexpr std::array<int, 4> tabLefts = {8, 109, 210, 312};
constexpr int buttonTop = 423;
constexpr int boxHeight = 21;
constexpr int listWidth = 113;
constexpr int pageRightMargin = 8;

// Colour fields and what their samples show before a row is read.
constexpr std::array<int, 2> colorFields = {OptionField::OffHoursColor, OptionField::WorkingHoursColor};
const std::array<QColor, 2> colorFallbacks = {QColor(255, 255, 255), QColor(153, 204, 255)};

constexpr int printFromEntries = 8; // 12:00 AM .. 7:00 AM

const QString purgeAgeMessage = QStringLiteral("The number of days must be a whole number from 1 to 3650.");

QLabel *addLabel(QWidget *page, const QString &text, int x, int y)
{
    auto *label = new QLabel(text, page);
    label->move(x, y);
    label->adjustSize();
    return label;
}

// A bold heading followed by a two-pixel rule to the page's right edge.
void addHeading(QWidget *page, const QString &text, int x, int y)
{
    QLabel *label = addLabel(page, text, x, y);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->adjustSize();
    auto *rule = new QFrame(page);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setLineWidth(1);
    const int left = label->geometry().right() + 6;
    rule->setGeometry(left, y + label->height() / 2 - 1, page->width() - pageRightMargin - left, 2);
}

QCheckBox *addCheck(QWidget *page, const QString &text, int x, int y)
{
    auto *box = new QCheckBox(text, page);
    box->move(x, y);
    box->adjustSize();
    return box;
}

QComboBox *addList(QWidget *page, const QStringList &entries, int x, int y, int width = listWidth)
{
    auto *list = new QComboBox(page);
    list->addItems(entries);
    list->setGeometry(x, y, width, boxHeight);
    return list;
}

QLineEdit *addBox(QWidget *page, int x, int y, int width)
{
    auto *box = new QLineEdit(page);
    box->setGeometry(x, y, width, boxHeight);
    return box;
}

QStringList leadTexts()
{
    QStringList texts;
    for (const Lead &lead : LeadList::entries())
        texts << lead.text;
    return texts;
}

QStringList halfHourTexts(bool twentyFourHour)
{
    QStringList texts;
    for (int i = 0; i < HalfHourList::count; ++i)
        texts << BoxText::time(HalfHourList::time(i), twentyFourHour);
    return texts;
}

void rewriteEntries(QComboBox *list, const std::function<QTime(int)> &timeAt, bool twentyFourHour)
{
    for (int i = 0; i < list->count(); ++i)
        list->setItemText(i, BoxText::time(timeAt(i), twentyFourHour));
}

void showInformationBox(QWidget *parent, const QString &text)
{
    QMessageBox::information(parent, QStringLiteral("Daybrook Planner"), text);
}

std::optional<QColor> showColorDialog(QWidget *parent, const QColor &initial)
{
    const QColor chosen = QColorDialog::getColor(initial, parent);
    return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
}

QString showSoundFileDialog(QWidget *parent, const QString &start)
{
    return QFileDialog::getOpenFileName(parent, QString(), start, QStringLiteral("Sound files(*.wav)"));
}

} // namespace

TForm5::TForm5(TDataModule2 &data, QWidget *parent)
    : EditDialog(QStringLiteral("TForm5"), QStringLiteral("Options"), parent)
    , m_data(data)
    , m_bindings(data.Table60())
    , m_reporter(showInformationBox)
    , m_chooseColor(showColorDialog)
    , m_chooseFile(showSoundFileDialog)
{
    setFixedSize(clientWidth, clientHeight);

    for (QWidget *&page : m_pages) {
        page = new QWidget(this);
        page->setGeometry(QRect(pageOrigin, QSize(clientWidth - pageOrigin.x(), clientHeight - pageOrigin.y())));
    }
    buildCalendarPage(m_pages[int(Page::Calendar)]);
    buildTypesPage(m_pages[int(Page::EventTypes)]);
    buildPrintPage(m_pages[int(Page::PrintSetup)]);
    buildProgramPage(m_pages[int(Page::Program)]);
    buildTabs();

    // Created after the pages, so they lie in front of every page.
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setGeometry(232, buttonTop, tabWidth, tabHeight);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setGeometry(344, buttonTop, tabWidth, tabHeight);
    connect(m_ok, &QPushButton::clicked, this, &TForm5::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &TForm5::cancelEdit);

    buildPickers();
    showPage(Page::Calendar);
}

TForm5::~TForm5() = default;

void TForm5::setMessageReporter(MessageReporter reporter)
{
    m_reporter = reporter ? std::move(reporter) : MessageReporter(showInformationBox);
}

void TForm5::setColorChooser(ColorChooser chooser)
{
    m_chooseColor = chooser ? std::move(chooser) : ColorChooser(showColorDialog);
}

void TForm5::setSoundFileChooser(FileChooser chooser)
{
    m_chooseFile = chooser ? std::move(chooser) : FileChooser(showSoundFileDialog);
}

// --- building ------------------------------------------------------------

void TForm5::buildTabs()
{
    const std::array<QString, 4> captions = {QStringLiteral("Calendar Options"), QStringLiteral("Event Types"),
                                             QStringLiteral("Print Setup"), QStringLiteral("Program Options")};
    auto *group = new QButtonGroup(this);
    group->setExclusive(true);
    for (int i = 0; i < int(m_tabs.size()); ++i) {
        auto *tab = new QToolButton(this);
        tab->setText(captions[i]);
        tab->setCheckable(true);
        tab->setAutoRaise(true);
        tab->setFocusPolicy(Qt::NoFocus);
        tab->setGeometry(tabLefts[i], tabTop, tabWidth, tabHeight);
        group->addButton(tab, i);
        m_tabs[i] = tab;
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { showPage(Page(id)); });
}

void TForm5::buildCalendarPage(QWidget *page)
{
    addHeading(page, QStringLiteral("Default Settings"), 5, 0);
    m_bindings.check(addCheck(page, QStringLiteral("Default reminder"), 5, 24), OptionField::DefaultReminder);
    m_bindings.index(addList(page, leadTexts(), 112, 22), OptionField::DefaultReminderLead);
    addLabel(page, QStringLiteral("Snooze:"), 264, 26);
    m_bindings.index(addList(page, leadTexts(), 320, 22), OptionField::DefaultSnoozePeriod);

    addHeading(page, QStringLiteral("Calendar work week"), 5, 64);
    struct WorkDay
    {
        const char *name;
        int x;
        int field;
    };
    // Options "4" is Sunday, "5".."10" Monday..Saturday; the row of boxes
    // starts on Monday.
    const std::array<WorkDay, 7> days = {{{"Monday", 5, OptionField::SundayIsWorkingDay + 1},
                                          {"Tuesday", 66, OptionField::SundayIsWorkingDay + 2},
                                          {"Wednesday", 130, OptionField::SundayIsWorkingDay + 3},
                                          {"Thursday", 212, OptionField::SundayIsWorkingDay + 4},
                                          {"Friday", 281, OptionField::SundayIsWorkingDay + 5},
                                          {"Saturday", 332, OptionField::SundayIsWorkingDay + 6},
                                          {"Sunday", 396, OptionField::SundayIsWorkingDay}}};
    for (const WorkDay &day : days)
        m_bindings.check(addCheck(page, QLatin1String(day.name), day.x, 88), day.field);

    addLabel(page, QStringLiteral("First day of week:"), 8, 124);
    m_bindings.index(addList(page, {QStringLiteral("Sunday"), QStringLiteral("Monday")}, 96, 120),
                     OptionField::FirstDayOfWeek);
    addLabel(page, QStringLiteral("Start time:"), 240, 124);
    m_startTime = addList(page, halfHourTexts(false), 304, 120);
    m_startTime->setMaxVisibleItems(10);
    m_bindings.index(m_startTime, OptionField::WorkStart);
    addLabel(page, QStringLiteral("End time:"), 240, 156);
    m_endTime = addList(page, halfHourTexts(false), 304, 152);
    m_endTime->setMaxVisibleItems(10);
    m_bindings.index(m_endTime, OptionField::WorkEnd);

    addLabel(page, QStringLiteral("Background colors:"), 8, 188);
    const std::array<QPoint, 2> samples = {QPoint(112, 184), QPoint(285, 184)};
    const std::array<QPoint, 2> buttons = {QPoint(218, 184), QPoint(392, 184)};
    for (int which = 0; which < 2; ++which) {
        auto *sample = new QFrame(page);
        sample->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        sample->setAutoFillBackground(true);
        sample->setGeometry(QRect(samples[which], QSize(97, 20)));
        m_samples[which] = sample;
        auto *button = new QPushButton(QStringLiteral("Color"), page);
        button->setGeometry(QRect(buttons[which], QSize(57, 21)));
        connect(button, &QPushButton::clicked, this, [this, which] { chooseColor(which); });
        m_colorButtons[which] = button;
    }

    addHeading(page, QStringLiteral("Task Options"), 8, 218);
    buildTaskTime(page);
    m_bindings.check(addCheck(page, QStringLiteral("Set reminders on tasks with due dates"), 8, 272),
                     OptionField::RemindTasksWithDueDates);

    addHeading(page, QStringLiteral("Regional Settings"), 8, 306);
    m_bindings.check(addCheck(page, QStringLiteral("Display time in 24 hours format"), 8, 334),
                     OptionField::Clock24Hour);
}

void TForm5::buildTaskTime(QWidget *page)
{
    addLabel(page, QStringLiteral("Task reminder time:"), 24, 240);
    m_taskTime = addBox(page, 128, 238, 73);
    m_taskTime->setObjectName(QStringLiteral("taskTimeBox"));
    m_taskTimeButton = new QToolButton(page);
    m_taskTimeButton->setArrowType(Qt::DownArrow);
    m_taskTimeButton->setFocusPolicy(Qt::NoFocus); // the time box keeps the focus
    m_taskTimeButton->setGeometry(201, 239, 16, 18);
    connect(m_taskTimeButton, &QToolButton::clicked, this, &TForm5::openTaskTimeList);
    // A typed time goes into the row once it reads as one; "OK" refuses
    // what never does.
    connect(m_taskTime, &QLineEdit::textEdited, this, [this](const QString &text) {
        const QTime time = BoxText::readTime(text);
        if (time.isValid())
            writeField(OptionField::TaskReminderTime, time);
    });
}

void TForm5::buildTypesPage(QWidget *page)
{
    addHeading(page, QStringLiteral("Event Types"), 0, 4);
    auto *swatches = new SwatchStrip(page);
    swatches->move(24, 26);
    for (int type = 0; type < TypeColors::typeCount; ++type) {
        QLineEdit *name = addBox(page, 64, 24 + SwatchStrip::pitch * type, 225);
        name->setMaxLength(50);
        m_bindings.text(name, OptionField::FirstTypeName + type);
    }
}

void TForm5::buildPrintPage(QWidget *page)
{
    addHeading(page, QStringLiteral("Daily Style"), 16, 16);
    addLabel(page, QStringLiteral("Include:"), 16, 50);
    m_bindings.check(addCheck(page, QStringLiteral("Task Pad"), 16, 72), OptionField::DailyPrintTaskPad);
    addLabel(page, QStringLiteral("Print from:"), 16, 100);
    QStringList hours;
    for (int hour = 0; hour < printFromEntries; ++hour)
        hours << BoxText::time(QTime(hour, 0), false);
    m_printFrom = addList(page, hours, 16, 120);
    m_bindings.index(m_printFrom, OptionField::DailyPrintFrom);

    addHeading(page, QStringLiteral("Weekly Style"), 16, 152);
    addLabel(page, QStringLiteral("Include:"), 16, 170);
    m_bindings.check(addCheck(page, QStringLiteral("Task Pad"), 16, 192), OptionField::WeeklyPrintTaskPad);

    addHeading(page, QStringLiteral("Page Setup"), 16, 224);
    addLabel(page, QStringLiteral("Paper Size:"), 16, 256);
    m_paper = new QListWidget(page);
    m_paper->addItems({QStringLiteral("Letter"), QStringLiteral("A4")});
    for (int row = 0; row < m_paper->count(); ++row)
        m_paper->item(row)->setSizeHint(QSize(96, 16));
    m_paper->setGeometry(16, 280, 100, 36);
    m_paper->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_paper->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_paper, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            writeField(OptionField::PaperIsLetter, row == 0);
    });
}

void TForm5::buildProgramPage(QWidget *page)
{
    addHeading(page, QStringLiteral("General"), 16, 18);
    m_bindings.check(addCheck(page, QStringLiteral("Delete items older than"), 16, 56), OptionField::DeleteOldItems);
    m_purgeDays = addBox(page, 152, 52, 49);
    m_purgeDays->setObjectName(QStringLiteral("purgeDaysBox"));
    m_bindings.number(m_purgeDays, OptionField::DeleteOlderThanDays, OptionsInput::purgeAge);
    addLabel(page, QStringLiteral("days"), 216, 56);

    addHeading(page, QStringLiteral("Startup Options"), 16, 104);
    m_bindings.check(addCheck(page, QStringLiteral("Open program on startup"), 16, 128), OptionField::OpenOnStartup);
    m_bindings.check(addCheck(page, QStringLiteral("Hide main window on startup"), 16, 168),
                     OptionField::HideOnStartup);

    addHeading(page, QStringLiteral("Reminders Options"), 16, 224);
    m_soundFile = addBox(page, 16, 258, 353);
    m_soundFile->setMaxLength(255);
    m_bindings.text(m_soundFile, OptionField::SoundFile);
    m_browse = new QPushButton(QStringLiteral("Browse"), page);
    m_browse->setGeometry(376, 256, 57, 25);
    connect(m_browse, &QPushButton::clicked, this, &TForm5::browseSound);
    m_bindings.check(addCheck(page, QStringLiteral("Play sound file"), 16, 288), OptionField::PlaySoundFile);
}

void TForm5::buildPickers()
{
    m_timePicker = new TaskTimePicker(this);
    connect(m_timePicker, &TaskTimePicker::entryChosen, this, [this](int index) {
        setTaskTime(HalfHourList::time(index), m_timePicker->list()->entries().value(index));
    });
    connect(m_timePicker, &TaskTimePicker::timeChosen, this,
            [this](const QTime &time) { setTaskTime(time, BoxText::time(time, use24Hour())); });

    m_watcher = new DropDownWatcher(this);
    m_watcher->watch([this] { return m_taskTime->hasFocus(); }, [this] { m_timePicker->close(); });
}

// --- helpers -------------------------------------------------------------

OptionsRecord &TForm5::options() const
{
    return m_data.options();
}

bool TForm5::use24Hour() const
{
    return options().clock24Hour();
}

void TForm5::writeField(int field, const QVariant &value)
{
    Cursor &row = m_data.Table60();
    if (row.state() == Cursor::State::Edit)
        row.setValue(NumberedFields::fieldName(field), value);
}

void TForm5::report(const QString &text)
{
    m_reporter(this, text);
}

void TForm5::showPage(Page page)
{
    m_page = page;
    for (int i = 0; i < int(m_pages.size()); ++i) {
        m_pages[i]->setVisible(i == int(page));
        m_tabs[i]->setChecked(i == int(page));
    }
    m_timePicker->close();
}

// --- opening -------------------------------------------------------------

void TForm5::openOptions()
{
    if (isVisible())
        cancelEdit();
    Cursor &row = m_data.Table60();
    if (!row.edit()) {
        report(row.lastError());
        return;
    }
    m_openedPurgeAge = row.value(NumberedFields::fieldName(OptionField::DeleteOlderThanDays));
    fillFromRow();
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void TForm5::fillFromRow()
{
    showPage(Page::Calendar);                                                      // step 1
    writeTimeEntries();                                                            // step 2
    m_bindings.load();                                                             // step 3, and every bound box
    paintSamples();                                                                // step 4
    m_taskTime->setText(BoxText::time(options().taskReminderTime(), use24Hour())); // step 5
    {                                                                              // step 6
        const QSignalBlocker quiet(m_paper);
        m_paper->setCurrentRow(options().paperIsLetter() ? 0 : 1);
    }
    m_watcher->start(); // step 7
}

void TForm5::writeTimeEntries()
{
    const bool twentyFourHour = use24Hour();
    for (QComboBox *list : {m_startTime, m_endTime})
        rewriteEntries(list, HalfHourList::time, twentyFourHour);
    rewriteEntries(
        m_printFrom, [](int hour) { return QTime(hour, 0); }, twentyFourHour);
    m_timePicker->setEntries(halfHourTexts(twentyFourHour));
}

void TForm5::paintSamples()
{
    for (int which = 0; which < 2; ++which) {
        QPalette palette = m_samples[which]->palette();
        palette.setColor(QPalette::Window, options().colorField(colorFields[which], colorFallbacks[which]));
        m_samples[which]->setPalette(palette);
    }
}

// --- OK and Cancel -------------------------------------------------------

// The boxes that take free text are checked before anything is posted.
bool TForm5::checkBoxes()
{
    // The age matters only to a purge: with the box unticked a blank or bad
    // age is no reason to refuse the other settings, and the row keeps the
    // last age it accepted.
    const std::optional<int> age = OptionsInput::purgeAge(m_purgeDays->text());
    if (!age && options().deleteOldItems()) {
        showPage(Page::Program);
        report(purgeAgeMessage);
        m_purgeDays->setFocus();
        return false;
    }
    // A blank task reminder time stays blank; anything else must be a time.
    const QString timeText = m_taskTime->text().trimmed();
    const QTime taskTime = BoxText::readTime(timeText);
    if (!timeText.isEmpty() && !taskTime.isValid()) {
        showPage(Page::Calendar);
        report(QStringLiteral("'%1' is not a valid time").arg(timeText));
        m_taskTime->setFocus();
        return false;
    }
    if (age)
        writeField(OptionField::DeleteOlderThanDays, *age);
    else // what the box took of the typing on the way (365 of 3651) was never meant
        writeField(OptionField::DeleteOlderThanDays, m_openedPurgeAge);
    writeField(OptionField::TaskReminderTime, taskTime);
    return true;
}

bool TForm5::confirm()
{
    Cursor &row = m_data.Table60();
    if (row.state() != Cursor::State::Edit && !row.edit()) {
        report(row.lastError());
        return false;
    }
    if (!checkBoxes())
        return false;
    if (!row.post()) { // step 1
        report(row.lastError());
        return false;
    }
    emit clockFormatApplied(use24Hour()); // step 2
    if (m_startWithSystem) {              // step 3
        if (const Outcome applied = m_startWithSystem(options().openOnStartup()); !applied) {
            report(applied.error());
            // The options are posted; the dialog stays open on them and
            // takes further changes in a new edit.
            if (!row.edit())
                report(row.lastError());
            return false;
        }
    }
    emit firstDayOfWeekApplied(options().firstDayOfWeek()); // step 4
    emit typeNamesApplied();                                // step 5
    finish(QDialog::Accepted);                              // step 6
    m_data.Table50AfterPost();                              // step 7
    emit optionsApplied();
    return true;
}

void TForm5::cancelEdit()
{
    m_data.Table60().cancel();
    finish(QDialog::Rejected);
}

void TForm5::finish(int result)
{
    m_watcher->stop();
    m_timePicker->close();
    leave(result);
}

void TForm5::mousePressEvent(QMouseEvent *event)
{
    // A click on the dialog or on a page's background (which passes the
    // press on) closes the time list.
    m_timePicker->close();
    QDialog::mousePressEvent(event);
}

// --- handlers --------------------------------------------------------------

void TForm5::chooseColor(int which)
{
    const std::optional<QColor> chosen = m_chooseColor(this, m_lastColor);
    if (!chosen)
        return;
    m_lastColor = *chosen;
    writeField(colorFields[which], ColorText::write(*chosen));
    paintSamples();
}

void TForm5::browseSound()
{
    const QString file = m_chooseFile(this, m_soundFile->text());
    if (file.isEmpty())
        return;
    m_soundFile->setText(file);
    writeField(OptionField::SoundFile, file);
}

void TForm5::openTaskTimeList()
{
    QTime time = BoxText::readTime(m_taskTime->text());
    if (!time.isValid())
        time = options().taskReminderTime();
    m_timePicker->open(pageOrigin + taskTimeListAt, time);
    m_taskTime->setFocus();
}

void TForm5::setTaskTime(const QTime &time, const QString &text)
{
    m_taskTime->setText(text);
    writeField(OptionField::TaskReminderTime, time);
}
