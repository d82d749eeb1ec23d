#pragma once

#include <QColor>
#include <QWidget>

// The 48 half-hour rows of the day view, shaded for working hours, with
// the selected rows highlighted. It carries the blocks as children and
// reports presses, drags, double clicks and typed characters.
class DayGrid : public QWidget
{
    Q_OBJECT
public:
    struct Shading
    {
        QColor workColor = QColor(153, 204, 255); // options "48"
        QColor offColor = Qt::white;              // options "47"
        int workStart = 16;                       // options "42": first working row
        int workEnd = 34;                         // options "43": first row after work
        bool workingDay = true;
    };

    explicit DayGrid(QWidget *parent = nullptr);

    void setShading(const Shading &shading);
    // Rows first..last (in any order) are highlighted.
    void setHighlightedRows(int first, int last);

    QColor rowColor(int row) const;

signals:
    void pressed(int y);
    void dragged(int y);
    void released(int y);
    void doubleClicked();
    void characterTyped(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Shading m_shading;
    int m_highlightFirst = 16;
    int m_highlightLast = 16;
};
