#pragma once

#include "printing/BodyPicture.h"
#include "printing/PrintGeometry.h"

#include <QColor>
#include <QDate>
#include <QFont>
#include <QImage>
#include <QPageLayout>
#include <QRect>
#include <QString>

class QPainter;

// One printed page: a header box with the title, the body picture the
// layout draws, and the print date under it. Everything is placed in page
// units of 1/96 inch from the paper's top-left corner; the paper, the
// orientation and the 5 mm margins make up its page layout.
//
// The body picture is kept between previews, as large in units as the body
// element, and painted as vector drawing onto whatever device prints it;
// bodyPixel() reads it back from a raster copy.
class ReportPage
{
public:
    // Pixels per unit of the raster copy bodyPixel() reads.
    static constexpr int BodyScale = 2;

    virtual ~ReportPage() = default;

    QPageLayout pageLayout() const;
    // Paints the page onto a device of `resolution` dots per inch whose
    // painter starts at the top-left corner of the layout's printable area.
    void render(QPainter &painter, int resolution) const;
    // The page in page units (the painter maps them to the device).
    void paintPage(QPainter &painter) const;

    PrintGeometry geometry() const { return m_geometry; }
    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    // The print date label: its text, whether it is shown, and where (its
    // right edge stays on the header box's right edge).
    void setPrintDate(const QString &text, bool shown);
    QString printDate() const { return m_printDate; }
    bool printDateShown() const { return m_printDateShown; }
    QRect printDateRect() const;
    QRect headerBox() const { return m_headerBox; }
    QRect bodyRect() const { return QRect(m_bodyPos, m_bodySize); }

    const BodyPicture &body() const { return m_body; }
    // The colour of the body picture at unit (x, y).
    QColor bodyPixel(int x, int y) const;

    // Whether a calendar file can hold the date (years 1 to 9999): a page's
    // days outside that range print empty.
    static bool isCalendarDate(const QDate &date);

    static QFont arial(int points, bool bold = false);
    static QFont printDateFont();

protected:
    ReportPage(QPageLayout::Orientation orientation, QPoint bodyPos, QSize bodySize);

    // Starts the body afresh: the kept picture, filled white.
    void clearBody();
    BodyPicture &bodyPicture();

    // The frame the weekly and daily pages share: header box W wide, the
    // bold title, the print date under the drawn part of the body.
    void setPortraitGeometry(const PrintGeometry &geometry);

    // What differs between the pages.
    virtual void paintExtras(QPainter &) const { }

    PrintGeometry m_geometry;
    QRect m_headerBox;
    QPoint m_titlePos;
    QFont m_titleFont;
    int m_printDateTop = 0;

private:
    QPageLayout::Orientation m_orientation;
    QPoint m_bodyPos;
    QSize m_bodySize;
    BodyPicture m_body;
    mutable QImage m_bodyRaster; // made by the first bodyPixel() after a drawing
    QString m_title;
    QString m_printDate;
    bool m_printDateShown = false;
};
