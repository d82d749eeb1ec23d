#pragma once

#include "views/MarkerIcons.h"

#include <QColor>
#include <QString>
#include <QWidget>

// The coloured block of one timed item in the day view, named "Pan"
// followed by the item's `No`. It paints itself and reports the mouse to
// the day view, which owns selection, editing and dragging.
class DayBlock : public QWidget
{
    Q_OBJECT
public:
    DayBlock(qint64 itemNo, QWidget *grid);

    static QString nameFor(qint64 itemNo);

    qint64 itemNo() const { return m_itemNo; }
    // The block goes on showing another row: a dragged occurrence of a
    // series that became an item of its own keeps its block and the drag.
    void setItemNo(qint64 itemNo);

    // The block's place in the grid: top T and height B - T, so T is the
    // row line above its first row and B the line below its last. The
    // widget reaches one pixel further, onto the line at B, so that its
    // frame covers the grid's lines instead of drawing a second line above
    // the lower one.
    void setExtent(const QRect &extent);
    QRect extent() const;

    void setAppearance(const QColor &color, const QString &label, Marker marker);
    void setLabel(const QString &label);
    QColor color() const { return m_color; }
    QString label() const { return m_label; }
    Marker marker() const { return m_marker; }

    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }

    // Where the label starts: after the marker picture, if any.
    static int labelX(Marker marker);

    // Whether one of the block's own events is being handled (a signal it
    // sent may have led here): such a block must outlive the handler.
    bool isHandlingEvent() const { return m_eventDepth > 0; }

signals:
    void pressed(DayBlock *block, Qt::MouseButton button, int y);
    void dragged(DayBlock *block, int y);
    void released(DayBlock *block, Qt::MouseButton button);
    void doubleClicked(DayBlock *block);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    qint64 m_itemNo;
    QColor m_color = Qt::white;
    QString m_label;
    Marker m_marker = Marker::None;
    bool m_selected = false;
    int m_eventDepth = 0;
};
