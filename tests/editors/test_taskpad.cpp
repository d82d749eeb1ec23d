// The task pad on a real calendar: the five views on a small table of
// tasks, quick add, the completion click, deletion, the column rule and
// the drawing of the rows.

#include "store/Clock.h"
#include "store/Cursor.h"
#include "editors/TaskList.h"
#include "editors/TaskPad.h"
#include "store/TaskPadFilter.h"
#include "tests/support/TestSupport.h"
#include "store/Unit2.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using View = DataModuleHost::View;

Q_DECLARE_METATYPE(View)

namespace {

// A Wednesday; its week starts on Monday 13 May, its month view on 29 April.
const QDate today(2024, 5, 15);
const QDate weekFirst(2024, 5, 13);
const QDate monthFirst(2024, 4, 29);

QPoint rowPoint(const TaskList *list, int row, int x)
{
    return QPoint(x, list->rowRect(row).center().y());
}

} // namespace

class TestTaskPad : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void viewFilters_data();
    void viewFilters();
    void viewFilterTexts_data();
    void viewFilterTexts();
    void viewIsStoredAndKeptUntilApplied();

    void quickAdd_data();
    void quickAdd();
    void pressInListAddsPendingTaskAndLeavesTyping();
    void pressInListWithEmptyBoxOnlyLeavesTyping();
    void refusedQuickAddKeepsTheText();

    void completionClick_data();
    void completionClick();
    void deleteWithoutConfirmation();
    void doubleClickAsksForTheEditor();
    void columnRule();

    void drawing();
    void emptyListText_data();
    void emptyListText();

private:
    qint64 addTask(const QString &subject, const QVariantMap &fields = {});
    QStringList listed() const;
    Cursor &stored(qint64 no);
    void applyView(int view, View current = View::Day, const QDate &navigator = today);

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TDataModule2> m_data;
    std::unique_ptr<TaskPad> m_pad;
    TaskPadFilter::Dates m_dates;
};

void TestTaskPad::initTestCase()
{
    pinTestLocale();
    Clock::setNowForTesting(QDateTime(today, QTime(12, 0)));
}

void TestTaskPad::init()
{
    m_home = std::make_unique<TempHome>();
    m_data = std::make_unique<TDataModule2>(DataRoot(m_home->path()));
    const Outcome started = m_data->startUp();
    QVERIFY2(started, qPrintable(started.error()));
    m_pad = std::make_unique<TaskPad>(*m_data);
    // As the planner's wiring does.
    connect(m_data.get(), &TDataModule2::calendarChanged, m_pad.get(), &TaskPad::followCalendarChange);
    m_pad->setDatesSource([this] { return m_dates; });
    m_pad->resize(194, 300);
    m_pad->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pad.get()));
    applyView(1);
}

void TestTaskPad::cleanup()
{
    m_pad.reset();
    m_data.reset();
    m_home.reset();
}

qint64 TestTaskPad::addTask(const QString &subject, const QVariantMap &fields)
{
    Cursor &cursor = m_data->table(1);
    cursor.insert();
    cursor.setValue(QStringLiteral("Subject"), subject);
    cursor.setValue(QStringLiteral("Ta"), true);
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        cursor.setValue(it.key(), it.value());
    if (!cursor.post()) {
        qWarning() << cursor.lastError();
        return 0;
    }
    return cursor.currentId();
}

QStringList TestTaskPad::listed() const
{
    QStringList subjects;
    for (const TaskRow &row : m_pad->list()->rows())
        subjects << row.subject;
    return subjects;
}

Cursor &TestTaskPad::stored(qint64 no)
{
    Cursor &cursor = m_data->table(2);
    cursor.setFiltered(false);
    cursor.refresh();
    if (!cursor.locate(QStringLiteral("No"), no))
        qWarning() << "item" << no << "not stored";
    return cursor;
}

void TestTaskPad::applyView(int view, View current, const QDate &navigator)
{
    m_dates.current = current;
    m_dates.today = today;
    m_dates.navigator = navigator;
    m_dates.weekFirstDate = weekFirst;
    m_dates.monthFirstDate = monthFirst;
    m_pad->applyView(view);
}

// --- views -------------------------------------------------------------------

void TestTaskPad::viewFilters_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<View>("current");
    QTest::addColumn<QStringList>("expected");

    const QStringList all = {"no due date", "due today", "overdue", "starts next Monday", "completed"};
    for (View current : {View::Day, View::Week, View::Month}) {
        const char *name = current == View::Day ? "day" : current == View::Week ? "week" : "month";
        QTest::addRow("all tasks, %s view", name) << 1 << current << all;
        QTest::addRow("today's tasks, %s view", name) << 2 << current << QStringList {"no due date", "due today"};
        QTest::addRow("next seven days, %s view", name)
            << 4 << current << QStringList {"no due date", "starts next Monday"};
        QTest::addRow("overdue, %s view", name) << 5 << current << QStringList {"no due date", "overdue"};
    }
    QTest::newRow("selected days, day view: started by the navigator date")
        << 3 << View::Day << QStringList {"no due date", "due today", "overdue", "completed"};
    QTest::newRow("selected days, week view: Monday to next Monday")
        << 3 << View::Week << QStringList {"no due date", "due today", "starts next Monday", "completed"};
    QTest::newRow("selected days, month view: 43 days from the first cell") << 3 << View::Month << all;
}

void TestTaskPad::viewFilters()
{
    QFETCH(int, view);
    QFETCH(View, current);
    QFETCH(QStringList, expected);

    addTask("no due date");
    addTask("due today", {{"S", weekFirst}, {"E", today}});
    addTask("overdue", {{"S", QDate(2024, 5, 1)}, {"E", QDate(2024, 5, 10)}});
    addTask("starts next Monday", {{"S", QDate(2024, 5, 20)}, {"E", QDate(2024, 5, 22)}});
    addTask("completed", {{"C", true}, {"S", QDate(2024, 5, 14)}, {"E", QDate(2024, 5, 16)}});
    // An appointment of today is no task and is never listed.
    Cursor &cursor = m_data->table(1);
    cursor.insert();
    cursor.setValue("Subject", "an appointment");
    cursor.setValue("S", today);
    cursor.setValue("E", today);
    QVERIFY(cursor.post());

    applyView(view, current);
    QCOMPARE(listed(), expected);
    QCOMPARE(m_pad->currentView(), view);
}

void TestTaskPad::viewFilterTexts_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<View>("current");
    QTest::addColumn<QString>("text");

    QTest::newRow("all") << 1 << View::Day << "Ta='True'";
    QTest::newRow("today's") << 2 << View::Day
                             << "Ta='True' and E='2024-05-15' or E=Null and Ta='True' or S=Null and Ta='True'";
    QTest::newRow("selected days, day")
        << 3 << View::Day << "Ta='True' and S<='2024-05-15' or E=Null and Ta='True' or S=Null and Ta='True'";
    QTest::newRow("selected days, week")
        << 3 << View::Week
        << "Ta='True' and S>='2024-05-13' and S<='2024-05-20' or E=Null and Ta='True' or S=Null and Ta='True'";
    QTest::newRow("selected days, month")
        << 3 << View::Month
        << "Ta='True' and S>='2024-04-29' and S<='2024-06-10' or E=Null and Ta='True' or S=Null and Ta='True'";
    QTest::newRow("next seven days")
        << 4 << View::Day
        << "Ta='True' and S>='2024-05-15' and S<='2024-05-22' or E=Null and Ta='True' or S=Null and Ta='True'";
    QTest::newRow("overdue") << 5 << View::Day << "Ta='True' and E<'2024-05-15' or E=Null and Ta='True'";
    QTest::newRow("a stored number out of range is all tasks") << 7 << View::Day << "Ta='True'";
}

void TestTaskPad::viewFilterTexts()
{
    QFETCH(int, view);
    QFETCH(View, current);
    QFETCH(QString, text);
    applyView(view, current);
    QCOMPARE(m_data->Table47().filter(), text);
    QVERIFY(m_data->Table47().filtered());
}

void TestTaskPad::viewIsStoredAndKeptUntilApplied()
{
    addTask("starts tomorrow", {{"S", today.addDays(1)}, {"E", today.addDays(2)}});
    QSignalSpy applied(m_pad.get(), &TaskPad::viewApplied);

    applyView(4, View::Day, today.addDays(-10));
    QCOMPARE(applied.count(), 1);
    QCOMPARE(applied.at(0).at(0).toInt(), 4);
    QCOMPARE(m_data->Table61().asInt("8"), 4);
    QCOMPARE(listed(), QStringList());

    // The navigator moves on: the list keeps the view it was given...
    m_dates.navigator = today;
    m_pad->reload();
    QCOMPARE(listed(), QStringList());
    // ...until the stored view is applied again.
    m_pad->applyStoredView();
    QCOMPARE(listed(), QStringList {"starts tomorrow"});
}

// --- quick add ---------------------------------------------------------------------

void TestTaskPad::quickAdd_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::newRow("tick left empty: an open task") << false;
    QTest::newRow("tick clicked: a completed task") << true;
}

void TestTaskPad::quickAdd()
{
    QFETCH(bool, ticked);
    QLineEdit *box = m_pad->quickAddBox();
    QCOMPARE(box->text(), QString("Click here to add a new Task"));
    QCOMPARE(box->palette().color(QPalette::Text), QColor(128, 128, 128));
    QVERIFY(!m_pad->quickAddTick()->isVisible());

    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(10, 5));
    QVERIFY(m_pad->isTyping());
    QCOMPARE(box->text(), QString());
    QCOMPARE(box->palette().color(QPalette::Text), QColor(Qt::black));
    QVERIFY(m_pad->quickAddTick()->isVisible());
    QVERIFY(!m_pad->quickAddTick()->isChecked());

    QTest::keyClicks(box, "Buy milk");
    if (ticked)
        QTest::mouseClick(m_pad->quickAddTick(), Qt::LeftButton);
    QCOMPARE(m_pad->quickAddTick()->isChecked(), ticked);
    QTest::keyClick(box, Qt::Key_Return);

    QCOMPARE(listed(), QStringList {"Buy milk"});
    Cursor &task = stored(m_pad->list()->rows().front().no);
    QCOMPARE(task.asText("Subject"), QString("Buy milk"));
    QCOMPARE(task.asBool("C"), ticked);
    QVERIFY(!task.isBlank("C"));
    QVERIFY(task.asBool("Ta"));
    QCOMPARE(task.asText("P"), QString("Normal"));
    for (const char *blank : {"S", "E", "R", "Rs", "Rt"})
        QVERIFY2(task.isBlank(blank), blank);

    // Typing goes on, with an empty box and an empty tick.
    QVERIFY(m_pad->isTyping());
    QCOMPARE(box->text(), QString());
    QVERIFY(m_pad->quickAddTick()->isVisible());
    QVERIFY(!m_pad->quickAddTick()->isChecked());

    // Enter on an empty box adds nothing.
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(listed().size(), 1);
}

void TestTaskPad::pressInListAddsPendingTaskAndLeavesTyping()
{
    addTask("first");
    m_pad->reload();
    QLineEdit *box = m_pad->quickAddBox();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(10, 5));
    QTest::keyClicks(box, "Call Anna");

    TaskList *list = m_pad->list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowPoint(list, 0, 80));
    QCOMPARE(listed(), (QStringList {"first", "Call Anna"}));
    QVERIFY(!m_pad->isTyping());
    QCOMPARE(box->text(), QString("Click here to add a new Task"));
    QVERIFY(!m_pad->quickAddTick()->isVisible());
    QVERIFY(list->hasFocus());
    // The pressed task is the current one, in the list and on the cursor.
    QCOMPARE(list->currentIndex(), 0);
    QCOMPARE(m_data->Table47().asText("Subject"), QString("first"));
}

void TestTaskPad::pressInListWithEmptyBoxOnlyLeavesTyping()
{
    QLineEdit *box = m_pad->quickAddBox();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(10, 5));
    QTest::keyClicks(box, "   ");
    QTest::mouseClick(m_pad->list()->viewport(), Qt::LeftButton, {}, QPoint(80, 40));
    QCOMPARE(listed(), QStringList());
    QVERIFY(!m_pad->isTyping());
    QCOMPARE(box->text(), QString("Click here to add a new Task"));
}

// The store refuses the task (subjects hold 150 characters; the box's
// limit is lifted, as for text pasted from elsewhere): a press in the list
// must not throw the typed text away.
void TestTaskPad::refusedQuickAddKeepsTheText()
{
    addTask("first");
    m_pad->reload();
    QSignalSpy errors(m_pad.get(), &TaskPad::storeError);
    QLineEdit *box = m_pad->quickAddBox();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(10, 5));
    box->setMaxLength(400);
    const QString tooLong = QString("Call Anna ").repeated(16);
    box->setText(tooLong);

    TaskList *list = m_pad->list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowPoint(list, 0, 80));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(listed(), QStringList {"first"});
    QVERIFY(m_pad->isTyping());
    QCOMPARE(box->text(), tooLong);
    QVERIFY(m_pad->quickAddTick()->isVisible());

    // Shortened, it goes in at the next press and the box is idle again.
    box->setText("Call Anna");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowPoint(list, 0, 80));
    QCOMPARE(listed(), (QStringList {"first", "Call Anna"}));
    QVERIFY(!m_pad->isTyping());
    QCOMPARE(box->text(), QString("Click here to add a new Task"));
}

// --- the list ---------------------------------------------------------------------

void TestTaskPad::completionClick_data()
{
    QTest::addColumn<int>("x"); // in the list; the pane's edge is 3 pixels to the left
    QTest::addColumn<bool>("flips");
    QTest::newRow("picture column, 22 from the pane") << 19 << false;
    QTest::newRow("first pixel inside, 23 from the pane") << 20 << true;
    QTest::newRow("middle of the box") << 28 << true;
    QTest::newRow("last pixel inside, 39 from the pane") << 36 << true;
    QTest::newRow("subject, 40 from the pane") << 37 << false;
}

void TestTaskPad::completionClick()
{
    QFETCH(int, x);
    QFETCH(bool, flips);
    addTask("other");
    const qint64 blank = addTask("blank C");
    QVERIFY(stored(blank).isBlank("C"));
    m_pad->reload();

    TaskList *list = m_pad->list();
    QCOMPARE(list->rows().size(), size_t(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowPoint(list, 1, x));
    QCOMPARE(stored(blank).asBool("C"), flips);
    QCOMPARE(list->rows().at(1).completed, flips);
    if (!flips)
        return;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowPoint(list, 1, x));
    QCOMPARE(stored(blank).asBool("C"), false);
    QVERIFY(!stored(blank).isBlank("C"));
}

void TestTaskPad::deleteWithoutConfirmation()
{
    addTask("keep");
    const qint64 gone = addTask("delete me");
    m_pad->reload();
    TaskList *list = m_pad->list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowPoint(list, 1, 80));

    QTest::keyClick(list, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(listed(), (QStringList {"keep", "delete me"}));

    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(listed(), QStringList {"keep"});
    Cursor &cursor = m_data->table(2);
    cursor.setFiltered(false);
    cursor.refresh();
    QVERIFY(!cursor.locate("No", gone));

    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(listed(), QStringList());
    QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(list->subjectColumnWidth(), list->width() - 37);
    QTest::keyClick(list, Qt::Key_Delete); // nothing left: nothing happens
}

void TestTaskPad::doubleClickAsksForTheEditor()
{
    QSignalSpy open(m_pad.get(), &TaskPad::openTaskRequested);
    TaskList *list = m_pad->list();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(80, 5));
    QCOMPARE(open.count(), 0); // no tasks

    addTask("one");
    addTask("two");
    m_pad->reload();
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, rowPoint(list, 1, 80));
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, rowPoint(list, 1, 80));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rowPoint(list, 1, 80));
    QCOMPARE(open.count(), 1);
    QCOMPARE(m_data->Table47().asText("Subject"), QString("two"));
}

void TestTaskPad::columnRule()
{
    TaskList *list = m_pad->list();
    QCOMPARE(list->geometry(), QRect(3, 3 + 19 + 24, 194 - 6, 300 - 3 - 19 - 24 - 3));
    QCOMPARE(list->subjectColumnWidth(), list->width() - 37);
    QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    QLineEdit *box = m_pad->quickAddBox();
    QCOMPARE(box->x(), 3 + 40);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(10, 5));
    QCOMPARE(m_pad->quickAddTick()->geometry(), QRect(3 + 22, 3 + 19 + 5, 13, 13));
    QTest::keyClicks(box, "a task");
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(list->subjectColumnWidth(), list->width() - 53);
    QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(list->rowRect(0).height(), 18);
    QCOMPARE(list->rowRect(1).top(), 18);
}

// --- drawing -------------------------------------------------------------------------

namespace {

// Text is smoothed, so its pixels only come near its colour.
bool near(const QColor &a, const QColor &b)
{
    return std::abs(a.red() - b.red()) <= 40 && std::abs(a.green() - b.green()) <= 40
        && std::abs(a.blue() - b.blue()) <= 40;
}

// Pixels of about the colour in the subject column of a row, and the
// longest horizontal run of them (a strike-out line is one long run).
struct Ink
{
    int count = 0;
    int longestRun = 0;
};

Ink inkOf(const QImage &image, const QRect &area, const QColor &colour)
{
    Ink ink;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        int run = 0;
        for (int x = area.left(); x <= area.right(); ++x) {
            if (near(image.pixelColor(x, y), colour)) {
                ++ink.count;
                ink.longestRun = std::max(ink.longestRun, ++run);
            } else {
                run = 0;
            }
        }
    }
    return ink;
}

} // namespace

void TestTaskPad::drawing()
{
    addTask("Open and on time", {{"E", today}});
    addTask("Overdue open task", {{"E", today.addDays(-1)}});
    addTask("Completed on time", {{"C", true}, {"E", today.addDays(3)}});
    addTask("Completed overdue", {{"C", true}, {"E", today.addDays(-1)}});
    addTask("Selected overdue", {{"E", today.addDays(-1)}});
    m_pad->reload();
    TaskList *list = m_pad->list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowPoint(list, 4, 80));
    QVERIFY(list->hasFocus());

    const QImage image = list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (qEnvironmentVariableIsSet("TASKPAD_SHOT"))
        image.save(qEnvironmentVariable("TASKPAD_SHOT"));
    const auto subjectArea = [&](int row) {
        const QRect r = list->rowRect(row);
        return QRect(TaskList::subjectLeft, r.top(), list->subjectColumnWidth(), r.height());
    };
    const QColor red(255, 0, 0), grey(128, 128, 128), black(Qt::black), white(Qt::white);
    const QColor blue(49, 106, 197);

    // Open and due today: black, not struck.
    QVERIFY(inkOf(image, subjectArea(0), black).count > 20);
    QCOMPARE(inkOf(image, subjectArea(0), red).count, 0);
    // Due yesterday: red, not struck.
    const Ink overdue = inkOf(image, subjectArea(1), red);
    QVERIFY(overdue.count > 20);
    QVERIFY(overdue.longestRun < 30);
    QCOMPARE(inkOf(image, subjectArea(1), black).count, 0);
    // Completed: grey and struck out.
    const Ink done = inkOf(image, subjectArea(2), grey);
    QVERIFY(done.count > 20);
    QVERIFY2(done.longestRun >= 50, qPrintable(QString::number(done.longestRun)));
    // Completed and overdue: red and struck out.
    const Ink doneLate = inkOf(image, subjectArea(3), red);
    QVERIFY2(doneLate.longestRun >= 50, qPrintable(QString::number(doneLate.longestRun)));
    QCOMPARE(inkOf(image, subjectArea(3), grey).count, 0);
    // The selected row, with the focus: blue across the row, white text, no red.
    QCOMPARE(image.pixelColor(list->rowRect(4).topLeft() + QPoint(1, 0)), blue);
    QCOMPARE(image.pixelColor(subjectArea(4).right() - 1, subjectArea(4).top() + 1), blue);
    QVERIFY(inkOf(image, subjectArea(4), white).count > 20);
    QCOMPARE(inkOf(image, subjectArea(4), red).count, 0);
    // Unselected rows keep the list's white ground.
    QCOMPARE(image.pixelColor(subjectArea(0).right() - 1, subjectArea(0).top() + 1), white);

    // Without the focus the selection turns to the button face with black text.
    m_pad->quickAddBox()->setFocus();
    QTRY_VERIFY(!list->hasFocus());
    const QImage unfocused = list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor face = list->palette().color(QPalette::Button);
    QCOMPARE(unfocused.pixelColor(subjectArea(4).right() - 1, subjectArea(4).top() + 1), face);
    QVERIFY(inkOf(unfocused, subjectArea(4), black).count > 20);
    QCOMPARE(inkOf(unfocused, subjectArea(4), red).count, 0);
}

void TestTaskPad::emptyListText_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("left");
    QTest::newRow("wider than 200: 50 from the left") << 201 << 50;
    QTest::newRow("exactly 200: 2 from the left") << 200 << 2;
}

void TestTaskPad::emptyListText()
{
    QFETCH(int, width);
    QFETCH(int, left);
    addTask("only task");
    m_pad->reload();
    m_pad->resize(width + 6, 300);
    TaskList *list = m_pad->list();
    QCOMPARE(list->width(), width);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowPoint(list, 0, 80));
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(listed(), QStringList());

    const QImage image = list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The text starts at `left`: nothing black before it, black just after.
    int firstInk = -1;
    for (int x = 0; x < image.width() && firstInk < 0; ++x) {
        for (int y = 0; y < 18; ++y) {
            if (near(image.pixelColor(x, y), Qt::black)) {
                firstInk = x;
                break;
            }
        }
    }
    QVERIFY2(firstInk >= left && firstInk <= left + 2, qPrintable(QString::number(firstInk)));
    QCOMPARE(TaskList::emptyText(), QString("There are no items to show in this view"));
    QCOMPARE(image.pixelColor(image.width() - 2, image.height() - 2), QColor(Qt::white));
}

QTEST_MAIN(TestTaskPad)
#include "test_taskpad.moc"
