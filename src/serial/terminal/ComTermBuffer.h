#pragma once
// Character cells of the terminal screen. Rows live in a ring of row indices, so scrolling moves
// one index instead of every cell.
#include <cstdint>
#include <vector>

using TTermRgb = std::uint32_t; // 0xRRGGBB

struct TTermCell {
    unsigned char Ch = 0; // 0: empty, not drawn
    TTermRgb FrontColor = 0;
    TTermRgb BackColor = 0;
    bool Underline = false;
    bool operator==(const TTermCell &) const = default;
};

class TComTermBuffer {
public:
    void Init(int columns, int rows);
    int Columns() const { return FColumns; }
    int Rows() const { return FRows; }

    // 1-based column and row, both within the screen.
    TTermCell &Cell(int column, int row) { return FCells[index(column, row)]; }
    const TTermCell &Cell(int column, int row) const { return FCells[index(column, row)]; }
    // The cells of one row lie together: column 1 first.
    TTermCell *Row(int row) { return &FCells[index(1, row)]; }
    const TTermCell *Row(int row) const { return &FCells[index(1, row)]; }

    void ScrollUp();
    void ScrollDown();
    void ClearRow(int row, int fromColumn = 1);

    bool TabStop(int column) const { return FTabs[std::size_t(column - 1)]; }
    void SetTab(int column, bool on) { FTabs[std::size_t(column - 1)] = on; }
    void ClearAllTabs();
    // Next tab stop right of the column, or 0 when there is none.
    int NextTab(int column) const;

private:
    std::size_t index(int column, int row) const
    {
        int physical = FTop + row - 1;
        if (physical >= FRows)
            physical -= FRows;
        return std::size_t(physical) * std::size_t(FColumns) + std::size_t(column - 1);
    }

    int FColumns = 0;
    int FRows = 0;
    int FTop = 0; // physical row shown as row 1
    std::vector<TTermCell> FCells;
    std::vector<bool> FTabs;
};
