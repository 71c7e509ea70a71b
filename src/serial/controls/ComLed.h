#pragma once
// A small lamp that follows one signal of a port: the connection, a modem line, ring, or
// receive/transmit activity.
#include "ComPort.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

class TComLed : public QWidget {
    Q_OBJECT
public:
    enum TLedKind { lkRedLight, lkGreenLight, lkBlueLight, lkYellowLight, lkPurpleLight, lkBulb, lkCustom };
    Q_ENUM(TLedKind)
    enum TLedState { lsOff, lsOn };
    Q_ENUM(TLedState)

private:
    Q_PROPERTY(TCustomComPort *ComPort READ ComPort WRITE SetComPort STORED false)
    Q_PROPERTY(Com::TComLedSignal LedSignal READ LedSignal WRITE SetLedSignal)
    Q_PROPERTY(TLedKind Kind READ Kind WRITE SetKind)
    Q_PROPERTY(QImage GlyphOn READ GlyphOn WRITE SetGlyphOn)
    Q_PROPERTY(QImage GlyphOff READ GlyphOff WRITE SetGlyphOff)
    Q_PROPERTY(TLedState State READ State WRITE SetState)
    Q_PROPERTY(int RingDuration READ RingDuration WRITE SetRingDuration)

public:
    using StateEvent = std::function<void(QObject *sender, TLedState state)>;

    explicit TComLed(QWidget *parent = nullptr);
    ~TComLed() override;

    TCustomComPort *ComPort() const { return m_port; }
    void SetComPort(TCustomComPort *port);
    Com::TComLedSignal LedSignal() const { return m_signal; }
    void SetLedSignal(Com::TComLedSignal value);
    TLedKind Kind() const { return m_kind; }
    void SetKind(TLedKind value);
    QImage GlyphOn() const { return m_glyphs[lsOn]; }
    void SetGlyphOn(const QImage &img) { SetGlyph(lsOn, img); }
    QImage GlyphOff() const { return m_glyphs[lsOff]; }
    void SetGlyphOff(const QImage &img) { SetGlyph(lsOff, img); }
    TLedState State() const { return m_state; }
    // Only without a port: an attached port decides the state.
    void SetState(TLedState value);
    int RingDuration() const { return m_ringTimer.interval(); }
    void SetRingDuration(int ms) { m_ringTimer.setInterval(ms); }

    StateEvent OnChange;

protected:
    void paintEvent(QPaintEvent *) override;
    void changeEvent(QEvent *e) override;
    // What the port reports through the link.
    void SignalChanged(bool on);
    void Ring();

private:
    void UpdateState(TLedState value);
    void LoadKindGlyphs();
    void SetGlyph(TLedState which, const QImage &img);
    TLedState SignalValue();
    void PortDestroyed();

    QPointer<TCustomComPort> m_port;
    QMetaObject::Connection m_portWatch;
    TComLink m_link;
    Com::TComLedSignal m_signal = Com::lsConn;
    TLedKind m_kind = lkRedLight;
    TLedState m_state = lsOff;
    QImage m_glyphs[2];
    qreal m_glyphRatio = 0; // device pixel ratio the built-in pictures were drawn at
    QTimer m_ringTimer;
};
