// The real program as a user runs it, measured from outside through /proc: processor use and
// wake-ups while it sits idle with the port closed and with the port open and quiet, resident
// memory after start, and processor use and peak resident memory while a device floods it.
#include "../../tests/e2e/ProgramRun.h"
#include "../PtyFlood.h"
#include "PanelStream.h"

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
        if (flood)
            device.start(panelStream(1 << 16));
        const Sample a = sample(pid);
        std::this_thread::sleep_for(kSpan);
        const Sample b = sample(pid);
        const QByteArray end = status(pid);
        device.stop = true;
        const double seconds = std::chrono::duration<double>(b.at - a.at).count();
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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
