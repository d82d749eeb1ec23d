#pragma once

#include "store/SeriesRule.h"

#include <QDate>
#include <QMap>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <iterator>

// The dates of a series found the slow way: walk every day from the first
// date, keep counters of days, weeks, months and years passed and of each
// weekday seen in the month, and test each day against the rule's parts as
// they are written. It shares no code with SeriesRule.
inline SeriesDates walkedDates(const QString &ruleText, const QDate &start, const SeriesDates &removed, const QDate &to,
                               QDate *lastCounted = nullptr)
{
    QMap<QString, QString> parts;
    for (const QString &part : ruleText.split(QLatin1Char(';'))) {
        const QStringList pair = part.split(QLatin1Char('='));
        parts.insert(pair[0], pair[1]);
    }
    const QString freq = parts.value(QStringLiteral("FREQ"));
    const int interval = parts.value(QStringLiteral("INTERVAL"), QStringLiteral("1")).toInt();
    const int count = parts.value(QStringLiteral("COUNT"), QStringLiteral("0")).toInt();
    const QDate until = QDate::fromString(parts.value(QStringLiteral("UNTIL")), QStringLiteral("yyyyMMdd"));
    const int monthDay = parts.value(QStringLiteral("BYMONTHDAY"), QStringLiteral("0")).toInt();
    const int byMonth = parts.value(QStringLiteral("BYMONTH"), QStringLiteral("0")).toInt();
    const int weekStart = parts.value(QStringLiteral("WKST")) == QLatin1String("SU") ? 7 : 1;
    const QStringList names {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
    QSet<int> days;
    int ordinal = 0;
    for (const QString &entry : parts.value(QStringLiteral("BYDAY")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        days.insert(int(names.indexOf(entry.right(2))) + 1);
        if (entry.size() > 2)
            ordinal = entry.chopped(2).toInt();
    }
    if (days.isEmpty() && freq == QLatin1String("WEEKLY"))
        days.insert(start.dayOfWeek());

    SeriesDates dates;
    int dayNo = 0, weekNo = 0, monthNo = 0, yearNo = 0, counted = 0;
    int seenInMonth[8] = {};
    // From the first of the month, so that the weekdays are counted whole.
    for (QDate date = QDate(start.year(), start.month(), 1); date <= to; date = date.addDays(1)) {
        if (date.day() == 1)
            std::fill(std::begin(seenInMonth), std::end(seenInMonth), 0);
        ++seenInMonth[date.dayOfWeek()];
        if (date < start)
            continue;
        if (date != start) {
            ++dayNo;
            if (date.dayOfWeek() == weekStart)
                ++weekNo;
            if (date.day() == 1)
                ++monthNo;
            if (date.day() == 1 && date.month() == 1)
                ++yearNo;
        }
        if (until.isValid() && date > until)
            break;

        const bool lastOfMonth = date.addDays(1).month() != date.month();
        const bool lastOfItsWeekday = date.addDays(7).month() != date.month();
        bool dayFits;
        if (monthDay > 0)
            dayFits = date.day() == monthDay;
        else if (monthDay == -1)
            dayFits = lastOfMonth;
        else if (ordinal > 0)
            dayFits = days.contains(date.dayOfWeek()) && seenInMonth[date.dayOfWeek()] == ordinal;
        else if (ordinal == -1)
            dayFits = days.contains(date.dayOfWeek()) && lastOfItsWeekday;
        else
            dayFits = date.day() == start.day();
        bool hit = date == start;
        if (freq == QLatin1String("DAILY"))
            hit = hit || (dayNo % interval == 0 && (days.isEmpty() || days.contains(date.dayOfWeek())));
        else if (freq == QLatin1String("WEEKLY"))
            hit = hit || (weekNo % interval == 0 && days.contains(date.dayOfWeek()));
        else if (freq == QLatin1String("MONTHLY"))
            hit = hit || (monthNo % interval == 0 && dayFits);
        else if (freq == QLatin1String("YEARLY"))
            hit = hit || (yearNo % interval == 0 && date.month() == (byMonth ? byMonth : start.month()) && dayFits);
        if (!hit)
            continue;
        ++counted;
        if (lastCounted)
            *lastCounted = date;
        if (std::find(removed.begin(), removed.end(), date) == removed.end())
            dates.push_back(date);
        if (count > 0 && counted == count)
            break;
    }
    return dates;
}
