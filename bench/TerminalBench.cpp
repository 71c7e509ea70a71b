// The terminal under device load: the screen model alone with plain text, escape-heavy text and
// status pages, fed in the blocks the port hands on and one byte at a time, and the real
// window's Terminal page while a device floods the port: bytes per second through the view,
// paints, frame times and the longest stall of the event loop.
#include "LoopWatch.h"
#include "PtyFlood.h"
#include "ComPort.h"
#include "ComTerminal.h"
#include "MainWindow.h"
#include "TermScreen.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

constexpr int kPortBlock = 64 * 1024; // the most one port event hands on

std::string plainText(std::size_t bytes)
{
    std::string s;
    for (int i = 0; s.size() < bytes; ++i)
        s += "Messwert " + std::to_string(i) + " = " + std::to_string(i * 37 % 1000) + " mV\r\n";
    return s;
}

std::string escapeHeavy(std::size_t bytes)
{
    std::string s;
    for (int i = 0; s.size() < bytes; ++i)
        s += "\x1b[" + std::to_string(i % 24 + 1) + ";" + std::to_string(i % 60 + 1) + "H\x1b[1;3" +
             std::to_string(i % 8) + "m" + std::to_string(i) + "\x1b[0m\x1b[K";
    return s;
}

// A device that shows a short status page, cleared by a form feed each time.
std::string statusPages(std::size_t bytes)
{
    std::string s;
    for (int i = 0; s.size() < bytes; ++i)
        s += "\fKanal " + std::to_string(i % 8) + ": " + std::to_string(i * 37 % 1000) + " mV\r\n";
    return s;
}

// Stream kinds: 0 plain text, 1 escape-heavy, 2 status pages.
std::string streamFor(const benchmark::State &state, std::size_t bytes)
{
    switch (state.range(0)) {
    case 1: return escapeHeavy(bytes);
    case 2: return statusPages(bytes);
    default: return plainText(bytes);
    }
}

// The screen of the Terminal page, fed in blocks of the given size.
void BM_Model(benchmark::State &state)
{
    const std::string text = streamFor(state, 1 << 20);
    const auto block = std::size_t(state.range(1));
    TTermScreen screen;
    screen.SetColumns(60);
    screen.SetRows(100);
    screen.WrapLines = true;
    for (auto _ : state)
        for (std::size_t pos = 0; pos < text.size(); pos += block)
            screen.ReceiveBytes(text.data() + pos, int(std::min(block, text.size() - pos)));
    benchmark::DoNotOptimize(screen.CaretRow());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_Model)->ArgNames({"kind", "block"})->Args({0, kPortBlock})->Args({1, kPortBlock})->Args({2, kPortBlock})->Args({0, 1});

// The whole path: a device floods the pty, the port reads, the framer and the terminal of the
// shown Terminal page take every byte, the window paints.
void BM_TerminalPageOverPty(benchmark::State &state)
{
    constexpr int64_t kBytesPerIteration = 8 << 20;
    const std::string text = streamFor(state, 1 << 20);
    FloodingDevice device;
    TFormMain w;
    w.show();
    w.PageControl1->setCurrentWidget(w.TabSheetTerminal);
    w.ComPort1->SetPort(QString::fromLocal8Bit(device.slave));
    w.ButtonConnectComPort1Click();
    w.ButtonTerminalConnectClick();
    if (!w.ComPort1->Connected()) {
        state.SkipWithError("port did not open");
        return;
    }
    QCoreApplication::processEvents(); // the window's first paint is no part of the flood
    // Behind the terminal's link, so a byte counts once the terminal has taken it.
    int64_t received = 0;
    TComLink counter;
    counter.LinkRxBuf = [&](TCustomComPort *, const char *, int n) { received += n; };
    w.ComPort1->AttachLink(&counter);
    LoopWatch watch(w.ComTerminal1->viewport());
    device.start(QByteArray::fromStdString(text));
    int64_t total = 0;
    for (auto _ : state) {
        const int64_t goal = received + kBytesPerIteration;
        while (received < goal)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        total += kBytesPerIteration;
    }
    w.ComPort1->DetachLink(&counter);
    w.ButtonTerminalDisconnectClick();
    w.ButtonDisConnectComPort1Click();
    state.counters["MB/s"] = benchmark::Counter(double(total) / 1e6, benchmark::Counter::kIsRate);
    watch.report(state);
}
BENCHMARK(BM_TerminalPageOverPty)->ArgName("kind")->Arg(0)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
