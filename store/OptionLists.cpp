#include "store/OptionLists.h"

#include <QRegularExpression>

#include <array>

QString Lead::unitText() const
{
    switch (unit) {
    case Unit::Minutes:
        return QStringLiteral("minute(s)");
    case Unit::Hours:
        return QStringLiteral("hour(s)");
    case Unit::Days:
        return QStringLiteral("day(s)");
    }
    return QString();
}

int Lead::minutes() const
{
    switch (unit) {
    case Unit::Minutes:
        return amount;
    case Unit::Hours:
        return amount * 60;
    case Unit::Days:
        return amount * 24 * 60;
    }
    return 0;
}

namespace LeadList {

const QList<Lead> &entries()
{
    using U = Lead::Unit;
    static const QList<Lead> list = {
        {QStringLiteral("0 minutes"), 0, U::Minutes},   {QStringLiteral("5 minutes"), 5, U::Minutes},
        {QStringLiteral("10 minutes"), 10, U::Minutes}, {QStringLiteral("15 minutes"), 15, U::Minutes},
        {QStringLiteral("30 minutes"), 30, U::Minutes}, {QStringLiteral("1 hour"), 1, U::Hours},
        {QStringLiteral("2 hours"), 2, U::Hours},       {QStringLiteral("3 hours"), 3, U::Hours},
        {QStringLiteral("4 hours"), 4, U::Hours},       {QStringLiteral("6 hours"), 6, U::Hours},
        {QStringLiteral("8 hours"), 8, U::Hours},       {QStringLiteral("12 hours"), 12, U::Hours},
        {QStringLiteral("1 day"), 1, U::Days},          {QStringLiteral("2 days"), 2, U::Days},
        {QStringLiteral("3 days"), 3, U::Days},         {QStringLiteral("7 days"), 7, U::Days},
        {QStringLiteral("14 days"), 14, U::Days},
    };
    return list;
}

std::optional<Lead::Unit> unitFromText(const QString &unitText)
{
    for (Lead::Unit unit : {Lead::Unit::Minutes, Lead::Unit::Hours, Lead::Unit::Days}) {
        if (Lead {QString(), 0, unit}.unitText() == unitText)
            return unit;
    }
    return std::nullopt;
}

int indexOf(int amount, const QString &unitText)
{
    const std::optional<Lead::Unit> unit = unitFromText(unitText);
    if (!unit)
        return -1;
    const QList<Lead> &list = entries();
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).amount == amount && list.at(i).unit == *unit)
            return int(i);
    }
    return -1;
}

} // namespace LeadList

namespace HalfHourList {

QTime time(int index)
{
    if (index < 0 || index >= count)
        return QTime();
    return QTime(index / 2, (index % 2) * 30);
}

} // namespace HalfHourList

namespace ColorText {

namespace {

struct NamedColor
{
    const char *name;
    int red, green, blue;
};

constexpr std::array<NamedColor, 20> namedColors = {{
    {"clBlack", 0, 0, 0},         {"clMaroon", 128, 0, 0},    {"clGreen", 0, 128, 0},
    {"clOlive", 128, 128, 0},     {"clNavy", 0, 0, 128},      {"clPurple", 128, 0, 128},
    {"clTeal", 0, 128, 128},      {"clGray", 128, 128, 128},  {"clSilver", 192, 192, 192},
    {"clMedGray", 160, 160, 164}, {"clRed", 255, 0, 0},       {"clLime", 0, 255, 0},
    {"clYellow", 255, 255, 0},    {"clBlue", 0, 0, 255},      {"clFuchsia", 255, 0, 255},
    {"clAqua", 0, 255, 255},      {"clWhite", 255, 255, 255}, {"clMoneyGreen", 192, 220, 192},
    {"clSkyBlue", 166, 202, 240}, {"clCream", 255, 251, 240},
}};

} // namespace

std::optional<QColor> parse(const QString &text)
{
    const QString trimmed = text.trimmed();
    for (const NamedColor &named : namedColors) {
        if (trimmed.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return QColor(named.red, named.green, named.blue);
    }
    // "$00BBGGRR": the high byte must be zero, anything else is no plain colour.
    static const QRegularExpression hexForm(QStringLiteral("^\\$[0-9A-Fa-f]{8}$"));
    if (!hexForm.match(trimmed).hasMatch())
        return std::nullopt;
    bool ok = false;
    const uint value = trimmed.mid(1).toUInt(&ok, 16);
    if (!ok || (value >> 24) != 0)
        return std::nullopt;
    return QColor(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff));
}

QString write(const QColor &color)
{
    const int r = color.red(), g = color.green(), b = color.blue();
    for (const NamedColor &named : namedColors) {
        if (named.red == r && named.green == g && named.blue == b)
            return QLatin1String(named.name);
    }
    const uint value = (uint(b) << 16) | (uint(g) << 8) | uint(r);
    return QLatin1Char('$') + QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

} // namespace ColorText
