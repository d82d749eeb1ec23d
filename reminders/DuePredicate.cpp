#include "reminders/DuePredicate.h"

namespace DuePredicate {

namespace {

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// Clauses 1 to 4 for day T.
QString regularClauses(const QDate &T)
{
    const QString t = quoted(dateLiteral(T));
    const QString d = quoted(QString::number(T.day()));
    const QString m = quoted(QString::number(T.month()));
    const QString monthLead = quoted(dateLiteral(T.addDays(32)));
    const QString yearLead = quoted(dateLiteral(T.addDays(365)));
    return "Rs = " + t + " and Sno <> 'True' and Re <> 'True' and R = 'True'"                     // 1
        + " or Re = 'True' and " + weekdayField(T) + " = 'True' and Di <> " + t + " and S < " + t // 2
        + " and R = 'True'" + " or Re = 'True' and Ret = '3' and Rd = " + d + " and Di <> " + t + " and S < "
        + monthLead // 3
        + " and R = 'True'" + " or Re = 'True' and Rd = " + d + " and Rm = " + m + " and Di <> " + t + " and S < "
        + yearLead // 4
        + " and R = 'True'";
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
    return regularClauses(today) + " or " + snoozedClause(today, " and Sn <= " + quoted(timeLiteral(now))); // 5
}

QString oneOffBetween(const QDate &first, const QDate &last)
{
    return "Rs >= " + quoted(dateLiteral(first)) + " and Rs <= " + quoted(dateLiteral(last))
        + " and Sno <> 'True' and Re <> 'True' and R = 'True'";
}

QString recurringWithReminder()
{
    return QStringLiteral("Re = 'True' and R = 'True'");
}

QString snoozedBetween(const QDate &first, const QDate &last)
{
    return "Sno = 'True' and R = 'True' and Sns >= " + quoted(dateLiteral(first))
        + " and Sns <= " + quoted(dateLiteral(last));
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
    return "No in " + quoted(list) + " and R = 'True' and Di <> " + quoted(dateLiteral(today));
}

} // namespace DuePredicate
