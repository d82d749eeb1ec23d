#include "reminders/DuePredicate.h"

#include "store/FilterLiterals.h"
#include "store/ItemFields.h"

namespace DuePredicate {

namespace {

using FilterLiterals::quoted;

QString quoted(int number)
{
    return FilterLiterals::quoted(QString::number(number));
}

// Clauses 1 to 4 for day T.
QString regularClauses(const QDate &T)
{
    const QString t = quoted(T);
    const QString d = quoted(T.day());
    const QString m = quoted(T.month());
    const QString monthLead = quoted(T.addDays(32));
    const QString yearLead = quoted(T.addDays(365));
    return "Rs = " + t + " and Sno <> 'True' and Re <> 'True' and R = 'True'"                               // 1
        + " or Re = 'True' and " + ItemField::weekdayFlag(T) + " = 'True' and Di <> " + t + " and S < " + t // 2
        + " and R = 'True'" + " or Re = 'True' and Ret = '3' and Rd = " + d + " and Di <> " + t + " and S < "
        + monthLead // 3
        + " and R = 'True'" + " or Re = 'True' and Rd = " + d + " and Rm = " + m + " and Di <> " + t + " and S < "
        + yearLead // 4
        + " and R = 'True'";
}

// An extended series on the day one of its occurrences reminds: the store
// moves each occurrence by the row's lead (`Rs` - `S` days) and leaves out
// the removed dates, so a moved occurrence rings only through its own row.
QString extendedClause(const QDate &T)
{
    return "R = 'True' and Re = 'True' and Rr reminds " + quoted(T) + " and Di <> " + quoted(T);
}

QString snoozedClause(const QDate &T, const QString &extra)
{
    return "Sno = 'True' and R = 'True' and Sns = " + quoted(T) + extra;
}

} // namespace

QString dueFilter(const QDate &today, const QTime &now)
{
    return regularClauses(today) + " or " + snoozedClause(today, " and Sn <= " + quoted(now)) // 5
        + " or " + extendedClause(today);
}

QString oneOffBetween(const QDate &first, const QDate &last)
{
    return "Rs >= " + quoted(first) + " and Rs <= " + quoted(last)
        + " and Sno <> 'True' and Re <> 'True' and R = 'True'";
}

QString recurringWithReminder()
{
    return QStringLiteral("Re = 'True' and R = 'True'");
}

QString snoozedBetween(const QDate &first, const QDate &last)
{
    return "Sno = 'True' and R = 'True' and Sns >= " + quoted(first) + " and Sns <= " + quoted(last);
}

QString missedClause(const std::vector<qint64> &nos, const QDate &today)
{
    if (nos.empty())
        return {};
    QString list;
    list.reserve(int(nos.size()) * 7);
    for (qint64 no : nos) {
        if (!list.isEmpty())
            list += QLatin1Char(',');
        list += QString::number(no);
    }
    return "No in " + quoted(list) + " and R = 'True' and Di <> " + quoted(today);
}

} // namespace DuePredicate
