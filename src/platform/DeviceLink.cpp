#include "DeviceLink.h"
#include "NetLink.h"
#include "TtyLink.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

namespace tg::platform {

int64_t monotonicMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

std::unique_ptr<DeviceLink> DeviceLink::forPort(const QString &port)
{
    if (NetLink::isNetworkName(port))
        return std::make_unique<NetLink>();
    return std::make_unique<TtyLink>();
}

DeviceLink::~DeviceLink()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int DeviceLink::close()
{
    if (m_fd < 0)
        return 0;
    // The descriptor is released even when close() reports an error.
    const int rc = ::close(m_fd);
    const int err = rc == 0 ? 0 : errno;
    m_fd = -1;
    return err == EINTR ? 0 : err;
}

size_t DeviceLink::received(char *, size_t n)
{
    return n;
}

ptrdiff_t DeviceLink::write(const char *buf, size_t size, int64_t deadline, int &err)
{
    return writeUntil(buf, size, deadline, err);
}

ptrdiff_t DeviceLink::writeUntil(const char *buf, size_t size, int64_t deadline, int &err) const
{
    err = 0;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = m_socket ? ::send(m_fd, buf + done, size - done, MSG_NOSIGNAL)
                                   : ::write(m_fd, buf + done, size - done);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            // A peer that went away is a device that went away.
            err = (errno == EPIPE || errno == ECONNRESET) ? EIO : errno;
            return -1;
        }
        const int waitMs = deadline < 0 ? -1 : int(std::min<int64_t>(std::max<int64_t>(0, deadline - monotonicMs()), INT_MAX));
        if (waitMs == 0)
            break; // deadline passed: report what went out
        pollfd p{m_fd, POLLOUT, 0};
        const int rc = ::poll(&p, 1, waitMs);
        if (rc > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(p.revents & POLLOUT)) {
            err = EIO;
            return -1;
        }
    }
    return ptrdiff_t(done);
}

} // namespace tg::platform
