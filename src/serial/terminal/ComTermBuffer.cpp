#include "ComTermBuffer.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {

// An empty cell is all zero bytes: a memset wipes cells far faster than a loop over them.
static_assert(std::is_trivially_copyable_v<TTermCell>);
void wipe(TTermCell *first, int count)
{
    std::memset(static_cast<void *>(first), 0, std::size_t(count) * sizeof(TTermCell));
}

} // namespace

void TComTermBuffer::Init(int columns, int rows)
{
    // Every row is only marked empty, so the storage's old cells never show: it only grows,
    // and a device that switches between two sizes costs no allocation after the first switch.
    FColumns = columns;
    FRows = rows;
    const std::size_t cells = std::size_t(columns) * std::size_t(rows);
    if (FCells.size() < cells)
        FCells.resize(cells);
    if (FEmptyRow.size() < std::size_t(columns))
        FEmptyRow.resize(std::size_t(columns));
    FTop = 0;
    FEmpty.assign(std::size_t(rows), 1);
    FTabs.assign(std::size_t(columns), false);
    for (int c = 1; c <= columns; c += 8)
        SetTab(c, true);
}

TTermCell *TComTermBuffer::Row(int row)
{
    const std::size_t p = physical(row);
    TTermCell *cells = &FCells[p * std::size_t(FColumns)];
    if (FEmpty[p]) {
        wipe(cells, FColumns);
        FEmpty[p] = 0;
    }
    return cells;
}

const TTermCell *TComTermBuffer::Row(int row) const
{
    const std::size_t p = physical(row);
    return FEmpty[p] ? FEmptyRow.data() : &FCells[p * std::size_t(FColumns)];
}

void TComTermBuffer::ScrollUp()
{
    FTop = (FTop + 1) % FRows;
    ClearRow(FRows);
}

void TComTermBuffer::ScrollDown()
{
    FTop = (FTop + FRows - 1) % FRows;
    ClearRow(1);
}

void TComTermBuffer::ClearRow(int row, int fromColumn)
{
    const std::size_t p = physical(row);
    if (fromColumn <= 1)
        FEmpty[p] = 1;
    else if (!FEmpty[p])
        wipe(&FCells[p * std::size_t(FColumns)] + (fromColumn - 1), FColumns - fromColumn + 1);
}

void TComTermBuffer::ClearAllTabs()
{
    std::fill(FTabs.begin(), FTabs.end(), false);
}

int TComTermBuffer::NextTab(int column) const
{
    for (int c = column + 1; c <= FColumns; ++c)
        if (TabStop(c))
            return c;
    return 0;
}
