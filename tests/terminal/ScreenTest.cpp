// Attributes, events, scrolling and emulation switches of the screen model.
#include "TermScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

void feed(TTermScreen &s, const std::string &bytes)
{
    s.ReceiveBytes(bytes.data(), int(bytes.size()));
}

TEST(TermScreen, AttributesColourCells)
{
    TTermScreen s;
    s.SetFontColor(0x112233);
    s.SetBackgroundColor(0xEEDDCC);
    feed(s, "\x1b[31;1mx\x1b[0my\x1b[7mz\x1b[0;4;42mu\x1b[24;27mv\x1b[mw");
    const auto &b = s.Buffer();
    EXPECT_EQ(b.Cell(1, 1).FrontColor, s.AltColor); // bright wins over red
    EXPECT_EQ(b.Cell(2, 1).FrontColor, 0x112233u);
    EXPECT_EQ(b.Cell(2, 1).BackColor, 0xEEDDCCu);
    EXPECT_EQ(b.Cell(3, 1).FrontColor, 0xEEDDCCu); // reverse swaps
    EXPECT_EQ(b.Cell(3, 1).BackColor, 0x112233u);
    EXPECT_TRUE(b.Cell(4, 1).Underline);
    EXPECT_EQ(b.Cell(4, 1).BackColor, 0x008000u);
    EXPECT_FALSE(b.Cell(5, 1).Underline);
    EXPECT_EQ(b.Cell(6, 1).BackColor, 0xEEDDCCu);
    feed(s, "\x1b[1;22;39;49mg"); // 39/49 are table colours, 22 is not "bright off"
    EXPECT_EQ(b.Cell(7, 1).FrontColor, s.AltColor);
    EXPECT_EQ(b.Cell(7, 1).BackColor, 0x808080u);
    feed(s, "\x1b[0;39mh");
    EXPECT_EQ(b.Cell(8, 1).FrontColor, 0x808080u);
}

TEST(TermScreen, ResetKeepsScreenAndSaveRestoresAttributes)
{
    TTermScreen s;
    feed(s, "ab\x1b[1m\x1b" "7\x1b[0m\x1b" "8x\x1b" "cy");
    EXPECT_EQ(s.RowText(1), "abxy");
    EXPECT_EQ(s.Buffer().Cell(3, 1).FrontColor, s.AltColor);
    EXPECT_EQ(s.Buffer().Cell(4, 1).FrontColor, s.FontColor());
}

TEST(TermScreen, ScrollingKeepsRowOrderOverManyLines)
{
    TTermScreen s;
    for (int i = 1; i <= 250; ++i)
        feed(s, std::to_string(i) + "\r\n");
    // The last 23 lines above the caret row; the ring must not mix up rows.
    for (int r = 1; r <= 23; ++r)
        EXPECT_EQ(s.RowText(r), std::to_string(250 - 23 + r));
    EXPECT_EQ(s.RowText(24), "");
    EXPECT_EQ(s.CaretRow(), 24);
    feed(s, "\x1bM"); // not reverse LF in this set
    feed(s, "\x1b[H\x1b[2A");
    EXPECT_EQ(s.CaretRow(), 1);
}

TEST(TermScreen, ReverseLineFeedAfterScrollsUsesRing)
{
    TTermScreen s;
    s.SetEmulation(teVT52);
    feed(s, "a\r\nb\r\nc");
    for (int i = 0; i < 30; ++i)
        feed(s, "\n");
    feed(s, "\x1bHtop\x1bI");
    EXPECT_EQ(s.RowText(1), "");
    EXPECT_EQ(s.RowText(2), "top");
    EXPECT_EQ(s.RowText(24), "");
}

TEST(TermScreen, EventsAndAppendLF)
{
    TTermScreen s;
    s.AppendLF = true;
    std::string chars;
    s.OnChar = [&](unsigned char c) { chars += char(c); };
    s.OnStrRecieved = [](std::string &str) { str += "!"; };
    feed(s, "a\r");
    EXPECT_EQ(chars, "a\r\n!");
    EXPECT_EQ(s.RowText(2), "!");
    EXPECT_EQ(s.CaretRow(), 2);
}

TEST(TermScreen, SwitchingEmulationMidStream)
{
    TTermScreen s;
    feed(s, "\x1b[3;3H");
    s.SetEmulation(teVT52);
    feed(s, "\x1b" "A");
    EXPECT_EQ(s.CaretRow(), 2);
    feed(s, "\x1b[");
    s.SetEmulation(teVT100orANSI); // a half sequence of the old set is dropped
    feed(s, "Bq");
    EXPECT_EQ(s.RowText(2), "  Bq");
    int asked = 0;
    s.OnGetEscapeCodes = [&](std::unique_ptr<TEscapeCodes> &c) {
        ++asked;
        c = std::make_unique<TEscapeCodesVT52>();
    };
    s.SetEmulation(teNone);
    s.SetEmulation(teNone);
    EXPECT_EQ(asked, 1);
    feed(s, "\x1bH");
    EXPECT_EQ(s.CaretRow(), 1);
}

TEST(TermScreen, SizeChangesClampCaretAndClearView)
{
    TTermScreen s;
    feed(s, "\x1b[20;70H\x1b" "7");
    s.SetRows(10);
    EXPECT_EQ(s.CaretRow(), 10);
    s.SetColumns(1000);
    EXPECT_EQ(s.Columns(), 256);
    EXPECT_EQ(s.CaretColumn(), 70);
    s.SetColumns(5);
    EXPECT_EQ(s.CaretColumn(), 5);
    feed(s, "\x1b[H\x1b" "8zz"); // restore of a position saved on the larger screen
    EXPECT_EQ(s.RowText(10), "    z"); // no wrap: the last cell is overwritten
    EXPECT_EQ(s.CaretColumn(), 5);
    s.SetColumns(20);
    feed(s, "\x1b[3g\f\t!");
    EXPECT_EQ(s.RowText(1), "        !"); // form feed brought the default tab stops back
}

TEST(TermScreen, NoiseStaysBounded)
{
    TTermScreen s;
    std::string noise = "\x1b[";
    noise += std::string(1 << 20, '7');
    feed(s, noise);
    EXPECT_FALSE(s.EscapeCodes()->InSequence && s.EscapeCodes()->Data.size() > TEscapeCodes::MaxSequence);
    EXPECT_LE(s.EscapeCodes()->Data.size(), TEscapeCodes::MaxSequence);
    std::string bin;
    for (int i = 0; i < 1 << 16; ++i)
        bin += char((i * 131 + 7) & 0xff);
    feed(s, bin);
    EXPECT_GE(s.CaretRow(), 1);
    EXPECT_LE(s.CaretColumn(), s.Columns());
}

TEST(TermScreen, AfterACutSequenceCodesAreReadAfresh)
{
    TTermScreen s;
    std::string replies;
    s.SendBack = [&](const std::string &bytes) { replies += bytes; };
    feed(s, "\x1b[" + std::string(TEscapeCodes::MaxSequence + 10, '7'));
    feed(s, "\x1b" "c"); // a reset, not an identify request
    EXPECT_EQ(replies, "");
    feed(s, "\x1b#8");
    EXPECT_EQ(s.RowText(s.Rows()), std::string(size_t(s.Columns()), 'E'));
    feed(s, "\x1b[5;6H\x1b" "7\x1b[H\x1b" "8");
    EXPECT_EQ(s.CaretRow(), 5);
    EXPECT_EQ(s.CaretColumn(), 6);
}

// A view repaints only the rows the screen reports as changed: a change left out shows stale
// text until something else repaints that row.
TEST(TermScreen, ReportsTheRowsEachChangeTouched)
{
    using Rows = std::vector<std::pair<int, int>>;
    const Rows all{{1, 24}};
    const struct {
        const char *name;
        TTermEmulation emulation;
        std::string bytes; // fed with the caret at column 5, row 7
        Rows changed;
    } cases[] = {
        {"caret moves and attributes", teVT100orANSI, "\x1b[10;10H\x1b[A\r\b\t\x1b[1;31m\x1b" "7\x1b" "8", {}},
        {"text", teVT100orANSI, "x", {{7, 7}}},
        {"text on two rows", teVT100orANSI, "x\x1b[9;1Hy\x1b[10;1Hz", {{7, 7}, {9, 10}}},
        {"text across the wrap column", teVT100orANSI, "\x1b[7h\x1b[7;79Habcd", {{7, 8}}},
        {"line feed above the last row", teVT100orANSI, "\n\n", {}},
        {"line feed on the last row", teVT100orANSI, "\x1b[24;1H\n", all},
        {"wrap on the last row", teVT100orANSI, "\x1b[7h\x1b[24;80Hab", all},
        {"erase line from caret", teVT100orANSI, "\x1b[K", {{7, 7}}},
        {"erase line", teVT100orANSI, "\x1b[2K", {{7, 7}}},
        {"erase screen from caret", teVT100orANSI, "\x1b[J", {{7, 24}}},
        {"erase screen", teVT100orANSI, "\x1b[2J", all},
        {"test pattern", teVT100orANSI, "\x1b#8", all},
        {"form feed", teVT100orANSI, "\f", all},
        {"132 columns", teVT100orANSI, "\x1b[?3h", all},
        {"vt52 erase to end of screen", teVT52, "\x1bJ", {{7, 24}}},
        {"vt52 reverse line feed", teVT52, "\x1bI", {}},
        {"vt52 reverse line feed on row 1", teVT52, "\x1bH\x1bI", all},
    };
    for (const auto &c : cases) {
        // Text goes in bulk, or byte by byte when an OnChar handler wants every byte.
        for (const bool singly : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (singly ? ", singly" : ""));
            TTermScreen s;
            s.SetEmulation(c.emulation);
            if (singly)
                s.OnChar = [](unsigned char) {};
            for (int r = 1; r <= 24; ++r)
                feed(s, "row " + std::to_string(r) + (r < 24 ? "\r\n" : ""));
            s.MoveCaret(5, 7);
            s.TakeChangedRows();
            feed(s, c.bytes);
            EXPECT_EQ(s.TakeChangedRows(), c.changed);
            EXPECT_EQ(s.TakeChangedRows(), Rows{}); // taken
        }
    }
}

TEST(TermScreen, SettersWithTheCurrentValueKeepScreenAndSequence)
{
    TTermScreen s;
    feed(s, "abc\x1b[2");
    s.SetEmulation(teVT100orANSI);
    s.SetColumns(s.Columns());
    s.SetRows(s.Rows());
    feed(s, "0C"); // completes the sequence begun before
    feed(s, "x");
    EXPECT_EQ(s.RowText(1), "abc" + std::string(20, ' ') + "x");
    s.SetColumns(1000); // held to 256, then asked for again
    feed(s, "\x1b[Hkeep");
    s.SetColumns(256);
    EXPECT_EQ(s.RowText(1), "keep");
    s.SetColumns(80);
    feed(s, "\x1b[Hsame\x1b[?3l");
    EXPECT_EQ(s.RowText(1), "same");
    feed(s, "\x1b[?3h\x1b[Hwide\x1b[?3h");
    EXPECT_EQ(s.Columns(), 132);
    EXPECT_EQ(s.RowText(1), "wide");
    s.SetEmulation(teVT52);
    feed(s, "\x1bY");
    s.SetEmulation(teVT52);
    feed(s, "%&");
    EXPECT_EQ(s.CaretRow(), 6);
    EXPECT_EQ(s.CaretColumn(), 7);
}

} // namespace
