#pragma once

#include <QAbstractButton>

// A two-state button: its caption beside an empty check box when off, a
// ticked one when on, and a light blue face in a blue frame while on.
// Pressing it flips it; clicked(bool) then reports the new state.
class ToggleButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit ToggleButton(const QString &caption, QWidget *parent = nullptr);

    QSize sizeHint() const override;

    static QColor onFace();  // RGB(223,233,247)
    static QColor onFrame(); // RGB(49,106,197)

protected:
    void paintEvent(QPaintEvent *event) override;
};
