#include "editors/TaskPad.h"

#include "store/Clock.h"
#include "store/Cursor.h"
#include "editors/TaskList.h"
#include "views/TaskPictures.h"
#include "store/ItemFields.h"
#include "store/OptionFields.h"
#include "store/Unit2.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

namespace {

// The quick-add tick: an empty or a ticked box, flipped by a click. It
// takes no focus, so typing goes on in the box.
class QuickAddTick : public QAbstractButton
{
public:
    explicit QuickAddTick(QWidget *parent)
        : QAbstractButton(parent)
    {
        setObjectName(QStringLiteral("quickAddTick"));
        setCheckable(true);
        setFocusPolicy(Qt::NoFocus);
        setFixedSize(13, 13);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, TaskPictures::completionBox(isChecked()));
    }
};

void setBoxColour(QLineEdit *box, const QColor &colour)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, colour);
    box->setPalette(palette);
}

} // namespace

QString TaskPad::placeholderText()
{
    return QStringLiteral("Click here to add a new Task");
}

QColor TaskPad::frameColor()
{
    return QColor(49, 106, 197);
}

TaskPad::TaskPad(TDataModule2 &data, QWidget *parent)
    : QWidget(parent)
    , m_data(data)
{
    setObjectName(QStringLiteral("taskPad"));
    QFont padFont;
    padFont.setFamilies(
        {QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    padFont.setPixelSize(11);
    setFont(padFont);
    setAutoFillBackground(true);

    m_tick = new QuickAddTick(this);
    m_box = new QLineEdit(this);
    m_box->setObjectName(QStringLiteral("quickAddBox"));
    m_box->setFrame(false);
    m_box->setMaxLength(150);
    m_box->installEventFilter(this);
    m_list = new TaskList(this);

    connect(m_tick, &QAbstractButton::clicked, this, [this] { m_tick->update(); });
    connect(m_box, &QLineEdit::returnPressed, this, [this] {
        if (holdsSubject())
            addPendingTask();
    });
    connect(m_list, &TaskList::pressed, this, [this](int row, const QPoint &) { listPressed(row); });
    connect(m_list, &TaskList::clicked, this, &TaskPad::listClicked);
    connect(m_list, &TaskList::doubleClicked, this, [this](int) {
        if (tasks().recordCount() > 0)
            emit openTaskRequested();
    });
    connect(m_list, &TaskList::currentMoved, this, [this](int row) { selectRow(row); });
    connect(m_list, &TaskList::deletePressed, this, &TaskPad::deleteCurrentTask);

    leaveTyping();
}

TaskPad::~TaskPad() = default;

Cursor &TaskPad::tasks() const
{
    return m_data.Table47();
}

// --- views ---------------------------------------------------------------------

void TaskPad::applyView(int view)
{
    Cursor &cursor = tasks();
    // An edit in progress (the task editor is open) keeps its row; the view
    // follows when the editor closes.
    if (!cursor.isOpen() || cursor.state() != Cursor::State::Browse)
        return;
    view = TaskPadFilter::clampView(view);
    TaskPadFilter::Dates dates;
    if (m_datesSource) {
        dates = m_datesSource();
    } else {
        dates.today = dates.navigator = dates.weekFirstDate = dates.monthFirstDate = Clock::today();
    }
    if (!cursor.setFilter(TaskPadFilter::text(view, dates))) {
        emit storeError(cursor.lastError());
        return;
    }
    cursor.setFiltered(true);
    m_view = view;
    reload();
    emit viewApplied(view);
    writeStoredView(view);
}

void TaskPad::applyStoredView()
{
    const Cursor &folders = m_data.Table61();
    applyView(folders.isOpen() ? folders.asInt(FolderListField::TaskPadView) : 1);
}

void TaskPad::writeStoredView(int view)
{
    Cursor &folders = m_data.Table61();
    if (!folders.isOpen() || folders.state() != Cursor::State::Browse || folders.currentId() == 0)
        return;
    if (folders.asInt(FolderListField::TaskPadView) == view)
        return;
    if (!folders.edit())
        return;
    if (!folders.setText(FolderListField::TaskPadView, QString::number(view)) || !folders.post())
        postFailed(folders);
}

bool TaskPad::postFailed(Cursor &cursor)
{
    const QString error = cursor.lastError();
    cursor.cancel();
    emit storeError(error);
    return false;
}

void TaskPad::followCalendarChange()
{
    // While the task editor holds its task in edit the list stays; the
    // view is applied anew when the editor closes.
    if (tasks().isOpen() && tasks().state() == Cursor::State::Browse)
        reload();
}

void TaskPad::reload()
{
    Cursor &cursor = tasks();
    if (!cursor.isOpen() || cursor.state() != Cursor::State::Browse) {
        m_list->setRows({}, -1);
        return;
    }
    // Tasks posted through other cursors (the reminders window's) show too.
    cursor.refresh();
    const qint64 keep = cursor.currentId();
    std::vector<TaskRow> rows;
    rows.reserve(size_t(cursor.recordCount()));
    for (cursor.first(); !cursor.eof(); cursor.next())
        rows.push_back({cursor.asInt(ItemField::No), cursor.asText(ItemField::Subject), cursor.asBool(ItemField::C),
                        cursor.asDate(ItemField::E)});
    if (keep == 0 || !cursor.locate(ItemField::No, keep))
        cursor.first();
    int current = -1;
    const qint64 now = cursor.currentId();
    for (int i = 0; i < int(rows.size()); ++i) {
        if (rows[size_t(i)].no == now)
            current = i;
    }
    m_list->setRows(std::move(rows), current);
}

// --- quick add -------------------------------------------------------------------

bool TaskPad::holdsSubject() const
{
    const QString text = m_box->text();
    return text != placeholderText() && !text.trimmed().isEmpty();
}

void TaskPad::startTyping()
{
    m_typing = true;
    m_box->clear();
    setBoxColour(m_box, Qt::black);
    m_tick->setChecked(false);
    m_tick->show();
}

void TaskPad::leaveTyping()
{
    m_typing = false;
    m_tick->hide();
    m_tick->setChecked(false);
    setBoxColour(m_box, QColor(128, 128, 128));
    m_box->setText(placeholderText());
    m_box->setCursorPosition(0);
    if (isVisible())
        m_list->setFocus(Qt::OtherFocusReason);
}

bool TaskPad::addPendingTask()
{
    Cursor &cursor = tasks();
    if (!holdsSubject() || !cursor.isOpen() || cursor.state() != Cursor::State::Browse)
        return false;
    const TDataModule2::UndoStep step(m_data, QStringLiteral("New Task"));
    cursor.insert();
    cursor.setValue(ItemField::Subject, m_box->text());
    cursor.setValue(ItemField::C, m_tick->isChecked());
    cursor.setValue(ItemField::Ta, true);
    cursor.setValue(ItemField::P, TaskPriority::Normal);
    // A refused task keeps its text in the box, so nothing typed is lost.
    if (!cursor.post())
        return postFailed(cursor);
    m_tick->setChecked(false);
    m_box->clear();
    return true;
}

bool TaskPad::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_box && event->type() == QEvent::MouseButtonPress && m_box->text() == placeholderText())
        startTyping();
    return QWidget::eventFilter(watched, event);
}

// --- the list ----------------------------------------------------------------------

void TaskPad::listPressed(int row)
{
    const qint64 pressedNo = row >= 0 ? m_list->rows()[size_t(row)].no : 0;
    if (holdsSubject()) {
        // A refused task stays in the box, still being typed, until it is
        // posted or the user clears it.
        if (addPendingTask())
            leaveTyping();
    } else if (m_typing) {
        leaveTyping();
    }
    if (pressedNo == 0)
        return;
    const auto &rows = m_list->rows();
    for (int i = 0; i < int(rows.size()); ++i) {
        if (rows[size_t(i)].no == pressedNo)
            selectRow(i);
    }
}

void TaskPad::listClicked(int row, const QPoint &pos)
{
    // The completion column, measured from the pane's edge as the list
    // sits 3 pixels inside it.
    const int paneX = pos.x() + margin;
    if (paneX > 22 && paneX < 40 && tasks().recordCount() > 0)
        flipCompletion(row);
}

void TaskPad::selectRow(int row)
{
    const auto &rows = m_list->rows();
    if (row < 0 || row >= int(rows.size()) || tasks().state() != Cursor::State::Browse)
        return;
    if (tasks().locate(ItemField::No, rows[size_t(row)].no))
        m_list->setCurrentIndex(row);
}

bool TaskPad::flipCompletion(int index)
{
    Cursor &cursor = tasks();
    const auto &rows = m_list->rows();
    if (index < 0 || index >= int(rows.size()) || cursor.state() != Cursor::State::Browse)
        return false;
    if (!cursor.locate(ItemField::No, rows[size_t(index)].no) || !cursor.edit())
        return false;
    const bool completing = !cursor.asBool(ItemField::C);
    const TDataModule2::UndoStep step(m_data, completing ? QStringLiteral("Complete") : QStringLiteral("Reopen"));
    cursor.setValue(ItemField::C, completing);
    if (!cursor.post())
        return postFailed(cursor);
    return true;
}

bool TaskPad::deleteCurrentTask()
{
    Cursor &cursor = tasks();
    if (cursor.state() != Cursor::State::Browse || cursor.recordCount() == 0 || cursor.eof())
        return false;
    const TDataModule2::UndoStep step(m_data, QStringLiteral("Delete"));
    if (!cursor.deleteRow()) {
        emit storeError(cursor.lastError());
        return false;
    }
    return true;
}

// --- layout and drawing ----------------------------------------------------------

QRect TaskPad::headerRect() const
{
    return QRect(margin, margin, width() - 2 * margin, headerHeight);
}

QRect TaskPad::quickAddRect() const
{
    return QRect(margin, margin + headerHeight, width() - 2 * margin, quickAddHeight);
}

void TaskPad::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const QRect row = quickAddRect();
    m_tick->move(row.left() + quickAddTickLeft, row.top() + (quickAddHeight - m_tick->height()) / 2);
    m_box->setGeometry(row.left() + quickAddBoxLeft, row.top() + 1, std::max(1, row.width() - quickAddBoxLeft - 1),
                       quickAddHeight - 2);
    m_list->setGeometry(margin, row.bottom() + 1, std::max(1, width() - 2 * margin),
                        std::max(1, height() - row.bottom() - 1 - margin));
}

void TaskPad::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect header = headerRect();
    painter.fillRect(header, palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(header.bottomLeft(), header.bottomRight());
    const int x = header.left();
    painter.drawLine(x + TaskList::pictureColumnWidth, header.top() + 2, x + TaskList::pictureColumnWidth,
                     header.bottom() - 2);
    painter.drawLine(x + TaskList::subjectLeft, header.top() + 2, x + TaskList::subjectLeft, header.bottom() - 2);
    const QImage page = TaskPictures::page();
    const QImage tick = TaskPictures::tick();
    painter.drawImage(x + 5, header.top() + (headerHeight - page.height()) / 2, page);
    painter.drawImage(x + 22, header.top() + (headerHeight - tick.height()) / 2, tick);

    const QRect row = quickAddRect();
    painter.fillRect(row, Qt::white);
    painter.setPen(frameColor());
    painter.drawRect(row.adjusted(0, 0, -1, -1));
}
