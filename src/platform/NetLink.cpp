#include "NetLink.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tg::platform {

namespace {

const QString kTcp = QStringLiteral("tcp://");
const QString kTelnet = QStringLiteral("rfc2217://");

// "host:port" or "[v6 address]:port" into its parts; false when either is missing.
bool splitAddress(const QString &address, std::string &host, std::string &service)
{
    const qsizetype colon = address.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    QString h = address.left(colon);
    const QString p = address.mid(colon + 1);
    if (h.startsWith(QLatin1Char('[')) && h.endsWith(QLatin1Char(']')))
        h = h.mid(1, h.size() - 2);
    bool ok = false;
    const uint port = p.toUInt(&ok);
    const bool digits = std::all_of(p.begin(), p.end(), [](QChar c) { return c.isDigit(); });
    if (h.isEmpty() || !ok || !digits || port == 0 || port > 65535)
        return false;
    host = h.toStdString();
    service = std::to_string(port);
    return true;
}

int waitConnected(int fd, int64_t deadline)
{
    for (;;) {
        const int64_t left = deadline - monotonicMs();
        if (left <= 0)
            return ETIMEDOUT;
        pollfd p{fd, POLLOUT, 0};
        const int rc = ::poll(&p, 1, int(left));
        if (rc < 0 && errno == EINTR)
            continue;
        if (rc < 0)
            return errno;
        if (rc == 0)
            return ETIMEDOUT;
        int err = 0;
        socklen_t len = sizeof err;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
            return errno;
        return err;
    }
}

// Says no more will come, then reads and drops what is left until the server closes too. A
// socket closed with bytes unread resets the connection instead, and a server that has not
// seen the end yet still counts the old client: ser2net turns away a connection that comes
// then with "Port already in use".
void endInOrder(int fd, int64_t deadline)
{
    if (::shutdown(fd, SHUT_WR) != 0)
        return;
    char buf[4096];
    for (;;) {
        const int64_t left = deadline - monotonicMs();
        if (left <= 0)
            return;
        pollfd p{fd, POLLIN, 0};
        const int rc = ::poll(&p, 1, int(left));
        if (rc < 0 && errno == EINTR)
            continue;
        if (rc <= 0)
            return;
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
            return;
    }
}

QString addressOf(const QString &port) { return port.mid(port.indexOf(QLatin1String("://")) + 3); }

QString systemSays(const QString &port, int err)
{
    return port + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(err)) + u'.';
}

} // namespace

NetLink::NetLink() : m_noticeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    m_socket = true;
}

NetLink::~NetLink()
{
    if (m_noticeFd >= 0)
        ::close(m_noticeFd);
}

bool NetLink::isNetworkName(const QString &port)
{
    return port.startsWith(kTcp, Qt::CaseInsensitive) || port.startsWith(kTelnet, Qt::CaseInsensitive);
}

QString NetLink::explainOpenFailure(const QString &port, int err)
{
    const QString address = addressOf(port);
    switch (err) {
    case EINVAL:
        return port + QStringLiteral(" is not a network port name. Give rfc2217://HOST:PORT for a server that "
                                     "sets the line up (ser2net's telnet(rfc2217)), or tcp://HOST:PORT for one "
                                     "that passes the bytes alone.");
    case EHOSTUNREACH:
        return QStringLiteral("The host of %1 cannot be found or reached: check its name and the network.").arg(port);
    case ECONNREFUSED:
        return QStringLiteral("Nothing takes connections at %1: is the server (ser2net or another) running, and is "
                              "this its port?").arg(address);
    case ETIMEDOUT:
        return QStringLiteral("%1 did not answer within %2 seconds: is the host up, and does no firewall stop "
                              "the connection?").arg(address).arg(kConnectMs / 1000);
    default:
        return systemSays(port, err);
    }
}

QString NetLink::explainSettingsFailure(const QString &port, int err)
{
    const QString address = addressOf(port);
    switch (err) {
    case EPROTONOSUPPORT:
        return QStringLiteral("The server at %1 does not let the line be set up: give tcp://%1 if it passes the "
                              "bytes alone, or set it up for rfc2217 (ser2net's telnet(rfc2217)).").arg(address);
    case EINVAL:
        return QStringLiteral("The server at %1 did not take the line settings asked for: does its device support "
                              "this baud rate and data format?").arg(address);
    case ETIMEDOUT:
        return QStringLiteral("The server at %1 did not answer the line settings within %2 seconds: if it passes "
                              "the bytes alone (ser2net's raw mode), give tcp://%1 instead.")
            .arg(address).arg(kAnswerMs / 1000);
    case EIO:
        return QStringLiteral("The server at %1 closed the connection: its log says why (the device may be in use "
                              "or gone).").arg(address);
    default:
        return systemSays(port, err);
    }
}

int NetLink::open(const QString &port)
{
    const bool telnet = port.startsWith(kTelnet, Qt::CaseInsensitive);
    std::string host, service;
    if (!splitAddress(port.mid(telnet ? kTelnet.size() : kTcp.size()), host, service))
        return EINVAL;
    if (int err = connectTo(host, service))
        return err;
    if (!telnet)
        return 0;
    m_telnet = std::make_unique<TelnetComPort>();
    return sendControl(m_telnet->start(), monotonicMs() + kAnswerMs);
}

int NetLink::close()
{
    bool lost = false;
    {
        std::lock_guard lock(m_sessionMutex);
        lost = m_lost;
    }
    if (m_fd >= 0 && !lost)
        endInOrder(m_fd, monotonicMs() + kAnswerMs);
    return DeviceLink::close();
}

int NetLink::connectTo(const std::string &host, const std::string &service)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (rc == EAI_SYSTEM)
        return errno;
    if (rc != 0)
        return EHOSTUNREACH;
    const std::unique_ptr<addrinfo, void (*)(addrinfo *)> list(found, ::freeaddrinfo);
    // One time limit for all of the host's addresses, tried in the resolver's order.
    const int64_t deadline = monotonicMs() + kConnectMs;
    int err = EHOSTUNREACH;
    for (const addrinfo *a = found; a; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            err = errno;
            continue;
        }
        err = ::connect(fd, a->ai_addr, a->ai_addrlen) == 0 ? 0 : errno;
        if (err == EINPROGRESS)
            err = waitConnected(fd, deadline);
        if (err == 0) {
            // Messages are short and a device answers at once: no waiting to fill a segment.
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            m_fd = fd;
            return 0;
        }
        ::close(fd);
        if (err == ETIMEDOUT)
            break;
    }
    return err;
}

size_t NetLink::received(char *buf, size_t n)
{
    if (!m_telnet)
        return n;
    std::string reply;
    TelnetComPort::Received r;
    {
        std::lock_guard lock(m_sessionMutex);
        r = m_telnet->receive(buf, n, reply);
    }
    if (r.progress)
        m_progress.notify_all();
    if (r.lineNews) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t w = ::write(m_noticeFd, &one, sizeof one);
    }
    if (!reply.empty()) {
        {
            std::lock_guard lock(m_outboxMutex);
            m_outbox += reply;
        }
        flushPending();
    }
    return r.data;
}

void NetLink::lost()
{
    {
        std::lock_guard lock(m_sessionMutex);
        m_lost = true;
    }
    m_progress.notify_all();
}

template <typename Pred>
int NetLink::awaitServer(std::unique_lock<std::mutex> &lock, int64_t deadline, Pred pred)
{
    while (!m_lost && !pred()) {
        const int64_t left = deadline - monotonicMs();
        if (left <= 0)
            return ETIMEDOUT;
        m_progress.wait_for(lock, std::chrono::milliseconds(left));
    }
    return m_lost ? EIO : 0;
}

int NetLink::applyLine(const DeviceControlBlock &dcb)
{
    if (!m_telnet)
        return 0;
    using State = TelnetComPort::State;
    const int64_t deadline = monotonicMs() + kAnswerMs;
    std::unique_lock lock(m_sessionMutex);
    if (int err = awaitServer(lock, deadline, [this] { return m_telnet->comPort() != State::Pending; }))
        return err;
    if (m_telnet->comPort() == State::Refused)
        return EPROTONOSUPPORT;
    const std::string requests = m_telnet->lineRequests(dcb);
    lock.unlock();
    if (int err = sendControl(requests, deadline))
        return err;
    lock.lock();
    if (int err = awaitServer(lock, deadline, [this] { return m_telnet->lineAnswer() != State::Pending; }))
        return err;
    return m_telnet->lineAnswer() == State::Agreed ? 0 : EINVAL;
}

int NetLink::purge()
{
    if (!m_telnet)
        return 0;
    std::string request;
    {
        std::lock_guard lock(m_sessionMutex);
        if (m_telnet->comPort() != TelnetComPort::State::Agreed)
            return 0;
        request = m_telnet->purgeRequest();
    }
    return sendControl(request, monotonicMs() + kAnswerMs);
}

int NetLink::modemLines(uint32_t &lines)
{
    lines = 0;
    if (!m_telnet)
        return ENOTTY;
    std::lock_guard lock(m_sessionMutex);
    lines = m_telnet->modemLines();
    return 0;
}

bool NetLink::lineErrors(uint32_t &errors)
{
    errors = 0;
    if (!m_telnet)
        return false;
    std::lock_guard lock(m_sessionMutex);
    errors = m_telnet->takeLineErrors();
    return true;
}

ptrdiff_t NetLink::write(const char *buf, size_t size, int64_t deadline, int &err)
{
    if (!m_telnet)
        return writeUntil(buf, size, deadline, err);
    std::lock_guard send(m_sendMutex);
    if (!flushOutbox(deadline, err))
        return err ? -1 : 0;
    TelnetComPort::Encoded e;
    {
        std::lock_guard lock(m_sessionMutex);
        e = m_telnet->encode(buf, size);
    }
    const ptrdiff_t sent = writeUntil(e.wire.data(), e.wire.size(), deadline, err);
    if (sent < 0)
        return -1;
    size_t rest = 0;
    size_t count = TelnetComPort::dataSent(e, size_t(sent), rest);
    if (rest) {
        // Half an escaped byte cannot stay behind: it goes out first of all that follows.
        std::lock_guard lock(m_outboxMutex);
        m_outbox.insert(0, e.wire, size_t(sent), rest);
        ++count;
    }
    return ptrdiff_t(count);
}

int NetLink::sendControl(const std::string &bytes, int64_t deadline)
{
    {
        std::lock_guard lock(m_outboxMutex);
        m_outbox += bytes;
    }
    std::lock_guard send(m_sendMutex);
    int err = 0;
    flushOutbox(deadline, err);
    return err;
}

bool NetLink::flushOutbox(int64_t deadline, int &err)
{
    err = 0;
    std::string pending;
    {
        std::lock_guard lock(m_outboxMutex);
        pending.swap(m_outbox);
    }
    if (pending.empty())
        return true;
    const ptrdiff_t sent = writeUntil(pending.data(), pending.size(), deadline, err);
    if (sent < 0)
        return false; // the connection is gone; the reader reports it
    if (size_t(sent) == pending.size())
        return true;
    std::lock_guard lock(m_outboxMutex);
    m_outbox.insert(0, pending, size_t(sent));
    return false;
}

bool NetLink::pendingOutput() const
{
    std::lock_guard lock(m_outboxMutex);
    return !m_outbox.empty();
}

void NetLink::flushPending()
{
    // A writer that holds the stream sends the outbox itself before its own bytes, or the
    // reader comes back when the socket takes more.
    std::unique_lock send(m_sendMutex, std::try_to_lock);
    if (!send)
        return;
    int err = 0;
    flushOutbox(monotonicMs(), err);
}

} // namespace tg::platform
