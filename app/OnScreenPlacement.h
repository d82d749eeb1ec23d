#pragma once

#include <QObject>
#include <QRect>

class QWidget;

// Keeps every window and dialog the planner opens inside the available area
// of a screen (the screen less its panels), whoever created it: a window
// that was never placed opens centred over the window it belongs to, and
// any window that would reach past the edges is moved, and if need be made
// smaller, to lie within them. Installed once on the application, it acts
// as each window is about to be shown.
class OnScreenPlacement : public QObject
{
    Q_OBJECT
public:
    // Installs the one filter on the running application.
    static void install();

    // The frame a window of `frame` takes in `available`: moved in, and
    // shrunk where it is larger.
    static QRect fitted(const QRect &frame, const QRect &available);

    // Places `window` as the filter does when it is shown.
    static void place(QWidget *window);
    // Moves a window on the screen back inside, by its real frame.
    static void keepInside(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
