#pragma once
// What a user would notice while a device floods a window: paints, frame times and the longest
// stall of the event loop.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <ctime>

// The GUI thread's own processor time: on a shared machine a wall-clock gap may just be the
// thread waiting for a processor, which is no stall of the program.
inline qint64 threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// What a user would notice while the flood runs: how often the watched widget is painted, how
// long the window takes to paint a frame, and the longest gap between the beats of a 4 ms timer
// beyond its interval (the event loop's stall), in wall-clock time and in the GUI thread's
// processor time.
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
