#include "TermScreen.h"

#include <algorithm>

namespace {

constexpr TTermRgb Palette[10] = {0x000000, 0xFF0000, 0x008000, 0xFFFF00, 0x0000FF,
                                  0x800080, 0xFF8000, 0xFFFFFF, 0x800000, 0x808080};

} // namespace

TTermScreen::TTermScreen()
{
    FBuffer.Init(80, 24);
    FChangedRows.assign(24, 0);
    CreateEscapeCodes();
    ResetAttributes();
    FSavedAttr = FAttr;
}

// The same value again keeps the escape-code object, and with it a half-received sequence.
void TTermScreen::SetEmulation(TTermEmulation value)
{
    if (value == FEmulation)
        return;
    FEmulation = value;
    CreateEscapeCodes();
}

void TTermScreen::CreateEscapeCodes()
{
    FEscapeCodes.reset();
    if (FEmulation == teVT100orANSI)
        FEscapeCodes = std::make_unique<TEscapeCodesVT100>();
    else if (FEmulation == teVT52)
        FEscapeCodes = std::make_unique<TEscapeCodesVT52>();
    else if (OnGetEscapeCodes)
        OnGetEscapeCodes(FEscapeCodes);
}

void TTermScreen::Reinit(int columns, int rows)
{
    FBuffer.Init(columns, rows);
    FChangedRows.assign(std::size_t(rows), 0);
    AllRowsChanged();
    // A caret beyond the new screen would store outside the cells.
    MoveCaret(FCaretCol, FCaretRow);
    FSavedCol = std::min(FSavedCol, columns);
    FSavedRow = std::min(FSavedRow, rows);
}

// A size asked for again (also by the "?3" mode) keeps the screen: only a change clears it.
void TTermScreen::SetColumns(int value)
{
    value = std::clamp(value, 2, 256);
    if (value != Columns())
        Reinit(value, Rows());
}

void TTermScreen::SetRows(int value)
{
    value = std::clamp(value, 2, 100);
    if (value != Rows())
        Reinit(Columns(), value);
}

void TTermScreen::ClearView()
{
    FBuffer.Init(Columns(), Rows());
    AllRowsChanged();
    MoveCaret(1, 1);
}

void TTermScreen::MoveCaret(std::int64_t column, std::int64_t row)
{
    FCaretCol = int(std::clamp<std::int64_t>(column, 1, Columns()));
    FCaretRow = int(std::clamp<std::int64_t>(row, 1, Rows()));
}

std::string TTermScreen::RowText(int row) const
{
    std::string text;
    for (int c = 1; c <= Columns(); ++c) {
        const unsigned char ch = FBuffer.Cell(c, row).Ch;
        text += ch ? char(ch) : ' ';
    }
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

void TTermScreen::SetFontColor(TTermRgb c)
{
    FFontColor = c;
    FAttr.Front = c;
}

void TTermScreen::SetBackgroundColor(TTermRgb c)
{
    FBackgroundColor = c;
    FAttr.Back = c;
}

void TTermScreen::ResetAttributes()
{
    FAttr = Attributes{FFontColor, FBackgroundColor, false, false, false};
}

std::vector<std::pair<int, int>> TTermScreen::TakeChangedRows()
{
    std::vector<std::pair<int, int>> stretches;
    if (FAllRowsChanged) {
        stretches.emplace_back(1, Rows());
    } else {
        for (int r = 1; r <= Rows(); ++r) {
            if (!FChangedRows[std::size_t(r - 1)])
                continue;
            if (!stretches.empty() && stretches.back().second == r - 1)
                stretches.back().second = r;
            else
                stretches.emplace_back(r, r);
        }
    }
    FAllRowsChanged = false;
    std::fill(FChangedRows.begin(), FChangedRows.end(), 0);
    return stretches;
}

void TTermScreen::ReceiveBytes(const char *data, int count)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(data);
    const std::size_t size = std::size_t(std::max(count, 0));
    // Nobody to see or change the text: it is shown straight from the port's block.
    if (!AppendLF && !OnStrRecieved) {
        Feed(bytes, size);
        return;
    }
    std::string text(data, size);
    if (AppendLF) {
        std::string withLf;
        withLf.reserve(text.size() * 2);
        for (char c : text) {
            withLf += c;
            if (c == '\r')
                withLf += '\n';
        }
        text.swap(withLf);
    }
    if (OnStrRecieved)
        OnStrRecieved(text);
    Feed(reinterpret_cast<const unsigned char *>(text.data()), text.size());
}

void TTermScreen::Feed(const unsigned char *data, std::size_t count)
{
    const unsigned char *const end = data + count;
    while (data != end) {
        // Printable text outside a sequence goes in bulk unless someone wants to see every
        // character. Handlers may assign events or switch the emulation, so both are asked
        // again after every byte.
        if (!OnChar && !(FEscapeCodes && FEscapeCodes->InSequence)) {
            const unsigned char *stop = std::find_if(data, end, [](unsigned char c) { return c < 32; });
            if (stop != data) {
                if (FEscapeCodes)
                    FEscapeCodes->TakePlainRun(stop[-1]);
                WritePrintable(data, std::size_t(stop - data));
                data = stop;
                continue;
            }
        }
        FeedByte(*data++);
    }
}

void TTermScreen::FeedByte(unsigned char ch)
{
    if (!FEscapeCodes) {
        WriteChar(ch);
        return;
    }
    switch (FEscapeCodes->FeedChar(ch)) {
    case TFeedResult::Plain:
        WriteChar(ch);
        break;
    case TFeedResult::Consumed:
        break;
    case TFeedResult::Complete: {
        const TEscapeCode code = FEscapeCodes->Code;
        if (!DoCode(code) && OnUnhandledCode)
            OnUnhandledCode(code, FEscapeCodes->Data);
        // A handler may have switched the emulation and freed the object.
        if (FEscapeCodes)
            FEscapeCodes->ParamList.clear();
        break;
    }
    }
}

void TTermScreen::LineFeed()
{
    if (FCaretRow == Rows()) {
        FBuffer.ScrollUp();
        AllRowsChanged();
    } else {
        ++FCaretRow;
    }
}

TTermCell TTermScreen::CellStyle() const
{
    return TTermCell{0, FAttr.Bright ? AltColor : FAttr.Reverse ? FAttr.Back : FAttr.Front,
                     FAttr.Reverse ? FAttr.Front : FAttr.Back, FAttr.Underline};
}

void TTermScreen::WritePrintable(const unsigned char *run, std::size_t count)
{
    const TTermCell style = CellStyle();
    const int columns = Columns();
    while (count) {
        TTermCell *row = FBuffer.Row(FCaretRow);
        RowChanged(FCaretRow);
        // Cells left of the last column take one character each and move the caret on.
        const std::size_t before = std::min(count, std::size_t(columns - FCaretCol));
        // Member by member: a whole-cell copy here goes through the stack at every cell.
        for (TTermCell *c = row + (FCaretCol - 1), *stop = c + before; c != stop; ++c) {
            c->Ch = *run++;
            c->FrontColor = style.FrontColor;
            c->BackColor = style.BackColor;
            c->Underline = style.Underline;
        }
        FCaretCol += int(before);
        count -= before;
        if (!count)
            return;
        // The last column: without wrapping the caret stays there and the run's last character
        // is what remains in it.
        TTermCell &last = row[columns - 1];
        last = style;
        if (!WrapLines) {
            last.Ch = run[count - 1];
            return;
        }
        last.Ch = *run++;
        --count;
        LineFeed();
        FCaretCol = 1;
    }
}

void TTermScreen::WriteChar(unsigned char ch)
{
    switch (ch) {
    case 8:
        MoveCaret(FCaretCol - 1, FCaretRow);
        break;
    case 9:
        if (const int tab = FBuffer.NextTab(FCaretCol))
            MoveCaret(tab, FCaretRow);
        break;
    case 10:
        LineFeed();
        break;
    case 12:
        ClearView();
        break;
    case 13:
        MoveCaret(1, FCaretRow);
        break;
    default:
        if (ch < 32)
            break;
        {
            TTermCell cell = CellStyle();
            cell.Ch = ch;
            FBuffer.Cell(FCaretCol, FCaretRow) = cell;
            RowChanged(FCaretRow);
        }
        if (FCaretCol < Columns())
            ++FCaretCol;
        else if (WrapLines) {
            LineFeed();
            FCaretCol = 1;
        }
        break;
    }
    if (OnChar)
        OnChar(ch);
}

void TTermScreen::Send(TEscapeCode code, const std::vector<std::string> &params)
{
    if (!FEscapeCodes || !SendBack)
        return;
    const std::string bytes = FEscapeCodes->EncodeCode(code, params);
    if (!bytes.empty())
        SendBack(bytes);
}

void TTermScreen::ApplyAttributes()
{
    const std::vector<std::string> &params = FEscapeCodes->ParamList;
    const int count = params.empty() ? 1 : int(params.size());
    for (int i = 1; i <= count; ++i) {
        const int p = params.empty() ? 0 : TEscapeCodes::ParamOf(params, i);
        if (p == 0)
            ResetAttributes();
        else if (p == 1)
            FAttr.Bright = true;
        else if (p == 4)
            FAttr.Underline = true;
        else if (p == 7)
            FAttr.Reverse = true;
        else if (p == 21)
            FAttr.Bright = false;
        else if (p == 24)
            FAttr.Underline = false;
        else if (p == 27)
            FAttr.Reverse = false;
        else if (p >= 30 && p <= 39)
            FAttr.Front = Palette[p - 30];
        else if (p >= 40 && p <= 49)
            FAttr.Back = Palette[p - 40];
    }
}

void TTermScreen::SetMode(bool on)
{
    const std::vector<std::string> &params = FEscapeCodes->ParamList;
    if (params.empty())
        return;
    if (params[0] == "?1")
        FAppCursor = on;
    else if (params[0] == "7")
        WrapLines = on;
    else if (params[0] == "?3")
        SetColumns(on ? 132 : 80);
}

bool TTermScreen::DoCode(TEscapeCode code)
{
    // Read only by the codes that take a count, so the others parse no parameter.
    const auto n = [this]() -> std::int64_t { return FEscapeCodes ? FEscapeCodes->GetParam(1) : 1; };
    switch (code) {
    case ecCursorUp:
    case ecAppCursorUp:
        MoveCaret(FCaretCol, FCaretRow - n());
        return true;
    case ecCursorDown:
        MoveCaret(FCaretCol, FCaretRow + n());
        return true;
    case ecCursorLeft:
        MoveCaret(FCaretCol - n(), FCaretRow);
        return true;
    case ecCursorRight:
        MoveCaret(FCaretCol + n(), FCaretRow);
        return true;
    case ecCursorHome:
    case ecCursorMove:
        MoveCaret(FEscapeCodes ? FEscapeCodes->GetParam(2) : 1, n());
        return true;
    case ecReverseLineFeed:
        if (FCaretRow == 1) {
            FBuffer.ScrollDown();
            AllRowsChanged();
        } else {
            MoveCaret(FCaretCol, FCaretRow - 1);
        }
        return true;
    case ecEraseLineFrom:
        FBuffer.ClearRow(FCaretRow, FCaretCol);
        RowChanged(FCaretRow);
        return true;
    case ecEraseScreenFrom:
        for (int r = FCaretRow; r <= Rows(); ++r) {
            FBuffer.ClearRow(r, r == FCaretRow ? FCaretCol : 1);
            RowChanged(r);
        }
        return true;
    case ecEraseLine:
        FBuffer.ClearRow(FCaretRow);
        RowChanged(FCaretRow);
        MoveCaret(1, FCaretRow);
        return true;
    case ecEraseScreen:
        for (int r = 1; r <= Rows(); ++r)
            FBuffer.ClearRow(r);
        AllRowsChanged();
        MoveCaret(1, 1);
        return true;
    case ecSetTab:
        FBuffer.SetTab(FCaretCol, true);
        return true;
    case ecClearTab:
        FBuffer.SetTab(FCaretCol, false);
        return true;
    case ecClearAllTabs:
        FBuffer.ClearAllTabs();
        return true;
    case ecIdentify:
        Send(ecIdentResponse, {"2"});
        return true;
    case ecQueryDevice:
        Send(ecReportDeviceOK, {});
        return true;
    case ecQueryCursorPos:
        Send(ecReportCursorPos, {std::to_string(FCaretRow), std::to_string(FCaretCol)});
        return true;
    case ecAttributes:
        ApplyAttributes();
        return true;
    case ecSetMode:
    case ecResetMode:
        SetMode(code == ecSetMode);
        return true;
    case ecReset:
        ResetAttributes();
        return true;
    case ecSaveCaretAndAttr:
        FSavedAttr = FAttr;
        [[fallthrough]];
    case ecSaveCaret:
        FSavedCol = FCaretCol;
        FSavedRow = FCaretRow;
        return true;
    case ecRestoreCaretAndAttr:
        FAttr = FSavedAttr;
        [[fallthrough]];
    case ecRestoreCaret:
        MoveCaret(FSavedCol, FSavedRow);
        return true;
    case ecTest:
        for (int r = 1; r <= Rows(); ++r) {
            TTermCell *row = FBuffer.Row(r);
            std::fill(row, row + Columns(), TTermCell{'E', FFontColor, FBackgroundColor, false});
        }
        AllRowsChanged();
        return true;
    default:
        return false;
    }
}
