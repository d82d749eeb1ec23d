#include "editors/BoxText.h"

#include "store/Clock.h"
#include "store/LocaleFormats.h"

#include <QLocale>
#include <QStringList>

#include <array>

namespace BoxText {

namespace {

// Where the year stands among the three numbers of a numeric date format
// (0, 1 or 2), or -1 when the format is not day, month and year in digits.
int yearPosition(const QString &format)
{
    std::array<qsizetype, 3> at = {format.indexOf(QLatin1Char('d')), format.indexOf(QLatin1Char('M')),
                                   format.indexOf(QLatin1Char('y'))};
    if (at[0] < 0 || at[1] < 0 || at[2] < 0 || format.contains(QLatin1String("MMM")))
        return -1;
    return int(at[0] < at[2]) + int(at[1] < at[2]);
}

struct DigitRun
{
    qsizetype start = 0;
    qsizetype length = 0;
};

QList<DigitRun> digitRuns(const QString &text)
{
    QList<DigitRun> runs;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!text.at(i).isDigit())
            continue;
        DigitRun run {i, 0};
        while (i < text.size() && text.at(i).isDigit())
            ++i;
        run.length = i - run.start;
        runs.append(run);
    }
    return runs;
}

// The locale's parser reads "12/11/26" as 1926, which puts the item where
// nobody looks for it; a typed two-digit year means the year within 50 years
// of today, as other desktop programs read it. The year is written out in
// full before parsing, so that 29 February of a century year reads right.
QString withFullYear(const QString &text)
{
    const int position = yearPosition(LocaleFormats::shortDateFormat());
    const QList<DigitRun> runs = digitRuns(text);
    if (position < 0 || runs.size() != 3)
        return text;
    for (const DigitRun &run : runs) {
        if (run.length > 2) // a full year, or ISO "2024-05-01"
            return text;
    }
    const DigitRun year = runs.at(position);
    int twoDigits = 0;
    for (qsizetype i = year.start; i < year.start + year.length; ++i)
        twoDigits = twoDigits * 10 + text.at(i).digitValue();
    const int earliest = Clock::today().year() - 50;
    const int full = earliest + ((twoDigits - earliest) % 100 + 100) % 100;
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString widened = text;
    widened.replace(year.start, year.length, locale.toString(full));
    return widened;
}

} // namespace

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
    return LocaleFormats::parseDate(withFullYear(trimmed));
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
        QStringLiteral("H:mm"),   QStringLiteral("H:mm:ss"), QStringLiteral("h:mm AP"),    QStringLiteral("h:mm:ss AP"),
        QStringLiteral("h:mmAP"), QStringLiteral("h:mm ap"), QStringLiteral("h:mm:ss ap"), QStringLiteral("h:mmap"),
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
