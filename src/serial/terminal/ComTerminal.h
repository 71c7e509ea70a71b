#pragma once
// Terminal view: shows the screen model, sends typed keys to the port and hears the port through
// a link, beside any other link such as the packet framer.
#include "ComLink.h"
#include "ComPort.h"
#include "TermScreen.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QPointer>
#include <QRawFont>
#include <QScrollBar>
#include <QTimer>

#include <array>


enum TTermCaret { tcBlock, tcUnderline, tcNone };
enum TArrowKeys { akTerminal, akWindows };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TBorderStyle { bsNone, bsSingle };
// Where the parent places the control; auto-size sets only the sides the alignment leaves free.
enum TTermAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TCustomComTerminal : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TCustomComTerminal(QWidget *parent = nullptr);
    ~TCustomComTerminal() override;

    TTermScreen &Screen() { return FScreen; }
    const TTermScreen &Screen() const { return FScreen; }

    TCustomComPort *ComPort() const { return FPort; }
    void SetComPort(TCustomComPort *port);
    bool Connected() const;
    void SetConnected(bool value);

    void SetColumns(int value);
    void SetRows(int value);
    void SetEmulation(TTermEmulation value) { FScreen.SetEmulation(value); }
    // A proportional font gives way to the shared terminal font; underline is never used.
    void SetTermFont(const QFont &font);
    void SetColors(QColor background, QColor fontColor);
    void ClearView();
    // While held the view shows nothing from the port and sends nothing (typed keys, answers to
    // the device's queries); recorded bytes are shown through ShowRecorded.
    void SetHeld(bool value) { FHeld = value; }
    bool Held() const { return FHeld; }
    void ShowRecorded(const char *data, int count);

    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    bool SmoothScroll() const { return FSmoothScroll; }
    void SetSmoothScroll(bool value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    TTermAlign Align() const { return FAlign; }
    void SetAlign(TTermAlign value);

    TTermCaret Caret = tcBlock;
    TArrowKeys ArrowKeys = akTerminal;
    bool LocalEcho = false;
    bool SendLF = false;
    bool WantTab = false;
    // Kept for stored settings; received bytes are shown unchanged either way.
    bool Force7Bit = false;

    // The top-left screen cell shown, 1-based.
    int TopRow() const { return verticalScrollBar()->value() + 1; }
    int LeftColumn() const { return horizontalScrollBar()->value() + 1; }
    QSize CellSize() const { return {FCharW, FCharH}; }

    // Typed text as it goes to the port: characters outside the code page become "?".
    static QByteArray EncodeKeys(const QString &text);
    static QChar DecodeByte(unsigned char ch);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void Received(const char *data, int count);
    void SendBytes(const QByteArray &bytes);
    void SendCode(TEscapeCode code);
    void ScheduleRepaint();
    void Flush();
    void RepaintChanged();
    QRect CellRect(QPoint cell) const;
    void DrawRun(QPainter &p, const TTermCell *cells, int count, QPoint at);
    void UpdateScrollRange();
    void FollowCaret();
    void ApplyAutoSize();
    int VisibleRows() const;

    TTermScreen FScreen;
    TComLink FLink;
    QPointer<TCustomComPort> FPort;
    QTimer FRepaint;
    QElapsedTimer FSinceFlush;
    QPoint FCaretShown{1, 1}; // the caret cell as last repainted
    // Glyphs of the terminal font by byte; 0 where the font lacks the character and the text
    // engine has to find it elsewhere.
    QRawFont FRawFont;
    std::array<quint32, 256> FGlyphs{};
    QTimer FBlink;
    bool FCaretOn = true;
    bool FUserScrolled = false;
    bool FHeld = false;
    bool FOwnScroll = false;
    int FCharW = 8;
    int FCharH = 16;
    int FAscent = 12;
    QColor FBackground = Qt::black;
    TScrollStyle FScrollBars = ssBoth;
    TBorderStyle FBorderStyle = bsSingle;
    bool FSmoothScroll = false;
    bool FAutoSize = false;
    TTermAlign FAlign = alNone;
};

class TComTerminal : public TCustomComTerminal {
    Q_OBJECT
public:
    using TCustomComTerminal::TCustomComTerminal;
};
