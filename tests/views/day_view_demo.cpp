// Shows the day view on a throw-away data root with a few overlapping
// appointments and all-day items, drags two blocks and saves screenshots:
//   day_view_demo OUTDIR
#include "store/Clock.h"
#include "store/Cursor.h"
#include "views/DayBlock.h"
#include "views/DayGrid.h"
#include "views/DayView.h"
#include "store/Unit2.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>

namespace {

const QDate day(2024, 5, 1);

qint64 add(Cursor &items, const QString &subject, const QVariantMap &fields)
{
    items.insert();
    items.setValue("Subject", subject);
    items.setValue("S", day);
    items.setValue("E", day);
    items.setValue("Md", "0");
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        items.setValue(it.key(), it.value());
    if (!items.post()) {
        qWarning() << items.lastError();
        items.cancel();
        return 0;
    }
    return items.currentId();
}

void mouse(QWidget *w, QEvent::Type type, int y, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    const QPoint pos(w->width() / 2, y);
    QMouseEvent event(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void gridMouse(QWidget *grid, QEvent::Type type, const QPoint &pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), grid->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(grid, &event);
}

// Presses the block at its own height pressY, moves to each grid height,
// and releases 10 pixels below the block's top where it then stands.
void drag(QWidget *grid, DayBlock *block, int pressY, const QList<int> &gridYs)
{
    const int x = block->width() / 2;
    gridMouse(grid, QEvent::MouseButtonPress, block->area().topLeft() + QPoint(x, pressY), Qt::LeftButton,
              Qt::LeftButton);
    for (int y : gridYs)
        gridMouse(grid, QEvent::MouseMove, QPoint(block->x() + x, y), Qt::NoButton, Qt::LeftButton);
    gridMouse(grid, QEvent::MouseButtonRelease, block->area().topLeft() + QPoint(x, 10), Qt::LeftButton, Qt::NoButton);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    Clock::setNowForTesting(QDateTime(day, QTime(12, 0)));

    QTemporaryDir home;
    TDataModule2 data {DataRoot(home.path() + QLatin1Char('/'))};
    if (const Outcome started = data.startUp(); !started) {
        qWarning() << started.error();
        return 1;
    }
    Cursor &items = data.Table50();
    add(items, "Team meeting", {{"St", QTime(9, 0)}, {"Et", QTime(10, 0)}, {"T", 2}, {"R", true}});
    add(items, "Design review",
        {{"St", QTime(9, 0)}, {"Et", QTime(11, 0)}, {"T", 1}, {"R", true}, {"Re", true}, {"Ret", "2"}, {"Wed", true}});
    const qint64 call = add(items, "Call with Ana", {{"St", QTime(10, 0)}, {"Et", QTime(10, 30)}, {"T", 10}});
    const qint64 lunch = add(items, "Lunch with Sam", {{"St", QTime(13, 0)}, {"Et", QTime(14, 30)}, {"T", 3}});
    add(items, "Quick note", {{"St", QTime(15, 0)}, {"Et", QTime(15, 0)}});
    add(items, "Holiday party", {{"A", true}, {"T", 8}});
    add(items, "Trade fair",
        {{"A", true}, {"T", 6}, {"Md", QVariant()}, {"S", day.addDays(-1)}, {"E", day.addDays(1)}});

    DayView view(data);
    view.setWindowTitle("Daybrook Planner - day view");
    view.resize(620, 560);
    view.setShownDate(day);
    view.show();
    view.build();

    QTimer::singleShot(300, [&] {
        view.grab().save(out + "/day_view_1.png");
        // Lengthen the call by one row and move lunch up one row.
        DayBlock *callBlock = view.block(call);
        drag(view.grid(), callBlock, callBlock->height() - 2, {callBlock->y() + callBlock->height() + 5});
        DayBlock *lunchBlock = view.block(lunch);
        drag(view.grid(), lunchBlock, 5, {lunchBlock->y() - 20});
        view.grab().save(out + "/day_view_2.png");
        if (!data.options().change({{30, true}}))
            qWarning() << "options not written";
        view.rebuild();
        view.grab().save(out + "/day_view_3.png");
        // Select 16:00-17:00 and type an appointment into the rows.
        QWidget *grid = view.grid();
        mouse(grid, QEvent::MouseButtonPress, 32 * 19 + 5, Qt::LeftButton, Qt::LeftButton);
        mouse(grid, QEvent::MouseButtonRelease, 33 * 19 + 5, Qt::LeftButton, Qt::NoButton);
        QWidget *target = grid;
        for (const QChar c : QStringLiteral("Dentist")) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &press);
            target = view.subjectEditor();
        }
        view.grab().save(out + "/day_view_4.png");
        app.quit();
    });
    return app.exec();
}
