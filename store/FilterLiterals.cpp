#include "store/FilterLiterals.h"

namespace FilterLiterals {

namespace {

// Reads count ASCII digits of text from `from`; false on anything else.
bool digits(const QString &text, qsizetype from, qsizetype count, int *value)
{
    int v = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c - u'0');
    }
    *value = v;
    return true;
}

QString padded(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

} // namespace

QString date(const QDate &date)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return QString();
    return padded(date.year(), 4) + QLatin1Char('-') + padded(date.month(), 2) + QLatin1Char('-')
        + padded(date.day(), 2);
}

QString time(const QTime &time)
{
    if (!time.isValid())
        return QString();
    return padded(time.hour(), 2) + QLatin1Char(':') + padded(time.minute(), 2) + QLatin1Char(':')
        + padded(time.second(), 2);
}

QString quoted(const QDate &date)
{
    return quoted(FilterLiterals::date(date));
}

QString quoted(const QTime &time)
{
    return quoted(FilterLiterals::time(time));
}

QString quoted(const QString &text)
{
    const QLatin1Char quote('\'');
    QString doubled = text;
    doubled.replace(quote, QStringLiteral("''"));
    return quote + doubled + quote;
}

QDate readDate(const QString &text)
{
    const QString t = text.trimmed();
    int y = 0, m = 0, d = 0;
    if (t.size() != 10 || t[4] != QLatin1Char('-') || t[7] != QLatin1Char('-') || !digits(t, 0, 4, &y)
        || !digits(t, 5, 2, &m) || !digits(t, 8, 2, &d) || y < 1)
        return QDate();
    return QDate(y, m, d); // invalid for 2024-02-30
}

QTime readTime(const QString &text)
{
    const QString t = text.trimmed();
    const qsizetype colon = t.indexOf(QLatin1Char(':'));
    if (colon < 1 || colon > 2)
        return QTime();
    int h = 0, m = 0, s = 0;
    if (!digits(t, 0, colon, &h))
        return QTime();
    const qsizetype rest = t.size() - colon - 1;
    if (rest == 2) {
        if (!digits(t, colon + 1, 2, &m))
            return QTime();
    } else if (rest == 5) {
        if (!digits(t, colon + 1, 2, &m) || t[colon + 3] != QLatin1Char(':') || !digits(t, colon + 4, 2, &s))
            return QTime();
    } else {
        return QTime();
    }
    return QTime(h, m, s); // invalid for 24:00 or 9:60
}

} // namespace FilterLiterals
