#include "ComServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <initializer_list>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr char IAC = char(255), SB = char(250), SE = char(240), WILL = char(251), DO = char(253), DONT = char(254);

QByteArray bytesOf(std::initializer_list<char> b)
{
    return QByteArray(b.begin(), qsizetype(b.size()));
}

void writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += n;
    }
}

} // namespace

int listenOnLoopback(int &port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(fd, 1) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len) != 0)
        throw std::runtime_error("no loopback socket");
    port = ntohs(a.sin_port);
    return fd;
}

int unusedPort()
{
    int port = 0;
    ::close(listenOnLoopback(port));
    return port;
}

ComServer::ComServer(Mode mode) : m_mode(mode)
{
    m_listen = listenOnLoopback(m_port);
    m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_thread = std::thread([this] { run(); });
}

ComServer::~ComServer()
{
    m_stop = true;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wake, &one, sizeof one);
    m_thread.join();
    if (m_client >= 0)
        ::close(m_client);
    ::close(m_listen);
    ::close(m_wake);
}

QString ComServer::name() const
{
    return QStringLiteral("%1://127.0.0.1:%2").arg(m_mode == Mode::Raw ? "tcp" : "rfc2217").arg(m_port);
}

void ComServer::send(const QByteArray &wire)
{
    {
        std::lock_guard lock(m_mutex);
        m_outgoing += wire;
    }
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wake, &one, sizeof one);
}

void ComServer::hangUp(bool reset)
{
    m_reset = reset;
    m_hangUp = true;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wake, &one, sizeof one);
}

QByteArray ComServer::data() const
{
    std::lock_guard lock(m_mutex);
    return m_data;
}

std::vector<ComServer::Command> ComServer::commands() const
{
    std::lock_guard lock(m_mutex);
    return m_commands;
}

QByteArray ComServer::optionsSeen() const
{
    std::lock_guard lock(m_mutex);
    return m_options;
}

QByteArray ComServer::wire() const
{
    std::lock_guard lock(m_mutex);
    return m_wire;
}

void ComServer::run()
{
    while (!m_stop) {
        if (m_client >= 0) {
            QByteArray out;
            {
                std::lock_guard lock(m_mutex);
                out.swap(m_outgoing);
            }
            writeAll(m_client, out);
            if (m_hangUp.exchange(false)) {
                if (m_reset) {
                    const linger abort{1, 0};
                    ::setsockopt(m_client, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
                }
                ::close(m_client);
                m_client = -1;
                m_connected = false;
            }
        }
        pollfd fds[2] = {{m_client >= 0 ? m_client : m_listen, POLLIN, 0}, {m_wake, POLLIN, 0}};
        ::poll(fds, 2, -1);
        if (fds[1].revents) {
            uint64_t v;
            [[maybe_unused]] const ssize_t n = ::read(m_wake, &v, sizeof v);
        }
        if (m_client < 0) {
            if (fds[0].revents & POLLIN) {
                m_client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
                m_connected = m_client >= 0;
            }
            continue;
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            char buf[4096];
            const ssize_t n = ::read(m_client, buf, sizeof buf);
            if (n > 0) {
                take(buf, size_t(n));
            } else {
                ::close(m_client);
                m_client = -1;
                m_connected = false;
            }
        }
    }
}

void ComServer::reply(const QByteArray &bytes)
{
    writeAll(m_client, bytes);
}

void ComServer::take(const char *bytes, size_t n)
{
    std::lock_guard lock(m_mutex);
    m_wire.append(bytes, qsizetype(n));
    if (m_mode == Mode::Raw) {
        m_data.append(bytes, qsizetype(n));
        return;
    }
    m_pending.append(bytes, qsizetype(n));
    qsizetype i = 0;
    const QByteArray &p = m_pending;
    while (i < p.size()) {
        if (p[i] != IAC) {
            m_data += p[i++];
            continue;
        }
        if (i + 1 >= p.size())
            break;
        const char verb = p[i + 1];
        if (verb == IAC) {
            m_data += IAC;
            i += 2;
        } else if (uint8_t(verb) >= uint8_t(WILL)) {
            if (i + 2 >= p.size())
                break;
            const char option = p[i + 2];
            m_options += verb;
            m_options += option;
            // Com port control as the mode says; binary and no go-aheads both ways.
            const bool talks = m_mode != Mode::Silent;
            if (talks && verb == WILL && option == 44)
                reply(bytesOf({IAC, m_mode == Mode::RefuseOption ? DONT : DO, char(44)}));
            else if (talks && (verb == WILL || verb == DO) && (option == 0 || option == 3))
                reply(bytesOf({IAC, verb == WILL ? DO : WILL, option}));
            i += 3;
        } else if (verb == SB) {
            // Up to IAC SE; a doubled IAC inside is one value byte.
            qsizetype end = i + 2;
            QByteArray body;
            bool complete = false;
            while (end + 1 < p.size()) {
                if (p[end] == IAC && p[end + 1] == SE) {
                    complete = true;
                    break;
                }
                body += p[end];
                end += p[end] == IAC ? 2 : 1;
            }
            if (!complete)
                break;
            if (body.size() >= 2 && body[0] == char(44)) {
                const int command = uint8_t(body[1]);
                const QByteArray value = body.mid(2);
                m_commands.push_back({command, value});
                QByteArray answer = p.mid(i, end + 2 - i);
                answer[3] = char(command + 100); // IAC SB option command
                if (m_mode == Mode::AnswerOther && command == 1)
                    answer = bytesOf({IAC, SB, char(44), char(101), 0, 0, char(0x25), char(0x80), IAC, SE});
                if (m_mode == Mode::Answer || m_mode == Mode::AnswerOther)
                    reply(answer);
            }
            i = end + 2;
        } else {
            i += 2;
        }
    }
    m_pending.remove(0, i);
}
