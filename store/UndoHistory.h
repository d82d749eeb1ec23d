#pragma once

#include "store/RowWrite.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The changes the user made to one calendar, for undo and redo: each step
// is what one command wrote (a delete, a drag, an import), as the rows it
// touched were before and after. Steps hold whole rows, so an undone
// delete comes back with its identity and every field, and a step can be
// checked against the file before it is put back.
class UndoHistory
{
public:
    // Steps kept on each side; the oldest goes first when a new one comes.
    static constexpr int stepLimit = 200;

    struct Step
    {
        QString name;        // "Delete", "Move", "Import", ...
        quint64 gesture = 0; // nonzero: a gesture whose writes span several events

        // A later write to a row the step holds keeps the row's first
        // image and takes the new one; a row inserted and deleted again
        // within the step is no change at all.
        void add(const RowWrite &write);
        // Whether it changes anything.
        bool isEmpty() const { return rows.empty(); }
        // The writes that put it back (undo) or do it again (redo).
        std::vector<RowWrite> undoing() const;
        std::vector<RowWrite> redoing() const;

        // An image packed into its stored bytes: a whole import is one step,
        // and a row held as fifty QVariants would take several times the
        // memory.
        struct Packed
        {
            bool present = false;
            QByteArray bytes;
            bool operator==(const Packed &other) const = default;
        };
        struct Row
        {
            qint64 id = 0;
            Packed before;
            Packed after;
        };
        std::vector<Row> rows;
    };

    // A finished step on top of the undo side; the redo side is cleared. A
    // step of the gesture the top step belongs to joins it, as long as it
    // starts from the rows as that step left them.
    void add(Step step);

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    // The step an undo or a redo would take (only when there is one).
    const Step &nextUndo() const { return m_undo.back(); }
    const Step &nextRedo() const { return m_redo.back(); }
    // After the next step was undone (redone): it moves to the other side.
    void undone();
    void redone();
    // After the next step was refused: it goes from the history.
    void dropNextUndo() { m_undo.pop_back(); }
    void dropNextRedo() { m_redo.pop_back(); }

private:
    static bool continues(const Step &top, const Step &step);
    static void push(std::vector<Step> &side, Step step);

    std::vector<Step> m_undo; // oldest first
    std::vector<Step> m_redo; // the next redo last
};
