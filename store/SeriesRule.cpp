#include "store/SeriesRule.h"

#include "store/FilterLiterals.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <bit>
#include <limits>

namespace {

// RFC 5545's weekday names, Monday first as Qt numbers the days.
const std::array<QLatin1String, 7> kDayNames = {QLatin1String("MO"), QLatin1String("TU"), QLatin1String("WE"),
                                                QLatin1String("TH"), QLatin1String("FR"), QLatin1String("SA"),
                                                QLatin1String("SU")};

const QDate &lastStorableDate()
{
    static const QDate last(9999, 12, 31);
    return last;
}

QString frequencyName(SeriesRule::Frequency frequency)
{
    switch (frequency) {
    case SeriesRule::Frequency::Daily:
        return QStringLiteral("DAILY");
    case SeriesRule::Frequency::Weekly:
        return QStringLiteral("WEEKLY");
    case SeriesRule::Frequency::Monthly:
        return QStringLiteral("MONTHLY");
    case SeriesRule::Frequency::Yearly:
        return QStringLiteral("YEARLY");
    }
    return QString();
}

// A whole number written with digits only (and a sign where allowed);
// false for anything else, "+3" and " 3" included.
bool readNumber(const QString &text, bool signAllowed, int *number)
{
    if (text.isEmpty() || text.size() > 10)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool sign = i == 0 && signAllowed && (c == QLatin1Char('-') || c == QLatin1Char('+')) && text.size() > 1;
        if (!sign && !(c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return false;
    }
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return false;
    *number = int(value);
    return true;
}

int monthIndex(const QDate &date)
{
    return date.year() * 12 + date.month() - 1;
}

QDate weekStartOf(const QDate &date, int weekStart)
{
    return date.addDays(-((date.dayOfWeek() - weekStart + 7) % 7));
}

bool isRemoved(const SeriesDates &removed, const QDate &date)
{
    return std::binary_search(removed.begin(), removed.end(), date);
}

// "BYDAY=MO,WE" or "BYDAY=-1FR" into the rule; a message otherwise.
QString readWeekdays(const QString &value, SeriesRule *rule)
{
    const QString bad = QStringLiteral("BYDAY must list weekdays MO to SU, each with at most an ordinal 1 to 4 or -1 "
                                       "(such as MO,WE or 2WE), not \"%1\".")
                            .arg(value);
    const QStringList entries = value.split(QLatin1Char(','));
    for (const QString &entry : entries) {
        if (entry.size() < 2)
            return bad;
        const QString name = entry.right(2);
        const auto day = std::find(kDayNames.begin(), kDayNames.end(), name);
        if (day == kDayNames.end())
            return bad;
        const int bit = SeriesRule::weekdayBit(int(day - kDayNames.begin()) + 1);
        if (rule->weekdays & bit)
            return QStringLiteral("BYDAY names %1 twice.").arg(name);
        rule->weekdays |= bit;
        const QString prefix = entry.left(entry.size() - 2);
        if (prefix.isEmpty())
            continue;
        int ordinal = 0;
        if (!readNumber(prefix, true, &ordinal))
            return bad;
        if (entries.size() > 1)
            return QStringLiteral("BYDAY with an ordinal (such as 2WE) must name one weekday only, not \"%1\".")
                .arg(value);
        if (ordinal == 0 || ordinal > 4 || ordinal < -1)
            return QStringLiteral("The ordinal of a weekday must be 1 to 4 or -1 (the last), not \"%1\".").arg(prefix);
        rule->ordinal = ordinal;
    }
    return QString();
}

// One NAME=VALUE part into the rule; a message when it lies outside the set.
QString readPart(const QString &name, const QString &value, SeriesRule *rule)
{
    int number = 0;
    if (name == QLatin1String("FREQ")) {
        const std::array<std::pair<QLatin1String, SeriesRule::Frequency>, 4> frequencies = {{
            {QLatin1String("DAILY"), SeriesRule::Frequency::Daily},
            {QLatin1String("WEEKLY"), SeriesRule::Frequency::Weekly},
            {QLatin1String("MONTHLY"), SeriesRule::Frequency::Monthly},
            {QLatin1String("YEARLY"), SeriesRule::Frequency::Yearly},
        }};
        for (const auto &[word, frequency] : frequencies) {
            if (value == word) {
                rule->frequency = frequency;
                return QString();
            }
        }
        return QStringLiteral("FREQ must be DAILY, WEEKLY, MONTHLY or YEARLY, not \"%1\".").arg(value);
    }
    if (name == QLatin1String("INTERVAL")) {
        if (!readNumber(value, false, &number) || number < 1 || number > SeriesRule::kMaxInterval)
            return QStringLiteral("INTERVAL must be a number from 1 to 999, not \"%1\".").arg(value);
        rule->interval = number;
        return QString();
    }
    if (name == QLatin1String("COUNT")) {
        if (!readNumber(value, false, &number) || number < 1)
            return QStringLiteral("COUNT must be a number from 1 on, not \"%1\".").arg(value);
        rule->count = number;
        return QString();
    }
    if (name == QLatin1String("UNTIL")) {
        const QDate date = value.size() == 8 ? QDate::fromString(value, QStringLiteral("yyyyMMdd")) : QDate();
        if (!date.isValid() || date.year() < 1)
            return QStringLiteral("UNTIL must be a date YYYYMMDD, not \"%1\".").arg(value);
        rule->until = date;
        return QString();
    }
    if (name == QLatin1String("BYDAY"))
        return readWeekdays(value, rule);
    if (name == QLatin1String("BYMONTHDAY")) {
        if (!readNumber(value, true, &number) || !((number >= 1 && number <= 31) || number == -1))
            return QStringLiteral("BYMONTHDAY must be one day from 1 to 31 or -1 (the last), not \"%1\".").arg(value);
        rule->monthDay = number;
        return QString();
    }
    if (name == QLatin1String("BYMONTH")) {
        if (!readNumber(value, false, &number) || number < 1 || number > 12)
            return QStringLiteral("BYMONTH must be one month from 1 to 12, not \"%1\".").arg(value);
        rule->month = number;
        return QString();
    }
    if (name == QLatin1String("WKST")) {
        if (value == kDayNames[0])
            rule->weekStart = Qt::Monday;
        else if (value == kDayNames[6])
            rule->weekStart = Qt::Sunday;
        else
            return QStringLiteral("WKST must be MO or SU, not \"%1\".").arg(value);
        return QString();
    }
    return QStringLiteral("%1 is not part of the series rules the planner keeps.").arg(name);
}

} // namespace

Result<SeriesRule> SeriesRule::parse(const QString &text)
{
    SeriesRule rule;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return Result<SeriesRule>::failed(QStringLiteral("The series rule is empty."));
    QStringList seen;
    for (const QString &part : trimmed.split(QLatin1Char(';'))) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return Result<SeriesRule>::failed(
                QStringLiteral("\"%1\" in the series rule is not of the form NAME=VALUE.").arg(part));
        const QString name = part.left(equals).trimmed().toUpper();
        const QString value = part.mid(equals + 1).trimmed().toUpper();
        if (seen.contains(name))
            return Result<SeriesRule>::failed(QStringLiteral("The series rule gives %1 twice.").arg(name));
        seen << name;
        const QString problem = readPart(name, value, &rule);
        if (!problem.isEmpty())
            return Result<SeriesRule>::failed(problem);
    }
    if (!seen.contains(QLatin1String("FREQ")))
        return Result<SeriesRule>::failed(QStringLiteral("The series rule has no FREQ."));
    if (const Outcome checked = rule.check(); !checked)
        return Result<SeriesRule>::failed(checked.error());
    return rule;
}

Outcome SeriesRule::check() const
{
    if (interval < 1 || interval > kMaxInterval)
        return Outcome::failed(QStringLiteral("INTERVAL must be a number from 1 to 999, not \"%1\".").arg(interval));
    if (count < 0)
        return Outcome::failed(QStringLiteral("COUNT must be a number from 1 on, not \"%1\".").arg(count));
    if (count > 0 && until.isValid())
        return Outcome::failed(QStringLiteral("A series rule gives COUNT or UNTIL, not both."));
    if (until.isValid() && until > lastStorableDate())
        return Outcome::failed(QStringLiteral("UNTIL must lie before the year 10000."));
    if (weekdays < 0 || weekdays > 0x7f)
        return Outcome::failed(QStringLiteral("BYDAY must list weekdays MO to SU."));
    if (weekStart != Qt::Monday && weekStart != Qt::Sunday)
        return Outcome::failed(QStringLiteral("WKST must be MO or SU."));
    if (!(ordinal == 0 || ordinal == -1 || (ordinal >= 1 && ordinal <= 4)))
        return Outcome::failed(
            QStringLiteral("The ordinal of a weekday must be 1 to 4 or -1 (the last), not \"%1\".").arg(ordinal));
    if (!(monthDay == 0 || monthDay == -1 || (monthDay >= 1 && monthDay <= 31)))
        return Outcome::failed(
            QStringLiteral("BYMONTHDAY must be one day from 1 to 31 or -1 (the last), not \"%1\".").arg(monthDay));
    if (month < 0 || month > 12)
        return Outcome::failed(QStringLiteral("BYMONTH must be one month from 1 to 12, not \"%1\".").arg(month));
    const bool monthlyKind = frequency == Frequency::Monthly || frequency == Frequency::Yearly;
    if (month != 0 && frequency != Frequency::Yearly)
        return Outcome::failed(QStringLiteral("BYMONTH needs FREQ=YEARLY."));
    if (!monthlyKind && monthDay != 0)
        return Outcome::failed(QStringLiteral("BYMONTHDAY needs FREQ=MONTHLY or YEARLY."));
    if (!monthlyKind && ordinal != 0)
        return Outcome::failed(QStringLiteral("A weekday with an ordinal (such as 2WE) needs FREQ=MONTHLY or YEARLY."));
    if (monthlyKind && weekdays != 0 && (ordinal == 0 || std::popcount(unsigned(weekdays)) != 1))
        return Outcome::failed(QStringLiteral("With FREQ=%1, BYDAY must be one weekday with an ordinal 1 to 4 or -1 "
                                              "(such as 2WE or -1FR).")
                                   .arg(frequencyName(frequency)));
    if (ordinal != 0 && std::popcount(unsigned(weekdays)) != 1)
        return Outcome::failed(QStringLiteral("A weekday with an ordinal must be one weekday."));
    if (monthDay != 0 && weekdays != 0)
        return Outcome::failed(QStringLiteral("A series rule gives BYDAY or BYMONTHDAY, not both."));
    if (frequency == Frequency::Yearly && month == 0 && (monthDay != 0 || weekdays != 0))
        return Outcome::failed(QStringLiteral("With FREQ=YEARLY, BYDAY and BYMONTHDAY need BYMONTH."));
    return Outcome();
}

QString SeriesRule::text() const
{
    QStringList parts {QStringLiteral("FREQ=") + frequencyName(frequency)};
    if (interval != 1)
        parts << QStringLiteral("INTERVAL=%1").arg(interval);
    if (count > 0)
        parts << QStringLiteral("COUNT=%1").arg(count);
    else if (until.isValid())
        parts << QStringLiteral("UNTIL=") + until.toString(QStringLiteral("yyyyMMdd"));
    if (month != 0)
        parts << QStringLiteral("BYMONTH=%1").arg(month);
    if (monthDay != 0)
        parts << QStringLiteral("BYMONTHDAY=%1").arg(monthDay);
    if (weekdays != 0) {
        QStringList days;
        for (int day = 0; day < 7; ++day) {
            if (weekdays & (1 << day))
                days << (ordinal != 0 ? QString::number(ordinal) : QString()) + kDayNames[day];
        }
        parts << QStringLiteral("BYDAY=") + days.join(QLatin1Char(','));
    }
    // The start of the week decides which weeks an interval counts, and
    // nothing else.
    if (weekStart == Qt::Sunday && frequency == Frequency::Weekly && interval > 1)
        parts << QStringLiteral("WKST=SU");
    return parts.join(QLatin1Char(';'));
}

SeriesRule SeriesRule::explicitFor(const QDate &start) const
{
    SeriesRule rule = *this;
    switch (frequency) {
    case Frequency::Daily:
        break;
    case Frequency::Weekly:
        rule.weekdays = patternWeekdays(start);
        break;
    case Frequency::Yearly:
        if (rule.month == 0)
            rule.month = start.month();
        [[fallthrough]];
    case Frequency::Monthly:
        if (rule.monthDay == 0 && rule.ordinal == 0)
            rule.monthDay = start.day();
        break;
    }
    return rule;
}

int SeriesRule::patternWeekdays(const QDate &start) const
{
    return weekdays != 0 ? weekdays : weekdayBit(start.dayOfWeek());
}

QDate SeriesRule::dayInMonth(int year, int monthNumber, const QDate &start) const
{
    const QDate first(year, monthNumber, 1);
    if (!first.isValid())
        return QDate();
    if (monthDay > 0)
        return QDate(year, monthNumber, monthDay); // invalid in a month without that day
    if (monthDay == -1)
        return QDate(year, monthNumber, first.daysInMonth());
    if (ordinal != 0) {
        const int weekday = std::countr_zero(unsigned(weekdays)) + 1;
        if (ordinal > 0)
            return first.addDays((weekday - first.dayOfWeek() + 7) % 7 + 7 * (ordinal - 1));
        const QDate last(year, monthNumber, first.daysInMonth());
        return last.addDays(-((last.dayOfWeek() - weekday + 7) % 7));
    }
    return QDate(year, monthNumber, start.day());
}

bool SeriesRule::matches(const QDate &start, const QDate &date) const
{
    if (!start.isValid() || !date.isValid() || date < start)
        return false;
    if (date == start)
        return true;
    switch (frequency) {
    case Frequency::Daily:
        return start.daysTo(date) % interval == 0 && (weekdays == 0 || (weekdays & weekdayBit(date.dayOfWeek())));
    case Frequency::Weekly: {
        const qint64 weeks = weekStartOf(start, weekStart).daysTo(weekStartOf(date, weekStart)) / 7;
        return weeks % interval == 0 && (patternWeekdays(start) & weekdayBit(date.dayOfWeek()));
    }
    case Frequency::Monthly:
        return (monthIndex(date) - monthIndex(start)) % interval == 0
            && dayInMonth(date.year(), date.month(), start) == date;
    case Frequency::Yearly: {
        const int wantedMonth = month != 0 ? month : start.month();
        return (date.year() - start.year()) % interval == 0 && date.month() == wantedMonth
            && dayInMonth(date.year(), wantedMonth, start) == date;
    }
    }
    return false;
}

QDate SeriesRule::nextAfter(const QDate &start, const QDate &after, const QDate &limit) const
{
    // Each frequency walks its periods (days, weeks, months, years) from
    // the one that holds `after`, every interval-th one, up to limit.
    switch (frequency) {
    case Frequency::Daily: {
        qint64 step = start.daysTo(after) / interval + 1;
        // The weekdays of the steps repeat within seven steps: none of them
        // in seven means none ever.
        for (int tries = 0; tries < 7; ++tries, ++step) {
            const QDate date = start.addDays(step * interval);
            if (date > limit)
                return QDate();
            if (weekdays == 0 || (weekdays & weekdayBit(date.dayOfWeek())))
                return date;
        }
        return QDate();
    }
    case Frequency::Weekly: {
        const QDate firstWeek = weekStartOf(start, weekStart);
        const int days = patternWeekdays(start);
        qint64 week = firstWeek.daysTo(weekStartOf(after, weekStart)) / 7 / interval * interval;
        for (;; week += interval) {
            const QDate weekBegins = firstWeek.addDays(7 * week);
            if (weekBegins > limit)
                return QDate();
            for (int i = 0; i < 7; ++i) {
                const QDate date = weekBegins.addDays(i);
                if (date > after && date <= limit && (days & weekdayBit(date.dayOfWeek())))
                    return date;
            }
        }
    }
    case Frequency::Monthly: {
        const int first = monthIndex(start);
        for (int index = first + (monthIndex(after) - first) / interval * interval;; index += interval) {
            const int year = index / 12, monthNumber = index % 12 + 1;
            if (QDate(year, monthNumber, 1) > limit || year > 9999)
                return QDate();
            const QDate date = dayInMonth(year, monthNumber, start);
            if (date.isValid() && date > after && date <= limit)
                return date;
        }
    }
    case Frequency::Yearly: {
        const int wantedMonth = month != 0 ? month : start.month();
        for (int year = start.year() + (after.year() - start.year()) / interval * interval;; year += interval) {
            if (year > limit.year())
                return QDate();
            const QDate date = dayInMonth(year, wantedMonth, start);
            if (date.isValid() && date > after && date <= limit)
                return date;
        }
    }
    }
    return QDate();
}

QDate SeriesRule::lastDate(const QDate &start) const
{
    if (!start.isValid())
        return QDate();
    if (until.isValid())
        return lastUntil(start);
    if (count <= 0)
        return QDate();
    QDate date = start;
    for (int n = 1; n < count; ++n) {
        const QDate next = nextAfter(start, date, lastStorableDate());
        if (!next.isValid())
            break; // the series ends with the calendar
        date = next;
    }
    return date;
}

QDate SeriesRule::lastUntil(const QDate &start) const
{
    if (until <= start)
        return start;
    // Look back from UNTIL over twice as many periods each time, until one
    // holds an occurrence; the first date is one at the latest.
    for (int periods = 1;; periods *= 2) {
        const int back = std::min(periods, 10000) * interval;
        QDate from;
        switch (frequency) {
        case Frequency::Daily:
            from = until.addDays(-back);
            break;
        case Frequency::Weekly:
            from = until.addDays(-7 * qint64(back));
            break;
        case Frequency::Monthly:
            from = until.addMonths(-back);
            break;
        case Frequency::Yearly:
            from = until.addYears(-back);
            break;
        }
        if (!from.isValid() || from <= start)
            from = start;
        QDate last = from == start ? start : QDate();
        for (QDate date = from; (date = nextAfter(start, date, until)).isValid();)
            last = date;
        if (last.isValid())
            return last;
    }
}

SeriesDates SeriesRule::occurrences(const QDate &start, const QDate &last, const QDate &from, const QDate &to,
                                    const SeriesDates &removed) const
{
    SeriesDates dates;
    if (!start.isValid() || !from.isValid() || !to.isValid())
        return dates;
    const QDate end = last.isValid() ? std::min(last, to) : to;
    if (start >= from && start <= end && !isRemoved(removed, start))
        dates.push_back(start);
    QDate date = from > start ? from.addDays(-1) : start;
    while ((date = nextAfter(start, date, end)).isValid()) {
        if (!isRemoved(removed, date))
            dates.push_back(date);
    }
    return dates;
}

bool SeriesRule::occursOn(const QDate &start, const QDate &last, const QDate &date, const SeriesDates &removed) const
{
    return (!last.isValid() || date <= last) && matches(start, date) && !isRemoved(removed, date);
}

SeriesOccurrences::SeriesOccurrences(const SeriesRule &rule, const QDate &start, SeriesDates removed)
    : m_rule(rule)
    , m_start(start)
    , m_last(rule.lastDate(start))
    , m_removed(std::move(removed))
{ }

Result<SeriesDates> parseRemovedDates(const QString &text)
{
    SeriesDates dates;
    for (const QString &part : text.split(QLatin1Char(','))) {
        const QString trimmed = part.trimmed();
        if (trimmed.isEmpty())
            continue;
        const QDate date = FilterLiterals::readDate(trimmed);
        if (!date.isValid())
            return Result<SeriesDates>::failed(
                QStringLiteral("The removed date \"%1\" is not a date YYYY-MM-DD.").arg(trimmed));
        dates.push_back(date);
    }
    std::sort(dates.begin(), dates.end());
    dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
    return dates;
}

QString removedDatesText(const SeriesDates &dates)
{
    QStringList texts;
    for (const QDate &date : dates)
        texts << FilterLiterals::date(date);
    return texts.join(QLatin1Char(','));
}
