#pragma once
// The terminal's screen model: cells, caret, attributes and the escape-code object. It knows no
// widget, so it can be driven by tests, the fuzzer and benchmarks alike.
#include "ComTermBuffer.h"
#include "EscapeCodes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

enum TTermEmulation { teVT100orANSI, teVT52, teNone };

class TTermScreen {
public:
    TTermScreen();

    // Received block: AppendLF, OnStrRecieved, then every byte in order.
    void ReceiveBytes(const char *data, int count);
    void FeedByte(unsigned char ch);
    // Screen output of one byte, also used for local echo.
    void WriteChar(unsigned char ch);
    // Acts on a complete code; false when the terminal does not act on it.
    bool DoCode(TEscapeCode code);
    void ClearView();

    TTermEmulation Emulation() const { return FEmulation; }
    void SetEmulation(TTermEmulation value);
    TEscapeCodes *EscapeCodes() const { return FEscapeCodes.get(); }

    int Columns() const { return FBuffer.Columns(); }
    int Rows() const { return FBuffer.Rows(); }
    void SetColumns(int value);
    void SetRows(int value);

    int CaretColumn() const { return FCaretCol; }
    int CaretRow() const { return FCaretRow; }
    // Clamps into the screen; 64-bit so that device-sent counts cannot overflow.
    void MoveCaret(std::int64_t column, std::int64_t row);

    const TComTermBuffer &Buffer() const { return FBuffer; }
    // Screen row as text, empty cells as spaces, trailing spaces dropped.
    std::string RowText(int row) const;

    void SetFontColor(TTermRgb c);
    TTermRgb FontColor() const { return FFontColor; }
    void SetBackgroundColor(TTermRgb c);
    TTermRgb BackgroundColor() const { return FBackgroundColor; }

    bool AppCursorMode() const { return FAppCursor; }
    bool Bright() const { return FAttr.Bright; }
    bool Reverse() const { return FAttr.Reverse; }
    bool Underline() const { return FAttr.Underline; }

    TTermRgb AltColor = 0xA6A6A6;
    bool AppendLF = false;
    bool WrapLines = false;

    std::function<void(unsigned char ch)> OnChar;
    std::function<void(std::string &str)> OnStrRecieved;
    std::function<void(TEscapeCode code, const std::string &data)> OnUnhandledCode;
    std::function<void(std::unique_ptr<TEscapeCodes> &codes)> OnGetEscapeCodes;
    // Replies for the device; the owner drops them while the port is closed.
    std::function<void(const std::string &bytes)> SendBack;

    // The rows whose cells changed since the last call, as 1-based first and last row of each
    // stretch, so a view repaints only those; a scroll changes every row.
    std::vector<std::pair<int, int>> TakeChangedRows();

private:
    struct Attributes {
        TTermRgb Front = 0;
        TTermRgb Back = 0;
        bool Reverse = false;
        bool Bright = false;
        bool Underline = false;
    };

    void Feed(const unsigned char *data, std::size_t count);
    // Bytes 32-255 written one after the other, in bulk.
    void WritePrintable(const unsigned char *run, std::size_t count);
    // A cell as the current attributes store it, without its character.
    TTermCell CellStyle() const;
    void RowChanged(int row) { FChangedRows[std::size_t(row - 1)] = 1; }
    void AllRowsChanged() { FAllRowsChanged = true; }
    void ResetAttributes();
    void ApplyAttributes();
    void SetMode(bool on);
    void Send(TEscapeCode code, const std::vector<std::string> &params);
    void LineFeed();
    void Reinit(int columns, int rows);
    void CreateEscapeCodes();

    TComTermBuffer FBuffer;
    std::unique_ptr<TEscapeCodes> FEscapeCodes;
    TTermEmulation FEmulation = teVT100orANSI;
    int FCaretCol = 1;
    int FCaretRow = 1;
    int FSavedCol = 1;
    int FSavedRow = 1;
    Attributes FAttr;
    Attributes FSavedAttr;
    TTermRgb FFontColor = 0xFFFFFF;
    TTermRgb FBackgroundColor = 0x000000;
    bool FAppCursor = false;
    std::vector<std::uint8_t> FChangedRows; // one flag per row
    bool FAllRowsChanged = true;
};
