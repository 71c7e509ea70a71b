#include "ThreadHandover.h"
#include <QMetaObject>
#include <QObject>
#include <algorithm>

ThreadHandover::ThreadHandover(QObject *context) : m_context(context) {}

void ThreadHandover::reset()
{
    std::lock_guard lock(m_mutex);
    m_pending = nullptr;
    m_hasPending = false;
    m_begun = m_ended = m_posted;
    m_finished = false;
}

void ThreadHandover::call(std::function<void()> fn, bool releaseEarly)
{
    uint64_t ticket = 0;
    {
        std::lock_guard lock(m_mutex);
        m_pending = std::move(fn);
        m_hasPending = true;
        ticket = ++m_posted;
    }
    m_cv.notify_all();
    // The posted event dies with the context object; a call that is still waiting then is
    // run by serveUntilFinished() from the context's destructor path.
    QMetaObject::invokeMethod(m_context, [this] { serve(); }, Qt::QueuedConnection);
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [&] { return (releaseEarly ? m_begun : m_ended) >= ticket; });
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
    uint64_t ticket = 0;
    {
        std::lock_guard lock(m_mutex);
        if (!m_hasPending)
            return;
        fn = std::move(m_pending);
        m_pending = nullptr;
        m_hasPending = false;
        ticket = m_posted;
        m_begun = ticket;
    }
    m_cv.notify_all();
    struct End {
        ThreadHandover *h;
        uint64_t ticket;
        ~End()
        {
            {
                std::lock_guard lock(h->m_mutex);
                // A later call may have run nested inside this one and ended first.
                h->m_ended = std::max(h->m_ended, ticket);
            }
            h->m_cv.notify_all();
        }
    } end{this, ticket};
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
