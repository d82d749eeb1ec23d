#include "views/OccurrenceCommands.h"

#include "store/Cursor.h"
#include "store/ItemFields.h"
#include "store/SeriesRow.h"
#include "store/TableSchema.h"

#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace {

using Answer = OccurrenceQuestion::Answer;

Answer ask(QWidget *parent, const QString &text, const QString &occurrence, const QString &series)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Daybrook Planner"), text, QMessageBox::NoButton, parent);
    QPushButton *one = box.addButton(occurrence, QMessageBox::AcceptRole);
    QPushButton *all = box.addButton(series, QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(one);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == one)
        return Answer::Occurrence;
    if (box.clickedButton() == all)
        return Answer::Series;
    return Answer::Cancel;
}

Outcome storeFailure(Cursor &cursor)
{
    const QString message = cursor.lastError();
    if (cursor.state() != Cursor::State::Browse)
        cursor.cancel();
    return Outcome::failed(message);
}

// A cursor of its own on the calendar file, showing only the rows of filter.
Result<std::unique_ptr<Cursor>> scratchCursor(const Cursor &like, const QString &filter)
{
    auto scratch = std::make_unique<Cursor>(QStringLiteral("OccurrenceScratch"));
    scratch->setTableFile(like.directory(), like.fileName(), *like.schema());
    if (!scratch->setFilter(filter))
        return Result<std::unique_ptr<Cursor>>::failed(scratch->lastError());
    scratch->setFiltered(true);
    if (!scratch->open())
        return Result<std::unique_ptr<Cursor>>::failed(scratch->lastError());
    return scratch;
}

// The date is the series' only occurrence: removing it would leave none.
bool isLastOccurrence(const SeriesOccurrences &series, const QDate &date)
{
    if (!series.last().isValid())
        return false; // endless
    const SeriesDates dates = series.occurrences(series.start(), series.last());
    return dates.size() == 1 && dates.front() == date;
}

// The field values of the series row as a one-off on date.
SeriesRow::FieldValues oneOffValues(const Cursor &series, const QDate &date)
{
    using namespace ItemField;
    SeriesRow::FieldValues values;
    for (const FieldDef &field : series.schema()->fields)
        if (field.name != No)
            values.emplace_back(field.name, series.value(field.name));
    auto set = [&values](const QString &name, const QVariant &value) {
        for (auto &[field, old] : values)
            if (field == name)
                old = value;
    };
    const QDate first = series.asDate(S);
    set(Re, false);
    for (const QString &name : {Ret, D, M, Rd, Rm, Rr, Rx})
        set(name, QVariant());
    for (const QString &flag : weekdayFlags())
        set(flag, false);
    set(S, date);
    set(E, date);
    set(Md, QStringLiteral("0"));
    // The reminder keeps its lead before the occurrence it now belongs to.
    if (!series.isBlank(Rs) && first.isValid())
        set(Rs, series.asDate(Rs).addDays(first.daysTo(date)));
    set(Rp, series.currentId());
    set(Ro, date);
    return values;
}

// While the question was open, another program may have changed the file
// and the cursor re-read its rows: it must be on the item asked about.
bool backOn(Cursor &cursor, qint64 no)
{
    return cursor.currentId() == no || cursor.locate(ItemField::No, no);
}

} // namespace

OccurrenceQuestion::Answer OccurrenceDialog::askDelete()
{
    return ask(m_parent, QStringLiteral("This item is one occurrence of a series."),
               QStringLiteral("Delete this occurrence"), QStringLiteral("Delete the series"));
}

OccurrenceQuestion::Answer OccurrenceDialog::askOpen()
{
    return ask(m_parent, QStringLiteral("This item is one occurrence of a series."),
               QStringLiteral("Open this occurrence"), QStringLiteral("Open the series"));
}

namespace OccurrenceCommands {

bool isSeries(const Cursor &row)
{
    return row.isOpen() && !row.eof() && row.asBool(ItemField::Re);
}

Outcome deleteSeries(Cursor &cursor)
{
    const qint64 no = cursor.currentId();
    if (no == 0)
        return Outcome::failed(QStringLiteral("There is no item to delete."));
    if (!cursor.deleteRow())
        return storeFailure(cursor);
    // The moved occurrences may lie on any date, outside the cursor's rows.
    Result<std::unique_ptr<Cursor>> moved =
        scratchCursor(cursor, QStringLiteral("%1 = '%2'").arg(ItemField::Rp).arg(no));
    if (!moved)
        return Outcome::failed(moved.error());
    Cursor &rows = *moved.value();
    while (rows.recordCount() > 0) {
        rows.first();
        if (!rows.deleteRow())
            return storeFailure(rows);
    }
    return {};
}

Outcome deleteOccurrence(Cursor &cursor, const QDate &date)
{
    const Result<SeriesOccurrences> series = SeriesRow::seriesOf(cursor);
    if (series && isLastOccurrence(series.value(), date))
        return deleteSeries(cursor);
    if (!cursor.edit())
        return storeFailure(cursor);
    const Outcome removed = SeriesRow::removeOccurrence(cursor, date);
    if (!removed) {
        cursor.cancel();
        return removed;
    }
    if (!cursor.post())
        return storeFailure(cursor);
    return {};
}

Outcome deleteItem(Cursor &cursor, const QDate &date, OccurrenceQuestion &question)
{
    if (!isSeries(cursor)) {
        if (!cursor.deleteRow())
            return storeFailure(cursor);
        return {};
    }
    const qint64 no = cursor.currentId();
    const Answer answer = question.askDelete();
    if (answer != Answer::Cancel && !backOn(cursor, no))
        return Outcome::failed(QStringLiteral("The item is no longer in the calendar."));
    switch (answer) {
    case Answer::Occurrence:
        return deleteOccurrence(cursor, date);
    case Answer::Series:
        return deleteSeries(cursor);
    case Answer::Cancel:
        break;
    }
    return Outcome::cancelled();
}

Result<qint64> detachOccurrence(Cursor &cursor, const QDate &date)
{
    using Failed = Result<qint64>;
    const qint64 seriesNo = cursor.currentId();
    const Result<SeriesOccurrences> series = SeriesRow::seriesOf(cursor);
    if (!series)
        return Failed::failed(series.error());
    if (!series->occursOn(date))
        return Failed::failed(QStringLiteral("The series has no occurrence on %1.").arg(date.toString(Qt::ISODate)));
    const bool last = isLastOccurrence(series.value(), date);
    SeriesRow::FieldValues values = oneOffValues(cursor, date);
    if (last) {
        // No series is left for the row to belong to.
        for (auto &[field, value] : values)
            if (field == ItemField::Rp || field == ItemField::Ro)
                value = QVariant();
    }

    cursor.insert();
    for (const auto &[field, value] : values)
        cursor.setValue(field, value);
    if (!cursor.post())
        return Failed::failed(storeFailure(cursor).error());
    const qint64 copyNo = cursor.currentId();

    // Then the series gives the date up; the copy goes again when it cannot.
    Outcome given;
    if (!cursor.locate(ItemField::No, seriesNo))
        given = Outcome::failed(QStringLiteral("The series is no longer in the calendar."));
    else if (last)
        given = cursor.deleteRow() ? Outcome() : storeFailure(cursor);
    else if (!cursor.edit())
        given = storeFailure(cursor);
    else if (given = SeriesRow::removeOccurrence(cursor, date); !given)
        cursor.cancel();
    else if (!cursor.post())
        given = storeFailure(cursor);
    if (!given) {
        if (cursor.locate(ItemField::No, copyNo) && !cursor.deleteRow())
            storeFailure(cursor);
        return Failed::failed(given.error());
    }
    cursor.locate(ItemField::No, copyNo);
    return copyNo;
}

Result<qint64> itemToOpen(Cursor &cursor, const QDate &date, OccurrenceQuestion &question)
{
    const qint64 no = cursor.currentId();
    if (!isSeries(cursor))
        return no;
    const Answer answer = question.askOpen();
    if (answer != Answer::Cancel && !backOn(cursor, no))
        return Result<qint64>::failed(QStringLiteral("The item is no longer in the calendar."));
    switch (answer) {
    case Answer::Occurrence:
        return detachOccurrence(cursor, date);
    case Answer::Series:
        return no;
    case Answer::Cancel:
        break;
    }
    return Result<qint64>::cancelled();
}

} // namespace OccurrenceCommands
