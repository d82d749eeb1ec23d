#include "store/LocaleFormats.h"

#include <QLocale>
#include <QRegularExpression>

namespace LocaleFormats {

namespace {

struct Formats
{
    QString localeName;
    QString date;
    QString time;
};

// Filters write and read thousands of dates a second; work the formats out
// once per locale.
const Formats &formats()
{
    thread_local Formats cached;
    const QLocale locale;
    if (cached.localeName != locale.name() || cached.date.isEmpty()) {
        cached.localeName = locale.name();
        cached.date = locale.dateFormat(QLocale::ShortFormat);
        // Widen a two-digit year; a format that already has four digits stays.
        if (!cached.date.contains(QLatin1String("yyyy")))
            cached.date.replace(QRegularExpression(QStringLiteral("y+")), QStringLiteral("yyyy"));
        cached.time = locale.timeFormat(QLocale::LongFormat);
        // Drop the zone ("t", "tttt") together with the blank that leads to it.
        cached.time.remove(QRegularExpression(QStringLiteral("\\s*t+")));
        cached.time = cached.time.trimmed();
    }
    return cached;
}

} // namespace

QString shortDateFormat()
{
    return formats().date;
}

QString longTimeFormat()
{
    return formats().time;
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
