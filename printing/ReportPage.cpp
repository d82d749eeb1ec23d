#include "printing/ReportPage.h"

#include <QFontMetrics>
#include <QMarginsF>
#include <QPainter>

namespace {

constexpr double UnitsPerInch = 96.0;

// Points to page units (1/96 inch), the way a 96-dpi report engine rounds them.
int pointsToUnits(int points)
{
    return (points * 96 + 36) / 72;
}

QFont pixelFont(const QString &family, int pixels)
{
    static const bool substituted = [] {
        QFont::insertSubstitutions(QStringLiteral("Arial"),
                                   {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
        return true;
    }();
    Q_UNUSED(substituted);
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}

} // namespace

ReportPage::ReportPage(QPageLayout::Orientation orientation, QPoint bodyPos, QSize bodySize)
    : m_orientation(orientation)
    , m_bodyPos(bodyPos)
    , m_bodySize(bodySize)
{
    // The body is recorded by the first drawing: the planner holds every
    // report from its start, and most are never printed.
}

bool ReportPage::isCalendarDate(const QDate &date)
{
    return date.isValid() && date.year() >= 1 && date.year() <= 9999;
}

QFont ReportPage::arial(int points, bool bold)
{
    QFont font = pixelFont(QStringLiteral("Arial"), pointsToUnits(points));
    font.setBold(bold);
    return font;
}

QFont ReportPage::printDateFont()
{
    return pixelFont(QStringLiteral("MS Sans Serif"), 11); // 8 points
}

QPageLayout ReportPage::pageLayout() const
{
    const double m = PrintGeometry::MarginMm;
    return QPageLayout(m_geometry.pageSize(), m_orientation, QMarginsF(m, m, m, m), QPageLayout::Millimeter);
}

void ReportPage::setPortraitGeometry(const PrintGeometry &geometry)
{
    m_geometry = geometry;
    m_headerBox = QRect(48, 48, geometry.W, 115);
    m_titlePos = QPoint(64, 90);
    m_titleFont = arial(16, true);
    m_printDateTop = geometry.I + 168;
}

void ReportPage::setPrintDate(const QString &text, bool shown)
{
    m_printDate = text;
    m_printDateShown = shown;
}

QRect ReportPage::printDateRect() const
{
    const QFontMetrics metrics(printDateFont());
    const int width = metrics.horizontalAdvance(m_printDate);
    return QRect(m_headerBox.width() + PrintGeometry::Margin - width, m_printDateTop, width, metrics.height());
}

void ReportPage::clearBody()
{
    m_body.clear(m_bodySize);
    m_bodyRaster = QImage();
}

BodyPicture &ReportPage::bodyPicture()
{
    m_bodyRaster = QImage();
    return m_body;
}

QColor ReportPage::bodyPixel(int x, int y) const
{
    if (m_bodyRaster.isNull())
        m_bodyRaster = m_body.toImage(BodyScale);
    return m_bodyRaster.pixelColor(x * BodyScale, y * BodyScale);
}

void ReportPage::render(QPainter &painter, int resolution) const
{
    const QMarginsF margins = pageLayout().marginsPoints();
    const double scale = resolution / UnitsPerInch;
    painter.save();
    painter.scale(scale, scale);
    // The painter starts at the printable area; the page's units start at the paper's corner.
    painter.translate(-margins.left() * UnitsPerInch / 72.0, -margins.top() * UnitsPerInch / 72.0);
    paintPage(painter);
    painter.restore();
}

void ReportPage::paintPage(QPainter &painter) const
{
    painter.save();
    // The icons are small flat pictures: a lossy copy would smear them.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(m_headerBox).adjusted(0.5, 0.5, -0.5, -0.5));

    painter.setFont(m_titleFont);
    const QFontMetrics titleMetrics(m_titleFont);
    painter.drawText(QPoint(m_titlePos.x(), m_titlePos.y() + titleMetrics.ascent()), m_title);

    if (!m_body.isNull()) {
        painter.save();
        painter.setClipRect(bodyRect(), Qt::IntersectClip);
        painter.translate(m_bodyPos);
        m_body.paint(painter);
        painter.restore();
    }
    paintExtras(painter);

    if (m_printDateShown) {
        painter.setFont(printDateFont());
        const QRect rect = printDateRect();
        painter.drawText(QPoint(rect.x(), rect.y() + QFontMetrics(printDateFont()).ascent()), m_printDate);
    }
    painter.restore();
}
