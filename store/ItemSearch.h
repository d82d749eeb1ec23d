#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>

#include <vector>

class Cursor;

// One item a search found, with what a list of results shows of it.
struct FoundItem
{
    QString calendar; // the calendar file, as its cursor names it
    qint64 no = 0;
    QDate start; // `S`; a series' first date
    QDate end;   // `E`; a task's due date
    QTime startTime;
    QTime endTime;
    bool allDay = false;
    bool task = false;
    QString subject;
    QString pattern; // a series' pattern in words (SeriesText); empty for any other item

    bool isSeries() const { return !pattern.isEmpty(); }
    // The date the results are sorted by and the day view shows: the start,
    // or the due date of a task without one; invalid for an undated task.
    QDate date() const { return start.isValid() ? start : end; }
};

// Finds the items of a calendar whose subject, location or notes contain a
// text, past and future alike. Each row is one result: a series (of the
// pattern fields or of a rule) is found once, and an occurrence moved out
// of it is a row, and a result, of its own.
//
// Letters compare without regard to case in every script (Qt's case
// folding: "МОСКВА" finds "Москва", "ΑΘΉΝΑ" finds "Αθήνα"), and "ss" and
// "ß" stand for each other, as German writes the same word both ways.
//
// A search reads the cursor's rows where they are, so a large calendar can
// be searched in slices between key presses: scan() goes on from the
// cursor's current row.
class ItemSearch
{
public:
    // Blanks around the text do not count; an empty text finds nothing.
    explicit ItemSearch(const QString &text);

    bool isEmpty() const { return m_spellings.isEmpty(); }
    QString text() const { return m_spellings.value(0); }
    bool matches(QStringView text) const;

    // Reads at most maxRows rows of the cursor from its current row on,
    // adding each that matches to found, and leaves the cursor on the next
    // row to read. Returns whether the cursor reached its end.
    bool scan(Cursor &cursor, int maxRows, std::vector<FoundItem> &found) const;
    // Every row of the cursor, from its first, sorted by date.
    std::vector<FoundItem> findAll(Cursor &cursor) const;

    // By date (undated tasks last), then start time (all-day first), then
    // subject and `No`, so that equal searches list alike.
    static void sortByDate(std::vector<FoundItem> &items);
    // The result for the cursor's current row.
    static FoundItem foundItem(const Cursor &cursor);

private:
    struct ShownFields;
    static FoundItem foundItem(const Cursor &cursor, const ShownFields &fields, const QString &calendar);

    // One spelling to look for. A case-insensitive search that folds every
    // letter of the text it reads is slow on a large calendar; this one
    // jumps with Qt's vectorised search for a single letter from one place
    // where the spelling's first letter (in any of its cases) stands to the
    // next, and compares only there.
    class Needle
    {
    public:
        explicit Needle(const QString &text);
        bool foundIn(QStringView text) const;

    private:
        QString m_text;
        std::vector<QChar> m_firsts; // every letter that folds as the first one does
        bool m_jumps = false;        // false for a first letter outside the BMP
    };

    QStringList m_spellings; // the text, then its other spellings with "ss" and "ß"
    std::vector<Needle> m_needles;
};
