#include "store/TableSchema.h"

#include <algorithm>

int TableSchema::fieldIndexByHash(const QString &name) const
{
    auto it = m_fieldByName.constFind(name);
    if (it == m_fieldByName.constEnd())
        it = m_fieldByName.constFind(name.toLower());
    return it == m_fieldByName.constEnd() ? -1 : *it;
}

void TableSchema::finishFields()
{
    m_fieldByName.clear();
    for (int i = 0; i < fields.size(); ++i) {
        m_fieldByName.insert(fields[i].name, i);
        m_fieldByName.insert(fields[i].name.toLower(), i);
    }
    // Try multipliers until every name has a slot of its own; without one,
    // every lookup goes through the hash.
    m_quickReady = false;
    const bool named =
        std::none_of(fields.cbegin(), fields.cend(), [](const FieldDef &field) { return field.name.isEmpty(); });
    for (quint64 seed = 1; named && seed < 4096 && !m_quickReady; ++seed) {
        m_quickMultiplier = (seed * 0x9E3779B97F4A7C15ull) | 1;
        m_quick.fill(-1);
        m_quickReady = true;
        for (int i = 0; i < fields.size() && m_quickReady; ++i) {
            qint16 &slot = m_quick[quickSlot(fields[i].name, m_quickMultiplier)];
            m_quickReady = slot < 0;
            slot = qint16(i);
        }
    }
}

const IndexDef *TableSchema::index(const QString &name) const
{
    const QString wanted = name.compare(QLatin1String("primary"), Qt::CaseInsensitive) == 0 ? QString() : name;
    for (const IndexDef &def : indexes) {
        if (def.name.compare(wanted, Qt::CaseInsensitive) == 0)
            return &def;
    }
    return nullptr;
}

namespace {

// Fields that hold a directory or a file path take any path the system
// can hold (PATH_MAX on Linux), so that a long data root can start.
constexpr int kPathCapacity = 4096;

FieldDef text(const char *name, int size)
{
    return {QString::fromLatin1(name), FieldType::Text, size};
}
FieldDef typed(const char *name, FieldType type)
{
    return {QString::fromLatin1(name), type, 0};
}

TableSchema makeCalendarSchema()
{
    TableSchema s;
    s.sqlTable = QStringLiteral("items");
    s.fields = {
        typed("No", FieldType::AutoIncrement),
        text("Subject", 150),
        text("Loc", 100),
        {QStringLiteral("N"), FieldType::Memo, 200},
        typed("S", FieldType::Date),
        typed("E", FieldType::Date),
        text("Md", 30),
        typed("St", FieldType::Time),
        typed("Et", FieldType::Time),
        typed("A", FieldType::Boolean),
        typed("T", FieldType::Integer),
        typed("R", FieldType::Boolean),
        typed("Rs", FieldType::Date),
        typed("Rt", FieldType::Time),
        text("Rd", 15),
        text("Rm", 15),
        typed("Re", FieldType::Boolean),
        text("Ret", 50),
        typed("Sun", FieldType::Boolean),
        typed("Mon", FieldType::Boolean),
        typed("Tue", FieldType::Boolean),
        typed("Wed", FieldType::Boolean),
        typed("Thu", FieldType::Boolean),
        typed("Fri", FieldType::Boolean),
        typed("Sat", FieldType::Boolean),
        text("D", 15),
        text("M", 15),
        typed("Ta", FieldType::Boolean),
        typed("C", FieldType::Boolean),
        text("P", 50),
        typed("Sno", FieldType::Boolean),
        typed("Sn", FieldType::Time),
        typed("Sns", FieldType::Date),
        typed("Di", FieldType::Date),
        text("Tr", 15),
        text("Tm", 15),
        // A series beyond the four patterns, and the occurrences moved out
        // of one; older calendar files lack them, and blank means what the
        // pattern fields say alone.
        {QStringLiteral("Rr"), FieldType::Text, 200, true},  // the rule, iCalendar RRULE syntax
        {QStringLiteral("Rx"), FieldType::Memo, 4000, true}, // removed dates, "YYYY-MM-DD,..."
        {QStringLiteral("Rp"), FieldType::Integer, 0, true}, // a moved occurrence: its series' No
        {QStringLiteral("Ro"), FieldType::Date, 0, true},    // ... and the date it replaces
    };
    s.indexes = {
        {QString(), {QStringLiteral("No")}, false, false},
        {QStringLiteral("end"), {QStringLiteral("Et")}, true, false},
        {QStringLiteral("sta"),
         {QStringLiteral("Md"), QStringLiteral("St"), QStringLiteral("Et"), QStringLiteral("S"),
          QStringLiteral("Subject")},
         false,
         true},
    };
    // What a cell of the day, week and month views paints of an item.
    s.carried = {QStringLiteral("Subject"), QStringLiteral("S"),  QStringLiteral("E"),
                 QStringLiteral("St"),      QStringLiteral("Et"), QStringLiteral("A"),
                 QStringLiteral("T"),       QStringLiteral("R"),  QStringLiteral("Re")};
    s.finishFields();
    return s;
}

TableSchema makeOptionsSchema()
{
    TableSchema s;
    s.sqlTable = QStringLiteral("options");
    auto add = [&s](int number, FieldType type, int size = 0) {
        s.fields.append({QString::number(number), type, size});
    };
    add(1, FieldType::Boolean);
    add(2, FieldType::Integer);
    add(3, FieldType::Integer);
    for (int day = 4; day <= 11; ++day)
        add(day, FieldType::Boolean); // 4..10 working days, 11 maximised
    for (int n = 12; n <= 15; ++n)
        add(n, FieldType::Integer);
    add(16, FieldType::Boolean);
    add(17, FieldType::Boolean);
    add(18, FieldType::Integer);
    add(19, FieldType::Boolean);
    add(20, FieldType::Boolean);
    add(21, FieldType::Boolean);
    add(22, FieldType::Text, kPathCapacity); // the sound file's full path
    add(30, FieldType::Boolean);
    for (int n = 31; n <= 41; ++n)
        add(n, FieldType::Text, 50);
    add(42, FieldType::Integer);
    add(43, FieldType::Integer);
    add(44, FieldType::Time);
    add(45, FieldType::Integer);
    add(46, FieldType::Integer);
    add(47, FieldType::Text, 30);
    add(48, FieldType::Text, 30);
    add(49, FieldType::Boolean);
    add(50, FieldType::Boolean);
    add(52, FieldType::Boolean);
    add(53, FieldType::Integer);
    add(54, FieldType::Integer);
    // Set reminders on tasks with due dates; older option files lack it.
    s.fields.append({QStringLiteral("55"), FieldType::Boolean, 0, true});
    // The moment of the reminder scanner's last scan, "yyyy-MM-ddTHH:mm:ss".
    s.fields.append({QStringLiteral("56"), FieldType::Text, 19, true});
    s.indexes = {{QString(), {}, false, false}}; // rowid order: the single row
    s.finishFields();
    return s;
}

TableSchema makeFoldersSchema()
{
    TableSchema s;
    s.sqlTable = QStringLiteral("folders");
    s.fields = {
        typed("1", FieldType::AutoIncrement),
        text("2", 100),
        text("3", kPathCapacity), // a directory: as long as the system allows
        text("4", kPathCapacity),
        typed("5", FieldType::Integer),
        typed("6", FieldType::Integer),
        typed("7", FieldType::Integer),
        typed("8", FieldType::Integer),
    };
    s.indexes = {{QString(), {QStringLiteral("1")}, false, false}};
    s.finishFields();
    return s;
}

} // namespace

const TableSchema &calendarSchema()
{
    static const TableSchema schema = makeCalendarSchema();
    return schema;
}

const TableSchema &optionsSchema()
{
    static const TableSchema schema = makeOptionsSchema();
    return schema;
}

const TableSchema &foldersSchema()
{
    static const TableSchema schema = makeFoldersSchema();
    return schema;
}
