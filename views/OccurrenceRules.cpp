#include "views/OccurrenceRules.h"

#include "store/Cursor.h"
#include "store/FilterLiterals.h"
#include "store/ItemFields.h"

#include <QtGlobal>

// The texts keep their uneven spacing on purpose: they are the filters the
// calendar has always been read with, and the store's parser takes them as
// they stand. Their dates and times are ISO literals, not the locale's
// texts, so that every locale reads them back alike.

namespace OccurrenceRules {

namespace {

// The pieces every rule is built from.
struct DateParts
{
    QString D; // the date as an ISO literal
    QString d; // day of month, no leading zero
    QString m; // month, no leading zero
    QString W; // name of the weekday field
};

DateParts partsOf(const QDate &date)
{
    return {FilterLiterals::date(date), QString::number(date.day()), QString::number(date.month()),
            ItemField::weekdayFlag(date)};
}

QString slotEnd(const QTime &t1)
{
    return FilterLiterals::time(t1.addSecs(29 * 60));
}

// The clause that finds an extended series on the date, with the rule's
// own extra tests. It follows the written rule so that a calendar without
// extended rows answers as it always has; those rows pass none of the
// pattern clauses before it except on their first date.
QString extendedClause(const DateParts &p, const QString &extra = {})
{
    return " or Re = 'True' and Rr occurs '" + p.D + "'" + extra;
}

void apply(Cursor &cursor, const QString &text)
{
    const bool parsed = cursor.setFilter(text);
    Q_ASSERT_X(parsed, "OccurrenceRules", qPrintable(cursor.lastError()));
    if (!parsed)
        qWarning("OccurrenceRules: %s", qPrintable(cursor.lastError()));
    cursor.setFiltered(true);
}

} // namespace

QString generalFilter(const QDate &date)
{
    const DateParts p = partsOf(date);
    return "S <='" + p.D + "'and E >= '" + p.D + "' and Ta<>'True' or Re = 'True' and  " + p.W + " = 'True' and S < '"
        + p.D + "' or Re = 'True' and Ret='3' and D = '" + p.d + "' and S < '" + p.D + "' or Re = 'True' and  D = '"
        + p.d + "' and M = '" + p.m + "' and S < '" + p.D + "'" + extendedClause(p);
}

QString timedFilter(const QDate &date)
{
    const DateParts p = partsOf(date);
    return "S ='" + p.D + "' and A <> 'True' and Md ='0' or Re = 'True' and  " + p.W
        + " = 'True' and A <> 'True' and S < '" + p.D + "' or Re = 'True' and Ret='3' and A <> 'True' and D = '" + p.d
        + "' and S < '" + p.D + "' or Re = 'True' and  D = '" + p.d + "' and M = '" + p.m
        + "' and A <> 'True' and S < '" + p.D + "'" + extendedClause(p, " and A <> 'True'");
}

QString allDayFilter(const QDate &date)
{
    const DateParts p = partsOf(date);
    return "S ='" + p.D + "' and A = 'True' or S <='" + p.D + "' and Md<>'0' and E >= '" + p.D
        + "' and Ta<>'True' or Re = 'True' and  " + p.W + " = 'True' and A = 'True' and S < '" + p.D
        + "' or Re = 'True' and Ret='3' and D = '" + p.d + "' and A = 'True' and S < '" + p.D
        + "' or Re = 'True' and  D = '" + p.d + "' and M = '" + p.m + "' and A = 'True' and S < '" + p.D + "'"
        + extendedClause(p, " and A = 'True'");
}

namespace {

QString startsBetweenFilter(const QDate &date, const QString &t1, const QString &t2)
{
    const DateParts p = partsOf(date);
    return "S ='" + p.D + "' and Md ='0' and St >= '" + t1 + "' and St <= '" + t2 + "' or Re = 'True' and  " + p.W
        + " = 'True' and S < '" + p.D + "' and St >= '" + t1 + "' and St <= '" + t2
        + "' or Re = 'True' and Ret='3' and D = '" + p.d + "' and S < '" + p.D + "' and St >= '" + t1 + "' and St <= '"
        + t2 + "' or Re = 'True' and  D = '" + p.d + "' and M = '" + p.m + "' and S < '" + p.D + "' and St >= '" + t1
        + "' and St <= '" + t2 + "'" + extendedClause(p, " and St >= '" + t1 + "' and St <= '" + t2 + "'");
}

} // namespace

QString slotStartFilter(const QDate &date, const QTime &slotStart)
{
    return startsBetweenFilter(date, FilterLiterals::time(slotStart), slotEnd(slotStart));
}

QString runningFilter(const QDate &date, const QTime &slotStart)
{
    const DateParts p = partsOf(date);
    const QString t1 = FilterLiterals::time(slotStart);
    return "S ='" + p.D + "' and Md ='0' and St < '" + t1 + "' and Et > '" + t1 + "' or Re = 'True' and  " + p.W
        + " = 'True' and S < '" + p.D + "' and St < '" + t1 + "' and Et > '" + t1
        + "' or Re = 'True' and Ret='3' and D = '" + p.d + "' and S < '" + p.D + "' and St < '" + t1 + "' and Et > '"
        + t1 + "' or Re = 'True' and  D = '" + p.d + "' and M = '" + p.m + "' and S < '" + p.D + "' and St < '" + t1
        + "' and Et > '" + t1 + "'" + extendedClause(p, " and St < '" + t1 + "' and Et > '" + t1 + "'");
}

QTime slotStart(int slot)
{
    Q_ASSERT(slot >= 0 && slot < 48);
    return QTime(slot / 2, (slot % 2) * 30);
}

void occursOn(Cursor &cursor, const QDate &d)
{
    apply(cursor, generalFilter(d));
}

void timedOn(Cursor &cursor, const QDate &d)
{
    apply(cursor, timedFilter(d));
}

void allDayOn(Cursor &cursor, const QDate &d)
{
    apply(cursor, allDayFilter(d));
}

void startingInSlot(Cursor &cursor, const QDate &d, int slot)
{
    apply(cursor, slotStartFilter(d, slotStart(slot)));
}

void startingOnDay(Cursor &cursor, const QDate &d)
{
    apply(cursor, startsBetweenFilter(d, FilterLiterals::time(QTime(0, 0)), FilterLiterals::time(QTime(23, 59))));
}

void runningAtSlot(Cursor &cursor, const QDate &d, int slot)
{
    apply(cursor, runningFilter(d, slotStart(slot)));
}

} // namespace OccurrenceRules
