// The real window and the device simulator unplugged and plugged in again a hundred times: the
// time from the plug (the simulator told to plug in) to the port open again in the window, with
// the device quiet and under a flood.
#include "../../tests/serial/RuntimeFolder.h"
#include "ComPort.h"
#include "MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <functional>
#include <vector>

namespace {

constexpr int kCycles = 100;
constexpr int kAwayMs = 400; // a hand at the cable is away at least that long

// Runs the event loop until done; false when it takes longer than ten seconds.
bool runUntil(const std::function<bool()> &done)
{
    QElapsedTimer clock;
    clock.start();
    bool late = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [&late] { late = true; });
    deadline.start(10000);
    while (!done() && !late)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return !late;
}

// arg: the simulator's message rate, 0 for as fast as the line takes them.
void BM_BackAfterReplug(benchmark::State &state)
{
    ScopedRuntimeFolder runtime; // the simulator's announcement, private to the run
    QProcess sim;
    // Its "unplugged" and "plugged in" lines would only drown the figures.
    sim.setStandardErrorFile(QProcess::nullDevice());
    sim.start(QStringLiteral(TG_SIM_PATH), {QStringLiteral("--control"), QStringLiteral("--quiet"),
                                            QStringLiteral("--rate"), QString::number(state.range(0))});
    if (!sim.waitForStarted() || !sim.waitForReadyRead(10000)) {
        state.SkipWithError("the simulator did not start");
        return;
    }
    const QString link = QString::fromLocal8Bit(sim.readLine().trimmed());

    TFormMain w;
    w.showWarning = [](const QString &) {};
    w.ComPort1->SetPort(link);
    w.show();
    w.ButtonConnectComPort1Click();
    if (!w.ComPort1->Connected()) {
        state.SkipWithError("the simulator's port cannot be opened");
        return;
    }
    // The moment of the open, taken where the window opens the device it waited for.
    QElapsedTimer clock;
    clock.start();
    qint64 plugAt = 0;
    std::vector<double> backMs;
    const auto reopen = w.Reconnect1.OnBack;
    w.Reconnect1.OnBack = [&](const QString &name) {
        const bool open = reopen(name);
        if (open)
            backMs.push_back(double(clock.nsecsElapsed() - plugAt) / 1e6);
        return open;
    };

    for (auto _ : state) {
        for (int cycle = 0; cycle < kCycles; ++cycle) {
            sim.write("unplug\n");
            if (!runUntil([&] { return w.Reconnect1.Waiting(); })) {
                state.SkipWithError("the unplug was not seen");
                return;
            }
            bool away = false;
            QTimer::singleShot(kAwayMs, [&away] { away = true; });
            runUntil([&] { return away; });
            sim.write("plug\n");
            sim.waitForBytesWritten();
            plugAt = clock.nsecsElapsed();
            if (!runUntil([&] { return w.ComPort1->Connected(); })) {
                state.SkipWithError("the device was not opened again");
                return;
            }
        }
    }
    std::sort(backMs.begin(), backMs.end());
    state.counters["cycles"] = double(backMs.size());
    state.counters["p50_ms"] = backMs[backMs.size() / 2];
    state.counters["p99_ms"] = backMs[backMs.size() * 99 / 100];
    state.counters["max_ms"] = backMs.back();
    // That the device was read between the unplugs.
    state.counters["packets"] =
        double(QJsonDocument::fromJson(w.StatusLine()).object().value(QStringLiteral("packets")).toInteger());
    sim.terminate();
    sim.waitForFinished();
}
BENCHMARK(BM_BackAfterReplug)->ArgName("rate")->Arg(100)->Arg(0)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace
