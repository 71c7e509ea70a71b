// The real main window under a flood of value messages for every instrument it shows: the
// framer and packet handler alone, the same with the event loop painting between chunks, the
// whole path over a pseudo-terminal beside a plain read() loop, and the latency from a device
// write to the instrument's new value at 10,000 messages per second.
#include "../PtyFlood.h"
#include "PanelStream.h"
#include "Catalogue.h"
#include "ComDataPacket.h"
#include "ComPort.h"
#include "FormatSettings.h"
#include "GvVMeter.h"
#include "MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int64_t kPacketsPerIteration = 200000;
constexpr qsizetype kChunk = 4096; // what one read of the pty returns under a flood

// The window with every instrument switched on and shown, counting the packets it handles.
struct Panel {
    TScopedFormatSettings format{TFormatSettings::dot()};
    TFormMain w;
    int64_t packets = 0;
    std::function<void(int64_t)> afterPacket;

    Panel()
    {
        for (int id : tg::app::switchableIds())
            if (auto *box = w.findChild<QCheckBox *>(QStringLiteral("CheckBox%1").arg(id)))
                box->setChecked(true);
        w.show();
        QCoreApplication::processEvents();
        auto handle = w.ComDataPacket1->OnPacket;
        w.ComDataPacket1->OnPacket = [this, handle](TComDataPacket *sender, const QByteArray &packet) {
            handle(sender, packet);
            ++packets;
            if (afterPacket)
                afterPacket(packets);
        };
    }
    TGvVMeter *meter(int id) const { return qobject_cast<TGvVMeter *>(w.instrument(id)); }
};

// The GUI thread's own processor time: on a shared machine a wall-clock gap may just be the
// thread waiting for a processor, which is no stall of the program.
qint64 threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// What a user would notice while the flood runs: how often one meter is painted, how long the
// window takes to paint a frame, and the longest gap between the beats of a 4 ms timer beyond
// its interval (the event loop's stall), in wall-clock time and in the GUI thread's processor
// time.
struct LoopWatch : QObject {
    static constexpr int kBeatMs = 4;
    QWidget *watched;
    QWidget *window;
    int64_t paints = 0;
    int64_t frames = 0;
    qint64 framesNs = 0;
    qint64 longestFrameNs = 0;
    bool inFrame = false;
    bool framePainted = false;
    qint64 longestGapNs = 0;
    qint64 longestCpuGapNs = 0;
    qint64 cpuAtBeat = threadCpuNs();
    QTimer beat;
    QElapsedTimer sinceBeat, running;

    explicit LoopWatch(QWidget *watched) : watched(watched), window(watched->window())
    {
        // On the application, to see the paints of every widget a frame paints.
        qApp->installEventFilter(this);
        beat.setTimerType(Qt::PreciseTimer);
        beat.setInterval(kBeatMs);
        QObject::connect(&beat, &QTimer::timeout, [this] {
            longestGapNs = std::max(longestGapNs, sinceBeat.nsecsElapsed());
            sinceBeat.restart();
            const qint64 cpu = threadCpuNs();
            longestCpuGapNs = std::max(longestCpuGapNs, cpu - cpuAtBeat);
            cpuAtBeat = cpu;
        });
        beat.start();
        sinceBeat.start();
        running.start();
    }
    ~LoopWatch() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Paint) {
            paints += o == watched ? 1 : 0;
            framePainted = true;
        }
        if (o != window || e->type() != QEvent::UpdateRequest || inFrame)
            return false;
        // Delivered here, to time it; a request held back for a later frame paints nothing.
        inFrame = true;
        framePainted = false;
        QElapsedTimer t;
        t.start();
        QCoreApplication::sendEvent(window, e);
        const qint64 ns = t.nsecsElapsed();
        inFrame = false;
        if (framePainted) {
            ++frames;
            framesNs += ns;
            longestFrameNs = std::max(longestFrameNs, ns);
        }
        return true;
    }
    void report(benchmark::State &state) const
    {
        state.counters["paints/s"] = double(paints) * 1e9 / double(std::max<qint64>(running.nsecsElapsed(), 1));
        state.counters["frame_ms"] = frames ? double(framesNs) / double(frames) / 1e6 : 0.0;
        state.counters["frame_max_ms"] = double(longestFrameNs) / 1e6;
        state.counters["stall_ms"] = std::max(0.0, double(longestGapNs) / 1e6 - kBeatMs);
        state.counters["stall_cpu_ms"] = std::max(0.0, double(longestCpuGapNs) / 1e6 - kBeatMs);
    }
};

void feed(Panel &panel, const QByteArray &stream, bool runLoop)
{
    for (qsizetype pos = 0; pos < stream.size(); pos += kChunk) {
        panel.w.ComDataPacket1->HandleData(QByteArrayView(stream).sliced(pos, std::min(kChunk, stream.size() - pos)));
        if (runLoop)
            QCoreApplication::processEvents();
    }
}

// The framer and the handler into the real instruments; with the loop running, the window
// paints between chunks as it would between reads.
void BM_FramerAndHandler(benchmark::State &state)
{
    const bool runLoop = state.range(0) != 0;
    const QByteArray stream = panelStream(1 << 20);
    Panel panel;
    std::optional<LoopWatch> watch;
    if (runLoop)
        watch.emplace(panel.meter(1));
    for (auto _ : state)
        feed(panel, stream, runLoop);
    state.counters["msg/s"] = benchmark::Counter(double(panel.packets), benchmark::Counter::kIsRate);
    if (watch)
        watch->report(state);
}
// Without the loop the rate is per processor second (one thread, nothing waited for), so that
// other load on the machine does not lower it; with the loop, per wall-clock second.
BENCHMARK(BM_FramerAndHandler)->ArgName("loop")->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FramerAndHandler)->ArgName("loop")->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The whole path: a device floods the pty, the port reads, the window handles and paints.
void BM_PanelOverPty(benchmark::State &state)
{
    const QByteArray stream = panelStream(1 << 16);
    FloodingDevice device;
    Panel panel;
    panel.w.ComPort1->SetPort(QString::fromLocal8Bit(device.slave));
    panel.w.ButtonConnectComPort1Click();
    if (!panel.w.ComPort1->Connected()) {
        state.SkipWithError("port did not open");
        return;
    }
    LoopWatch watch(panel.meter(1));
    device.start(stream);
    int64_t total = 0;
    for (auto _ : state) {
        const int64_t goal = panel.packets + kPacketsPerIteration;
        while (panel.packets < goal)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        total += kPacketsPerIteration;
    }
    panel.w.ButtonDisConnectComPort1Click();
    state.counters["msg/s"] = benchmark::Counter(double(total), benchmark::Counter::kIsRate);
    watch.report(state);
}
BENCHMARK(BM_PanelOverPty)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PlainReadOverPty(benchmark::State &state)
{
    plainReadOverPty(state, panelStream(1 << 16), kPacketsPerIteration);
}
BENCHMARK(BM_PlainReadOverPty)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A device that writes one meter message every 100 us and notes when each write began.
void BM_LatencyAt10k(benchmark::State &state)
{
    constexpr int kMessages = 20000;
    constexpr auto kPeriod = std::chrono::microseconds(100);
    FloodingDevice device;
    Panel panel;
    panel.w.ComPort1->SetPort(QString::fromLocal8Bit(device.slave));
    panel.w.ButtonConnectComPort1Click();
    if (!panel.w.ComPort1->Connected()) {
        state.SkipWithError("port did not open");
        return;
    }
    LoopWatch watch(panel.meter(1));
    auto valueOf = [](int k) { return float(k % 1000) / 10.0f; };
    auto idOf = [](int k) { return k % 10 + 1; };
    std::vector<Clock::time_point> written(kMessages), shown(kMessages);
    int wrong = 0;
    for (auto _ : state) {
        const int64_t base = panel.packets;
        panel.afterPacket = [&](int64_t n) {
            const int k = int(n - base - 1);
            if (k < 0 || k >= kMessages)
                return;
            shown[size_t(k)] = Clock::now();
            wrong += panel.meter(idOf(k))->Value() == valueOf(k) ? 0 : 1;
        };
        std::thread writer([&] {
            const Clock::time_point start = Clock::now();
            for (int k = 0; k < kMessages; ++k) {
                std::this_thread::sleep_until(start + k * kPeriod);
                const QByteArray m = "#" + QByteArray::number(idOf(k)) + "M" + QByteArray::number(valueOf(k)) + "<";
                written[size_t(k)] = Clock::now();
                for (qsizetype done = 0; done < m.size();) {
                    const ssize_t n = write(device.master, m.constData() + done, size_t(m.size() - done));
                    if (n > 0)
                        done += n;
                }
            }
        });
        while (panel.packets - base < kMessages)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        writer.join();
        panel.afterPacket = nullptr;
    }
    panel.w.ButtonDisConnectComPort1Click();
    std::vector<double> us(kMessages);
    for (size_t k = 0; k < us.size(); ++k)
        us[k] = double(std::chrono::duration_cast<std::chrono::nanoseconds>(shown[k] - written[k]).count()) / 1e3;
    std::sort(us.begin(), us.end());
    state.counters["p50_us"] = us[us.size() / 2];
    state.counters["p99_us"] = us[us.size() * 99 / 100];
    state.counters["max_us"] = us.back();
    state.counters["wrong"] = wrong;
    watch.report(state);
}
BENCHMARK(BM_LatencyAt10k)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
