#include "ComLed.h"

#include "Canvas.h"
#include "EComPort.h"
#include "LedGlyphs.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>

using namespace Com;

namespace {

const char *const kKindNames[] = {"RED", "GREEN", "BLUE", "YELLOW", "PURPLE", "BULB"};

} // namespace

TComLed::TComLed(QWidget *parent) : QWidget(parent)
{
    resize(25, 25);
    m_link.LinkConn = [this](TCustomComPort *, bool on) { SignalChanged(on); };
    m_ringTimer.setInterval(1000);
    connect(&m_ringTimer, &QTimer::timeout, this, [this] {
        m_ringTimer.stop();
        UpdateState(lsOff);
    });
}

TComLed::~TComLed()
{
    if (m_port)
        m_port->DetachLink(&m_link);
}

void TComLed::SetComPort(TCustomComPort *port)
{
    if (m_port == port)
        return;
    if (m_port)
        m_port->DetachLink(&m_link);
    disconnect(m_portWatch);
    m_port = port;
    if (port) {
        // Once the port is gone only the pointer is cleared: its link list went with it.
        m_portWatch = connect(port, &QObject::destroyed, this, &TComLed::PortDestroyed);
        port->AttachLink(&m_link);
        if (port->Connected())
            UpdateState(SignalValue());
    } else {
        UpdateState(lsOff);
    }
}

void TComLed::PortDestroyed()
{
    m_port = nullptr;
    UpdateState(lsOff);
}

void TComLed::SetLedSignal(TComLedSignal value)
{
    if (m_signal == value)
        return;
    m_signal = value;
    m_link = TComLink{};
    const TComLink::Signal handler = [this](TCustomComPort *, bool on) { SignalChanged(on); };
    switch (value) {
    case lsConn: m_link.LinkConn = handler; break;
    case lsCTS: m_link.LinkCTS = handler; break;
    case lsDSR: m_link.LinkDSR = handler; break;
    case lsRLSD: m_link.LinkRLSD = handler; break;
    case lsRing: m_link.LinkRing = [this](TCustomComPort *) { Ring(); }; break;
    case lsRx: m_link.LinkRx = handler; break;
    case lsTx: m_link.LinkTx = handler; break;
    }
}

void TComLed::SetState(TLedState value)
{
    if (m_port)
        throw EComPort(CE_LedStateFailed);
    UpdateState(value);
}

void TComLed::UpdateState(TLedState value)
{
    const bool changed = m_state != value;
    m_state = value;
    if (OnChange)
        OnChange(this, value);
    // Activity lamps are told on every batch of data: only a real change is worth a paint.
    if (changed)
        update();
}

void TComLed::SignalChanged(bool on)
{
    UpdateState(on ? lsOn : lsOff);
}

void TComLed::Ring()
{
    m_ringTimer.start();
    UpdateState(lsOn);
}

TComLed::TLedState TComLed::SignalValue()
{
    switch (m_signal) {
    case lsConn: return m_port && m_port->Connected() ? lsOn : lsOff;
    case lsCTS: return m_port->LineSignals() & 1 ? lsOn : lsOff;
    case lsDSR: return m_port->LineSignals() & 2 ? lsOn : lsOff;
    case lsRLSD: return m_port->LineSignals() & 8 ? lsOn : lsOff;
    default: return lsOff;
    }
}

void TComLed::SetKind(TLedKind value)
{
    if (m_kind == value)
        return;
    m_kind = value;
    // A custom lamp keeps the pictures it has until the user's own are set.
    LoadKindGlyphs();
    update();
}

void TComLed::LoadKindGlyphs()
{
    if (m_kind == lkCustom)
        return;
    const qreal dpr = devicePixelRatioF();
    const QString stem = QStringLiteral("LED") + QLatin1String(kKindNames[m_kind]);
    m_glyphs[lsOn] = tg::LedBitmap(stem + QStringLiteral("ON"), dpr);
    m_glyphs[lsOff] = tg::LedBitmap(stem + QStringLiteral("OFF"), dpr);
    m_glyphRatio = dpr;
}

void TComLed::SetGlyph(TLedState which, const QImage &img)
{
    if (m_kind != lkCustom)
        return;
    m_glyphs[which] = img.isNull() ? QImage() : tg::KeyedOut(img, tg::AutoTransparentColor(img));
    update();
}

void TComLed::paintEvent(QPaintEvent *)
{
    // Built-in pictures are drawn for the screen the lamp is on, so they stay sharp.
    if (m_kind != lkCustom && (m_glyphs[lsOn].isNull() || m_glyphs[lsOff].isNull() || m_glyphRatio != devicePixelRatioF()))
        LoadKindGlyphs();
    const QImage &shown = m_glyphs[isEnabled() ? m_state : lsOff];
    const QImage &measured = m_glyphs[m_state];
    if (shown.isNull())
        return;
    const QSizeF size = measured.isNull() ? shown.deviceIndependentSize() : measured.deviceIndependentSize();
    const int left = std::max(0, (width() - int(size.width())) / 2);
    const int top = std::max(0, (height() - int(size.height())) / 2);
    QPainter(this).drawImage(QPoint(left, top), shown);
}

void TComLed::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(e);
}
