#include "ComLed.h"
#include "EComPort.h"
#include "LedGlyphs.h"
#include "Pty.h"

#include <gtest/gtest.h>
#include <QPainter>
#include <memory>
#include <vector>

using namespace Com;

namespace {

// Reaches the handlers a port calls, for the signals a pseudo-terminal cannot give.
struct Lamp : TComLed {
    using TComLed::Ring;
    using TComLed::SignalChanged;
    std::vector<TLedState> log;
    Lamp()
    {
        OnChange = [this](QObject *sender, TLedState s) {
            EXPECT_EQ(sender, this);
            log.push_back(s);
        };
    }
};

// The lamp drawn over a plain background.
QImage render(QWidget &w)
{
    QImage img(w.size(), QImage::Format_ARGB32);
    img.fill(Qt::black);
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

int brightness(QRgb c) { return qRed(c) + qGreen(c) + qBlue(c); }

TEST(ComLed, ConnectionLampFollowsThePort)
{
    Pty pty;
    TComPort port;
    port.SetPort(pty.slave);
    Lamp lamp;
    lamp.SetComPort(&port);
    EXPECT_EQ(lamp.State(), TComLed::lsOff) << "a closed port leaves the lamp off";
    port.Open();
    EXPECT_EQ(lamp.State(), TComLed::lsOn);
    port.Close();
    EXPECT_EQ(lamp.State(), TComLed::lsOff);
    EXPECT_EQ(lamp.log, (std::vector{TComLed::lsOn, TComLed::lsOff}));

    // Attached to a port that is already open, the lamp shows it at once; let go, it is off.
    port.Open();
    Lamp late;
    late.SetComPort(&port);
    EXPECT_EQ(late.State(), TComLed::lsOn);
    late.SetComPort(nullptr);
    EXPECT_EQ(late.State(), TComLed::lsOff);
    port.Close();
    EXPECT_EQ(late.log, (std::vector{TComLed::lsOn, TComLed::lsOff})) << "a detached lamp hears nothing more";

    // A lamp cannot be switched by hand while a port decides.
    try {
        lamp.SetState(TComLed::lsOn);
        ADD_FAILURE() << "no failure";
    } catch (const EComPort &e) {
        EXPECT_EQ(e.Code(), 19);
        EXPECT_STREQ(e.what(), "Cannot change led state if ComPort is selected");
    }
    late.SetState(TComLed::lsOn);
    EXPECT_EQ(late.State(), TComLed::lsOn);
}

TEST(ComLed, DestroyedPortTurnsTheLampOff)
{
    Pty pty;
    auto port = std::make_unique<TComPort>();
    port->SetPort(pty.slave);
    port->Open();
    Lamp lamp;
    lamp.SetComPort(port.get());
    ASSERT_EQ(lamp.State(), TComLed::lsOn);
    port.reset();
    EXPECT_EQ(lamp.ComPort(), nullptr);
    EXPECT_EQ(lamp.State(), TComLed::lsOff);
    lamp.SetState(TComLed::lsOn); // free again; must not touch the gone port
    EXPECT_EQ(lamp.State(), TComLed::lsOn);
}

TEST(ComLed, ActivityAndRingLamps)
{
    Pty pty;
    TComPort port;
    port.SetPort(pty.slave);
    port.SetTriggersOnRxChar(false);
    port.OnRxBuf = [](TCustomComPort *, const char *, int) {};
    Lamp rx;
    rx.SetLedSignal(lsRx);
    rx.SetComPort(&port);
    Lamp conn; // left on the connection signal
    conn.SetComPort(&port);
    port.Open();
    pty.write("#1M2<");
    ASSERT_TRUE(waitFor([&] { return rx.log.size() >= 2; }));
    EXPECT_EQ(rx.log.front(), TComLed::lsOn) << "data waiting";
    EXPECT_TRUE(waitFor([&] { return rx.State() == TComLed::lsOff; })) << "off once the input is read";
    rx.SetLedSignal(lsConn);
    EXPECT_EQ(rx.State(), TComLed::lsOff) << "a new signal is not read at once";
    port.Close();
    EXPECT_EQ(conn.log, (std::vector{TComLed::lsOn, TComLed::lsOff}));

    Lamp ring;
    ring.SetLedSignal(lsRing);
    EXPECT_EQ(ring.RingDuration(), 1000);
    ring.SetRingDuration(200);
    ring.Ring();
    EXPECT_EQ(ring.State(), TComLed::lsOn);
    EXPECT_TRUE(waitFor([&] { return ring.State() == TComLed::lsOff; }));
    EXPECT_EQ(ring.log, (std::vector{TComLed::lsOn, TComLed::lsOff}));
}

TEST(ComLed, BuiltInPicturesAreRoundLampsBrightWhenOn)
{
    const char *kinds[] = {"RED", "GREEN", "BLUE", "YELLOW", "PURPLE", "BULB"};
    for (const char *kind : kinds) {
        SCOPED_TRACE(kind);
        for (qreal dpr : {1.0, 2.0}) {
            const QImage on = tg::LedBitmap(QStringLiteral("LED%1ON").arg(QLatin1String(kind)), dpr);
            const QImage off = tg::LedBitmap(QStringLiteral("LED%1OFF").arg(QLatin1String(kind)), dpr);
            ASSERT_FALSE(on.isNull());
            ASSERT_FALSE(off.isNull());
            EXPECT_EQ(on.deviceIndependentSize(), QSizeF(15, 15));
            EXPECT_EQ(on.width(), int(15 * dpr));
            const int c = on.width() / 2, edge = on.width() - 1;
            EXPECT_EQ(qAlpha(on.pixel(0, 0)), 0) << "corners are transparent";
            EXPECT_EQ(qAlpha(off.pixel(edge, edge)), 0);
            EXPECT_EQ(qAlpha(on.pixel(c, c)), 255);
            // The lamp body, away from the highlight, is clearly brighter when on.
            const int y = c + on.width() / 5;
            EXPECT_GT(brightness(on.pixel(c, y)), brightness(off.pixel(c, y)) + 120);
        }
    }
    EXPECT_TRUE(tg::LedBitmap(QStringLiteral("LEDORANGEON")).isNull());
}

TEST(ComLed, PaintsTheStatePictureCentredAndOffWhenDisabled)
{
    Lamp lamp;
    lamp.SetKind(TComLed::lkGreenLight);
    const QImage on = tg::LedBitmap(QStringLiteral("LEDGREENON"));
    const QImage off = tg::LedBitmap(QStringLiteral("LEDGREENOFF"));
    lamp.SetState(TComLed::lsOn);
    const QImage lit = render(lamp);
    EXPECT_EQ(lit.pixel(5 + 7, 5 + 9), on.pixel(7, 9)) << "15 x 15 centred in 25 x 25";
    EXPECT_EQ(lit.pixel(2, 2), qRgb(0, 0, 0)) << "the surround is left alone";
    lamp.setEnabled(false);
    EXPECT_EQ(render(lamp).pixel(12, 14), off.pixel(7, 9));
    lamp.setEnabled(true);
    lamp.SetState(TComLed::lsOff);
    EXPECT_EQ(render(lamp).pixel(12, 14), off.pixel(7, 9));

    // The user's pictures only with the custom kind, their bottom-left colour left out.
    QImage mine(9, 5, QImage::Format_RGB32);
    mine.fill(QColor(0, 128, 128));
    mine.setPixel(4, 2, qRgb(255, 0, 0));
    lamp.SetGlyphOff(mine);
    EXPECT_EQ(render(lamp).pixel(12, 14), off.pixel(7, 9)) << "ignored unless custom";
    lamp.SetKind(TComLed::lkCustom);
    lamp.SetGlyphOff(mine);
    const QImage custom = render(lamp);
    EXPECT_EQ(custom.pixel(8 + 4, 10 + 2), qRgb(255, 0, 0));
    EXPECT_EQ(custom.pixel(8, 10), qRgb(0, 0, 0)) << "the key colour is transparent";
}

} // namespace
