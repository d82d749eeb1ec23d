// The Edit menu's undo and redo with the planner as main() puts it
// together: each kind of change the user makes in the window is put back
// by Ctrl+Z and made again by Ctrl+Y and Ctrl+Shift+Z, in the file (every
// field and the `No`) and in the view that shows it.

#include "app/PlannerProgram.h"
#include "app/Subsystems.h"
#include "app/Unit1.h"
#include "editors/TaskList.h"
#include "editors/TaskPad.h"
#include "editors/Unit3.h"
#include "reminders/ReminderList.h"
#include "reminders/Unit6.h"
#include "resources/DaybrookResources.h"
#include "store/Clock.h"
#include "store/ItemFields.h"
#include "store/Unit2.h"
#include "tests/support/OutsideProgram.h"
#include "tests/support/TestSupport.h"
#include "views/DayBlock.h"
#include "views/DayGrid.h"
#include "views/DayView.h"
#include "views/ItemCellList.h"
#include "views/MonthView.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace ItemField;

namespace {

const QDate today(2025, 3, 12);
constexpr int rowHeight = 18;

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), widget->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

QAction *menuAction(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

} // namespace

class UndoTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void eachChangeIsUndoneAndRedone_data();
    void eachChangeIsUndoneAndRedone();
    void aRefusedUndoIsTold();

private:
    TDataModule2 &data() { return m_program->dataModule(); }
    QString calendar() { return data().table(1).filePath(); }
    qint64 addItem(const QVariantMap &fields);
    // What the day view and the task pad show: each block and task with
    // what its item holds that the view paints.
    QStringList shown() const;
    void pressBlock(qint64 no, Qt::MouseButton button);
    // Puts what a kind of change needs in place, as no command of the user's.
    bool prepare(const QString &kind);
    bool change(const QString &kind);
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier);

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<QTemporaryDir> m_runtime;
    std::unique_ptr<PlannerProgram> m_program;
    QStringList m_messages;
    DayView *m_day = nullptr;
    MonthView *m_month = nullptr;
    TaskPad *m_pad = nullptr;
    qint64 m_dentist = 0;
    qint64 m_milk = 0;
};

void UndoTest::initTestCase()
{
    pinTestLocale();
    initDaybrookResources();
    Clock::setNowForTesting(QDateTime(today, QTime(8, 0)));
}

void UndoTest::init()
{
    m_home = std::make_unique<TempHome>();
    m_runtime = std::make_unique<QTemporaryDir>();
    qputenv("XDG_RUNTIME_DIR", m_runtime->path().toUtf8());
    m_messages.clear();
    PlannerProgram::Settings settings;
    settings.root = DataRoot(m_home->path());
    settings.trayAvailable = [] { return false; };
    settings.showMessage = [this](const QString &text) { m_messages << text; };
    m_program = std::make_unique<PlannerProgram>(std::move(settings));
    installSubsystems(*m_program);
    const Outcome started = m_program->start();
    QVERIFY2(started, qPrintable(started.error()));
    TForm1 &window = m_program->mainWindow();
    window.resize(1000, 1100); // the whole day without scrolling
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    m_day = qobject_cast<DayView *>(window.viewWidget(TForm1::View::Day));
    m_month = qobject_cast<MonthView *>(window.viewWidget(TForm1::View::Month));
    m_pad = window.findChild<TaskPad *>();
    QVERIFY(m_day && m_month && m_pad);

    m_dentist = addItem(
        {{Subject, "Dentist"}, {S, today}, {E, today}, {Md, "0"}, {St, QTime(9, 0)}, {Et, QTime(10, 0)}, {T, 0}});
    m_milk = addItem({{Subject, "Buy milk"}, {Ta, true}, {C, false}, {P, "Normal"}});
    QVERIFY(m_dentist > 0 && m_milk > 0);
    QTRY_VERIFY(m_day->block(m_dentist));
    QTRY_COMPARE(m_pad->list()->rows().size(), size_t(1));
    // The seed was written by no command of the user's.
    QCOMPARE(window.undoAction()->text(), QString("&Undo"));
    QVERIFY(!window.undoAction()->isEnabled());
    QCOMPARE(window.redoAction()->text(), QString("&Redo"));
    QVERIFY(!window.redoAction()->isEnabled());
}

void UndoTest::cleanup()
{
    if (m_program)
        m_program->exit();
    m_program.reset();
    m_runtime.reset();
    m_home.reset();
}

qint64 UndoTest::addItem(const QVariantMap &fields)
{
    Cursor &cursor = data().Table50();
    cursor.insert();
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        cursor.setValue(it.key(), it.value());
    if (!cursor.post()) {
        qWarning() << cursor.lastError();
        cursor.cancel();
        return 0;
    }
    return cursor.currentId();
}

QStringList UndoTest::shown() const
{
    QStringList items;
    for (const DayBlock *block : m_day->blocks()) {
        items << QStringLiteral("block %1 %2 %3 %4")
                     .arg(block->itemNo())
                     .arg(block->label(), block->color().name())
                     .arg(block->extent().y());
    }
    if (m_month->isVisible()) {
        for (int cell = 0; cell < 42; ++cell) {
            if (const int rows = m_month->cell(cell)->rowCount(); rows > 0)
                items << QStringLiteral("cell %1 %2").arg(cell).arg(rows);
        }
    }
    for (const TaskRow &row : m_pad->list()->rows())
        items << QStringLiteral("task %1 %2 %3").arg(row.no).arg(row.subject).arg(row.completed);
    items.sort();
    return items;
}

void UndoTest::pressBlock(qint64 no, Qt::MouseButton button)
{
    DayBlock *block = m_day->block(no);
    QVERIFY(block);
    QTest::mousePress(m_day->grid(), button, {}, block->area().topLeft() + QPoint(10, 5));
    QTest::mouseRelease(m_day->grid(), button, {}, block->area().topLeft() + QPoint(10, 5));
}

void UndoTest::press(int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(&m_program->mainWindow(), Qt::Key(key), modifiers);
}

bool UndoTest::prepare(const QString &kind)
{
    if (kind == "month cell deleted") {
        m_program->mainWindow().showView(TForm1::View::Month);
        return m_month->isVisible() && m_month->cell(16)->rowCount() == 1; // 12 March
    }
    if (kind != "reminder dismissed" && kind != "reminder snoozed")
        return true;
    // The dentist rings at 8:00, which it is.
    Cursor &cursor = data().Table50();
    if (!cursor.locate(No, m_dentist) || !cursor.edit())
        return false;
    cursor.setValue(R, true);
    cursor.setValue(Rs, today);
    cursor.setValue(Rt, QTime(8, 0));
    cursor.setValue(Tr, "1");
    cursor.setValue(Tm, "hour(s)");
    return cursor.post();
}

bool UndoTest::change(const QString &kind)
{
    TForm1 &window = m_program->mainWindow();
    if (kind == "task deleted") {
        QTest::mouseClick(m_pad->list()->viewport(), Qt::LeftButton, {}, QPoint(60, 9));
        QTest::keyClick(m_pad->list(), Qt::Key_Delete);
        return m_pad->list()->rows().empty();
    }
    if (kind == "task ticked")
        return m_pad->flipCompletion(0);
    if (kind == "task added") {
        m_pad->startTyping();
        QTest::keyClicks(m_pad->quickAddBox(), "Call Anna");
        return m_pad->addPendingTask();
    }
    if (kind == "block deleted" || kind == "block retyped") {
        pressBlock(m_dentist, Qt::RightButton);
        window.blockMenu()->hide();
        QAction *action =
            kind == "block deleted" ? menuAction(window.blockMenu(), "Delete") : window.blockTypeAction(4);
        if (!action)
            return false;
        action->trigger();
        return true;
    }
    if (kind == "block dragged") {
        // Pressed in its middle and moved down by two rows, one row at a
        // time; each point is taken within the block where it then stands.
        DayBlock *block = m_day->block(m_dentist);
        DayGrid *grid = m_day->grid();
        const int x = block->width() / 2, y = block->height() / 2;
        const auto at = [block, x](int localY) { return block->area().topLeft() + QPoint(x, localY); };
        sendMouse(grid, QEvent::MouseButtonPress, at(y), Qt::LeftButton, Qt::LeftButton);
        for (const int down : {rowHeight, 2 * rowHeight})
            sendMouse(grid, QEvent::MouseMove, at(y + down), Qt::NoButton, Qt::LeftButton);
        sendMouse(grid, QEvent::MouseButtonRelease, at(y + 2 * rowHeight), Qt::LeftButton, Qt::NoButton);
        return true;
    }
    if (kind == "item typed") {
        // Typed into the 13:00 row, then the editor closes by a click in the grid.
        DayGrid *grid = m_day->grid();
        QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(grid->width() / 2, 26 * rowHeight + 9));
        QTest::keyClicks(grid, "L");
        QLineEdit *editor = m_day->findChild<QLineEdit *>("SubjectEditor");
        if (!editor || !editor->isVisible())
            return false;
        QTest::keyClicks(editor, "unch");
        QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(grid->width() / 2, 40 * rowHeight + 9));
        return !editor->isVisible();
    }
    if (kind == "month cell deleted") {
        ItemCellList *cell = m_month->cell(16);
        QTest::mouseClick(cell, Qt::LeftButton, {}, QPoint(40, 18 + 9));
        QTest::keyClick(cell, Qt::Key_Delete);
        return cell->rowCount() == 0;
    }
    if (kind == "appointment saved in the editor") {
        auto *editor = window.findChild<TForm3 *>();
        if (!editor)
            return false;
        emit window.newAppointmentRequested();
        if (!editor->isVisible())
            return false;
        QTest::keyClicks(editor->subjectBox(), "Review");
        QTest::mouseClick(editor->okButton(), Qt::LeftButton);
        return !editor->isVisible();
    }
    if (kind == "reminder dismissed" || kind == "reminder snoozed") {
        TForm6 *reminders = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *form = qobject_cast<TForm6 *>(top))
                reminders = form;
        }
        if (!reminders)
            return false;
        reminders->showReminders();
        if (reminders->list()->rows().size() != 1)
            return false;
        if (kind == "reminder dismissed")
            reminders->dismiss();
        else
            reminders->snooze();
        reminders->hide();
        return true;
    }
    return false;
}

void UndoTest::eachChangeIsUndoneAndRedone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("undoText");
    QTest::addColumn<QString>("redoText");
    const auto row = [](const char *name, const char *kind, const char *undoText, const char *redoText) {
        QTest::newRow(name) << QString(kind) << QString(undoText) << QString(redoText);
    };
    row("task deleted in the task pad", "task deleted", "&Undo Delete", "&Redo Delete");
    row("task ticked", "task ticked", "&Undo Complete", "&Redo Complete");
    row("task added by quick add", "task added", "&Undo New Task", "&Redo New Task");
    row("block deleted from its menu", "block deleted", "&Undo Delete", "&Redo Delete");
    row("type chosen in the block menu", "block retyped", "&Undo Change Type", "&Redo Change Type");
    row("block dragged two rows", "block dragged", "&Undo Move", "&Redo Move");
    row("item typed into the day view", "item typed", "&Undo New Item", "&Redo New Item");
    row("appointment saved in the event editor", "appointment saved in the editor", "&Undo New Item", "&Redo New Item");
    row("item deleted in the month view", "month cell deleted", "&Undo Delete", "&Redo Delete");
    row("reminder dismissed", "reminder dismissed", "&Undo Dismiss", "&Redo Dismiss");
    row("reminder snoozed", "reminder snoozed", "&Undo Snooze", "&Redo Snooze");
}

void UndoTest::eachChangeIsUndoneAndRedone()
{
    QFETCH(QString, kind);
    QFETCH(QString, undoText);
    QFETCH(QString, redoText);
    TForm1 &window = m_program->mainWindow();
    QVERIFY(prepare(kind));
    QVERIFY(!window.undoAction()->isEnabled());
    const QStringList fileBefore = fileRows(calendar());
    const QStringList shownBefore = shown();

    QVERIFY(change(kind));
    const QStringList fileAfter = fileRows(calendar());
    QVERIFY(fileAfter != fileBefore);
    // A reminder's dismissal or snooze shows in no view of the window.
    const bool shows = !kind.startsWith("reminder");
    if (shows)
        QTRY_VERIFY(shown() != shownBefore);
    const QStringList shownAfter = shown();
    QCOMPARE(window.undoAction()->text(), undoText);
    QVERIFY(window.undoAction()->isEnabled());
    QVERIFY(!window.redoAction()->isEnabled());

    press(Qt::Key_Z);
    QCOMPARE(fileRows(calendar()), fileBefore);
    QTRY_COMPARE(shown(), shownBefore);
    QCOMPARE(window.undoAction()->text(), QString("&Undo"));
    QVERIFY(!window.undoAction()->isEnabled());
    QCOMPARE(window.redoAction()->text(), redoText);
    QVERIFY(window.redoAction()->isEnabled());

    press(Qt::Key_Y);
    QCOMPARE(fileRows(calendar()), fileAfter);
    QTRY_COMPARE(shown(), shownAfter);
    QCOMPARE(window.undoAction()->text(), undoText);

    press(Qt::Key_Z);
    QCOMPARE(fileRows(calendar()), fileBefore);
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(fileRows(calendar()), fileAfter);
    QTRY_COMPARE(shown(), shownAfter);
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('\n')));
}

// Another program renamed the task after it was ticked: the undo would
// write over that, so it is refused with a message and nothing changes.
void UndoTest::aRefusedUndoIsTold()
{
    TForm1 &window = m_program->mainWindow();
    QVERIFY(m_pad->flipCompletion(0));
    QVERIFY(runOutside(calendar(), "UPDATE items SET Subject = 'Buy oat milk'"));
    const QStringList outside = fileRows(calendar());

    window.undoAction()->trigger();
    QCOMPARE(m_messages,
             QStringList {"Undo Complete is not possible: another program has changed the item since. Nothing was "
                          "changed, and this change has been taken off the list."});
    QCOMPARE(fileRows(calendar()), outside);
    QCOMPARE(window.undoAction()->text(), QString("&Undo"));
    QVERIFY(!window.undoAction()->isEnabled());
}

QTEST_MAIN(UndoTest)
#include "tst_undo.moc"
