#pragma once

#include "views/MarkerIcons.h"

#include <QColor>
#include <QRect>
#include <QString>

class QPainter;

// The coloured block of one timed item in the day view, named "Pan"
// followed by the item's `No`. A plain picture: the day grid paints every
// block in one pass and reports the mouse over it to the day view, which
// owns the blocks, selection, editing and dragging. A crowded day holds
// thousands of blocks, far too many for one widget each.
class DayBlock
{
public:
    explicit DayBlock(qint64 itemNo);

    static QString nameFor(qint64 itemNo);

    qint64 itemNo() const { return m_itemNo; }
    QString name() const { return nameFor(m_itemNo); }
    // The block goes on showing another row: a dragged occurrence of a
    // series that became an item of its own keeps its block and the drag.
    void setItemNo(qint64 itemNo) { m_itemNo = itemNo; }

    // The block's place in the grid: top T and height B - T, so T is the
    // row line above its first row and B the line below its last.
    void setExtent(const QRect &extent);
    QRect extent() const { return m_extent; }
    // What the block covers in the grid, for painting and the mouse: one
    // pixel further than the extent, onto the line at B, so that its frame
    // covers the grid's lines instead of drawing a second line above the
    // lower one.
    QRect area() const { return m_extent.adjusted(0, 0, 0, 1); }
    int x() const { return m_extent.x(); }
    int y() const { return m_extent.y(); }
    int width() const { return m_extent.width(); }
    int height() const { return m_extent.height() + 1; }

    void setAppearance(const QColor &color, const QString &label, Marker marker);
    void setLabel(const QString &label);
    QColor color() const { return m_color; }
    QString label() const { return m_label; }
    Marker marker() const { return m_marker; }

    void setSelected(bool selected) { m_selected = selected; }
    bool isSelected() const { return m_selected; }

    // Where the label starts: after the marker picture, if any.
    static int labelX(Marker marker);

    // Paints the block at its area; the painter carries the font of the
    // labels and no clip of its own.
    void paint(QPainter &painter) const;

    // Whether one of the block's own mouse events is being handled (a
    // signal the grid sent for it may have led here): such a block must
    // outlive the handler. The grid marks them with EventScope.
    bool isHandlingEvent() const { return m_eventDepth > 0; }
    // Deletes a block that is no longer shown: at once, or when the last
    // of its own events being handled is done with it.
    static void dispose(DayBlock *block);
    class EventScope
    {
    public:
        explicit EventScope(DayBlock &block)
            : m_block(block)
        {
            ++m_block.m_eventDepth;
        }
        ~EventScope()
        {
            if (--m_block.m_eventDepth == 0 && m_block.m_disposed)
                delete &m_block;
        }
        EventScope(const EventScope &) = delete;
        EventScope &operator=(const EventScope &) = delete;

    private:
        DayBlock &m_block;
    };

private:
    void fitLabel();

    qint64 m_itemNo;
    QRect m_extent;
    QColor m_color = Qt::white;
    QString m_label;
    // The part of the label that reaches past the block's right edge: the
    // rest would be clipped away, and drawing thousands of whole labels on
    // a crowded day costs more than the blocks themselves.
    QString m_shownLabel;
    Marker m_marker = Marker::None;
    bool m_selected = false;
    int m_eventDepth = 0;
    bool m_disposed = false;
};
