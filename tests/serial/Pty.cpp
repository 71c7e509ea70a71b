#include "Pty.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;
extern "C" int posix_openpt(int flags);
extern "C" int grantpt(int fd);
extern "C" int unlockpt(int fd);
extern "C" int ptsname_r(int fd, char *buf, size_t buflen);

Pty::Pty()
{
    master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128] = {};
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0)
        throw std::runtime_error("no pseudo-terminal");
    slave = QString::fromLocal8Bit(name);
}

Pty::~Pty()
{
    closeMaster();
}

void Pty::closeMaster()
{
    if (master >= 0)
        ::close(master);
    master = -1;
}

void Pty::write(QByteArrayView data) const
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(master, data.data() + done, size_t(data.size() - done));
        if (n > 0) {
            done += n;
        } else {
            // The port reads on this (GUI) thread: let it drain the other side.
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            pollfd p{master, POLLOUT, 0};
            ::poll(&p, 1, 1);
        }
    }
}

QByteArray Pty::read(qsizetype n, int timeoutMs) const
{
    QByteArray out;
    QDeadlineTimer deadline(timeoutMs);
    while (out.size() < n && !deadline.hasExpired()) {
        char buf[4096];
        const ssize_t got = ::read(master, buf, sizeof buf);
        if (got > 0) {
            out.append(buf, got);
            continue;
        }
        pollfd p{master, POLLIN, 0};
        ::poll(&p, 1, 20);
        QCoreApplication::processEvents();
    }
    return out;
}

Pty::Line Pty::line() const
{
    termios2 t{};
    if (ioctl(master, TCGETS2, &t) != 0)
        throw std::runtime_error("TCGETS2 failed");
    return {t.c_ospeed, t.c_cflag, t.c_iflag};
}

bool waitFor(const std::function<bool()> &cond, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!cond() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return cond();
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::NoDotAndDotDot | QDir::Dirs).size());
}
