// The table store: cursors over one shared picture of a SQLite file.

#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/ItemFileWriter.h"
#include "store/LocaleFormats.h"
#include "store/TableFile.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <numeric>
#include <tuple>

class TestTableStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_fileCounter = 0;

    // A fresh, empty calendar file and an open cursor on it.
    QString newCalendar()
    {
        const QString name = QStringLiteral("cal%1.db").arg(++m_fileCounter);
        const Outcome created = TableFile::create(m_dir.filePath(name), calendarSchema());
        if (!created)
            qFatal("%s", qPrintable(created.error()));
        return name;
    }

    // A calendar file as it was before the series fields came.
    QString olderCalendar()
    {
        const QString name = newCalendar();
        sqlite3 *db = nullptr;
        if (sqlite3_open(QFile::encodeName(m_dir.filePath(name)).constData(), &db) != SQLITE_OK)
            qFatal("cannot open %s", qPrintable(name));
        for (const char *drop : {"ALTER TABLE items DROP COLUMN Rr", "ALTER TABLE items DROP COLUMN Rx",
                                 "ALTER TABLE items DROP COLUMN Rp", "ALTER TABLE items DROP COLUMN Ro"}) {
            if (sqlite3_exec(db, drop, nullptr, nullptr, nullptr) != SQLITE_OK)
                qFatal("%s: %s", drop, sqlite3_errmsg(db));
        }
        sqlite3_close(db);
        return name;
    }

    void openOn(Cursor &cursor, const QString &file, const QString &index = QString())
    {
        cursor.setTableFile(m_dir.path(), file, calendarSchema());
        cursor.setIndexName(index);
        QVERIFY2(cursor.open(), qPrintable(cursor.lastError()));
    }

    qint64 addItem(Cursor &cursor, std::initializer_list<std::pair<const char *, QVariant>> values)
    {
        cursor.insert();
        for (const auto &[field, value] : values)
            cursor.setValue(QString::fromLatin1(field), value);
        if (!cursor.post())
            qFatal("post failed: %s", qPrintable(cursor.lastError()));
        return cursor.currentId();
    }

    QStringList subjects(Cursor &cursor)
    {
        QStringList result;
        for (cursor.first(); !cursor.eof(); cursor.next())
            result << cursor.asText(QStringLiteral("Subject"));
        return result;
    }

private slots:
    void initTestCase()
    {
        pinTestLocale();
        QVERIFY(m_dir.isValid());
    }

    void newRowGetsIdentityAtPostAndBlanksStayBlank()
    {
        Cursor cursor(QStringLiteral("Table50"));
        openOn(cursor, newCalendar());
        cursor.insert();
        QCOMPARE(cursor.currentId(), qint64(0));
        QVERIFY(cursor.isBlank(QStringLiteral("No")));
        cursor.setValue(QStringLiteral("Subject"), QStringLiteral("Dentist"));
        QVERIFY(cursor.post());
        const qint64 first = cursor.currentId();
        QVERIFY(first > 0);
        QCOMPARE(cursor.value(QStringLiteral("No")).toLongLong(), first);
        QCOMPARE(qint64(cursor.asInt(cursor.field(QStringLiteral("No")))), first);
        QCOMPARE(cursor.asText(QStringLiteral("Subject")), QStringLiteral("Dentist"));
        for (const char *field : {"Ta", "Re", "A", "R"}) {
            QVERIFY(cursor.isBlank(QString::fromLatin1(field)));
            QVERIFY(!cursor.asBool(QString::fromLatin1(field)));
        }
        QVERIFY(cursor.isBlank(QStringLiteral("S")));

        // An empty text is a blank, as a never-typed subject must be.
        const qint64 second = addItem(cursor, {{"Subject", QString()}, {"Loc", QStringLiteral("")}});
        QVERIFY(second > first);
        QVERIFY(cursor.isBlank(QStringLiteral("Subject")));
        QVERIFY(cursor.isBlank(QStringLiteral("Loc")));
    }

    // A text column keeps its spare storage blank: after a clear, the rows
    // of a picture read anew and the slots taken for new rows read blank
    // wherever nothing was stored, though the storage held texts before.
    void textsAreBlankWhereNothingWasStored_data()
    {
        QTest::addColumn<bool>("readAnew");
        QTest::newRow("read anew") << true;
        QTest::newRow("slots taken for new rows") << false;
    }
    void textsAreBlankWhereNothingWasStored()
    {
        QFETCH(bool, readAnew);
        const TableSchema &schema = calendarSchema();
        const int subject = schema.fieldIndex(ItemField::Subject);
        TablePicture picture(schema);
        picture.resizeForLoad(1000);
        for (int slot = 0; slot < 1000; ++slot) {
            picture.idsFrom(0)[slot] = slot + 1;
            picture.textsFrom(subject, 0)[slot] = QStringLiteral("Old subject %1").arg(slot);
        }
        picture.mapLoadedIds();
        picture.clear();
        if (readAnew) {
            picture.resizeForLoad(500);
            for (int slot = 0; slot < 500; ++slot)
                picture.idsFrom(0)[slot] = slot + 1;
            picture.mapLoadedIds();
        } else {
            for (qint64 id = 1; id <= 500; ++id)
                picture.takeSlot(id);
        }
        QCOMPARE(picture.slotCount(), 500);
        for (int slot = 0; slot < picture.slotCount(); ++slot)
            QVERIFY2(picture.textAt(slot, subject).isNull(), qPrintable(QString::number(slot)));
    }

    void valuesRoundTripThroughTheFile()
    {
        const QString file = newCalendar();
        {
            Cursor writer;
            openOn(writer, file);
            addItem(writer,
                    {{"Subject", QStringLiteral("Yearly")},
                     {"S", QDate(2029, 1, 14)},
                     {"St", QTime(9, 30)},
                     {"Re", true},
                     {"A", false},
                     {"T", 7},
                     {"D", QStringLiteral("14")},
                     {"M", QStringLiteral("1")}});
        }
        // Everything closed: the next cursor reads the file anew.
        QVERIFY(!TableFile::isOpenHere(m_dir.filePath(file)));
        Cursor reader;
        openOn(reader, file);
        QCOMPARE(reader.recordCount(), 1);
        QCOMPARE(reader.asDate(QStringLiteral("S")), QDate(2029, 1, 14));
        QCOMPARE(reader.asTime(QStringLiteral("St")), QTime(9, 30));
        QCOMPARE(reader.value(QStringLiteral("Re")), QVariant(true));
        QCOMPARE(reader.value(QStringLiteral("A")), QVariant(false));
        QCOMPARE(reader.asInt(QStringLiteral("T")), 7);
        QCOMPARE(reader.asText(QStringLiteral("D")), QStringLiteral("14"));
        QCOMPARE(reader.asText(QStringLiteral("M")), QStringLiteral("1"));
        QCOMPARE(reader.asText(QStringLiteral("S")), QStringLiteral("1/14/2029"));
    }

    // Dates and times are kept in 32 bits and booleans in a byte beside a
    // blank mark: the extremes, false and blank must each come back as
    // themselves, through the typed reads and through readNumbers, from a
    // posted row, a re-read file and an edit buffer.
    void narrowValuesKeepTheirExtremesAndBlanks()
    {
        const QString file = newCalendar();
        {
            Cursor writer;
            openOn(writer, file);
            addItem(writer,
                    {{"S", QDate(1, 1, 1)},
                     {"E", QDate(9999, 12, 31)},
                     {"St", QTime(0, 0)},
                     {"Et", QTime(23, 59, 59)},
                     {"A", false},
                     {"R", true},
                     {"T", -2147483647 - 1}});
        }
        Cursor cursor;
        openOn(cursor, file);
        const Cursor::Field fields[] = {cursor.field(QStringLiteral("S")),  cursor.field(QStringLiteral("E")),
                                        cursor.field(QStringLiteral("St")), cursor.field(QStringLiteral("Et")),
                                        cursor.field(QStringLiteral("A")),  cursor.field(QStringLiteral("R")),
                                        cursor.field(QStringLiteral("Re")), cursor.field(QStringLiteral("T")),
                                        cursor.field(QStringLiteral("Rs")), cursor.field(QStringLiteral("Subject"))};
        const qint64 blank = Cursor::kBlankNumber;
        const std::vector<qint64> expected {QDate(1, 1, 1).toJulianDay(),
                                            QDate(9999, 12, 31).toJulianDay(),
                                            0,
                                            (23 * 3600 + 59 * 60 + 59) * 1000,
                                            0,
                                            1,
                                            blank,
                                            -2147483647LL - 1,
                                            blank,
                                            blank};
        auto check = [&] {
            std::vector<qint64> numbers(std::size(fields));
            cursor.readNumbers(fields, int(std::size(fields)), numbers.data());
            QCOMPARE(numbers, expected);
            QCOMPARE(cursor.asDate(QStringLiteral("S")), QDate(1, 1, 1));
            QCOMPARE(cursor.asDate(QStringLiteral("E")), QDate(9999, 12, 31));
            QCOMPARE(cursor.asTime(QStringLiteral("Et")), QTime(23, 59, 59));
            QVERIFY(!cursor.isBlank(QStringLiteral("A")) && !cursor.asBool(QStringLiteral("A")));
            QVERIFY(cursor.isBlank(QStringLiteral("Re")));
            QCOMPARE(cursor.asInt(QStringLiteral("T")), -2147483647 - 1);
        };
        check();
        QVERIFY(cursor.edit());
        check();
        cursor.cancel();
    }

    void rowsWrittenByAnotherToolReadAlike()
    {
        const QString file = newCalendar();
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(m_dir.filePath(file)).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "INSERT INTO items (Subject, S, E, Md, St, Et, Ta) "
                              "VALUES ('Outside', '2024-05-01', '2024-05-01', '0', '09:00:00', '10:30:00', 0)",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
        Cursor cursor;
        openOn(cursor, file);
        QVERIFY(cursor.setFilter(QStringLiteral("S = '5/1/2024' and Ta <> 'True' and St >= '9:00:00 AM'")));
        cursor.setFiltered(true);
        QCOMPARE(subjects(cursor), QStringList {QStringLiteral("Outside")});
        cursor.first();
        QCOMPARE(cursor.asTime(QStringLiteral("Et")), QTime(10, 30));
        QCOMPARE(cursor.value(QStringLiteral("Ta")), QVariant(false));
    }

    // A large file is read in two halves at once (one on a second
    // connection); every row must still come back once, in order, and
    // decoded as a small file's rows are, in either journal mode.
    void largeFileReadsEveryRowAlike_data()
    {
        QTest::addColumn<QByteArray>("journal");
        QTest::newRow("rollback journal") << QByteArray("DELETE");
        QTest::newRow("write-ahead log") << QByteArray("WAL");
    }

    void largeFileReadsEveryRowAlike()
    {
        QFETCH(QByteArray, journal);
        // Enough rows for the load to split over two readers and for an
        // order to be sorted in two halves and merged.
        constexpr int rows = 40000;
        const QDate origin(2024, 1, 1);
        // Identities with gaps, denser in the first half than in the second.
        auto idOf = [](int i) { return qint64(3 + i * 5 + (i > rows / 3 ? 1000000 : 0)); };
        const QString file = newCalendar();
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(m_dir.filePath(file)).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "PRAGMA journal_mode=" + journal, nullptr, nullptr, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_stmt *insert = nullptr;
        QCOMPARE(sqlite3_prepare_v2(db, "INSERT INTO items (No, Subject, S, St, A, T, Md) VALUES (?, ?, ?, ?, ?, ?, ?)",
                                    -1, &insert, nullptr),
                 SQLITE_OK);
        const char *const flags[] = {"1", "0", "True", " false ", nullptr};
        const char *const codes[] = {"0", nullptr, "x"};
        for (int i = 0; i < rows; ++i) {
            const QByteArray subject = QStringLiteral("Row %1 \u00fc").arg(i).toUtf8();
            const QByteArray date = origin.addDays(i % 400).toString(Qt::ISODate).toUtf8();
            const QByteArray time =
                QTime(0, 0).addSecs(60 * (i % 1440)).toString(QStringLiteral("HH:mm:ss")).toLatin1();
            sqlite3_bind_int64(insert, 1, idOf(i));
            sqlite3_bind_text(insert, 2, subject.constData(), -1, SQLITE_TRANSIENT);
            if (i % 4 == 0)
                sqlite3_bind_int(insert, 3, 20240101); // no ISO date: blank
            else
                sqlite3_bind_text(insert, 3, date.constData(), -1, SQLITE_TRANSIENT);
            if (i % 3 == 0)
                sqlite3_bind_null(insert, 4);
            else
                sqlite3_bind_text(insert, 4, time.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 5, flags[i % 5], -1, SQLITE_STATIC);
            sqlite3_bind_int(insert, 6, i % 11);
            sqlite3_bind_text(insert, 7, codes[i % 3], -1, SQLITE_STATIC);
            QCOMPARE(sqlite3_step(insert), SQLITE_DONE);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        QCOMPARE(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);

        Cursor cursor;
        openOn(cursor, file);
        QCOMPARE(cursor.recordCount(), rows);
        const QVariant flagValues[] = {true, false, true, false, QVariant()};
        int i = 0;
        for (cursor.first(); !cursor.eof(); cursor.next(), ++i) {
            const QDate date = i % 4 == 0 ? QDate() : origin.addDays(i % 400);
            const QTime time = i % 3 == 0 ? QTime() : QTime(0, 0).addSecs(60 * (i % 1440));
            const QString code = codes[i % 3] ? QString::fromLatin1(codes[i % 3]) : QString();
            const bool alike = cursor.value(QStringLiteral("No")).toLongLong() == idOf(i)
                && cursor.asText(QStringLiteral("Subject")) == QStringLiteral("Row %1 \u00fc").arg(i)
                && cursor.asDate(QStringLiteral("S")) == date && cursor.asTime(QStringLiteral("St")) == time
                && cursor.value(QStringLiteral("A")) == flagValues[i % 5] && cursor.asInt(QStringLiteral("T")) == i % 11
                && cursor.value(QStringLiteral("Md")) == (code.isNull() ? QVariant() : QVariant(code))
                && cursor.isBlank(QStringLiteral("E"));
            if (!alike)
                QFAIL(qPrintable(QStringLiteral("row %1 (No %2) reads differently").arg(i).arg(cursor.currentId())));
        }
        QCOMPARE(i, rows);

        // The `sta` order (Md, St, Et, S, Subject without case; blanks
        // first; then No), worked out from what was written.
        std::vector<int> expected(rows);
        std::iota(expected.begin(), expected.end(), 0);
        auto keyOf = [&](int r) {
            const int md = codes[r % 3] == nullptr ? 0 : (QByteArray(codes[r % 3]) == "0" ? 1 : 2);
            const int st = r % 3 == 0 ? -1 : r % 1440;
            const qint64 start = r % 4 == 0 ? -1 : origin.addDays(r % 400).toJulianDay();
            return std::make_tuple(md, st, start);
        };
        std::sort(expected.begin(), expected.end(), [&](int a, int b) {
            if (keyOf(a) != keyOf(b))
                return keyOf(a) < keyOf(b);
            const int bySubject = QStringLiteral("Row %1 \u00fc")
                                      .arg(a)
                                      .compare(QStringLiteral("Row %1 \u00fc").arg(b), Qt::CaseInsensitive);
            return bySubject != 0 ? bySubject < 0 : idOf(a) < idOf(b);
        });
        Cursor sta;
        openOn(sta, file, QStringLiteral("sta"));
        int position = 0;
        for (sta.first(); !sta.eof(); sta.next(), ++position) {
            if (sta.currentId() != idOf(expected[size_t(position)]))
                QFAIL(qPrintable(QStringLiteral("sta position %1 holds No %2, not %3")
                                     .arg(position)
                                     .arg(sta.currentId())
                                     .arg(idOf(expected[size_t(position)]))));
        }
        QCOMPARE(position, rows);
    }

    // Field names are looked up on every cell read; whatever path a lookup
    // takes, each name finds its own field in any case and a near miss none.
    void fieldNamesFindTheirFields_data()
    {
        QTest::addColumn<int>("table");
        QTest::newRow("calendar") << 0;
        QTest::newRow("options") << 1;
        QTest::newRow("folders") << 2;
    }

    void fieldNamesFindTheirFields()
    {
        QFETCH(int, table);
        const TableSchema *schema = std::array {&calendarSchema(), &optionsSchema(), &foldersSchema()}[table];
        for (int f = 0; f < schema->fields.size(); ++f) {
            const QString name = schema->fields[f].name;
            QCOMPARE(schema->fieldIndex(name), f);
            QCOMPARE(schema->fieldIndex(name.toLower()), f);
            QCOMPARE(schema->fieldIndex(name.toUpper()), f);
            for (const QString &miss :
                 {name + QLatin1Char('x'), QLatin1Char('x') + name, name.left(1) + QLatin1String("q") + name.mid(1)}) {
                if (schema->fieldIndex(miss) >= 0)
                    QCOMPARE(schema->fields[schema->fieldIndex(miss)].name.compare(miss, Qt::CaseInsensitive), 0);
            }
        }
        QCOMPARE(schema->fieldIndex(QString()), -1);
        QCOMPARE(schema->fieldIndex(QStringLiteral("Nope")), -1);
    }

    void indexOrders()
    {
        const QString file = newCalendar();
        Cursor writer;
        openOn(writer, file);
        const QDate day(2024, 5, 3);
        addItem(writer,
                {{"Subject", QStringLiteral("b timed 10")},
                 {"Md", "0"},
                 {"S", day},
                 {"St", QTime(10, 0)},
                 {"Et", QTime(11, 0)}});
        addItem(writer,
                {{"Subject", QStringLiteral("multi")},
                 {"S", day},
                 {"E", day.addDays(2)},
                 {"St", QTime(8, 0)},
                 {"Et", QTime(9, 0)}});
        addItem(writer, {{"Subject", QStringLiteral("all day")}, {"Md", "0"}, {"S", day}, {"A", true}});
        addItem(writer,
                {{"Subject", QStringLiteral("timed 9")},
                 {"Md", "0"},
                 {"S", day},
                 {"St", QTime(9, 0)},
                 {"Et", QTime(12, 0)}});
        addItem(writer,
                {{"Subject", QStringLiteral("A timed 10")},
                 {"Md", "0"},
                 {"S", day},
                 {"St", QTime(10, 0)},
                 {"Et", QTime(11, 0)}});

        Cursor sta, end, primary;
        openOn(sta, file, QStringLiteral("sta"));
        openOn(end, file, QStringLiteral("end"));
        openOn(primary, file);
        // Blank Md first (multi-date), then all-day (blank St), then by start
        // time, end time, date and subject without regard to case.
        QCOMPARE(subjects(sta), (QStringList {"multi", "all day", "timed 9", "A timed 10", "b timed 10"}));
        // Latest end first; the blank end of the all-day item comes last.
        QCOMPARE(subjects(end).first(), QStringLiteral("timed 9"));
        QCOMPARE(subjects(end).last(), QStringLiteral("all day"));
        QCOMPARE(subjects(primary), (QStringList {"b timed 10", "multi", "all day", "timed 9", "A timed 10"}));
    }

    void postThroughOneCursorIsSeenByAnotherAfterRefresh()
    {
        const QString file = newCalendar();
        Cursor a, b;
        openOn(a, file);
        openOn(b, file);
        addItem(a, {{"Subject", QStringLiteral("first")}});
        QCOMPARE(b.recordCount(), 0);
        b.refresh();
        QCOMPARE(subjects(b), QStringList {QStringLiteral("first")});
        // Setting the filter again is a refresh too.
        addItem(a, {{"Subject", QStringLiteral("second")}});
        QVERIFY(b.setFilter(QString()));
        b.setFiltered(true);
        QCOMPARE(b.recordCount(), 2);

        // A row deleted through one cursor leaves every other one at once,
        // and the deleting cursor moves on to the next row.
        QVERIFY(a.locate(QStringLiteral("Subject"), QStringLiteral("first")));
        QVERIFY(a.deleteRow());
        QCOMPARE(a.asText(QStringLiteral("Subject")), QStringLiteral("second"));
        QCOMPARE(subjects(b), QStringList {QStringLiteral("second")});
        QVERIFY(a.deleteRow());
        QVERIFY(a.eof());
        QCOMPARE(b.recordCount(), 0);
    }

    void deleteReachesCursorsThatShareTheirRows()
    {
        const QString file = newCalendar();
        {
            Cursor writer;
            openOn(writer, file);
            for (const char *subject : {"a", "b", "c", "d"})
                addItem(writer, {{"Subject", QString::fromLatin1(subject)}});
        }
        // Unfiltered cursors opened together read one shared list of rows.
        Cursor first, second, deleter;
        openOn(first, file);
        openOn(second, file);
        openOn(deleter, file);
        first.next();
        first.next(); // on "c"
        QVERIFY(deleter.setFilter(QStringLiteral("Subject = 'a' or Subject = 'c'")));
        deleter.setFiltered(true);
        QVERIFY(deleter.deleteRow()); // "a", before both positions
        QCOMPARE(first.asText(QStringLiteral("Subject")), QStringLiteral("c"));
        QCOMPARE(first.recordCount(), 3);
        QCOMPARE(subjects(second), (QStringList {"b", "c", "d"}));
        QVERIFY(deleter.deleteRow()); // "c", where the first cursor stands: it moves on
        QCOMPARE(first.asText(QStringLiteral("Subject")), QStringLiteral("d"));
        QCOMPARE(subjects(second), (QStringList {"b", "d"}));
        QCOMPARE(deleter.recordCount(), 0);
    }

    void rowsKeepTheirFieldsWhenADeletedRowsPlaceIsTaken()
    {
        const QString file = newCalendar();
        Cursor writer, reader, filtered;
        openOn(writer, file);
        for (const char *subject : {"a", "b", "c"})
            addItem(writer, {{"Subject", QString::fromLatin1(subject)}});
        openOn(reader, file);
        openOn(filtered, file);
        QVERIFY(filtered.setFilter(QStringLiteral("Subject >= 'b'")));
        filtered.setFiltered(true);
        QVERIFY(writer.locate(QStringLiteral("Subject"), QStringLiteral("b")));
        QVERIFY(writer.deleteRow());
        // The new row may be kept where "b" was; lists read before it came
        // still show the rows they hold, each with its own fields.
        addItem(writer, {{"Subject", QStringLiteral("new")}});
        QCOMPARE(subjects(reader), (QStringList {"a", "c"}));
        QCOMPARE(subjects(filtered), (QStringList {"c"}));
        reader.refresh();
        filtered.refresh();
        QCOMPARE(subjects(reader), (QStringList {"a", "c", "new"}));
        QCOMPARE(subjects(filtered), (QStringList {"c", "new"}));
    }

    void editCancelAndPost()
    {
        const QString file = newCalendar();
        Cursor cursor;
        openOn(cursor, file);
        int hookRuns = 0;
        cursor.setAfterPost([&hookRuns] { ++hookRuns; });
        const qint64 id = addItem(cursor, {{"Subject", QStringLiteral("before")}});
        QCOMPARE(hookRuns, 1);
        // The in-place text shows the edit buffer while the row is edited.
        const Cursor::Field subject = cursor.field(QStringLiteral("Subject"));
        QCOMPARE(cursor.textView(subject), u"before");
        QVERIFY(cursor.edit());
        cursor.setValue(QStringLiteral("Subject"), QStringLiteral("changed"));
        QCOMPARE(cursor.asText(QStringLiteral("Subject")), QStringLiteral("changed"));
        QCOMPARE(cursor.textView(subject), u"changed");
        cursor.setValue(QStringLiteral("Subject"), QVariant());
        QVERIFY(cursor.textView(subject).isEmpty());
        cursor.cancel();
        QCOMPARE(cursor.asText(QStringLiteral("Subject")), QStringLiteral("before"));
        QCOMPARE(cursor.textView(subject), u"before");
        QVERIFY(cursor.edit());
        QVERIFY(cursor.setText(QStringLiteral("S"), QStringLiteral("2/29/2000")));
        QVERIFY(cursor.setText(QStringLiteral("Re"), QStringLiteral("True")));
        QVERIFY(!cursor.setText(QStringLiteral("T"), QStringLiteral("three")));
        QVERIFY(cursor.lastError().contains(QLatin1String("T")));
        QVERIFY(cursor.post());
        QCOMPARE(hookRuns, 2);
        QCOMPARE(cursor.currentId(), id);
        QCOMPARE(cursor.asDate(QStringLiteral("S")), QDate(2000, 2, 29));
        QVERIFY(cursor.asBool(QStringLiteral("Re")));
    }

    void tooLongValueIsRefusedAndNothingPosted()
    {
        const QString file = newCalendar();
        Cursor cursor;
        openOn(cursor, file);
        cursor.insert();
        cursor.setValue(QStringLiteral("Subject"), QString(151, QLatin1Char('x')));
        QVERIFY(!cursor.post());
        QVERIFY2(cursor.lastError().contains(QLatin1String("Subject")), qPrintable(cursor.lastError()));
        QVERIFY2(cursor.lastError().contains(QLatin1String("150")), qPrintable(cursor.lastError()));
        QCOMPARE(cursor.state(), Cursor::State::Insert); // the user's text is still there to fix
        cursor.cancel();
        cursor.refresh();
        QCOMPARE(cursor.recordCount(), 0);

        cursor.insert();
        cursor.setValue(QStringLiteral("Subject"), QString(150, QLatin1Char('x')));
        cursor.setValue(QStringLiteral("N"), QString(5000, QLatin1Char('n'))); // a memo has room
        QVERIFY2(cursor.post(), qPrintable(cursor.lastError()));
    }

    void badFilesAreReportedAndLeftUntouched_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text file") << QByteArray("Meeting at nine\nLunch at noon\n");
        QByteArray damaged("SQLite format 3");
        damaged.append('\0');
        damaged.append(QByteArray(4000, '\x5a'));
        QTest::newRow("damaged database") << damaged;
        QTest::newRow("empty file") << QByteArray();
    }

    void badFilesAreReportedAndLeftUntouched()
    {
        QFETCH(QByteArray, content);
        const QString name = QStringLiteral("bad%1.db").arg(++m_fileCounter);
        const QString path = m_dir.filePath(name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();

        Cursor cursor;
        cursor.setTableFile(m_dir.path(), name, calendarSchema());
        QVERIFY(!cursor.open());
        QVERIFY2(cursor.lastError().contains(name), qPrintable(cursor.lastError()));
        QVERIFY(!cursor.isOpen());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
    }

    void missingFileIsReported()
    {
        Cursor cursor;
        cursor.setTableFile(m_dir.path(), QStringLiteral("nowhere.db"), calendarSchema());
        QVERIFY(!cursor.open());
        QVERIFY(cursor.lastError().contains(QLatin1String("nowhere.db")));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("nowhere.db"))));
    }

    void createReplacesAClosedFileButNotAnOpenOne()
    {
        const QString file = newCalendar();
        const QString path = m_dir.filePath(file);
        {
            Cursor cursor;
            openOn(cursor, file);
            addItem(cursor, {{"Subject", QStringLiteral("old")}});
            const Outcome refused = TableFile::create(path, calendarSchema());
            QVERIFY(!refused);
            QVERIFY(!refused.error().isEmpty());
            cursor.refresh();
            QCOMPARE(cursor.recordCount(), 1);
        }
        const Outcome created = TableFile::create(path, calendarSchema());
        QVERIFY2(created, qPrintable(created.error()));
        Cursor cursor;
        openOn(cursor, file);
        QCOMPARE(cursor.recordCount(), 0);
    }

    void readOnlyCursorNeverWrites()
    {
        const QString file = newCalendar();
        const QString path = m_dir.filePath(file);
        const QDateTime before = QFileInfo(path).lastModified();
        Cursor cursor;
        cursor.setTableFile(m_dir.path(), file, calendarSchema());
        cursor.setReadOnly(true);
        QVERIFY(cursor.open());
        cursor.insert();
        cursor.setValue(QStringLiteral("Subject"), QStringLiteral("x"));
        QVERIFY(!cursor.post());
        QCOMPARE(QFileInfo(path).lastModified(), before);
    }

    // A calendar written before the series fields existed: a reader sees
    // them blank and leaves the file alone; a writer adds them and they
    // keep what is written.
    void olderFileGainsTheSeriesFieldsOnlyWhenWritten()
    {
        const QString file = olderCalendar();
        const QString path = m_dir.filePath(file);
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "INSERT INTO items (Subject, S, E, Md, Re, Ret, Mon) "
                              "VALUES ('Old', '2024-05-06', '2024-05-06', '0', 1, '2', 1)",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        auto columnCount = [db] {
            sqlite3_stmt *statement = nullptr;
            sqlite3_prepare_v2(db, "SELECT count(*) FROM pragma_table_info('items')", -1, &statement, nullptr);
            sqlite3_step(statement);
            const int count = sqlite3_column_int(statement, 0);
            sqlite3_finalize(statement);
            return count;
        };
        QCOMPARE(columnCount(), 36);
        {
            Cursor reader;
            reader.setTableFile(m_dir.path(), file, calendarSchema());
            reader.setReadOnly(true);
            QVERIFY2(reader.open(), qPrintable(reader.lastError()));
            reader.first();
            QCOMPARE(reader.asText(ItemField::Subject), QStringLiteral("Old"));
            for (const QString &field : {ItemField::Rr, ItemField::Rx, ItemField::Rp, ItemField::Ro})
                QVERIFY2(reader.isBlank(field), qPrintable(field));
        }
        QCOMPARE(columnCount(), 36);
        {
            Cursor writer;
            openOn(writer, file);
            QCOMPARE(columnCount(), 40);
            writer.first();
            QVERIFY(writer.isBlank(ItemField::Rr));
            QVERIFY(writer.edit());
            writer.setValue(ItemField::Rr, QStringLiteral("FREQ=WEEKLY;INTERVAL=2;COUNT=10"));
            writer.setValue(ItemField::Rx, QStringLiteral("2024-05-20"));
            writer.setValue(ItemField::Rp, 7);
            writer.setValue(ItemField::Ro, QDate(2024, 6, 3));
            QVERIFY2(writer.post(), qPrintable(writer.lastError()));
        }
        sqlite3_stmt *statement = nullptr;
        QCOMPARE(sqlite3_prepare_v2(db, "SELECT Rr, Rx, Rp, Ro FROM items", -1, &statement, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_step(statement), SQLITE_ROW);
        QStringList stored;
        for (int c = 0; c < 4; ++c)
            stored << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, c)));
        sqlite3_finalize(statement);
        sqlite3_close(db);
        QCOMPARE(stored, (QStringList {"FREQ=WEEKLY;INTERVAL=2;COUNT=10", "2024-05-20", "7", "2024-06-03"}));
    }

    // The importer's writer inserts every field, so it adds the later ones too.
    void itemWriterExtendsAnOlderFile()
    {
        const QString path = m_dir.filePath(olderCalendar());
        ItemFileWriter writer;
        QVERIFY2(writer.open(path), qPrintable(writer.lastError()));
        QVERIFY2(writer.begin(), qPrintable(writer.lastError()));
        std::vector<QVariant> row(calendarSchema().fields.size());
        row[calendarSchema().fieldIndex(ItemField::Subject)] = QStringLiteral("Imported");
        row[calendarSchema().fieldIndex(ItemField::Rr)] = QStringLiteral("FREQ=DAILY;COUNT=2");
        qint64 no = 0;
        QVERIFY2(writer.insertItem(row, QString(), &no), qPrintable(writer.lastError()));
        QVERIFY2(writer.commit(), qPrintable(writer.lastError()));
        Cursor cursor;
        openOn(cursor, QFileInfo(path).fileName());
        QVERIFY(cursor.locate(ItemField::No, no));
        QCOMPARE(cursor.asText(ItemField::Rr), QStringLiteral("FREQ=DAILY;COUNT=2"));
    }

    void datesRoundTripInTheLocaleFormat_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::newRow("1999") << QDate(1999, 12, 31);
        QTest::newRow("2000") << QDate(2000, 2, 29);
        QTest::newRow("2029") << QDate(2029, 5, 1);
    }

    void datesRoundTripInTheLocaleFormat()
    {
        QFETCH(QDate, date);
        const QString text = LocaleFormats::formatDate(date);
        QVERIFY2(text.endsWith(QString::number(date.year())), qPrintable(text));
        QCOMPARE(LocaleFormats::parseDate(text), date);
        const QTime time(23, 59, 58);
        QCOMPARE(LocaleFormats::parseTime(LocaleFormats::formatTime(time)), time);
        QVERIFY(!LocaleFormats::formatTime(time).contains(QLatin1String("UTC")));
    }
};

QTEST_GUILESS_MAIN(TestTableStore)
#include "test_tablestore.moc"
