#include "views/DayBlock.h"

#include "views/ViewFonts.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

const QFontMetrics &labelMetrics()
{
    static const QFontMetrics metrics(ViewFonts::cellFont());
    return metrics;
}

// Letters of scripts that run left to right without joining: a label made
// of them only alone may be cut after the part that shows, since the
// letters before the cut stand where they stood in the whole label.
bool cuttable(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x0590)
            return false;
    return true;
}

// Past the last letter that reaches the right edge, these many more stay,
// for kerning and for a letter whose ink starts left of its place.
constexpr int cutMargin = 2;

} // namespace

DayBlock::DayBlock(qint64 itemNo)
    : m_itemNo(itemNo)
{ }

void DayBlock::dispose(DayBlock *block)
{
    if (block->isHandlingEvent())
        block->m_disposed = true;
    else
        delete block;
}

QString DayBlock::nameFor(qint64 itemNo)
{
    return QStringLiteral("Pan") + QString::number(itemNo);
}

void DayBlock::setExtent(const QRect &extent)
{
    const bool widthChanged = extent.width() != m_extent.width();
    m_extent = extent;
    if (widthChanged)
        fitLabel();
}

void DayBlock::setAppearance(const QColor &color, const QString &label, Marker marker)
{
    m_color = color;
    const bool changed = label != m_label || marker != m_marker;
    m_label = label;
    m_marker = marker;
    if (changed)
        fitLabel();
}

void DayBlock::setLabel(const QString &label)
{
    if (label == m_label)
        return;
    m_label = label;
    fitLabel();
}

int DayBlock::labelX(Marker marker)
{
    switch (marker) {
    case Marker::Reminder:
    case Marker::Recurrence:
        return 21;
    case Marker::Both:
        return 37;
    case Marker::None:
        break;
    }
    return 4;
}

void DayBlock::fitLabel()
{
    const int room = width() - labelX(m_marker);
    if (room <= 0) {
        m_shownLabel.clear();
        return;
    }
    if (!cuttable(m_label)) {
        m_shownLabel = m_label;
        return;
    }
    const QFontMetrics &metrics = labelMetrics();
    qsizetype n = 0;
    int reach = 0;
    while (n < m_label.size() && reach < room)
        reach += metrics.horizontalAdvance(m_label.at(n++));
    // Kerning may pull the letters closer than their single widths add up to.
    while (n < m_label.size() && metrics.horizontalAdvance(m_label.left(n)) < room)
        ++n;
    m_shownLabel = m_label.left(n + cutMargin);
}

void DayBlock::paint(QPainter &painter) const
{
    const QRect r = area();
    painter.setClipRect(r);
    painter.fillRect(r, m_color);
    if (m_marker != Marker::None)
        painter.drawImage(r.x() + 5, r.y() + 2, MarkerIcons::image(m_marker));
    if (!m_shownLabel.isEmpty())
        painter.drawText(QPoint(r.x() + labelX(m_marker), r.y() + 2 + labelMetrics().ascent()), m_shownLabel);
    // The frame goes on last so that a long label ends at the right edge.
    // A selected block gets a 3-pixel blue frame, drawn inside the block.
    const int frame = m_selected ? 3 : 1;
    const QColor frameColor = m_selected ? QColor(0, 0, 255) : QColor(Qt::black);
    painter.fillRect(QRect(r.x(), r.y(), r.width(), frame), frameColor);
    painter.fillRect(QRect(r.x(), r.bottom() + 1 - frame, r.width(), frame), frameColor);
    painter.fillRect(QRect(r.x(), r.y(), frame, r.height()), frameColor);
    painter.fillRect(QRect(r.right() + 1 - frame, r.y(), frame, r.height()), frameColor);
}
