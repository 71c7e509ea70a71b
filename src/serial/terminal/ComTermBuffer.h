#pragma once
// Character cells of the terminal screen. Rows live in a ring of row indices, so scrolling moves
// one index instead of every cell, and a cleared row is only marked empty: its cells are wiped
// when it is next written, so a device that clears the screen at every line costs no more than
// one that writes it.
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
    TTermCell &Cell(int column, int row) { return Row(row)[column - 1]; }
    const TTermCell &Cell(int column, int row) const { return Row(row)[column - 1]; }
    // The cells of one row lie together: column 1 first.
    TTermCell *Row(int row);
    const TTermCell *Row(int row) const;

    void ScrollUp();
    void ScrollDown();
    void ClearRow(int row, int fromColumn = 1);

    bool TabStop(int column) const { return FTabs[std::size_t(column - 1)]; }
    void SetTab(int column, bool on) { FTabs[std::size_t(column - 1)] = on; }
    void ClearAllTabs();
    // Next tab stop right of the column, or 0 when there is none.
    int NextTab(int column) const;

private:
    std::size_t physical(int row) const
    {
        int p = FTop + row - 1;
        if (p >= FRows)
            p -= FRows;
        return std::size_t(p);
    }

    int FColumns = 0;
    int FRows = 0;
    int FTop = 0; // physical row shown as row 1
    std::vector<TTermCell> FCells;
    std::vector<std::uint8_t> FEmpty; // per physical row: cleared, its cells not yet wiped
    std::vector<TTermCell> FEmptyRow; // what an empty row reads as
    std::vector<bool> FTabs;
};
