#pragma once

#include <QDate>
#include <QString>

#include <array>

// The calendar item table's field names, spelled once. Code names a field
// as `ItemField::St`, so a misspelt name fails to compile instead of
// reading as a blank field. The schema (store/TableSchema.cpp) keeps its
// own table of names, types and sizes in physical order.
//
// These are namespace-scope objects: read them from functions, never from
// the initializer of another file's namespace-scope object, whose turn to
// be built may come first.
namespace ItemField {

inline const QString No = QStringLiteral("No");
inline const QString Subject = QStringLiteral("Subject");
inline const QString Loc = QStringLiteral("Loc");
inline const QString N = QStringLiteral("N");
inline const QString S = QStringLiteral("S");
inline const QString E = QStringLiteral("E");
inline const QString Md = QStringLiteral("Md");
inline const QString St = QStringLiteral("St");
inline const QString Et = QStringLiteral("Et");
inline const QString A = QStringLiteral("A");
inline const QString T = QStringLiteral("T");
inline const QString R = QStringLiteral("R");
inline const QString Rs = QStringLiteral("Rs");
inline const QString Rt = QStringLiteral("Rt");
inline const QString Rd = QStringLiteral("Rd");
inline const QString Rm = QStringLiteral("Rm");
inline const QString Re = QStringLiteral("Re");
inline const QString Ret = QStringLiteral("Ret");
inline const QString Sun = QStringLiteral("Sun");
inline const QString Mon = QStringLiteral("Mon");
inline const QString Tue = QStringLiteral("Tue");
inline const QString Wed = QStringLiteral("Wed");
inline const QString Thu = QStringLiteral("Thu");
inline const QString Fri = QStringLiteral("Fri");
inline const QString Sat = QStringLiteral("Sat");
inline const QString D = QStringLiteral("D");
inline const QString M = QStringLiteral("M");
inline const QString Ta = QStringLiteral("Ta");
inline const QString C = QStringLiteral("C");
inline const QString P = QStringLiteral("P");
inline const QString Sno = QStringLiteral("Sno");
inline const QString Sn = QStringLiteral("Sn");
inline const QString Sns = QStringLiteral("Sns");
inline const QString Di = QStringLiteral("Di");
inline const QString Tr = QStringLiteral("Tr");
inline const QString Tm = QStringLiteral("Tm");
// Added later (a file gains them when opened for writing). An "extended"
// series is a recurring row with Rr set: its rule says where it falls, and
// its own pattern fields are left so that the pattern clauses never match.
inline const QString Rr = QStringLiteral("Rr"); // series rule, RRULE value syntax; blank: the pattern fields
inline const QString Rx = QStringLiteral("Rx"); // removed dates of a series, ISO, comma-separated, ascending
inline const QString Rp = QStringLiteral("Rp"); // a moved or changed occurrence: the No of its series
inline const QString Ro = QStringLiteral("Ro"); // ... and the date of the occurrence it replaces

// The weekday flags in the one order every reader uses: Sunday first, as
// the table lays them out.
inline const std::array<QString, 7> &weekdayFlags()
{
    static const std::array<QString, 7> flags = {Sun, Mon, Tue, Wed, Thu, Fri, Sat};
    return flags;
}

// Sunday 0 .. Saturday 6: the position of a date's flag in weekdayFlags().
inline int weekdayFlagIndex(const QDate &date)
{
    return date.dayOfWeek() % 7;
}

// The flag field of a date's weekday, "Sun" .. "Sat".
inline const QString &weekdayFlag(const QDate &date)
{
    return weekdayFlags()[weekdayFlagIndex(date)];
}

} // namespace ItemField

// The recurrence kind codes of `Ret`, held as text: blank when the item
// does not recur.
namespace RecurrenceKind {

enum class Kind { None = 0, Daily = 1, Weekly = 2, Monthly = 3, Yearly = 4 };

inline const QString Daily = QStringLiteral("1");
inline const QString Weekly = QStringLiteral("2");
inline const QString Monthly = QStringLiteral("3");
inline const QString Yearly = QStringLiteral("4");

inline QString code(Kind kind)
{
    return kind == Kind::None ? QString() : QString::number(int(kind));
}

// None for blank or unknown codes.
inline Kind fromCode(const QString &ret)
{
    bool ok = false;
    const int number = ret.trimmed().toInt(&ok);
    return ok && number >= 1 && number <= 4 ? Kind(number) : Kind::None;
}

} // namespace RecurrenceKind

// The task priorities `P` holds, as the task editor's list offers them.
namespace TaskPriority {

inline const QString Low = QStringLiteral("Low");
inline const QString Normal = QStringLiteral("Normal"); // what a new task gets
inline const QString High = QStringLiteral("High");

} // namespace TaskPriority
