#include "ComTermBuffer.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

void TComTermBuffer::Init(int columns, int rows)
{
    FColumns = columns;
    FRows = rows;
    FTop = 0;
    FCells.assign(std::size_t(columns) * std::size_t(rows), TTermCell{});
    FTabs.assign(std::size_t(columns), false);
    for (int c = 1; c <= columns; c += 8)
        SetTab(c, true);
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
    // An empty cell is all zero bytes; one memset clears a row far faster than a cell loop.
    static_assert(std::is_trivially_copyable_v<TTermCell>);
    TTermCell *first = Row(row) + (fromColumn - 1);
    std::memset(static_cast<void *>(first), 0, std::size_t(FColumns - fromColumn + 1) * sizeof(TTermCell));
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
