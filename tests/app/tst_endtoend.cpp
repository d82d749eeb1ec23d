// The planner as main() puts it together (installSubsystems on a program
// run): a double click on the day grid opens the event editor, OK gives the
// new item its block, and the block menu's Open and Delete reach the item.
// A broken connection anywhere in that wiring fails here.

#include "store/Clock.h"
#include "views/DayBlock.h"
#include "views/DayGrid.h"
#include "views/DayView.h"
#include "resources/DaybrookResources.h"
#include "app/PlannerProgram.h"
#include "app/Subsystems.h"
#include "tests/support/TestSupport.h"
#include "app/Unit1.h"
#include "store/Unit2.h"
#include "editors/Unit3.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {
const QDate today(2025, 3, 12);

QAction *menuAction(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}
} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void newEventOpenAndDeleteThroughTheWindow();
};

void EndToEndTest::initTestCase()
{
    pinTestLocale();
    initDaybrookResources();
    Clock::setNowForTesting(QDateTime(today, QTime(8, 0)));
}

void EndToEndTest::newEventOpenAndDeleteThroughTheWindow()
{
    TempHome home;
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    QStringList messages;
    PlannerProgram::Settings settings;
    settings.root = DataRoot(home.path());
    settings.trayAvailable = [] { return false; };
    settings.showMessage = [&messages](const QString &text) { messages << text; };
    PlannerProgram program(std::move(settings));
    installSubsystems(program);
    const Outcome started = program.start();
    QVERIFY2(started, qPrintable(started.error()));

    TForm1 &window = program.mainWindow();
    window.resize(1000, 1100); // the whole day without scrolling
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *day = qobject_cast<DayView *>(window.viewWidget(TForm1::View::Day));
    QVERIFY(day);
    QVERIFY(day->isVisible());
    auto *editor = window.findChild<TForm3 *>();
    QVERIFY(editor);
    QStringList editorMessages;
    editor->setMessageReporter(
        [&editorMessages](QWidget *, TForm3::MessageKind, const QString &text) { editorMessages << text; });

    // Double click in the 09:00 row: a new appointment from 9:00 to 9:30.
    DayGrid *grid = day->grid();
    const QPoint nine(grid->width() / 2, 19 * 18 + 9);
    QTest::mouseClick(grid, Qt::LeftButton, {}, nine);
    QTest::mouseDClick(grid, Qt::LeftButton, {}, nine);
    QTRY_VERIFY(editor->isVisible());
    QCOMPARE(editor->startTimeBox()->text(), QString("9:00 AM"));
    QCOMPARE(editor->endTimeBox()->text(), QString("9:30 AM"));
    QTest::keyClicks(editor->subjectBox(), "Dentist");
    QTest::mouseClick(editor->okButton(), Qt::LeftButton);
    QVERIFY2(editorMessages.isEmpty(), qPrintable(editorMessages.join('\n')));
    QTRY_VERIFY(!editor->isVisible());

    QCOMPARE(day->blocks().size(), 1);
    DayBlock *block = day->blocks().first();
    QVERIFY(grid->isVisible());
    QCOMPARE(grid->blockAt(block->area().center()), block);
    QVERIFY2(block->label().endsWith("Dentist"), qPrintable(block->label()));
    QCOMPARE(block->extent(), QRect(0, 341, grid->width() - 3, 19));
    const qint64 no = block->itemNo();

    // Block menu, Open: the editor opens on the item.
    QTest::mousePress(grid, Qt::RightButton, {}, block->area().topLeft() + QPoint(10, 5));
    QTest::mouseRelease(grid, Qt::RightButton, {}, block->area().topLeft() + QPoint(10, 5));
    QMenu *menu = window.blockMenu();
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
    QAction *open = menuAction(menu, "Open");
    QVERIFY(open);
    open->trigger();
    QTRY_VERIFY(editor->isVisible());
    QCOMPARE(editor->subjectBox()->text(), QString("Dentist"));
    QCOMPARE(program.dataModule().Table50().currentId(), no);
    QTest::mouseClick(editor->cancelButton(), Qt::LeftButton);
    QTRY_VERIFY(!editor->isVisible());

    // Block menu, Delete: the block and the item are gone.
    block = day->block(no);
    QVERIFY(block);
    QTest::mousePress(grid, Qt::RightButton, {}, block->area().topLeft() + QPoint(10, 5));
    QTest::mouseRelease(grid, Qt::RightButton, {}, block->area().topLeft() + QPoint(10, 5));
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
    QAction *remove = menuAction(menu, "Delete");
    QVERIFY(remove);
    remove->trigger();
    QTRY_VERIFY(day->blocks().isEmpty());
    Cursor &all = program.dataModule().table(2);
    all.setFiltered(false);
    all.refresh();
    QCOMPARE(all.recordCount(), 0);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    program.exit();
}

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
