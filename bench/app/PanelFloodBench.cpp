// The real main window under a flood of value messages for every instrument it shows: the
// framer and packet handler alone, the same with the event loop painting between chunks, the
// whole path over a pseudo-terminal beside a plain read() loop, and the latency from a device
// write to the instrument's new value at 10,000 messages per second.
#include "../LoopWatch.h"
#include "../PtyFlood.h"
#include "PanelStream.h"
#include "Catalogue.h"
#include "ComDataPacket.h"
#include "ComPort.h"
#include "FormatSettings.h"
#include "GvVMeter.h"
#include "MainWindow.h"
#include "Recording.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
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
    // Connected to the device with the status strip shown or not, as the benchmark's argument
    // says; false (and the benchmark marked failed) when the port did not open.
    bool connect(const FloodingDevice &device, benchmark::State &state)
    {
        w.SetStatusStripShown(state.range(0) != 0);
        w.ComPort1->SetPort(QString::fromLocal8Bit(device.slave));
        w.ButtonConnectComPort1Click();
        if (!w.ComPort1->Connected())
            state.SkipWithError("port did not open");
        return w.ComPort1->Connected();
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
    if (!panel.connect(device, state))
        return;
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
BENCHMARK(BM_PanelOverPty)->ArgName("strip")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A recording of a million messages played at full speed through the window's framer, value
// protocol, instruments and terminal screen.
void BM_RecordingReplay(benchmark::State &state)
{
    const QByteArray stream = panelStream(1 << 16);
    tg::journal::Journal journal(tg::journal::Limits{INT64_MAX, SIZE_MAX});
    const int64_t perChunk = stream.count('<');
    const int64_t chunks = 1000000 / perChunk + 1;
    for (int64_t i = 0; i < chunks; ++i)
        journal.append(i * 2000, stream.constData(), size_t(stream.size()));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("flood.tgrec"));
    QFile out(file);
    out.open(QIODevice::WriteOnly);
    tg::journal::writeRecording(journal, [&out](std::string_view b) { return out.write(b.data(), qint64(b.size())) > 0; });
    out.close();
    Panel panel;
    panel.w.findChild<QComboBox *>(QStringLiteral("ComboBoxReplaySpeed"))->setCurrentIndex(2);
    int64_t total = 0;
    for (auto _ : state) {
        if (!panel.w.OpenRecording(file).isEmpty()) {
            state.SkipWithError("recording not played");
            return;
        }
        while (panel.w.PlayingRecording())
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        total += chunks * perChunk;
    }
    state.counters["msg/s"] = benchmark::Counter(double(total), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RecordingReplay)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_PlainReadOverPty(benchmark::State &state)
{
    plainReadOverPty(state, panelStream(1 << 16), kPacketsPerIteration);
}
BENCHMARK(BM_PlainReadOverPty)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Notes when each meter is next painted after a value reached it: the frame that shows it.
struct FrameWatch : QObject {
    std::vector<std::vector<int>> pending; // per meter: messages handled, not yet painted
    std::vector<Clock::time_point> &framed;
    const Panel &panel;
    FrameWatch(const Panel &p, std::vector<Clock::time_point> &framed) : pending(11), framed(framed), panel(p)
    {
        for (int id = 1; id <= 10; ++id)
            panel.meter(id)->installEventFilter(this);
    }
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            for (int id = 1; id <= 10; ++id)
                if (o == panel.meter(id)) {
                    const Clock::time_point now = Clock::now();
                    for (int k : pending[size_t(id)])
                        framed[size_t(k)] = now;
                    pending[size_t(id)].clear();
                }
        return false;
    }
};

std::vector<double> sortedMicroseconds(const std::vector<Clock::time_point> &to, const std::vector<Clock::time_point> &from)
{
    std::vector<double> us(to.size());
    for (size_t k = 0; k < us.size(); ++k)
        us[k] = double(std::chrono::duration_cast<std::chrono::nanoseconds>(to[k] - from[k]).count()) / 1e3;
    std::sort(us.begin(), us.end());
    return us;
}

// A device that writes one meter message every 100 us and notes when each write began; the
// latency to the packet's handling and to the frame that painted its meter next.
void BM_LatencyAt10k(benchmark::State &state)
{
    constexpr int kMessages = 20000;
    constexpr auto kPeriod = std::chrono::microseconds(100);
    FloodingDevice device;
    Panel panel;
    if (!panel.connect(device, state))
        return;
    LoopWatch watch(panel.meter(1));
    auto valueOf = [](int k) { return float(k % 1000) / 10.0f; };
    auto idOf = [](int k) { return k % 10 + 1; };
    std::vector<Clock::time_point> written(kMessages), shown(kMessages), framed(kMessages);
    FrameWatch frames(panel, framed);
    int wrong = 0;
    for (auto _ : state) {
        const int64_t base = panel.packets;
        panel.afterPacket = [&](int64_t n) {
            const int k = int(n - base - 1);
            if (k < 0 || k >= kMessages)
                return;
            shown[size_t(k)] = Clock::now();
            frames.pending[size_t(idOf(k))].push_back(k);
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
        // The last values still wait for their frame.
        for (QElapsedTimer t; !t.isValid() || t.elapsed() < 100;) {
            if (!t.isValid())
                t.start();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        panel.afterPacket = nullptr;
    }
    panel.w.ButtonDisConnectComPort1Click();
    const std::vector<double> us = sortedMicroseconds(shown, written);
    state.counters["p50_us"] = us[us.size() / 2];
    state.counters["p99_us"] = us[us.size() * 99 / 100];
    state.counters["max_us"] = us.back();
    // A message whose meter was never painted again counts as waiting until now.
    const Clock::time_point end = Clock::now();
    for (Clock::time_point &t : framed)
        if (t == Clock::time_point())
            t = end;
    const std::vector<double> toFrame = sortedMicroseconds(framed, written);
    state.counters["frame_p50_us"] = toFrame[toFrame.size() / 2];
    state.counters["frame_p99_us"] = toFrame[toFrame.size() * 99 / 100];
    state.counters["wrong"] = wrong;
    watch.report(state);
}
BENCHMARK(BM_LatencyAt10k)->ArgName("strip")->Arg(0)->Arg(1)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
