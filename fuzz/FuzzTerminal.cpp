// The terminal screen sees whatever a device sends. Input: the stream, in which 0xFF followed by
// one byte is a command (switch emulation, change the screen size) rather than data. The same
// stream fed in one block (printable runs in bulk) and byte by byte to a screen whose OnChar
// handler makes it take every byte singly must give the same cells, and the caret must stay on
// the screen and the sequence text within its cap.
#include "TermScreen.h"

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>

namespace {

// The checker's own loops carry no coverage: they would only add noise to the fuzzer's guidance,
// and instrumented they cost more than the screens' work.
__attribute__((no_sanitize("coverage"))) bool sameScreen(const TTermScreen &a, const TTermScreen &b)
{
    if (a.CaretColumn() != b.CaretColumn() || a.CaretRow() != b.CaretRow() || a.Columns() != b.Columns() ||
        a.Rows() != b.Rows())
        return false;
    for (int r = 1; r <= a.Rows(); ++r) {
        const TTermCell *x = a.Buffer().Row(r);
        const TTermCell *y = b.Buffer().Row(r);
        for (int c = 0; c < a.Columns(); ++c)
            if (x[c].Ch != y[c].Ch || x[c].FrontColor != y[c].FrontColor || x[c].BackColor != y[c].BackColor ||
                x[c].Underline != y[c].Underline)
                return false;
    }
    return true;
}

void check(const TTermScreen &s)
{
    if (s.CaretColumn() < 1 || s.CaretColumn() > s.Columns() || s.CaretRow() < 1 || s.CaretRow() > s.Rows())
        std::abort();
    if (s.EscapeCodes() && s.EscapeCodes()->Data.size() > TEscapeCodes::MaxSequence)
        std::abort();
}

// Small screens mostly, so that an input with many size changes stays fast; the last four
// values of each reach the sizes the terminal itself sets, its largest and beyond.
int size(uint8_t v, std::initializer_list<int> large)
{
    return v < 60 ? v : large.begin()[v - 60];
}

void command(TTermScreen &s, uint8_t c)
{
    switch (c % 4) {
    case 0: s.SetEmulation(TTermEmulation(c / 4 % 3)); break;
    case 1: s.SetColumns(size(c / 4, {80, 132, 256, 257})); break;
    case 2: s.SetRows(size(c / 4, {24, 99, 100, 101})); break;
    default: s.WrapLines = !s.WrapLines; break;
    }
}

// Back to the state of a new screen, keeping its storage: a new screen per input spent most of
// the time building cells. The start state is what a device can ask for, plus the emulation
// switched away and back, which drops any half-received sequence.
void reset(TTermScreen &s)
{
    s.SetEmulation(teNone);
    s.SetEmulation(teVT100orANSI);
    s.WrapLines = false;
    s.SetColumns(80);
    s.SetRows(24);
    s.ClearView();
    // Plain attributes, normal cursor keys, and the caret and attributes saved as they start.
    static const char start[] = "\x1b[0m\x1b[?1l\x1b" "7";
    s.ReceiveBytes(start, int(sizeof start - 1));
    s.TakeChangedRows();
}

struct Screens {
    TTermScreen fresh, whole, single;
    std::string sentWhole, sentSingle;
    Screens()
    {
        whole.SendBack = [this](const std::string &b) { sentWhole += b; };
        single.SendBack = [this](const std::string &b) { sentSingle += b; };
        single.OnChar = [](unsigned char) {};
    }
    void reset()
    {
        for (TTermScreen *s : {&whole, &single}) {
            ::reset(*s);
            // The cells were all cleared; the rest must be as on a new screen.
            if (s->Columns() != fresh.Columns() || s->Rows() != fresh.Rows() || s->CaretColumn() != 1 ||
                s->CaretRow() != 1 || s->Emulation() != fresh.Emulation() || s->AppCursorMode() ||
                s->Bright() || s->Reverse() || s->Underline() || s->EscapeCodes()->InSequence)
                std::abort();
        }
        sentWhole.clear();
        sentSingle.clear();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Screens screens;
    screens.reset();
    TTermScreen &whole = screens.whole, &single = screens.single;
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
    if (!sameScreen(whole, single) || screens.sentWhole != screens.sentSingle)
        std::abort();
    return 0;
}
