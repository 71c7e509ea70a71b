#include "ComTermBuffer.h"

#include <algorithm>

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
    TTermCell *first = &Cell(1, row);
    std::fill(first + (fromColumn - 1), first + FColumns, TTermCell{});
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
