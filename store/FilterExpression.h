#pragma once

#include "store/Result.h"
#include "store/TableSchema.h"

#include <QString>

#include <memory>
#include <vector>

// A parsed filter text: clauses joined by "or", each a chain of field tests
// joined by "and" ("and" binds tighter; no parentheses). A test compares a
// field with a literal in single quotes, or with the word Null. "F in '3,17,42'"
// holds when a whole-number field F is one of the listed numbers: a long
// list of rows stays one test, chosen straight from F's index.
// "Rr occurs 'D'" holds when the row's series (rule `Rr`, first date `S`,
// removed dates `Rx`) has an occurrence on date D, and "Rr reminds 'D'"
// when one of its occurrences X has its reminder on D (X + (`Rs` - `S`)). Literals are
// converted to the field's type once, here, so evaluation compares values:
// dates and times by value, text as text, booleans against True/False.
//
// A blank field never equals a literal: = is false, <> is true and the
// ordering tests are false for it. "F = Null" holds exactly when F is blank
// and "F <> Null" when it is not.
class FilterExpression
{
public:
    // Occurs and Reminds test a date against the extended series of `Rr`
    // ("Rr occurs '2024-05-06'", "Rr reminds '2024-05-06'"); number is the
    // date's Julian day.
    enum class Op { Eq, Ne, Lt, Le, Gt, Ge, In, Occurs, Reminds };

    struct Test
    {
        int field = -1; // index into the schema's fields
        Op op = Op::Eq;
        bool isNull = false;         // compared with Null
        qint64 number = 0;           // Date: Julian day; Time: ms of day; Boolean 0/1; Integer
        QString text;                // Text and Memo fields
        std::vector<qint64> numbers; // In: the listed numbers, ascending, each once
    };
    using Clause = std::vector<Test>;

    // Parses text against schema. A failure's message names the position
    // (1-based character) of the fault. The result is cached by text, so
    // the views' repeated filters parse once.
    using Shared = std::shared_ptr<const FilterExpression>;
    using Parsed = Result<Shared>;
    static Parsed parse(const QString &text, const TableSchema &schema);

    const std::vector<Clause> &clauses() const { return m_clauses; }
    const TableSchema &schema() const { return *m_schema; }

private:
    static Parsed parseUncached(const QString &text, const TableSchema &schema);

    const TableSchema *m_schema = nullptr;
    std::vector<Clause> m_clauses;
};
