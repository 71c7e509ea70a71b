// The real program as a user runs it, measured from outside through /proc: processor use and
// wake-ups while it sits idle with the port closed and with the port open and quiet, resident
// memory after start, and processor use and peak resident memory while a device floods it.
// Under the flood it also counts the messages the program handled and the bytes it dropped
// (its --status answer), and times that answer every 20 ms: the answer comes from the window's
// thread, so its round trip is how long the program keeps a user waiting.
#include "../../tests/e2e/ProgramRun.h"
#include "../PtyFlood.h"
#include "PanelStream.h"
#include "InstanceLock.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <optional>
#include <vector>

#include <QCoreApplication>
#include <QDirIterator>
#include <chrono>
#include <thread>

namespace {

constexpr auto kSettle = std::chrono::seconds(1);
constexpr auto kSpan = std::chrono::seconds(10);

QByteArray readProc(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A "Key:  value kB" line of a status file.
double statusField(const QByteArray &status, const char *key)
{
    for (const QByteArray &line : status.split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).simplified().split(' ').value(0).toDouble();
    return 0.0;
}

struct Sample {
    double cpuSeconds = 0; // user + system of every thread
    double wakeups = 0;    // voluntary context switches of every thread
    std::chrono::steady_clock::time_point at = std::chrono::steady_clock::now();
};

Sample sample(qint64 pid)
{
    Sample s;
    const QByteArray stat = readProc(QStringLiteral("/proc/%1/stat").arg(pid));
    // Fields after the command name, which may itself hold blanks: state is field 3, utime 14.
    const QList<QByteArray> f = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (f.size() > 12)
        s.cpuSeconds = (f[11].toDouble() + f[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
    QDirIterator tasks(QStringLiteral("/proc/%1/task").arg(pid), QDir::Dirs | QDir::NoDotAndDotDot);
    while (tasks.hasNext())
        s.wakeups += statusField(readProc(tasks.next() + QStringLiteral("/status")), "voluntary_ctxt_switches:");
    return s;
}

QByteArray status(qint64 pid)
{
    return readProc(QStringLiteral("/proc/%1/status").arg(pid));
}

// Runs the program on a copy of the demo settings (every instrument switched on), connected to
// a pty when asked, flooded through it when asked.
// The program's own counters, from its answer to a status request.
struct LinkStatus {
    double packets = 0, dropped = 0;
    bool answered = false;
};

LinkStatus askStatus(const InstanceLock &lock)
{
    const QJsonObject o = QJsonDocument::fromJson(lock.statusOfFirst()).object();
    return {o.value(QStringLiteral("packets")).toDouble(), o.value(QStringLiteral("dropped")).toDouble(), !o.isEmpty()};
}

// Times status answers every 20 ms on a thread of its own until stopped.
struct StatusProbe {
    const InstanceLock &lock;
    std::atomic<bool> stop{false};
    std::vector<double> ms;
    int lost = 0;
    std::thread thread{[this] {
        while (!stop) {
            const auto t0 = std::chrono::steady_clock::now();
            const bool answered = askStatus(lock).answered;
            const auto t1 = std::chrono::steady_clock::now();
            if (answered)
                ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
            else
                ++lost;
            std::this_thread::sleep_until(t0 + std::chrono::milliseconds(20));
        }
    }};
    explicit StatusProbe(const InstanceLock &l) : lock(l) {}
    void report(benchmark::State &state)
    {
        stop = true;
        thread.join();
        std::sort(ms.begin(), ms.end());
        if (ms.empty())
            return;
        state.counters["answer_p50_ms"] = ms[ms.size() / 2];
        state.counters["answer_p99_ms"] = ms[ms.size() * 99 / 100];
        state.counters["answer_max_ms"] = ms.back();
        state.counters["answers_lost"] = lost;
    }
};

void measure(benchmark::State &state, bool connect, bool flood)
{
    for (auto _ : state) {
        QTemporaryDir dir;
        const QString settings = dir.filePath(QStringLiteral("Tavelgrid.ini"));
        QFile::copy(QStringLiteral(TG_DEMO_SETTINGS), settings);
        FloodingDevice device;
        QStringList args{QStringLiteral("--settings"), settings};
        if (connect)
            args << QStringLiteral("--port") << QString::fromLocal8Bit(device.slave) << QStringLiteral("--connect");
        ProgramRun run(args);
        if (!run.started() ||
            (connect && !QTest::qWaitFor([&] { return run.holdsOpen(QString::fromLocal8Bit(device.slave)); }, 30000))) {
            state.SkipWithError("the program did not start or connect");
            return;
        }
        const qint64 pid = run.p.processId();
        std::this_thread::sleep_for(kSettle);
        state.counters["rss_start_MB"] = statusField(status(pid), "VmRSS:") / 1024.0;
        const InstanceLock lock(QStringLiteral("TAVELGRID"), run.runtime.path());
        if (flood)
            device.start(panelStream(1 << 16));
        std::optional<StatusProbe> probe;
        if (flood)
            probe.emplace(lock);
        const LinkStatus before = askStatus(lock);
        const Sample a = sample(pid);
        std::this_thread::sleep_for(kSpan);
        const Sample b = sample(pid);
        const LinkStatus after = askStatus(lock);
        const QByteArray end = status(pid);
        device.stop = true;
        const double seconds = std::chrono::duration<double>(b.at - a.at).count();
        if (probe) {
            probe->report(state);
            state.counters["handled_msg/s"] = (after.packets - before.packets) / seconds;
            state.counters["dropped_MB/s"] = (after.dropped - before.dropped) / seconds / 1e6;
        }
        state.counters["cpu_%"] = 100.0 * (b.cpuSeconds - a.cpuSeconds) / seconds;
        state.counters["wakeups/s"] = (b.wakeups - a.wakeups) / seconds;
        state.counters["rss_MB"] = statusField(end, "VmRSS:") / 1024.0;
        state.counters["peak_rss_MB"] = statusField(end, "VmHWM:") / 1024.0;
        state.counters["threads"] = statusField(end, "Threads:");
        if (!run.endsNormallyOn(SIGTERM))
            state.SkipWithError("the program did not end normally");
    }
}

void BM_IdlePortClosed(benchmark::State &state) { measure(state, false, false); }
void BM_IdlePortOpenQuiet(benchmark::State &state) { measure(state, true, false); }
void BM_Flood(benchmark::State &state) { measure(state, true, true); }

BENCHMARK(BM_IdlePortClosed)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_IdlePortOpenQuiet)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_Flood)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

// The limit of this machine in the same run: nothing but read() on the same kind of pty.
void BM_PlainReadOverPty(benchmark::State &state)
{
    plainReadOverPty(state, panelStream(1 << 16), 200000);
}
BENCHMARK(BM_PlainReadOverPty)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
