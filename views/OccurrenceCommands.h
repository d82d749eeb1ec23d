#pragma once

#include "store/Result.h"

#include <QDate>

class Cursor;
class QWidget;

// What the user wants done when a command reaches one occurrence of a
// series: that occurrence alone, the whole series, or nothing. Behind an
// interface so that the views can be driven without a dialog.
class OccurrenceQuestion
{
public:
    enum class Answer { Occurrence, Series, Cancel };

    virtual ~OccurrenceQuestion() = default;
    virtual Answer askDelete() = 0;
    virtual Answer askOpen() = 0;
};

// The question as a message box with the three buttons, over parent.
class OccurrenceDialog : public OccurrenceQuestion
{
public:
    explicit OccurrenceDialog(QWidget *parent)
        : m_parent(parent)
    { }
    Answer askDelete() override;
    Answer askOpen() override;

private:
    QWidget *m_parent;
};

// The question a view asks: the dialog over it, unless another answerer
// was set (a test's; not owned).
class OccurrenceAsker
{
public:
    explicit OccurrenceAsker(QWidget *view)
        : m_dialog(view)
    { }
    void setQuestion(OccurrenceQuestion *question) { m_set = question; }
    OccurrenceQuestion &question() { return m_set ? *m_set : m_dialog; }

private:
    OccurrenceDialog m_dialog;
    OccurrenceQuestion *m_set = nullptr;
};

// The commands on one occurrence, on the current row of a calendar cursor
// (a view's cursor filtered to the occurrence's date, or any other).
namespace OccurrenceCommands {

// Whether the row is a series (a moved occurrence is a one-off: it is not).
bool isSeries(const Cursor &row);

// Delete with the question for a series: "this occurrence" removes the date
// from the series (the whole series goes when it was the last one left),
// "the series" deletes the series with its moved occurrences, Cancel gives
// cancelled. A one-off row is deleted without a question.
Outcome deleteItem(Cursor &cursor, const QDate &date, OccurrenceQuestion &question);
// The series row and every moved occurrence whose `Rp` is its `No`.
Outcome deleteSeries(Cursor &cursor);
// Removes date from the series; when that was its last occurrence, the
// series is deleted instead.
Outcome deleteOccurrence(Cursor &cursor, const QDate &date);

// Makes the occurrence of the series on date a one-off row of its own: a
// copy of the series on that date (its reminder moved along), linked by
// `Rp`/`Ro`, and the date removed from the series. Gives the new row's
// `No`; the cursor is left on it when it can see it. Nothing is changed on
// failure.
Result<qint64> detachOccurrence(Cursor &cursor, const QDate &date);

// Open with the question for a series: the `No` to open (the detached
// occurrence's or the series'), cancelled, or the item's own for a one-off.
Result<qint64> itemToOpen(Cursor &cursor, const QDate &date, OccurrenceQuestion &question);

} // namespace OccurrenceCommands
