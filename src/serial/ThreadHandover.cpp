#include "ThreadHandover.h"
#include <QMetaObject>
#include <QObject>

ThreadHandover::ThreadHandover(QObject *context) : m_context(context) {}

void ThreadHandover::reset()
{
    std::lock_guard lock(m_mutex);
    m_hasPending = false;
    m_done = true;
    m_finished = false;
}

void ThreadHandover::call(std::function<void()> fn, bool releaseEarly)
{
    {
        std::lock_guard lock(m_mutex);
        m_pending = std::move(fn);
        m_releaseEarly = releaseEarly;
        m_hasPending = true;
        m_done = false;
    }
    m_cv.notify_all();
    // The posted event dies with the context object; a call that is still waiting then is
    // run by serveUntilFinished() from the context's destructor path.
    QMetaObject::invokeMethod(m_context, [this] { serve(); }, Qt::QueuedConnection);
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [this] { return m_done; });
}

void ThreadHandover::markFinished()
{
    std::lock_guard lock(m_mutex);
    m_finished = true;
    m_cv.notify_all();
}

void ThreadHandover::serve()
{
    std::function<void()> fn;
    {
        std::lock_guard lock(m_mutex);
        if (!m_hasPending)
            return;
        fn = std::move(m_pending);
        m_pending = nullptr;
        m_hasPending = false;
        if (m_releaseEarly) {
            m_done = true;
            m_cv.notify_all();
        }
    }
    struct Release {
        ThreadHandover *h;
        ~Release()
        {
            std::lock_guard lock(h->m_mutex);
            h->m_done = true;
            h->m_cv.notify_all();
        }
    } release{this};
    fn();
}

void ThreadHandover::serveUntilFinished()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_hasPending) {
            lock.unlock();
            serve();
            lock.lock();
            continue;
        }
        if (m_finished)
            return;
        m_cv.wait(lock, [this] { return m_hasPending || m_finished; });
    }
}
