// Cost of a new value on the vertical meter and the value indicator: the value model alone, and
// the value model plus an offscreen repaint of what the value change asked to repaint. Likewise
// a new caption of the panel's seven-segment display, one sample of the panel's mini trend, a
// value on the round meter, one record of the full-size trend recorder and one step of a dial
// drag.
#include "GvDial.h"
#include "GvMiniTrend.h"
#include "GvRMeter.h"
#include "GvTrend.h"
#include "GvVMeter.h"
#include "GvValueInd.h"
#include "SevenSeg.h"

#include <QApplication>
#include <QMouseEvent>
#include <cmath>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

constexpr int kValues = 100000;

// Values that change at every step and sweep the whole range, with a few beyond it.
float valueAt(int64_t i) { return float((i * 37) % 1200) / 10.0f - 5.0f; }

template <typename T>
struct Rig {
    QWidget parent;
    T *w = new T(&parent);
    QImage frame;
    explicit Rig(void (*setUp)(T &) = nullptr)
    {
        parent.resize(400, 400);
        if (setUp)
            setUp(*w);
        w->loaded();
        frame = QImage(w->size(), QImage::Format_ARGB32_Premultiplied);
        frame.fill(Qt::white);
        w->render(&frame);
        w->TakeDirtyRegion();
    }
    // Paints just the region the last changes asked for, as the window system would; false when
    // nothing was asked for.
    bool paintDirty()
    {
        const QRegion d = w->TakeDirtyRegion();
        if (d.isEmpty())
            return false;
        QPainter p(&frame);
        w->render(&p, d.boundingRect().topLeft(), d, QWidget::RenderFlags());
        return true;
    }
};

template <typename T>
void valuesOnly(benchmark::State &state)
{
    Rig<T> rig;
    int64_t i = 0;
    for (auto _ : state) {
        rig.w->SetValue(valueAt(i++));
        rig.w->TakeDirtyRegion();
    }
    state.SetItemsProcessed(i);
}

template <typename T>
void valuesAndPartialRepaint(benchmark::State &state)
{
    Rig<T> rig;
    int64_t i = 0;
    for (auto _ : state) {
        rig.w->SetValue(valueAt(i++));
        rig.paintDirty();
    }
    benchmark::DoNotOptimize(rig.frame.constBits());
    state.SetItemsProcessed(i);
}

template <typename T>
void valuesAndFullRepaint(benchmark::State &state)
{
    Rig<T> rig;
    int64_t i = 0;
    for (auto _ : state) {
        rig.w->SetValue(valueAt(i++));
        rig.w->TakeDirtyRegion();
        rig.w->render(&rig.frame, QPoint(), QRegion(), QWidget::RenderFlags());
    }
    state.SetItemsProcessed(i);
}

// Captions as the panel formats them: six digits and a point, changing at every step.
QString captionAt(int64_t i) { return QString::number(double((i * 7919) % 1000000) / 100.0, 'f', 2); }

void sevenSegCaption(benchmark::State &state, bool paint)
{
    Rig<TSevenSeg> rig(SetUpPanelSevenSeg);
    int64_t i = 0;
    for (auto _ : state) {
        rig.w->SetCaption(captionAt(i++));
        if (paint)
            rig.paintDirty();
        else
            rig.w->TakeDirtyRegion();
    }
    benchmark::DoNotOptimize(rig.frame.constBits());
    state.SetItemsProcessed(i);
}

// A colour change scales all characters into the strip again (the rare case).
void sevenSegColour(benchmark::State &state)
{
    Rig<TSevenSeg> rig(SetUpPanelSevenSeg);
    int64_t i = 0;
    for (auto _ : state) {
        rig.w->SetColorText(i++ % 2 ? clRed : clLime);
        rig.paintDirty();
    }
    state.SetItemsProcessed(i);
}

void miniTrendSample(benchmark::State &state)
{
    Rig<TGvMiniTrend> rig(SetUpPanelMiniTrend);
    int64_t i = 0;
    for (auto _ : state) {
        rig.w->SetValueCh1(valueAt(i++));
        rig.w->Sample();
        rig.paintDirty();
    }
    benchmark::DoNotOptimize(rig.frame.constBits());
    state.SetItemsProcessed(i);
}

// One record of eight moving channels on a 770 x 480 recorder, with the repaint it asks for
// (scrolling by a grid division included as it comes).
void trendRecord(benchmark::State &state)
{
    QWidget parent;
    auto *t = new TGvTrend(&parent);
    t->SetStartRecording(false);
    t->resize(770, 480);
    t->loaded();
    QImage frame(t->size(), QImage::Format_ARGB32_Premultiplied);
    t->render(&frame);
    t->TakeDirtyRegion();
    QDateTime now(QDate(2026, 12, 10), QTime(8, 0));
    t->Now = [&now] { return now; };
    int64_t i = 0;
    for (auto _ : state) {
        for (int ch = 0; ch < 8; ++ch)
            t->Channel(ch)->SetValue(valueAt(i + 100 * ch));
        now = now.addMSecs(500);
        t->AddRecord();
        const QRegion d = t->TakeDirtyRegion();
        if (!d.isEmpty()) {
            QPainter p(&frame);
            t->render(&p, d.boundingRect().topLeft(), d, QWidget::RenderFlags());
        }
        ++i;
    }
    benchmark::DoNotOptimize(frame.constBits());
    state.SetItemsProcessed(i);
}

} // namespace

// One mouse step of a drag round the panel's dial (two degrees, back and forth over the top)
// with the repaint of knob face and read-out that it asks for.
void dialDrag(benchmark::State &state)
{
    Rig<TGvDial> rig([](TGvDial &d) {
        d.resize(200, 280); // a knob large enough that each step moves the mouse by pixels
        d.SignalSettings()->SetValueFrom(0.000001f);
        d.SignalSettings()->SetValueTo(100.0f);
        d.SignalSettings()->SetDigitalTo(1000);
        d.SignalSettings()->SetValueFormat(QStringLiteral("##0.0"));
    });
    TGvDial &d = *rig.w;
    const QPoint c = d.KnobRect().topLeft() + d.KnobCenter();
    const double r = d.KnobRect().width() / 2.0 - 3;
    const auto at = [&](double a) {
        const double rad = a * M_PI / 180.0;
        return QPointF(c.x() - r * std::sin(rad), c.y() + r * std::cos(rad));
    };
    const auto send = [&](QEvent::Type type, QPointF p, Qt::MouseButtons held) {
        QMouseEvent e(type, p, d.mapToGlobal(p), Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&d, &e);
    };
    int64_t changes = 0, painted = 0;
    d.OnValueChange = [&](QObject *) { ++changes; };
    send(QEvent::MouseButtonPress, at(90), Qt::LeftButton);
    double a = 90, step = 2;
    int64_t n = 0;
    for (auto _ : state) {
        a += step;
        if (a >= 270 || a <= 90)
            step = -step;
        send(QEvent::MouseMove, at(a), Qt::LeftButton);
        painted += rig.paintDirty();
        ++n;
    }
    send(QEvent::MouseButtonRelease, at(a), Qt::NoButton);
    state.SetItemsProcessed(n);
    // Share of the steps that moved the value and repainted (a drag that moved nothing would
    // measure nothing).
    state.counters["changed"] = double(changes) / double(std::max<int64_t>(n, 1));
    state.counters["painted"] = double(painted) / double(std::max<int64_t>(n, 1));
}

BENCHMARK(dialDrag)->Name("Dial/DragStep+PartialRepaint")->Iterations(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(valuesAndPartialRepaint<TGv270Meter>)->Name("RMeter270/SetValue+PartialRepaint")->Iterations(kValues)->Unit(benchmark::kMicrosecond);
BENCHMARK(valuesAndFullRepaint<TGv270Meter>)->Name("RMeter270/SetValue+FullRepaint")->Iterations(kValues / 10)->Unit(benchmark::kMicrosecond);
BENCHMARK(trendRecord)->Name("Trend770x480/Record+Repaint")->Iterations(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(sevenSegCaption, noPaint, false)->Name("SevenSeg/SetCaption")->Iterations(kValues)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(sevenSegCaption, paint, true)->Name("SevenSeg/SetCaption+PartialRepaint")->Iterations(kValues)->Unit(benchmark::kMicrosecond);
BENCHMARK(sevenSegColour)->Name("SevenSeg/SetColorText+Repaint")->Iterations(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(miniTrendSample)->Name("MiniTrend/Sample+PartialRepaint")->Iterations(kValues)->Unit(benchmark::kMicrosecond);
BENCHMARK(valuesOnly<TGvVMeter>)->Name("VMeter/SetValue")->Iterations(kValues)->Unit(benchmark::kMicrosecond);
BENCHMARK(valuesAndPartialRepaint<TGvVMeter>)->Name("VMeter/SetValue+PartialRepaint")->Iterations(kValues)->Unit(benchmark::kMicrosecond);
BENCHMARK(valuesAndFullRepaint<TGvVMeter>)->Name("VMeter/SetValue+FullRepaint")->Iterations(kValues / 10)->Unit(benchmark::kMicrosecond);
BENCHMARK(valuesOnly<TGvValueInd>)->Name("ValueInd/SetValue")->Iterations(kValues)->Unit(benchmark::kMicrosecond);
BENCHMARK(valuesAndPartialRepaint<TGvValueInd>)->Name("ValueInd/SetValue+PartialRepaint")->Iterations(kValues)->Unit(benchmark::kMicrosecond);
BENCHMARK(valuesAndFullRepaint<TGvValueInd>)->Name("ValueInd/SetValue+FullRepaint")->Iterations(kValues / 10)->Unit(benchmark::kMicrosecond);
