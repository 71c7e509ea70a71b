#include "SerialDevice.h"
#include "DeviceLink.h"

#include <algorithm>
#include <asm/ioctls.h>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;

namespace tg::platform {

namespace {

constexpr int kModemPollMs = 50; // modem lines and error counters have no wake-up we can stop
constexpr int kTxPollMs = 10;

int64_t nowMs() { return monotonicMs(); }

bool noModemLines(int err) { return err == ENOTTY || err == EINVAL; }

} // namespace

SerialDevice::SerialDevice() = default;

SerialDevice::~SerialDevice()
{
    close();
    finishWait();
}

bool SerialDevice::isDeviceGone(int err)
{
    return err == EIO || err == ENXIO || err == ENODEV;
}

QString SerialDevice::devicePath(const QString &port)
{
    return port.contains(QLatin1Char('/')) ? port : QStringLiteral("/dev/") + port;
}

int SerialDevice::open(const QString &port)
{
    if (m_fd >= 0)
        return EBUSY;
    std::unique_ptr<DeviceLink> link = DeviceLink::forPort(port);
    if (int err = link->open(port))
        return err;
    m_link = std::move(link);
    m_fd = m_link->fd();
    m_input.clear();
    m_lostError = 0;
    m_overflowed = false;
    m_modemSupported = true;
    m_lastModem = 0;
    m_pendingErrors = 0;
    m_unreadRx = 0;
    m_rxReported = false;
    m_readSinceReport = false;
    m_txPending = false;
    m_rxFlagSeen = false;
    uint32_t lines = 0;
    modemStatus(lines);
    m_lastModem = lines;
    uint32_t before = 0; // errors from before the open are not ours
    m_errorsSupported = m_link->lineErrors(before);
    startReader();
    return 0;
}

int SerialDevice::close()
{
    if (m_fd < 0)
        return 0;
    stopReader();
    m_input.clear();
    const int err = m_link->close();
    m_link.reset();
    m_fd = -1;
    return err;
}

int SerialDevice::setQueueSizes(int32_t input, int32_t)
{
    // The kernel's queues are fixed; ours holds the input size, and the 80 % mark follows it.
    m_inputSize = input;
    m_input.setCapacity(std::max(size_t(std::max(input, 0)), kMinInputQueue));
    return 0;
}

void SerialDevice::startReader()
{
    m_readerStopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_reader = std::thread([this] { readLoop(); });
}

void SerialDevice::stopReader()
{
    if (m_reader.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_readerStopFd, &one, sizeof one);
        m_reader.join();
    }
    if (m_readerStopFd >= 0)
        ::close(m_readerStopFd);
    m_readerStopFd = -1;
}

void SerialDevice::readLoop()
{
    pthread_setname_np(pthread_self(), "serial-reader"); // as tools that list threads show it
    static constexpr size_t kBlock = 64 * 1024;
    // While the queue is full the reader takes a small piece a millisecond, more than any
    // serial line sends, and drops it: a device faster than that (a flooding pseudo-terminal)
    // then waits in its own writes instead of taking the processor the window needs.
    static constexpr size_t kFullPiece = 4096;
    static constexpr int kFullPauseMs = 1;
    const std::unique_ptr<char[]> block(new char[kBlock]);
    bool full = false;
    for (;;) {
        const short out = m_link->pendingOutput() ? POLLOUT : 0;
        pollfd fds[2] = {{m_fd, short(POLLIN | out), 0}, {m_readerStopFd, POLLIN, 0}};
        if (full && ::poll(&fds[1], 1, kFullPauseMs) > 0)
            return;
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            m_lostError = errno;
            break;
        }
        if (fds[1].revents)
            return;
        if (fds[0].revents & POLLOUT)
            m_link->flushPending();
        const bool hungUp = fds[0].revents & (POLLHUP | POLLERR | POLLNVAL);
        const ssize_t n = ::read(m_fd, block.get(), full ? kFullPiece : kBlock);
        if (n > 0) {
            const size_t data = m_link->received(block.get(), size_t(n));
            full = data > 0 && m_input.push(block.get(), data) < data;
            if (full)
                m_overflowed = true;
            continue;
        }
        // A tty reads nothing when nothing is there; a socket reads nothing once its peer closed.
        const bool nothingNow = n == 0 ? !m_link->isSocket() : (errno == EAGAIN || errno == EINTR);
        if (nothingNow && !hungUp)
            continue;
        // Gone: everything it sent before is in the queue. A connection that ended or failed
        // is a device that hung up, like a pty whose other side closed.
        m_lostError = n < 0 && !nothingNow && !m_link->isSocket() ? errno : EIO;
        break;
    }
    m_link->lost();
    m_input.notify();
}

bool SerialDevice::gone(int &err) const
{
    err = m_lostError;
    return err != 0;
}

bool SerialDevice::validLine(const DeviceControlBlock &dcb)
{
    // A rate of 0 would hang up the line; a negative rate wrapped around.
    return dcb.BaudRate != 0 && dcb.BaudRate <= uint32_t(INT_MAX) && dcb.ByteSize >= 5 && dcb.ByteSize <= 8 &&
           dcb.Parity <= 4 && dcb.StopBits <= 2;
}

int SerialDevice::applyLine(const DeviceControlBlock &dcb)
{
    if (m_fd < 0)
        return EBADF;
    if (!validLine(dcb))
        return EINVAL;
    if (int err = m_link->applyLine(dcb))
        return err;
    m_evtChar = dcb.EvtChar;
    m_discardNull = (dcb.Flags & dcbNull) != 0;
    return 0;
}

int SerialDevice::setTimeouts(const CommTimeouts &t)
{
    m_readInterval = t.ReadIntervalTimeout;
    m_readMultiplier = t.ReadTotalTimeoutMultiplier;
    m_readConstant = t.ReadTotalTimeoutConstant;
    m_writeMultiplier = t.WriteTotalTimeoutMultiplier;
    m_writeConstant = t.WriteTotalTimeoutConstant;
    return 0;
}

CommTimeouts SerialDevice::timeouts() const
{
    return {m_readInterval, m_readMultiplier, m_readConstant, m_writeMultiplier, m_writeConstant};
}

int SerialDevice::purge()
{
    if (m_fd < 0)
        return EBADF;
    m_input.clear();
    return m_link->purge();
}

int SerialDevice::pendingInput(int32_t &count) const
{
    if (m_fd < 0)
        return EBADF;
    count = int32_t(std::min<size_t>(m_input.size(), INT32_MAX));
    return 0;
}

int SerialDevice::modemStatus(uint32_t &lines) const
{
    lines = 0;
    if (m_fd < 0)
        return EBADF;
    if (int err = m_link->modemLines(lines)) {
        lines = 0;
        if (noModemLines(err)) {
            m_modemSupported = false;
            return 0; // no modem lines: all of them off
        }
        return err;
    }
    return 0;
}

int SerialDevice::clearErrors(uint32_t &errors)
{
    if (m_fd < 0)
        return EBADF;
    errors = m_pendingErrors.exchange(0);
    return 0;
}

ptrdiff_t SerialDevice::read(char *buf, size_t size, int &err, bool wait)
{
    err = 0;
    if (m_fd < 0) {
        err = EBADF;
        return -1;
    }
    // The read timeouts: an infinite interval without totals returns at once with what is
    // queued; an infinite interval and multiplier with a constant c returns as soon as
    // anything is there, waiting up to c ms for it; otherwise the read waits for all bytes,
    // at most multiplier x size + constant ms in all and interval ms between two bytes
    // (0 meaning no limit).
    constexpr uint32_t kInfinite = 0xFFFFFFFFu;
    const CommTimeouts t = timeouts();
    const bool immediate = !wait || (t.ReadIntervalTimeout == kInfinite && t.ReadTotalTimeoutMultiplier == 0 &&
                                     t.ReadTotalTimeoutConstant == 0);
    const bool firstBytes = t.ReadIntervalTimeout == kInfinite && t.ReadTotalTimeoutMultiplier == kInfinite &&
                            t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != kInfinite;
    const uint64_t total = firstBytes ? t.ReadTotalTimeoutConstant
                                      : uint64_t(t.ReadTotalTimeoutMultiplier) * size + t.ReadTotalTimeoutConstant;
    const int64_t start = nowMs();
    const int64_t deadline = total ? start + int64_t(std::min<uint64_t>(total, INT_MAX)) : -1;
    const uint32_t interval = (firstBytes || t.ReadIntervalTimeout == kInfinite) ? 0 : t.ReadIntervalTimeout;
    int64_t lastByte = start;
    size_t got = 0;
    while (got < size) {
        const size_t n = m_input.pop(buf + got, size - got);
        if (n > 0) {
            if (got == 0)
                m_lastReadTime = m_input.lastPopTime();
            got += n;
            lastByte = nowMs();
            continue;
        }
        // Nothing queued: wait, unless the device is gone and nothing more will come.
        if (int lost = 0; gone(lost) && m_input.size() == 0) {
            if (got)
                break; // the failure shows again on the next read
            err = lost;
            return -1;
        }
        int waitMs = -1;
        if (immediate || (firstBytes && got > 0)) {
            waitMs = 0;
        } else {
            const int64_t now = nowMs();
            if (deadline >= 0)
                waitMs = int(std::max<int64_t>(0, deadline - now));
            if (got > 0 && interval > 0) {
                const int left = int(std::max<int64_t>(0, lastByte + int64_t(interval) - now));
                waitMs = waitMs < 0 ? left : std::min(waitMs, left);
            }
        }
        if (waitMs == 0)
            break; // the time is up
        const int64_t before = nowMs();
        if (!m_input.waitForData(waitMs) && waitMs > 0 && nowMs() - before >= waitMs)
            break;
    }
    m_readSinceReport = true;
    const char evtChar = m_evtChar;
    if (std::memchr(buf, evtChar, got))
        m_rxFlagSeen = true;
    if (m_discardNull) {
        char *end = std::remove(buf, buf + got, '\0');
        got = size_t(end - buf);
    }
    return ptrdiff_t(got);
}

ptrdiff_t SerialDevice::write(const char *buf, size_t size, int &err)
{
    err = 0;
    if (m_fd < 0) {
        err = EBADF;
        return -1;
    }
    const uint64_t total = uint64_t(m_writeMultiplier.load()) * size + m_writeConstant.load();
    const int64_t deadline = total ? nowMs() + int64_t(std::min<uint64_t>(total, INT_MAX)) : -1;
    const ptrdiff_t done = m_link->write(buf, size, deadline, err);
    if (done > 0) {
        m_txPending = true;
        wake();
    }
    return done;
}

int SerialDevice::prepareWait()
{
    finishWait();
    m_stopRequested = false;
    m_stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return m_stopFd >= 0 ? 0 : errno;
}

void SerialDevice::finishWait()
{
    if (m_stopFd >= 0)
        ::close(m_stopFd);
    m_stopFd = -1;
}

void SerialDevice::wake()
{
    if (m_stopFd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_stopFd, &one, sizeof one);
    }
}

void SerialDevice::stop()
{
    m_stopRequested = true;
    wake();
}

SerialDevice::WaitResult SerialDevice::waitEvent(uint32_t mask, uint32_t &occurred, int &err)
{
    occurred = 0;
    err = 0;
    const bool wantModem = (mask & (evtCts | evtDsr | evtRlsd | evtRing)) && m_modemSupported;
    const bool wantErrors = (mask & (evtErr | evtBreak)) && m_errorsSupported;
    // A device that reports its lines itself wakes the wait; others are looked at in turns.
    const int noticeFd = m_link->noticeFd();
    // Data reported but not read stay queued; they are not news until more arrive.
    bool stalled = m_rxReported && !m_readSinceReport;
    for (;;) {
        if (m_stopRequested)
            return WaitResult::Stopped;
        int32_t queued = 0;
        if (int e = pendingInput(queued)) {
            err = e;
            return WaitResult::Lost;
        }
        if (stalled && (queued == 0 || m_readSinceReport))
            stalled = false;
        // The device is gone once what it sent before has been taken, or nobody takes it.
        if (int lost = 0; gone(lost) && (queued == 0 || stalled)) {
            err = lost;
            return WaitResult::Lost;
        }
        const bool watchRx = (mask & (evtRxChar | evtRx80Full)) && !stalled;
        int timeout = -1;
        if (((wantModem || wantErrors) && noticeFd < 0) || stalled)
            timeout = kModemPollMs;
        if (m_txPending && (mask & evtTxEmpty))
            timeout = timeout < 0 ? kTxPollMs : std::min(timeout, kTxPollMs);
        // Bytes left by a read that took only part of the queue are news at once; the notice
        // only marks arrivals.
        if (watchRx && queued > 0)
            timeout = 0;

        pollfd fds[3] = {{m_input.noticeFd(), short(watchRx ? POLLIN : 0), 0},
                         {m_stopFd, POLLIN, 0},
                         {noticeFd, POLLIN, 0}};
        const int rc = ::poll(fds, 3, timeout);
        if (rc < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return WaitResult::Lost;
        }
        if (fds[1].revents & POLLIN) {
            uint64_t v;
            [[maybe_unused]] const ssize_t n = ::read(m_stopFd, &v, sizeof v);
            if (m_stopRequested)
                return WaitResult::Stopped;
        }
        if (fds[0].revents & POLLIN)
            m_input.takeNotice();
        if (fds[2].revents & POLLIN) {
            uint64_t v;
            [[maybe_unused]] const ssize_t n = ::read(noticeFd, &v, sizeof v);
        }
        queued = 0;
        if (int e = pendingInput(queued)) {
            err = e;
            return WaitResult::Lost;
        }
        if (int lost = 0; gone(lost) && queued == 0) {
            err = lost;
            return WaitResult::Lost;
        }
        // A full queue dropped bytes: the line error of an input overflow.
        if (m_overflowed.exchange(false)) {
            m_pendingErrors |= errRxOver;
            occurred |= mask & evtErr;
        }
        const bool fresh = queued > 0 && (!stalled || queued > m_unreadRx);
        if ((mask & evtRxChar) && fresh) {
            occurred |= evtRxChar;
            m_rxReported = true;
            m_readSinceReport = false;
            m_unreadRx = queued;
        }
        if ((mask & evtRx80Full) && fresh && int64_t(queued) * 5 >= int64_t(m_inputSize) * 4)
            occurred |= evtRx80Full;
        if (m_txPending && (mask & evtTxEmpty)) {
            int outq = 0;
            if (ioctl(m_fd, TIOCOUTQ, &outq) != 0 || outq == 0) {
                m_txPending = false;
                occurred |= evtTxEmpty;
            }
        }
        if (wantModem) {
            uint32_t lines = 0;
            if (modemStatus(lines) == 0) {
                const uint32_t changed = lines ^ m_lastModem;
                if (changed & msCts) occurred |= mask & evtCts;
                if (changed & msDsr) occurred |= mask & evtDsr;
                if (changed & msRlsd) occurred |= mask & evtRlsd;
                if ((changed & msRing) && !(lines & msRing)) occurred |= mask & evtRing;
                m_lastModem = lines;
            }
        }
        if (wantErrors) {
            uint32_t errors = 0;
            if (m_link->lineErrors(errors) && errors) {
                m_pendingErrors |= errors;
                if (errors & errBreak)
                    occurred |= mask & evtBreak;
                occurred |= mask & evtErr;
            }
        }
        if (occurred)
            return WaitResult::Events;
    }
}

} // namespace tg::platform
