#pragma once

#include "store/RowRef.h"

#include <QStringView>
#include <QtGlobal>

#include <memory>
#include <vector>

class TablePicture;
struct TableSchema;

// A small record per row holding the schema's carried fields (see
// TableSchema::carried): the numbers packed as the picture packs them, each
// text as a view of the picture's own text. The ranked candidate lists keep
// one record per row, side by side, so that the rows a filter passes are
// read from a few arrays walked forward instead of from rows scattered over
// the whole picture (at a million rows, each such read waits on memory).
//
// A record is good only while the picture's generation is the one it was
// made at: its text views point into the picture, and every change to the
// rows moves the generation on.
class CarriedFields
{
public:
    using Records = std::shared_ptr<const std::vector<quint64>>;

    CarriedFields(const TableSchema &schema, const TablePicture &picture);

    bool empty() const { return m_recordWords == 0; }
    // The records of the rows in rowSlots, one after another.
    Records records(const std::vector<int> &rowSlots) const;
    const char *record(const Records &records, size_t row) const
    {
        return reinterpret_cast<const char *>(records->data() + row * m_recordWords);
    }

    // Which fields to read for a run of rows, and where their values go:
    // per row its id, numberCount numbers (stored form, kBlank for a blank
    // or a text field) and textCount texts (null view for a blank).
    struct Read
    {
        const int *numberFields = nullptr;
        int numberCount = 0;
        const int *textFields = nullptr;
        int textCount = 0;
        qint64 *ids = nullptr;
        qint64 *numbers = nullptr;
        QStringView *texts = nullptr;
    };
    static constexpr int kMostFields = 64;
    // Rows [from, from + count) of rows; their records in carried when it
    // is of this generation of the picture, else the picture itself.
    void read(const RowList &rows, const struct CarriedRows *carried, int from, int count, const Read &read) const;

private:
    // Where a field lies in a record: width 1, 4 or 8 for a number, kText
    // for a text's view; kIdentity for the row's id, kAbsent for a field
    // the records do not hold, kNone for an unknown field (reads blank).
    struct Place
    {
        quint16 offset = 0;
        quint8 width = 0;
    };
    static constexpr quint8 kAbsent = 0, kText = 16, kIdentity = 0xFD, kNone = 0xFE;
    Place place(int field) const;
    static qint64 numberIn(const char *record, Place place, qint64 id);
    static QStringView textIn(const char *record, Place place);
    void readFromPicture(int slot, const Read &read, qint64 *numbers, QStringView *texts) const;

    const TablePicture &m_picture;
    std::vector<Place> m_places; // per field of the schema
    size_t m_recordWords = 0;
};

// Per row of a filter's result, its record among the ranked candidate
// lists (null: read that row from the picture), with the lists' records
// kept alive while the result lives; good while the picture's generation
// is `generation`.
struct CarriedRows
{
    quint64 generation = 0;
    std::vector<const char *> records;
    std::vector<CarriedFields::Records> keep;
};
