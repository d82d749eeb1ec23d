#pragma once

#include <QColor>
#include <QString>
#include <QTime>
#include <QVariant>

#include <initializer_list>
#include <utility>

class Cursor;

// Typed access to the single row of the options table (cursor `Table60`).
// Fields are named by their numbers ("1" .. "54"); every read goes to the
// row at the moment of use, so a value posted by anyone is seen at once.
class OptionsRecord
{
public:
    explicit OptionsRecord(Cursor &table60)
        : m_table(table60)
    { }

    bool boolField(int field) const; // blank -> false
    int intField(int field) const;   // blank -> 0
    QTime timeField(int field) const;
    QString textField(int field) const;
    QColor colorField(int field, const QColor &fallback) const;

    // Edit, set the fields, post: the one-step change every writer other
    // than the options dialog uses. While the dialog edits the row the
    // fields are posted beside its edit, which keeps only its own changes.
    // False (the row unchanged) when the post fails; the cursor's
    // lastError() says why.
    [[nodiscard]] bool change(std::initializer_list<std::pair<int, QVariant>> values);

    // Display name of event type t (0..10): field 31 + t.
    QString typeName(int type) const;

    Cursor &cursor() { return m_table; }

private:
    Cursor &m_table;
};
