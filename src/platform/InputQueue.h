#pragma once
// The input queue of a serial device: the device's reader thread puts in what arrives, the port
// takes it out on the window's thread. A tty buffers only a few KiB in the kernel, so without
// this queue a busy window would stall the device; with it the device is read at its own pace
// and only a queue that is full loses bytes, which are counted.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace tg::platform {

class InputQueue {
public:
    InputQueue();
    ~InputQueue();
    InputQueue(const InputQueue &) = delete;
    InputQueue &operator=(const InputQueue &) = delete;

    // The most bytes the queue holds; memory is taken only as bytes wait.
    void setCapacity(size_t bytes);
    size_t capacity() const;

    // Appends what fits and returns that count; the rest is dropped and counted.
    size_t push(const char *data, size_t n);
    // Takes up to n bytes from the front.
    size_t pop(char *buf, size_t n);
    // When the first byte of the last pop arrived: the steady clock in nanoseconds at the
    // push that brought it (one reading per push, so it costs nothing per byte).
    int64_t lastPopTime() const { return m_lastPopTime; }
    size_t size() const;
    void clear();
    // Bytes dropped at a full queue since the queue was made.
    uint64_t dropped() const;

    // Wakes waiters without data, e.g. when the device is gone.
    void notify();
    // Waits up to timeoutMs (-1: no limit) for bytes or a notice; true when bytes wait.
    bool waitForData(int timeoutMs);
    // Readable after a push or a notice, until takeNotice(); for poll() beside other files.
    int noticeFd() const { return m_noticeFd; }
    void takeNotice();

private:
    void grow(size_t needed);

    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<char> m_ring;
    size_t m_head = 0;
    size_t m_count = 0;
    size_t m_capacity;
    uint64_t m_dropped = 0;
    uint64_t m_notices = 0;
    // Where each waiting push began in the stream of pushed bytes, and when.
    struct Stamp {
        uint64_t at;
        int64_t ns;
    };
    std::deque<Stamp> m_stamps;
    uint64_t m_pushed = 0;
    uint64_t m_popped = 0;
    int64_t m_lastPopTime = 0;
    int m_noticeFd = -1;
};

} // namespace tg::platform
