#include "DuePredicate.h"

namespace DuePredicate {

namespace {

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

QString timeRange(const char *field, const QTime &from, const QTime &until)
{
    const QString name = QLatin1String(field);
    return " and " + name + " >= " + quoted(timeLiteral(from)) + " and " + name + " <= " + quoted(timeLiteral(until));
}

// Clauses 1 to 4 for day T; `extra` is appended to every clause, since
// "and" binds tighter than "or" and the language has no parentheses.
QString regularClauses(const QDate &T, const QString &extra)
{
    const QString t = quoted(dateLiteral(T));
    const QString d = quoted(QString::number(T.day()));
    const QString m = quoted(QString::number(T.month()));
    const QString monthLead = quoted(dateLiteral(T.addDays(32)));
    const QString yearLead = quoted(dateLiteral(T.addDays(365)));
    return "Rs = " + t + " and Sno <> 'True' and Re <> 'True' and R = 'True'" + extra                      // 1
        + " or Re = 'True' and " + weekdayField(T) + " = 'True' and Di <> " + t + " and S < " + t          // 2
        + " and R = 'True'" + extra
        + " or Re = 'True' and Ret = '3' and Rd = " + d + " and Di <> " + t + " and S < " + monthLead      // 3
        + " and R = 'True'" + extra
        + " or Re = 'True' and Rd = " + d + " and Rm = " + m + " and Di <> " + t + " and S < " + yearLead  // 4
        + " and R = 'True'" + extra;
}

QString snoozedClause(const QDate &T, const QString &extra)
{
    return "Sno = 'True' and R = 'True' and Sns = " + quoted(dateLiteral(T)) + extra;
}

} // namespace

QString dateLiteral(const QDate &date)
{
    return date.toString(Qt::ISODate);
}

QString timeLiteral(const QTime &time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString weekdayField(const QDate &date)
{
    static const char *const fields[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    return QLatin1String(fields[date.dayOfWeek() - 1]);
}

QString dueFilter(const QDate &today, const QTime &now)
{
    return regularClauses(today, QString()) + " or "
        + snoozedClause(today, " and Sn <= " + quoted(timeLiteral(now)));                                 // 5
}

QString regularOn(const QDate &day, const QTime &from, const QTime &until)
{
    return regularClauses(day, timeRange("Rt", from, until));
}

QString snoozedOn(const QDate &day, const QTime &from, const QTime &until)
{
    return snoozedClause(day, timeRange("Sn", from, until));
}

QString missedClause(qint64 no, const QDate &today)
{
    return "No = " + quoted(QString::number(no)) + " and R = 'True' and Di <> " + quoted(dateLiteral(today));
}

} // namespace DuePredicate
