// The terminal screen sees whatever a device sends. Input: the stream, in which 0xFF followed by
// one byte is a command (switch emulation, change the screen size) rather than data. The same
// stream fed in one block (printable runs in bulk) and byte by byte to a screen whose OnChar
// handler makes it take every byte singly must give the same cells, and the caret must stay on
// the screen and the sequence text within its cap.
#include "TermScreen.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::string snapshot(const TTermScreen &s)
{
    std::string out = std::to_string(s.CaretColumn()) + "," + std::to_string(s.CaretRow()) + ";";
    for (int r = 1; r <= s.Rows(); ++r) {
        for (int c = 1; c <= s.Columns(); ++c) {
            const TTermCell &cell = s.Buffer().Cell(c, r);
            for (TTermRgb v : {TTermRgb(cell.Ch), cell.FrontColor, cell.BackColor, TTermRgb(cell.Underline)})
                out.append(reinterpret_cast<const char *>(&v), sizeof v);
        }
    }
    return out;
}

void check(const TTermScreen &s)
{
    if (s.CaretColumn() < 1 || s.CaretColumn() > s.Columns() || s.CaretRow() < 1 || s.CaretRow() > s.Rows())
        std::abort();
    if (s.EscapeCodes() && s.EscapeCodes()->Data.size() > TEscapeCodes::MaxSequence)
        std::abort();
}

void command(TTermScreen &s, uint8_t c)
{
    switch (c % 4) {
    case 0: s.SetEmulation(TTermEmulation(c / 4 % 3)); break;
    case 1: s.SetColumns(c / 4 * 5); break;
    case 2: s.SetRows(c / 4 * 2); break;
    default: s.WrapLines = !s.WrapLines; break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TTermScreen whole, single;
    std::string sentWhole, sentSingle;
    whole.SendBack = [&](const std::string &b) { sentWhole += b; };
    single.SendBack = [&](const std::string &b) { sentSingle += b; };
    single.OnChar = [](unsigned char) {};
    size_t i = 0;
    while (i < size) {
        if (data[i] == 0xFF && i + 1 < size) {
            command(whole, data[i + 1]);
            command(single, data[i + 1]);
            i += 2;
            continue;
        }
        size_t end = i;
        while (end < size && data[end] != 0xFF)
            ++end;
        whole.ReceiveBytes(reinterpret_cast<const char *>(data + i), int(end - i));
        for (size_t k = i; k < end; ++k)
            single.ReceiveBytes(reinterpret_cast<const char *>(data + k), 1);
        check(whole);
        i = end == i ? i + 1 : end;
    }
    if (snapshot(whole) != snapshot(single) || sentWhole != sentSingle)
        std::abort();
    return 0;
}
