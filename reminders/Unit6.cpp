#include "reminders/Unit6.h"

#include "reminders/DueText.h"
#include "reminders/ReminderIcons.h"
#include "reminders/ReminderList.h"
#include "reminders/ReminderScanner.h"
#include "reminders/ReminderSound.h"
#include "reminders/SnoozePeriod.h"

#include "store/Clock.h"
#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/OptionLists.h"
#include "store/Unit2.h"

#include "resources/DaybrookResources.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaMethod>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace {

QPushButton *addButton(QWidget *parent, const QString &text, const QRect &rect)
{
    auto *button = new QPushButton(text, parent);
    button->setGeometry(rect);
    button->setAutoDefault(false);
    return button;
}

QLabel *addLabel(QWidget *parent, const QString &text, const QPoint &at)
{
    auto *label = new QLabel(text, parent);
    label->move(at);
    label->adjustSize();
    return label;
}

} // namespace

TForm6::TForm6(TDataModule2 &data, QWidget *parent)
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                  | Qt::WindowMinimizeButtonHint | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_data(data)
    , m_scanner(new ReminderScanner(data, this))
    , m_sound(new ReminderSound(this))
    , m_timer(new QTimer(this))
{
    initDaybrookResources(); // the bell and the default chime
    setWindowTitle(QStringLiteral("Reminders"));
    setFixedSize(clientWidth, clientHeight);
    buildControls();

    m_scanner->setWindowState([this] { return isVisible(); }, [this] { return isVisible() && isActiveWindow(); });
    connect(m_scanner, &ReminderScanner::headerRefreshNeeded, this, &TForm6::refreshHeader);
    connect(m_scanner, &ReminderScanner::alarmRaised, this, &TForm6::raiseAlarm);
    m_sound->setMessageSink([this](const QString &text) { report(text); });

    m_timer->setInterval(tickMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &TForm6::Timer1Timer);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TForm6::~TForm6() = default;

void TForm6::setMessageSink(MessageSink sink)
{
    m_sink = std::move(sink);
}

void TForm6::buildControls()
{
    m_itemIcon = new QLabel(this);
    m_itemIcon->setGeometry(8, 8, 17, 14);
    m_itemIcon->hide();

    m_subject = new QLabel(this);
    m_subject->setGeometry(32, 8, 473, 17);
    QFont bold = m_subject->font();
    bold.setBold(true);
    m_subject->setFont(bold);

    m_timeLine = new QLabel(this);
    m_timeLine->setGeometry(32, 32, 473, 17);

    m_locationCaption = addLabel(this, QStringLiteral("Location:"), QPoint(32, 56));
    m_locationCaption->resize(m_locationCaption->width(), 17); // on the line of the location text
    m_locationCaption->hide();
    m_location = new QLabel(this);
    m_location->setGeometry(80, 56, 409, 17);

    // The list frame: a lowered bevel around the header strip and the list.
    auto *frame = new QFrame(this);
    frame->setGeometry(8, 80, 497, 153);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setLineWidth(1);
    auto *header = new ReminderListHeader(frame);
    header->setGeometry(1, 1, 495, ReminderListHeader::height);
    m_list = new ReminderList(frame);
    m_list->setGeometry(1, 1 + ReminderListHeader::height, 495, 153 - 2 - ReminderListHeader::height);
    m_list->setDueTextSource([this](const ReminderRow &row) { return dueText(row); });
    connect(m_list, &ReminderList::rowChosen, this, &TForm6::rowChosen);
    connect(m_list, &ReminderList::deletePressed, this, &TForm6::dismiss);
    connect(m_list, &ReminderList::keyReleased, this, &TForm6::requeryAndRefresh);

    m_dismiss = addButton(this, QStringLiteral("Dismiss"), QRect(296, 240, 89, 25));
    m_open = addButton(this, QStringLiteral("Open Item"), QRect(416, 240, 89, 25));
    addLabel(this, QStringLiteral("Click Snooze to be reminded again in:"), QPoint(16, 272));

    m_amount = new QLineEdit(this);
    m_amount->setGeometry(16, 296, 33, 21);
    m_unit = new QLabel(this);
    m_unit->setGeometry(53, 299, 48, 16);
    m_leadButton = new QToolButton(this);
    m_leadButton->setArrowType(Qt::DownArrow);
    m_leadButton->setGeometry(103, 298, 17, 17);
    m_leadList = new QMenu(this);
    const auto &leads = LeadList::entries();
    for (int i = 0; i < leads.size(); ++i)
        m_leadList->addAction(leads.at(i).text, this, [this, i] { chooseSnoozeLead(i); });
    connect(m_leadList, &QMenu::aboutToHide, m_amount, [this] { m_amount->setFocus(); });
    connect(m_leadButton, &QToolButton::clicked, this, [this] {
        m_amount->setFocus();
        m_leadList->popup(m_leadButton->mapToGlobal(QPoint(0, m_leadButton->height())));
    });

    m_snooze = addButton(this, QStringLiteral("Snooze"), QRect(416, 296, 89, 25));

    connect(m_dismiss, &QPushButton::clicked, this, &TForm6::dismiss);
    connect(m_open, &QPushButton::clicked, this, &TForm6::openItem);
    connect(m_snooze, &QPushButton::clicked, this, &TForm6::snooze);
}

void TForm6::start()
{
    const QString soundFile = m_data.options().soundFile();
    if (soundFile == m_data.root().defaultSoundPath())
        ReminderSound::provideDefaultFile(soundFile);
    const bool missed = m_scanner->start();
    refreshHeader();
    m_timer->start();
    if (missed)
        raiseAlarm();
}

bool TForm6::use24Hour() const
{
    return m_data.options().clock24Hour();
}

void TForm6::report(const QString &text)
{
    if (m_sink) {
        m_sink(text);
        return;
    }
    // The window stays on top of all others; a box of its own must too, or
    // it opens beneath it, out of sight, and blocks the buttons.
    QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box.setWindowModality(Qt::WindowModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

// --- showing -----------------------------------------------------------------

void TForm6::prepareToShow()
{
    setWindowIcon(ReminderIcons::windowIcon());
    chooseSnoozeLead(std::clamp(m_data.options().defaultSnoozePeriod(), 0, int(LeadList::entries().size()) - 1));
    refreshHeader();
    m_snooze->setFocus();
}

void TForm6::showReminders()
{
    if (!isVisible())
        prepareToShow();
    showNormal();
    raise();
    activateWindow();
}

void TForm6::raiseAlarm()
{
    if (!isVisible())
        prepareToShow();
    showNormal();
    raise();
    if (m_data.options().playSoundFile())
        m_sound->play(m_data.options().soundFile());
}

void TForm6::closeEvent(QCloseEvent *event)
{
    // The scanner lives on; only the window goes.
    event->ignore();
    hide();
}

void TForm6::Timer1Timer()
{
    m_scanner->tick();
}

// --- header and list ---------------------------------------------------------

void TForm6::refreshHeader()
{
    Cursor &cursor = m_data.Table48();
    QList<ReminderRow> rows;
    int current = -1;
    if (cursor.isOpen() && cursor.state() == Cursor::State::Browse) {
        const qint64 currentNo = cursor.currentId();
        for (cursor.first(); !cursor.eof(); cursor.next()) {
            if (cursor.currentId() == currentNo)
                current = int(rows.size());
            rows << ReminderRow::fromCursor(cursor);
        }
        if (currentNo != 0)
            cursor.locate(ItemField::No, currentNo);
        else
            cursor.first();
    }
    if (current < 0 && !rows.isEmpty())
        current = 0;
    m_list->setRows(rows, current);

    if (rows.isEmpty()) {
        m_itemIcon->hide();
        m_locationCaption->hide();
        m_subject->clear();
        m_timeLine->clear();
        m_location->clear();
        return;
    }
    const ReminderRow &row = rows.at(current);
    m_itemIcon->setPixmap(row.task ? ReminderIcons::taskIcon() : ReminderIcons::appointmentIcon());
    m_itemIcon->show();
    m_subject->setText(row.subject);
    m_timeLine->setText(DueText::headerTime(row, use24Hour()));
    m_location->setText(row.location);
    m_locationCaption->setVisible(!row.location.isEmpty());
}

void TForm6::rowChosen(int index)
{
    const QList<ReminderRow> &rows = m_list->rows();
    if (index >= 0 && index < rows.size())
        m_data.Table48().locate(ItemField::No, rows.at(index).no);
    refreshHeader();
}

void TForm6::requeryAndRefresh()
{
    m_scanner->requery();
    refreshHeader();
}

QString TForm6::dueText(const ReminderRow &row) const
{
    const QDateTime now = Clock::now();
    const QDateTime missed = m_scanner->missedMoment(row.no);
    if (missed.isValid() && missed.date() < now.date())
        return DueText::missedSince(missed.date());
    return DueText::dueIn(row, now.date(), now.time());
}

// --- commands ----------------------------------------------------------------

void TForm6::chooseSnoozeLead(int index)
{
    m_amount->setText(SnoozePeriod::amountText(index));
    m_unit->setText(SnoozePeriod::unitLabel(index));
}

qint64 TForm6::currentReminder() const
{
    const Cursor &cursor = m_data.Table48();
    return cursor.isOpen() ? cursor.currentId() : 0;
}

void TForm6::postReminder(qint64 no)
{
    // Posted, the reminder is no longer due; a refused post is shown and
    // dropped so that the cursor is not left in edit mode.
    Cursor &cursor = m_data.Table48();
    if (cursor.post()) {
        m_scanner->forget(no);
    } else {
        report(cursor.lastError());
        cursor.cancel();
    }
}

void TForm6::dismiss()
{
    Cursor &cursor = m_data.Table48();
    const qint64 no = currentReminder();
    const TDataModule2::UndoStep step(m_data, QStringLiteral("Dismiss"));
    if (no != 0 && cursor.edit()) {
        if (!cursor.asBool(ItemField::Re))
            cursor.setValue(ItemField::R, false);
        else
            cursor.setValue(ItemField::Di, Clock::today());
        // A snooze that stayed on would bring the dismissed reminder back.
        if (cursor.asBool(ItemField::Sno))
            cursor.setValue(ItemField::Sno, false);
        postReminder(no);
    }
    requeryAndRefresh();
}

void TForm6::snooze()
{
    Cursor &cursor = m_data.Table48();
    const qint64 no = currentReminder();
    if (no != 0) {
        const SnoozePeriod::Outcome period = SnoozePeriod::apply(m_amount->text(), m_unit->text(), Clock::now());
        if (!period.ok()) {
            report(period.message);
            m_amount->setFocus();
            return;
        }
        const TDataModule2::UndoStep step(m_data, QStringLiteral("Snooze"));
        if (cursor.edit()) {
            cursor.setValue(ItemField::Sno, true);
            cursor.setValue(ItemField::Sn, period.sn);
            cursor.setValue(ItemField::Sns, period.sns);
            cursor.setValue(ItemField::Di, Clock::today());
            postReminder(no);
        }
    }
    requeryAndRefresh();
}

void TForm6::openItem()
{
    Cursor &reminders = m_data.Table48();
    const qint64 no = currentReminder();
    if (no == 0)
        return;
    const bool task = reminders.asBool(ItemField::Ta);
    // Without an editor for its kind the item cannot be opened; the window
    // then stays as it is instead of minimising for nothing.
    if (!isSignalConnected(QMetaMethod::fromSignal(task ? &TForm6::openTaskRequested : &TForm6::openEventRequested)))
        return;
    // An edit left open in the editor's cursor is dropped, as the editor's
    // own Cancel would; the editor then opens the item afresh.
    Cursor &target = task ? m_data.Table47() : m_data.Table50();
    if (target.state() != Cursor::State::Browse)
        target.cancel();
    if (task) {
        if (!target.setFilter(QStringLiteral("Ta='True'")))
            return;
    } else {
        // Table48's filter holds the item, missed ones included.
        if (!target.setFilter(reminders.filter()))
            return;
        target.setFiltered(true);
    }
    target.refresh();
    target.locate(ItemField::No, no);
    showMinimized();
    if (task)
        emit openTaskRequested(no);
    else
        emit openEventRequested(no);
}
