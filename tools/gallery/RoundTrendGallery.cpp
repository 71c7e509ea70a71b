// Gallery states of the 270-degree round meter, the trend recorder and the full trend frame.
#include "FrameTrendFull.h"
#include "Gallery.h"
#include "GvRMeter.h"
#include "GvTrend.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <cmath>

namespace gallery {

namespace {

// The panel's round meter Instr20 (initial values of the form).
void panelRound(TGv270Meter &m)
{
    m.setObjectName(QStringLiteral("Instr20"));
    m.setGeometry(8, 2, 137, 193);
    m.SetDigit(500);
    m.SetLimitUpper(90);
    m.SetLimitLower(10);
    TSectorSettings &s = *m.SectorSettings();
    s.SetSector1To(1000);
    s.SetSector2Color(clLime);
    s.SetSector2From(1000);
    s.SetSector2To(1000);
    s.SetSector3From(1000);
    TSignalSettings &sig = *m.SignalSettings();
    sig.SetName1(QStringLiteral("SignalName1"));
    sig.SetName2(QStringLiteral("#20"));
    sig.SetValueFormat(QStringLiteral("##0.0"));
    sig.SetValueTo(100);
    sig.SetValueUnit(QStringLiteral("%"));
    m.SetOptions(TGvRMeter::opBevelInner | TGvRMeter::opBevelOuter | TGvRMeter::opName1 | TGvRMeter::opName2 |
                 TGvRMeter::opOverflow | TGvRMeter::opSector | TGvRMeter::opUnit);
    setFont(m.Font(), QStringLiteral("Arial"), -13, clBlack, false);
    setFont(m.FontUnit(), QStringLiteral("Arial"), -13, clBlack, false);
    m.BevelOuter()->SetStyle(gv::bsRaised);
    m.BevelOuter()->SetColor(clSilver);
    TScaleSettings &sc = *m.ScaleSettings();
    setFont(sc.Font(), QStringLiteral("Arial"), -23, clBlack, false);
    sc.SetSteps(10);
    sc.SetSubSteps(5);
}

void roundMeter()
{
    {
        Holder<TGv270Meter> h;
        h.w->loaded();
        for (float v : {0.0f, 50.0f, 100.0f}) {
            h.w->SetValue(v);
            save(*h.w, QStringLiteral("round270-defaults-value-%1").arg(int(v)));
        }
    }
    {
        Holder<TGv270Meter> h;
        panelRound(*h.w);
        h.w->loaded();
        h.w->SetValue(50);
        save(*h.w, QStringLiteral("round270-instr20"));
        h.w->SetValue(130); // beyond the range: the pointer stops and flashes
        tickUntil([&] { return h.w->AlarmColor() == h.w->FlashColorOff; });
        save(*h.w, QStringLiteral("round270-instr20-overflow"));
    }
    {
        // Three sectors over the ticks, min and max marks, a needle with two caps.
        Holder<TGv270Meter> h;
        TSectorSettings &s = *h.w->SectorSettings();
        s.SetSector1Color(clLime);
        s.SetSector1From(0);
        s.SetSector1To(600);
        s.SetSector2Color(clYellow);
        s.SetSector2From(600);
        s.SetSector2To(850);
        s.SetSector3Color(clRed);
        s.SetSector3From(850);
        s.SetSector3To(1000);
        s.SetOffset(-5);
        h.w->ArrowSettings()->SetShape(7);
        h.w->ArrowSettings()->SetColorBrush(clNavy);
        h.w->MinMax()->SetMinVisible(true);
        h.w->MinMax()->SetMaxVisible(true);
        h.w->SetOptions(h.w->Options() & ~TGvRMeter::opLimit);
        h.w->loaded();
        for (float v : {35.0f, 88.0f, 62.0f})
            h.w->SetValue(v);
        save(*h.w, QStringLiteral("round270-sectors-marks-shape7"));
        for (int shape : {1, 4, 6}) {
            h.w->ArrowSettings()->SetShape(shape);
            save(*h.w, QStringLiteral("round270-shape%1").arg(shape));
        }
    }
    {
        Holder<TGv270Meter> h;
        h.w->SignalSettings()->SetValueFrom(1);
        h.w->SignalSettings()->SetValueTo(10000);
        h.w->SetLogScale(true);
        h.w->SetOptions(h.w->Options() & ~TGvRMeter::opLimit);
        h.w->loaded();
        h.w->SetValue(100);
        save(*h.w, QStringLiteral("round270-log-value-100"));
    }
}

// Channels 1 to 3 as a sine, a ramp and a step, recorded every 500 ms for three minutes with a
// pause in the middle.
void record(TGvTrend &t, QDateTime &now)
{
    t.Now = [&now] { return now; };
    for (int i = 0; i < 360; ++i) {
        if (i == 200) {
            t.SetStartRecording(false);
            now = now.addSecs(20);
            t.SetStartRecording(true);
        }
        t.Channel1()->SetValue(float(50 + 40 * std::sin(i / 25.0)));
        t.Channel2()->SetValue(float((i % 120) / 12.0));
        t.Channel3()->SetValue(i % 100 < 50 ? -3.0f : 3.0f);
        t.Channel4()->SetValue(float(10 + 30 * std::cos(i / 40.0)));
        now = now.addMSecs(500);
        t.AddRecord();
    }
}

void trend()
{
    {
        QDateTime now(QDate(2026, 12, 10), QTime(8, 0));
        TFrame1 frame;
        frame.GvTrend1()->SetStartRecording(false);
        frame.GvTrend1()->SetStartRecording(true);
        record(*frame.GvTrend1(), now);
        save(frame, QStringLiteral("trend-frame"));
        // The cursor over the plot.
        TGvTrend &t = *frame.GvTrend1();
        const QPoint p = t.PlotRect().topLeft() + QPoint(150, 40);
        QMouseEvent e(QEvent::MouseMove, p, t.mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&t, &e);
        save(t, QStringLiteral("trend-frame-cursor"));
    }
    {
        QDateTime now(QDate(2026, 12, 10), QTime(23, 58));
        Holder<TGvTrend> h;
        TGvTrend &t = *h.w;
        t.setObjectName(QStringLiteral("GvTrend1"));
        t.SetOptions(t.Options() | TGvTrend::opDate | TGvTrend::opCh8isLL);
        t.SetFillChannelNo(2);
        t.SetLeftScaleCh(3);
        t.Channel3()->SetValueFrom(-5);
        t.Channel3()->SetValueTo(5);
        t.Channel8()->SetVisible(true);
        t.Channel8()->SetValue(15);
        t.SetStartRecording(false);
        t.loaded();
        record(t, now);
        save(t, QStringLiteral("trend-date-filled-bands"));
    }
}

} // namespace

void roundTrend()
{
    roundMeter();
    trend();
}

} // namespace gallery
