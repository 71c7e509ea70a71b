#pragma once
// Synchronous hand-over from a worker thread to the GUI thread: the worker posts a call and
// waits until the GUI thread has run it (or, on request, only until the GUI thread has begun
// it). Every call runs exactly once, in the order posted. The GUI thread can also run a
// waiting call itself while it waits for the worker to end, so the two never block each other.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

class QObject;

class ThreadHandover {
public:
    // Calls are run on the thread of context; the handover must not outlive it.
    explicit ThreadHandover(QObject *context);

    // Worker side. Runs fn on the GUI thread and returns when it has run; with releaseEarly
    // it returns as soon as the GUI thread has begun it.
    void call(std::function<void()> fn, bool releaseEarly = false);
    // Worker side: the worker makes no more calls.
    void markFinished();

    // GUI side. Runs the call that is waiting, if there is one.
    void serve();
    // GUI side: waits until the worker has finished, running its calls meanwhile.
    void serveUntilFinished();
    // GUI side, before a worker starts.
    void reset();

private:
    QObject *m_context;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    // One worker waits for each call before it posts the next, so one slot is enough; the
    // tickets tell which call has begun and which has ended, also when calls nest.
    std::function<void()> m_pending;
    bool m_hasPending = false;
    uint64_t m_posted = 0;
    uint64_t m_begun = 0;
    uint64_t m_ended = 0;
    bool m_finished = true;
};
