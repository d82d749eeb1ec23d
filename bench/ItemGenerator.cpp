#include "bench/ItemGenerator.h"

#include "store/ItemFields.h"
#include "store/Unit2.h"

#include <QDate>
#include <QFile>
#include <QTime>

#include <sqlite3.h>

#include <array>
#include <random>

namespace ItemGenerator {

namespace {

const QDate firstDate(2020, 1, 1);
const QDate lastDate(2029, 12, 31);

// The columns the generator writes, in the order of the INSERT below.
enum Column {
    Subject,
    S,
    E,
    Md,
    St,
    Et,
    A,
    T,
    R,
    Rs,
    Rt,
    Rd,
    Rm,
    Re,
    Ret,
    Sun,
    Mon,
    Tue,
    Wed,
    Thu,
    Fri,
    Sat,
    D,
    M,
    Ta,
    Tr,
    Tm,
    ColumnCount
};
// The field names of the columns above, in the same order.
const std::array<QString, ColumnCount> &columnNames()
{
    namespace F = ItemField;
    static const std::array<QString, ColumnCount> names = {
        F::Subject, F::S,   F::E,   F::Md,  F::St,  F::Et,  F::A,   F::T,   F::R, F::Rs, F::Rt, F::Rd, F::Rm, F::Re,
        F::Ret,     F::Sun, F::Mon, F::Tue, F::Wed, F::Thu, F::Fri, F::Sat, F::D, F::M,  F::Ta, F::Tr, F::Tm};
    return names;
}

// One row as the file stores it: text, integer or NULL per column.
struct Row
{
    std::array<QVariant, ColumnCount> values;
    void set(Column c, const QVariant &v) { values[c] = v; }
};

// A small, portable random source: the same seed gives the same calendar
// with every compiler (the standard distributions may differ between them).
class Dice
{
public:
    explicit Dice(std::uint64_t seed)
        : m_engine(seed)
    { }
    int below(int n) { return int(m_engine() % std::uint64_t(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }

private:
    std::mt19937_64 m_engine;
};

QString iso(const QDate &d)
{
    return d.toString(Qt::ISODate);
}
QString hms(const QTime &t)
{
    return t.toString(QStringLiteral("HH:mm:ss"));
}

QDate randomDate(Dice &dice)
{
    return firstDate.addDays(dice.below(int(firstDate.daysTo(lastDate)) + 1));
}

// Start 07:00..19:30 on the half hour, 30 to 90 minutes in 15-minute steps.
void setTimes(Row &row, Dice &dice)
{
    const QTime start(dice.between(7, 19), dice.below(2) * 30);
    row.set(St, hms(start));
    row.set(Et, hms(start.addSecs(60 * 15 * dice.between(2, 6))));
    row.set(A, 0);
}

void maybeReminder(Row &row, Dice &dice, const QDate &date, const QTime &start)
{
    if (dice.below(5) != 0)
        return;
    const QDateTime due = QDateTime(date, start.isValid() ? start : QTime(8, 0)).addSecs(-15 * 60);
    row.set(R, 1);
    row.set(Rs, iso(due.date()));
    row.set(Rt, hms(due.time()));
    row.set(Tr, QStringLiteral("15"));
    row.set(Tm, QStringLiteral("minute(s)"));
}

// on[0] is Monday .. on[6] Sunday, as QDate::dayOfWeek() - 1 counts.
void setWeekdays(Row &row, const std::array<bool, 7> &on)
{
    static const Column fields[7] = {Mon, Tue, Wed, Thu, Fri, Sat, Sun};
    for (int i = 0; i < 7; ++i)
        row.set(fields[i], on[i] ? 1 : 0);
}

Row oneDateTimed(Dice &dice, int n)
{
    Row row;
    const QDate date = randomDate(dice);
    row.set(Subject, QStringLiteral("Appointment %1").arg(n));
    row.set(S, iso(date));
    row.set(E, iso(date));
    row.set(Md, QStringLiteral("0"));
    setTimes(row, dice);
    maybeReminder(row, dice, date, QTime::fromString(row.values[St].toString(), QStringLiteral("HH:mm:ss")));
    return row;
}

Row oneDateAllDay(Dice &dice, int n)
{
    Row row;
    const QDate date = randomDate(dice);
    row.set(Subject, QStringLiteral("Event %1").arg(n));
    row.set(S, iso(date));
    row.set(E, iso(date));
    row.set(Md, QStringLiteral("0"));
    row.set(A, 1);
    maybeReminder(row, dice, date, QTime());
    return row;
}

Row multiDate(Dice &dice, int n)
{
    Row row;
    const QDate start = randomDate(dice);
    row.set(Subject, QStringLiteral("Trip %1").arg(n));
    row.set(S, iso(start));
    row.set(E, iso(start.addDays(dice.between(2, 6) - 1)));
    if (dice.below(2) == 0)
        row.set(A, 1);
    else
        setTimes(row, dice);
    return row;
}

Row recurring(Dice &dice, int n)
{
    Row row;
    const QDate first = randomDate(dice);
    row.set(S, iso(first));
    row.set(E, iso(first));
    row.set(Md, QStringLiteral("0"));
    row.set(Re, 1);
    setTimes(row, dice);
    std::array<bool, 7> days {};
    switch (dice.below(5)) {
    case 0: // every day
        row.set(Subject, QStringLiteral("Daily %1").arg(n));
        row.set(Ret, RecurrenceKind::Daily);
        days.fill(true);
        break;
    case 1: // every weekday
        row.set(Subject, QStringLiteral("Weekdays %1").arg(n));
        row.set(Ret, RecurrenceKind::Daily);
        days = {true, true, true, true, true, false, false};
        break;
    case 2: { // weekly on 1 to 3 weekdays, the first date's among them
        row.set(Subject, QStringLiteral("Weekly %1").arg(n));
        row.set(Ret, RecurrenceKind::Weekly);
        days[first.dayOfWeek() - 1] = true;
        const int more = dice.below(3);
        for (int i = 0; i < more; ++i)
            days[dice.below(7)] = true;
        break;
    }
    case 3: // monthly
        row.set(Subject, QStringLiteral("Monthly %1").arg(n));
        row.set(Ret, RecurrenceKind::Monthly);
        row.set(D, QString::number(first.day()));
        row.set(Rd, QString::number(first.day()));
        break;
    default: // yearly
        row.set(Subject, QStringLiteral("Yearly %1").arg(n));
        row.set(Ret, RecurrenceKind::Yearly);
        row.set(D, QString::number(first.day()));
        row.set(M, QString::number(first.month()));
        row.set(Rd, QString::number(first.day()));
        row.set(Rm, QString::number(first.month()));
        break;
    }
    setWeekdays(row, days);
    maybeReminder(row, dice, first, QTime::fromString(row.values[St].toString(), QStringLiteral("HH:mm:ss")));
    return row;
}

Row nextRow(Dice &dice, int n)
{
    const int kind = dice.below(100);
    Row row = kind < 80 ? oneDateTimed(dice, n)
        : kind < 88     ? oneDateAllDay(dice, n)
        : kind < 95     ? multiDate(dice, n)
                        : recurring(dice, n);
    row.set(T, dice.below(11));
    row.set(Ta, 0);
    return row;
}

bool bind(sqlite3_stmt *stmt, int position, const QVariant &value)
{
    if (!value.isValid())
        return sqlite3_bind_null(stmt, position) == SQLITE_OK;
    if (value.typeId() == QMetaType::Int)
        return sqlite3_bind_int(stmt, position, value.toInt()) == SQLITE_OK;
    const QByteArray text = value.toString().toUtf8();
    return sqlite3_bind_text(stmt, position, text.constData(), int(text.size()), SQLITE_TRANSIENT) == SQLITE_OK;
}

} // namespace

bool fill(const QString &path, int count, std::uint64_t seed, QString *error)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("cannot open %1").arg(path);
        sqlite3_close(db);
        return false;
    }
    QStringList names, marks;
    for (const QString &name : columnNames()) {
        names << QStringLiteral("\"%1\"").arg(name);
        marks << QStringLiteral("?");
    }
    const QByteArray sql = QStringLiteral("INSERT INTO items (%1) VALUES (%2)")
                               .arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))
                               .toUtf8();
    sqlite3_stmt *stmt = nullptr;
    bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK
        && sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK;
    Dice dice(seed);
    for (int n = 1; ok && n <= count; ++n) {
        const Row row = nextRow(dice, n);
        for (int c = 0; ok && c < ColumnCount; ++c)
            ok = bind(stmt, c + 1, row.values[c]);
        ok = ok && sqlite3_step(stmt) == SQLITE_DONE;
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok)
        *error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_close(db);
    return ok;
}

bool makeDataRoot(const QString &dir, int count, std::uint64_t seed, QString *error)
{
    {
        TDataModule2 setUp {DataRoot(dir)};
        if (const Outcome started = setUp.startUp(); !started) {
            *error = started.error();
            return false;
        }
    }
    const DataRoot root(dir);
    return fill(root.defaultCalendarDir() + DataRoot::defaultCalendarFile(), count, seed, error);
}

} // namespace ItemGenerator
