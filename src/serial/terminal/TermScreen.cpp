#include "TermScreen.h"

#include <algorithm>

namespace {

constexpr TTermRgb Palette[10] = {0x000000, 0xFF0000, 0x008000, 0xFFFF00, 0x0000FF,
                                  0x800080, 0xFF8000, 0xFFFFFF, 0x800000, 0x808080};

} // namespace

TTermScreen::TTermScreen()
{
    FBuffer.Init(80, 24);
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
    // A caret beyond the new screen would store outside the cells.
    MoveCaret(FCaretCol, FCaretRow);
    FSavedCol = std::min(FSavedCol, columns);
    FSavedRow = std::min(FSavedRow, rows);
    ++FChanges;
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
    MoveCaret(1, 1);
    ++FChanges;
}

void TTermScreen::MoveCaret(std::int64_t column, std::int64_t row)
{
    FCaretCol = int(std::clamp<std::int64_t>(column, 1, Columns()));
    FCaretRow = int(std::clamp<std::int64_t>(row, 1, Rows()));
    ++FChanges;
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

void TTermScreen::ReceiveBytes(const char *data, int count)
{
    std::string text(data, std::size_t(std::max(count, 0)));
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
    for (char c : text)
        FeedByte(static_cast<unsigned char>(c));
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
    if (FCaretRow == Rows())
        FBuffer.ScrollUp();
    else
        ++FCaretRow;
    ++FChanges;
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
            TTermCell &cell = FBuffer.Cell(FCaretCol, FCaretRow);
            cell.Ch = ch;
            cell.FrontColor = FAttr.Bright ? AltColor : FAttr.Reverse ? FAttr.Back : FAttr.Front;
            cell.BackColor = FAttr.Reverse ? FAttr.Front : FAttr.Back;
            cell.Underline = FAttr.Underline;
            ++FChanges;
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
    const std::int64_t n = FEscapeCodes ? FEscapeCodes->GetParam(1) : 1;
    switch (code) {
    case ecCursorUp:
    case ecAppCursorUp:
        MoveCaret(FCaretCol, FCaretRow - n);
        return true;
    case ecCursorDown:
        MoveCaret(FCaretCol, FCaretRow + n);
        return true;
    case ecCursorLeft:
        MoveCaret(FCaretCol - n, FCaretRow);
        return true;
    case ecCursorRight:
        MoveCaret(FCaretCol + n, FCaretRow);
        return true;
    case ecCursorHome:
    case ecCursorMove:
        MoveCaret(FEscapeCodes ? FEscapeCodes->GetParam(2) : 1, n);
        return true;
    case ecReverseLineFeed:
        if (FCaretRow == 1) {
            FBuffer.ScrollDown();
            ++FChanges;
        } else {
            MoveCaret(FCaretCol, FCaretRow - 1);
        }
        return true;
    case ecEraseLineFrom:
        FBuffer.ClearRow(FCaretRow, FCaretCol);
        ++FChanges;
        return true;
    case ecEraseScreenFrom:
        FBuffer.ClearRow(FCaretRow, FCaretCol);
        for (int r = FCaretRow + 1; r <= Rows(); ++r)
            FBuffer.ClearRow(r);
        ++FChanges;
        return true;
    case ecEraseLine:
        FBuffer.ClearRow(FCaretRow);
        MoveCaret(1, FCaretRow);
        return true;
    case ecEraseScreen:
        for (int r = 1; r <= Rows(); ++r)
            FBuffer.ClearRow(r);
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
        for (int r = 1; r <= Rows(); ++r)
            for (int c = 1; c <= Columns(); ++c)
                FBuffer.Cell(c, r) = TTermCell{'E', FFontColor, FBackgroundColor, false};
        ++FChanges;
        return true;
    default:
        return false;
    }
}
