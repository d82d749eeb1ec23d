#include "LocaleFormats.h"

#include <QLocale>
#include <QRegularExpression>

namespace LocaleFormats {

QString shortDateFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    // Widen a two-digit year; a format that already has four digits stays.
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QRegularExpression(QStringLiteral("y+")), QStringLiteral("yyyy"));
    return format;
}

QString longTimeFormat()
{
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    // Drop the zone ("t", "tttt") together with the blank that leads to it.
    format.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    return format.trimmed();
}

QString formatDate(const QDate &date)
{
    return date.isValid() ? QLocale().toString(date, shortDateFormat()) : QString();
}

QString formatTime(const QTime &time)
{
    return time.isValid() ? QLocale().toString(time, longTimeFormat()) : QString();
}

QDate parseDate(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    const QLocale locale;
    QDate date = locale.toDate(trimmed, shortDateFormat());
    if (!date.isValid())
        date = QDate::fromString(trimmed, Qt::ISODate);
    if (!date.isValid())
        date = locale.toDate(trimmed, QLocale::ShortFormat);
    return date;
}

QTime parseTime(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    const QLocale locale;
    QTime time = locale.toTime(trimmed, longTimeFormat());
    for (const char *format : {"HH:mm:ss", "H:mm:ss", "HH:mm", "H:mm"}) {
        if (time.isValid())
            break;
        time = QTime::fromString(trimmed, QLatin1String(format));
    }
    if (!time.isValid())
        time = locale.toTime(trimmed, QLocale::ShortFormat);
    return time;
}

} // namespace LocaleFormats
