#include "printing/DayPrintBlocks.h"

#include "store/Cursor.h"
#include "views/DayBlock.h"
#include "views/DayLayout.h"
#include "views/DayView.h"
#include "views/OccurrenceRules.h"
#include "views/TypeColors.h"
#include "store/ItemFields.h"
#include "store/Unit2.h"

namespace {

// Collects the layout's placements instead of moving widgets.
class Collector : public DayLayout::Blocks
{
public:
    explicit Collector(DayPrintBlocks &out)
        : m_out(out)
    { }

    QRect geometryOf(qint64 itemNo) const override
    {
        const auto it = m_out.blocks.constFind(itemNo);
        return it == m_out.blocks.constEnd() ? QRect() : it->geometry;
    }

    void place(const Cursor &row, const QRect &geometry) override
    {
        const qint64 no = row.value(ItemField::No).toLongLong();
        m_out.blocks.insert(no,
                            {geometry, TypeColors::color(row.asInt(ItemField::T)),
                             MarkerIcons::markerFor(row.asBool(ItemField::R), row.asBool(ItemField::Re))});
    }

private:
    DayPrintBlocks &m_out;
};

} // namespace

DayPrintBlocks DayPrintBlocks::fromDayView(const DayView &view)
{
    DayPrintBlocks result;
    result.gridWidth = view.gridWidth();
    for (const DayBlock *block : view.blocks())
        result.blocks.insert(block->itemNo(), {block->extent(), block->color(), block->marker()});
    return result;
}

DayPrintBlocks DayPrintBlocks::layOut(TDataModule2 &data, const QDate &date, int gridWidth)
{
    DayPrintBlocks result;
    result.gridWidth = gridWidth;
    OccurrenceRules::timedOn(data.Table46(), date);
    OccurrenceRules::allDayOn(data.Table49(), date);
    Collector collector(result);
    DayLayout(data.Table43(), data.Table44()).run(date, gridWidth, collector);
    return result;
}
