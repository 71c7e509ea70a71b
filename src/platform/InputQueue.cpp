#include "InputQueue.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tg::platform {

namespace {

constexpr size_t kFirstBlock = 64 * 1024;
// A queue emptied after a burst gives its memory back down to this.
constexpr size_t kKeptWhenEmpty = 1024 * 1024;

} // namespace

InputQueue::InputQueue() : m_capacity(kFirstBlock), m_noticeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

InputQueue::~InputQueue()
{
    if (m_noticeFd >= 0)
        ::close(m_noticeFd);
}

void InputQueue::setCapacity(size_t bytes)
{
    std::lock_guard lock(m_mutex);
    m_capacity = std::max<size_t>(bytes, 1);
}

size_t InputQueue::capacity() const
{
    std::lock_guard lock(m_mutex);
    return m_capacity;
}

void InputQueue::grow(size_t needed)
{
    const size_t size = std::min(m_capacity, std::max({needed, m_ring.size() * 2, kFirstBlock}));
    std::vector<char> ring(size);
    const size_t first = std::min(m_count, m_ring.size() - m_head);
    if (m_count) {
        std::memcpy(ring.data(), m_ring.data() + m_head, first);
        std::memcpy(ring.data() + first, m_ring.data(), m_count - first);
    }
    m_ring.swap(ring);
    m_head = 0;
}

size_t InputQueue::push(const char *data, size_t n)
{
    {
        std::lock_guard lock(m_mutex);
        const size_t room = m_capacity > m_count ? m_capacity - m_count : 0;
        const size_t take = std::min(n, room);
        m_dropped += n - take;
        if (take > 0) {
            m_stamps.push_back({m_pushed, std::chrono::duration_cast<std::chrono::nanoseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count()});
            m_pushed += take;
        }
        if (m_count + take > m_ring.size())
            grow(m_count + take);
        size_t tail = (m_head + m_count) % std::max<size_t>(m_ring.size(), 1);
        for (size_t done = 0; done < take;) {
            const size_t piece = std::min(take - done, m_ring.size() - tail);
            std::memcpy(m_ring.data() + tail, data + done, piece);
            done += piece;
            tail = (tail + piece) % m_ring.size();
        }
        m_count += take;
        n = take;
    }
    notify();
    return n;
}

size_t InputQueue::pop(char *buf, size_t n)
{
    std::lock_guard lock(m_mutex);
    const size_t take = std::min(n, m_count);
    if (take > 0) {
        // The push the first byte came with is the last one that began at or before it.
        while (m_stamps.size() > 1 && m_stamps[1].at <= m_popped)
            m_stamps.pop_front();
        m_lastPopTime = m_stamps.front().ns;
        m_popped += take;
    }
    for (size_t done = 0; done < take;) {
        const size_t piece = std::min(take - done, m_ring.size() - m_head);
        std::memcpy(buf + done, m_ring.data() + m_head, piece);
        done += piece;
        m_head = (m_head + piece) % m_ring.size();
    }
    m_count -= take;
    if (m_count == 0) {
        m_head = 0;
        if (m_ring.size() > kKeptWhenEmpty)
            std::vector<char>(kKeptWhenEmpty).swap(m_ring);
    }
    return take;
}

size_t InputQueue::size() const
{
    std::lock_guard lock(m_mutex);
    return m_count;
}

void InputQueue::clear()
{
    std::lock_guard lock(m_mutex);
    m_stamps.clear();
    m_popped = m_pushed;
    m_count = 0;
    m_head = 0;
    if (m_ring.size() > kKeptWhenEmpty)
        std::vector<char>(kKeptWhenEmpty).swap(m_ring);
}

uint64_t InputQueue::dropped() const
{
    std::lock_guard lock(m_mutex);
    return m_dropped;
}

void InputQueue::notify()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_notices;
    }
    m_arrived.notify_all();
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_noticeFd, &one, sizeof one);
}

bool InputQueue::waitForData(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    const uint64_t seen = m_notices;
    auto ready = [&] { return m_count > 0 || m_notices != seen; };
    if (timeoutMs < 0)
        m_arrived.wait(lock, ready);
    else
        m_arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    return m_count > 0;
}

void InputQueue::takeNotice()
{
    uint64_t v;
    [[maybe_unused]] const ssize_t n = ::read(m_noticeFd, &v, sizeof v);
}

} // namespace tg::platform
