#include "BoxText.h"

#include "LocaleFormats.h"

#include <QLocale>
#include <QStringList>

namespace BoxText {

QString date(const QDate &date)
{
    return LocaleFormats::formatDate(date);
}

static QString twelveHour(const QTime &time, const QString &am, const QString &pm)
{
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral("%1:%2 %3")
        .arg(hour)
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.hour() < 12 ? am : pm);
}

QString time(const QTime &time, bool twentyFourHour)
{
    if (!time.isValid())
        return QString();
    if (twentyFourHour)
        return time.toString(QStringLiteral("hh:mm"));
    return twelveHour(time, QStringLiteral("AM"), QStringLiteral("PM"));
}

QString timeWithLocaleAmPm(const QTime &time, bool twentyFourHour)
{
    if (!time.isValid() || twentyFourHour)
        return BoxText::time(time, twentyFourHour);
    const QLocale locale;
    return twelveHour(time, locale.amText(), locale.pmText());
}

QDate readDate(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QDate();
    return LocaleFormats::parseDate(trimmed);
}

QTime readTime(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QTime();
    const QTime stored = LocaleFormats::parseTime(trimmed);
    if (stored.isValid())
        return stored;
    // What users type besides the stored form: one-digit hours, seconds or
    // not, the designator with or without a space, in either case.
    static const QStringList formats = {
        QStringLiteral("H:mm"),      QStringLiteral("H:mm:ss"),   QStringLiteral("h:mm AP"),
        QStringLiteral("h:mm:ss AP"), QStringLiteral("h:mmAP"),   QStringLiteral("h:mm ap"),
        QStringLiteral("h:mm:ss ap"), QStringLiteral("h:mmap"),
    };
    const QLocale locale;
    for (const QString &format : formats) {
        QTime time = QTime::fromString(trimmed, format);
        if (!time.isValid())
            time = locale.toTime(trimmed, format);
        if (time.isValid())
            return time;
    }
    return QTime();
}

} // namespace BoxText
