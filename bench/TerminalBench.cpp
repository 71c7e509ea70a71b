// The terminal under device load: the screen model alone with plain and escape-heavy text, and
// the longest event-loop stall while 10 MB arrive over a pseudo-terminal with the view open.
#include "ComPort.h"
#include "ComTerminal.h"
#include "PanelTerminal.h"
#include "TermScreen.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

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

void feedModel(benchmark::State &state, const std::string &text)
{
    TTermScreen screen;
    screen.SetColumns(60);
    screen.SetRows(100);
    screen.WrapLines = true;
    for (auto _ : state)
        screen.ReceiveBytes(text.data(), int(text.size()));
    benchmark::DoNotOptimize(screen.CaretRow());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_ModelPlain(benchmark::State &state) { feedModel(state, plainText(1 << 20)); }
void BM_ModelEscapeHeavy(benchmark::State &state) { feedModel(state, escapeHeavy(1 << 20)); }

void BM_ViewStallOverPty(benchmark::State &state)
{
    const std::string text = plainText(10 << 20);
    for (auto _ : state) {
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master);
        ::unlockpt(master);
        TComPort port;
        port.SetPort(QString::fromLocal8Bit(::ptsname(master)));
        port.SetBaudRate(Com::brCustom);
        port.SetCustomBaudRate(115200);
        TComTerminal term;
        setupPanelTerminal(term);
        term.SetComPort(&port);
        term.resize(820, 560);
        term.show();
        port.Open();
        qint64 received = 0;
        TComLink counter;
        counter.LinkRxBuf = [&](TCustomComPort *, const char *, int n) { received += n; };
        port.AttachLink(&counter);

        std::thread writer([&] {
            std::size_t pos = 0;
            while (pos < text.size()) {
                const ssize_t n = ::write(master, text.data() + pos, std::min<std::size_t>(4096, text.size() - pos));
                if (n > 0)
                    pos += std::size_t(n);
                else {
                    pollfd p{master, POLLOUT, 0};
                    ::poll(&p, 1, 100);
                }
            }
        });
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0, worst = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            worst = std::max(worst, now - last);
            last = now;
        });
        tick.start(1);
        while (received < qint64(text.size()) && clock.elapsed() < 120000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        writer.join();
        state.counters["worst_stall_ms"] = double(worst);
        state.counters["MB_s"] = double(received) / 1e6 / (double(clock.elapsed()) / 1000.0);
        port.DetachLink(&counter);
        term.SetComPort(nullptr);
        port.Close();
        ::close(master);
    }
}

} // namespace

BENCHMARK(BM_ModelPlain);
BENCHMARK(BM_ModelEscapeHeavy);
BENCHMARK(BM_ViewStallOverPty)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
