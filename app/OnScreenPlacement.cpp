#include "app/OnScreenPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {

// Long enough for a window manager to frame and map a new window.
constexpr int SettleMs = 300;

// Popups and tooltips are placed by Qt next to what opened them; a desktop
// or splash is no window a person moves.
bool isPlacedWindow(const QWidget *widget)
{
    if (!widget->isWindow())
        return false;
    switch (widget->windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::Desktop:
    case Qt::SplashScreen:
    case Qt::Sheet:
    case Qt::Drawer:
        return false;
    default:
        break;
    }
    return !(widget->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized));
}

// The visible window `window` belongs to, if any.
QWidget *ownerOf(const QWidget *window)
{
    QWidget *parent = window->parentWidget();
    QWidget *owner = parent ? parent->window() : nullptr;
    return owner && owner->isVisible() ? owner : nullptr;
}

// The title bar and borders a window manager adds: known once a window is
// on the screen, so taken from the owner for a window not yet shown.
QMargins frameMargins(const QWidget *window, const QWidget *owner)
{
    const QWidget *measured = window->isVisible() || !owner ? window : owner;
    const QRect frame = measured->frameGeometry();
    const QRect inner = measured->geometry();
    const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                           frame.bottom() - inner.bottom());
    // Not known yet (some window managers report the frame late): a title
    // bar and thin borders, so the title bar is not placed off the screen.
    const bool framed = !window->windowFlags().testFlag(Qt::FramelessWindowHint)
        && QGuiApplication::platformName() != QLatin1String("offscreen");
    return margins.isNull() && framed ? QMargins(4, 32, 4, 4) : margins;
}

QScreen *screenFor(const QWidget *window, const QWidget *owner, const QRect &frame)
{
    if (owner && owner->screen())
        return owner->screen();
    if (QScreen *screen = QGuiApplication::screenAt(frame.center()))
        return screen;
    return window->screen() ? window->screen() : QGuiApplication::primaryScreen();
}

} // namespace

void OnScreenPlacement::install()
{
    static OnScreenPlacement *filter = nullptr;
    if (filter || !qApp)
        return;
    filter = new OnScreenPlacement(qApp);
    qApp->installEventFilter(filter);
}

QRect OnScreenPlacement::fitted(const QRect &frame, const QRect &available)
{
    if (!available.isValid())
        return frame;
    QRect result(frame.topLeft(),
                 QSize(std::min(frame.width(), available.width()), std::min(frame.height(), available.height())));
    result.moveLeft(std::clamp(result.left(), available.left(), available.right() + 1 - result.width()));
    result.moveTop(std::clamp(result.top(), available.top(), available.bottom() + 1 - result.height()));
    return result;
}

void OnScreenPlacement::place(QWidget *window)
{
    if (!window || !isPlacedWindow(window))
        return;
    QWidget *owner = ownerOf(window);
    const QMargins margins = frameMargins(window, owner);
    QRect frame = window->geometry().marginsAdded(margins);
    const bool placed = window->testAttribute(Qt::WA_Moved);
    if (!placed && !owner)
        return; // the window manager's own choice, which it keeps on the screen
    if (!placed)
        frame.moveCenter(owner->frameGeometry().center());
    QScreen *screen = screenFor(window, owner, frame);
    if (!screen)
        return;
    const QRect fit = fitted(frame, screen->availableGeometry());
    if (fit.size() != frame.size())
        window->resize(fit.size().shrunkBy(margins));
    if (fit.topLeft() != window->frameGeometry().topLeft() || !placed)
        window->move(fit.topLeft());
}

void OnScreenPlacement::keepInside(QWidget *window)
{
    if (!window->isVisible() || !isPlacedWindow(window))
        return;
    QScreen *screen = window->screen();
    const QRect frame = window->frameGeometry();
    const QRect fit = screen ? fitted(frame, screen->availableGeometry()) : frame;
    if (fit.size() != frame.size())
        window->resize(window->size() - (frame.size() - fit.size()));
    if (fit.topLeft() != frame.topLeft())
        window->move(fit.topLeft());
}

bool OnScreenPlacement::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        QWidget *window = static_cast<QWidget *>(watched);
        place(window);
        // Once the window manager has framed and placed it, its real frame
        // is known: checked again then.
        if (window->isWindow())
            QTimer::singleShot(SettleMs, window, [window] { keepInside(window); });
    }
    return QObject::eventFilter(watched, event);
}
