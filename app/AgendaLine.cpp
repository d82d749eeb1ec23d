#include "app/AgendaLine.h"

namespace {

// Appends n as exactly `width` decimal digits (0 <= n < 10^width).
void appendDigits(QString &line, int n, int width)
{
    char digits[4];
    for (int i = width - 1; i >= 0; --i, n /= 10)
        digits[i] = char('0' + n % 10);
    line.append(QLatin1String(digits, width));
}

} // namespace

namespace AgendaLine {

void appendDate(QString &line, const QDate &date)
{
    if (!date.isValid())
        return;
    if (date.year() < 1 || date.year() > 9999) {
        line += date.toString(Qt::ISODate);
        return;
    }
    appendDigits(line, date.year(), 4);
    line += QLatin1Char('-');
    appendDigits(line, date.month(), 2);
    line += QLatin1Char('-');
    appendDigits(line, date.day(), 2);
}

void appendTime(QString &line, const QTime &time)
{
    if (!time.isValid())
        return;
    appendDigits(line, time.hour(), 2);
    line += QLatin1Char(':');
    appendDigits(line, time.minute(), 2);
}

void appendOneLine(QString &line, QStringView text)
{
    const qsizetype from = line.size();
    line += text;
    for (qsizetype i = from; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            line[i] = QLatin1Char(' ');
    }
}

} // namespace AgendaLine
