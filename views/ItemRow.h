#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

#include "store/Cursor.h"

// The fields of one calendar item that a view cell paints. A cell whose
// cursor holds no rows paints one ItemRow with every field blank.
struct ItemRow
{
    qint64 No = 0; // 0 while blank
    QString Subject;
    QDate S;
    QDate E;
    QTime St;
    QTime Et;
    bool A = false;
    int T = 0; // a blank type counts as 0
    bool R = false;
    bool Re = false;

    // The fields read, looked up once for a run of rows of one cursor.
    struct Fields;
    // Reads the current row of a calendar cursor.
    static ItemRow fromCursor(const Cursor &cursor);
    static ItemRow fromCursor(const Cursor &cursor, const Fields &fields);
    // The rows at positions [from, from + count) of the cursor, read in one
    // pass without moving it (fewer near the end; none while it edits).
    static QList<ItemRow> readRows(const Cursor &cursor, int from, int count);

    // `No` as the shared view state writes it; "" for a blank row.
    QString noText() const { return No ? QString::number(No) : QString(); }
    // Spans several dates (`S` and `E` differ); blank dates count as equal.
    bool isMultiDay() const { return S != E; }
};

struct ItemRow::Fields
{
    explicit Fields(const Cursor &cursor);
    Cursor::Field Subject, S, E, St, Et, A, T, R, Re;
};
