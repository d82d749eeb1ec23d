#include "views/ClockText.h"

namespace ClockText {

QString format(const QTime &time, bool use24Hour)
{
    if (!time.isValid())
        return QString();
    if (use24Hour)
        return time.toString(QStringLiteral("hh:mm"));
    // Written out by hand: the "am"/"pm" of this format is fixed text, not
    // the locale's day-period names.
    const int hour12 = (time.hour() % 12 == 0) ? 12 : time.hour() % 12;
    return QStringLiteral("%1:%2%3")
        .arg(hour12)
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm"));
}

QString blockLabel(const QTime &start, const QTime &end, const QString &subject, bool use24Hour)
{
    return format(start, use24Hour) + QLatin1Char('-') + format(end, use24Hour) + QLatin1Char(' ') + subject;
}

} // namespace ClockText
