#pragma once
// Terminal view: shows the screen model, sends typed keys to the port and hears the port through
// a link, beside any other link such as the packet framer.
#include "ComLink.h"
#include "ComPort.h"
#include "TermScreen.h"

#include <QAbstractScrollArea>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>


enum TTermCaret { tcBlock, tcUnderline, tcNone };
enum TArrowKeys { akTerminal, akWindows };

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
    void SetTermFont(const QFont &font);
    void SetColors(QColor background, QColor fontColor);
    void ClearView();

    TTermCaret Caret = tcBlock;
    TArrowKeys ArrowKeys = akTerminal;
    bool LocalEcho = false;
    bool SendLF = false;
    bool WantTab = false;

    // The top screen row shown, 1-based.
    int TopRow() const { return verticalScrollBar()->value() + 1; }

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
    void UpdateScrollRange();
    void FollowCaret();

    TTermScreen FScreen;
    TComLink FLink;
    QPointer<TCustomComPort> FPort;
    QTimer FRepaint;
    QTimer FBlink;
    bool FCaretOn = true;
    bool FUserScrolled = false;
    bool FOwnScroll = false;
    int FCharW = 8;
    int FCharH = 16;
    int FAscent = 12;
    QColor FBackground = Qt::black;
};

class TComTerminal : public TCustomComTerminal {
    Q_OBJECT
public:
    using TCustomComTerminal::TCustomComTerminal;
};
