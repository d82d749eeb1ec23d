#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QTime>

#include <optional>

// The fixed lists that option fields and item fields point into.

// One entry of the lead list: "15 minutes" is 15 minute(s).
struct Lead
{
    enum class Unit { Minutes, Hours, Days };
    QString text; // "0 minutes" .. "14 days"
    int amount = 0;
    Unit unit = Unit::Minutes;

    // The unit as item field `Tm` writes it: "minute(s)", "hour(s)", "day(s)".
    QString unitText() const;
    int minutes() const; // the lead in minutes
};

namespace LeadList {
const QList<Lead> &entries();                     // the 17 entries, index = position
int indexOf(int amount, const QString &unitText); // -1 when not in the list
std::optional<Lead::Unit> unitFromText(const QString &unitText);
} // namespace LeadList

// The 48 half hours of a day: index i is i x 30 minutes (16 is 8:00 AM).
namespace HalfHourList {
constexpr int count = 48;
QTime time(int index);
} // namespace HalfHourList

// Colour texts of the options record: a name such as "clWhite" or "$"
// followed by eight hex digits 00BBGGRR.
namespace ColorText {
std::optional<QColor> parse(const QString &text);
QString write(const QColor &color); // the name when one fits
} // namespace ColorText
