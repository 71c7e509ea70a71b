// Byte strings in, screen out. Every row is also fed split in two blocks at every byte boundary:
// sequence state must survive between blocks.
#include "TermScreen.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

// Table rows leave trailing expectations at their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

struct Row {
    const char *name;
    std::string input;
    TTermEmulation emulation = teVT100orANSI;
    std::map<int, std::string> screen; // row -> text; unlisted rows are empty
    int col = 1;
    int row = 1;
    std::string sent;
    std::string unhandled; // "code:data|" per event
    int columns = 80;
};

struct Outcome {
    std::vector<std::string> rows;
    int col, row, columns;
    std::string sent, unhandled;
};

Outcome run(const Row &r, std::size_t split)
{
    TTermScreen s;
    s.SetEmulation(r.emulation);
    Outcome o;
    s.SendBack = [&](const std::string &b) { o.sent += b; };
    s.OnUnhandledCode = [&](TEscapeCode c, const std::string &d) {
        o.unhandled += std::to_string(int(c)) + ":" + d + "|";
    };
    s.ReceiveBytes(r.input.data(), int(split));
    s.ReceiveBytes(r.input.data() + split, int(r.input.size() - split));
    for (int i = 1; i <= s.Rows(); ++i)
        o.rows.push_back(s.RowText(i));
    o.col = s.CaretColumn();
    o.row = s.CaretRow();
    o.columns = s.Columns();
    return o;
}

const std::string E = "\x1b";

std::vector<Row> rows()
{
    return {
        {"text crlf", "AB\r\n", teVT100orANSI, {{1, "AB"}}, 1, 2},
        {"no wrap overwrites last cell", std::string(84, 'a') + "Z", teVT100orANSI,
         {{1, std::string(79, 'a') + "Z"}}, 80, 1},
        {"wrap mode 7 (not ?7)", E + "[7h" + std::string(81, 'w'), teVT100orANSI,
         {{1, std::string(80, 'w')}, {2, "w"}}, 2, 2},
        {"exactly Columns chars wrap at once then CR LF leaves empty line",
         E + "[7h" + std::string(80, 'x') + "\r\ny", teVT100orANSI,
         {{1, std::string(80, 'x')}, {3, "y"}}, 2, 3},
        {"absolute move", E + "[5;10H", teVT100orANSI, {}, 10, 5},
        {"home", E + "[5;10H" + E + "[H", teVT100orANSI, {}, 1, 1},
        {"clamped move", E + "[99;99H", teVT100orANSI, {}, 80, 24},
        {"huge relative down clamps to bottom", E + "[2147483647B" + E + "[2147483647C",
         teVT100orANSI, {}, 80, 24},
        {"count 0 does not move", E + "[3;3H" + E + "[0A" + E + "[0C", teVT100orANSI, {}, 3, 3},
        {"non-number counts as 1", E + "[3;3H" + E + "[?A", teVT100orANSI, {}, 3, 2},
        {"empty param joins next", E + "[;5H", teVT100orANSI, {}, 1, 1},
        {"split 10 right", E + "[10C", teVT100orANSI, {}, 11, 1},
        {"unknown final prints after", E + "[12Xab", teVT100orANSI, {{1, "ab"}}, 3, 1, "",
         "0:[12X|"},
        {"charset designation prints nothing", E + "(B" + E + ")0x", teVT100orANSI, {{1, "x"}},
         2, 1, "", "0:(B|0:)0|"},
        {"cursor report", E + "[2;3H" + E + "[6n", teVT100orANSI, {}, 3, 2, E + "[2;3R"},
        {"identify and status", E + "[c" + E + "[5n", teVT100orANSI, {}, 1, 1,
         E + "[?1;2c" + E + "[0n"},
        {"unhandled replies", E + "[0n" + E + "OB", teVT100orANSI, {}, 1, 1, "", "23:[0n|12:OB|"},
        {"erase line moves caret", "abc" + E + "[2K", teVT100orANSI, {}, 1, 1},
        {"erase from caret", "abcdef" + E + "[1;3H" + E + "[K", teVT100orANSI, {{1, "ab"}}, 3, 1},
        {"erased row written again shows nothing old", "abcdef" + E + "[2K" + E + "[1;4Hx" + E + "[4;1Hq\fyz",
         teVT100orANSI, {{1, "yz"}}, 3, 1},
        {"erased row written again mid-row", "abcdef" + E + "[2K" + E + "[1;4Hx", teVT100orANSI,
         {{1, "   x"}}, 5, 1},
        {"erase screen from caret", "ab\r\ncd\r\nef" + E + "[2;2H" + E + "[J", teVT100orANSI,
         {{1, "ab"}, {2, "c"}}, 2, 2},
        {"erase to start of line or screen is not acted on", "abc" + E + "[1K" + E + "[1J",
         teVT100orANSI, {{1, "abc"}}, 4, 1, "", "0:[1K|0:[1J|"},
        {"save restore", E + "[4;4H" + E + "7" + E + "[H" + E + "8", teVT100orANSI, {}, 4, 4},
        {"reverse line feed scrolls down on row 1", "a" + E + "I", teVT52,
         {{2, "a"}}, 2, 1},
        {"132 columns clears", "abc" + E + "[?3h", teVT100orANSI, {}, 4, 1, "", "", 132},
        {"back to 80 clamps caret", E + "[?3h" + E + "[1;120H" + E + "[?3l", teVT100orANSI, {},
         80, 1, "", "", 80},
        {"test pattern", E + "#8", teVT100orANSI,
         [] {
             std::map<int, std::string> m;
             for (int i = 1; i <= 24; ++i)
                 m[i] = std::string(80, 'E');
             return m;
         }(),
         1, 1},
        {"tab stops and past last stays", "\tx" + E + "[1;78H\ty", teVT100orANSI,
         {{1, std::string(8, ' ') + "x" + std::string(68, ' ') + "y"}}, 79, 1},
        {"clear all tabs", E + "[3g\tz", teVT100orANSI, {{1, "z"}}, 2, 1},
        {"set tab", E + "[1;4H" + E + "H" + E + "[H\tq", teVT100orANSI, {{1, "   q"}}, 5, 1},
        {"backspace stops at 1", "\b\bq", teVT100orANSI, {{1, "q"}}, 2, 1},
        {"control bytes inside sequence", E + "[1\n0C", teVT100orANSI, {}, 2, 1},
        {"DEL and C1 print", "\x7f\x85", teVT100orANSI, {{1, "\x7f\x85"}}, 3, 1},
        {"sequence capped at 256 bytes", E + "[" + std::string(300, '1') + "k", teVT100orANSI,
         {{1, std::string(45, '1') + "k"}}, 47, 1, "", "0:[" + std::string(255, '1') + "|"},
        {"device cannot switch to vt52 by mode ?2", E + "[?2l" + E + "Y$)", teVT100orANSI,
         {{1, "$)"}}, 3, 1, "", "0:Y|"},
        {"vt52 move", E + "Y" + "\x24\x29", teVT52, {}, 10, 5},
        {"vt52 identify", E + "Z" + E + "/Z" + E + "/Q", teVT52, {}, 1, 1, E + "/Z",
         "21:/Z|0:/Q|"},
        {"vt52 ignores vt100 codes", E + "[c", teVT52, {{1, "c"}}, 2, 1, "", "0:[|"},
        {"vt52 erase", "abc" + E + "D" + E + "K", teVT52, {{1, "ab"}}, 3, 1},
        {"none ignores ESC, prints the rest", E + "[A", teNone, {{1, "[A"}}, 3, 1},
    };
}

class ScreenTable : public testing::TestWithParam<Row> {};

TEST_P(ScreenTable, WholeAndSplitAtEveryByte)
{
    const Row &r = GetParam();
    for (std::size_t split = 0; split <= r.input.size(); ++split) {
        SCOPED_TRACE("split at " + std::to_string(split));
        const Outcome o = run(r, split);
        ASSERT_EQ(o.rows.size() >= 1, true);
        for (int i = 1; i <= int(o.rows.size()); ++i) {
            const auto it = r.screen.find(i);
            EXPECT_EQ(o.rows[std::size_t(i - 1)], it == r.screen.end() ? "" : it->second)
                << "row " << i;
        }
        EXPECT_EQ(o.col, r.col);
        EXPECT_EQ(o.row, r.row);
        EXPECT_EQ(o.columns, r.columns);
        EXPECT_EQ(o.sent, r.sent);
        EXPECT_EQ(o.unhandled, r.unhandled);
        if (testing::Test::HasFailure())
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, ScreenTable, testing::ValuesIn(rows()),
                         [](const testing::TestParamInfo<Row> &info) {
                             std::string n = info.param.name;
                             for (char &c : n)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return n;
                         });

// Printable text goes to the screen in bulk unless an OnChar handler wants to see every byte.
// Random mixes of text, control bytes and escape codes must leave the same cells, caret, replies
// and events both ways, however the stream is cut into blocks (text across the wrap column and
// sequences across blocks included).
struct Mix {
    const char *name;
    TTermEmulation emulation;
    bool wrap;
    int columns, rows;
    unsigned seed;
    bool appendLf = false;
};

void PrintTo(const Mix &m, std::ostream *os) { *os << m.name; }

std::string randomStream(const Mix &m, std::mt19937 &rng)
{
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    auto num = [&] { return std::to_string(pick(m.columns + 3)); };
    const std::vector<std::string> vt100 = {"[H", "[A", "[B", "[C", "[D", "[K", "[2K", "[J", "[2J", "[0m",
                                            "[7h", "[7l", "[6n", "[c", "7", "8", "(B", "H", "[g",
                                            "[12X", "c", "[s", "[u"};
    const std::vector<std::string> vt52 = {"A", "B", "C", "D", "H", "I", "J", "K", "Z"};
    std::string s;
    while (s.size() < 20000) {
        switch (pick(10)) {
        case 0:
        case 1:
        case 2:
        case 3:
            for (int n = 1 + pick(2 * m.columns + 2); n > 0; --n)
                s += char(32 + pick(224));
            break;
        case 4: s += pick(2) ? "\r\n" : "\n"; break;
        case 5: s += char(pick(32) == 12 ? 13 : pick(32) % 27); break; // a form feed now and then
        case 6: s += "\x1b" + (m.emulation == teVT52 ? vt52 : vt100)[std::size_t(pick(m.emulation == teVT52 ? 9 : 23))]; break;
        case 7: s += "\x1b[" + num() + ";" + num() + (pick(2) ? "H" : "f"); break;
        case 8: s += "\x1b[" + num() + "ABCD"[pick(4)]; break;
        default:
            if (m.emulation == teVT52)
                s += std::string("\x1bY") + char(32 + pick(m.rows + 2)) + char(32 + pick(m.columns + 2));
            else
                s += "\x1b[" + std::to_string(pick(50)) + ";" + std::to_string(pick(50)) + "m";
            break;
        }
    }
    return s;
}

std::string snapshot(const TTermScreen &s)
{
    std::string out = std::to_string(s.CaretColumn()) + "," + std::to_string(s.CaretRow()) + " wrap " +
                      std::to_string(s.WrapLines) + " last " +
                      std::to_string(s.EscapeCodes() ? s.EscapeCodes()->Character : 0) + "\n";
    for (int r = 1; r <= s.Rows(); ++r) {
        for (int c = 1; c <= s.Columns(); ++c) {
            const TTermCell &cell = s.Buffer().Cell(c, r);
            out += std::to_string(cell.Ch) + "/" + std::to_string(cell.FrontColor) + "/" +
                   std::to_string(cell.BackColor) + (cell.Underline ? "_ " : " ");
        }
        out += "\n";
    }
    return out;
}

class BulkFeeding : public testing::TestWithParam<Mix> {};

TEST_P(BulkFeeding, LeavesTheScreenThatSingleBytesLeave)
{
    const Mix &m = GetParam();
    std::mt19937 rng(m.seed);
    const std::string stream = randomStream(m, rng);
    auto screen = [&](std::string &log) {
        auto s = std::make_unique<TTermScreen>();
        s->SetEmulation(m.emulation);
        s->SetColumns(m.columns);
        s->SetRows(m.rows);
        s->WrapLines = m.wrap;
        s->AppendLF = m.appendLf;
        s->SetFontColor(0x102030);
        s->SetBackgroundColor(0xF0E0D0);
        s->SendBack = [&log](const std::string &b) { log += "sent " + b + "|"; };
        s->OnUnhandledCode = [&log](TEscapeCode c, const std::string &d) {
            log += "unhandled " + std::to_string(int(c)) + ":" + d + "|";
        };
        return s;
    };
    std::string singleLog;
    auto single = screen(singleLog);
    std::string chars;
    single->OnChar = [&](unsigned char c) { chars += char(c); };
    single->ReceiveBytes(stream.data(), int(stream.size()));
    ASSERT_GT(chars.size(), 1000u); // the handler really took the bytes singly
    const std::string expected = snapshot(*single);

    for (const bool whole : {true, false}) {
        SCOPED_TRACE(whole ? "one block" : "random blocks");
        std::string log;
        auto bulk = screen(log);
        for (std::size_t pos = 0; pos < stream.size();) {
            const std::size_t n = whole ? stream.size() : 1 + rng() % 300;
            bulk->ReceiveBytes(stream.data() + pos, int(std::min(n, stream.size() - pos)));
            pos += n;
        }
        EXPECT_EQ(snapshot(*bulk), expected);
        EXPECT_EQ(log, singleLog);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mixes, BulkFeeding,
    testing::Values(Mix{"vt100_panel_size", teVT100orANSI, true, 60, 100, 1},
                    Mix{"vt100_no_wrap", teVT100orANSI, false, 80, 24, 2},
                    Mix{"vt100_smallest_screen", teVT100orANSI, true, 2, 2, 3},
                    Mix{"vt100_append_lf", teVT100orANSI, true, 13, 5, 4, true},
                    Mix{"vt52", teVT52, true, 20, 5, 5},
                    Mix{"vt52_no_wrap", teVT52, false, 9, 3, 6},
                    Mix{"no_escape_codes", teNone, true, 7, 4, 7}),
    [](const testing::TestParamInfo<Mix> &info) { return std::string(info.param.name); });

} // namespace
