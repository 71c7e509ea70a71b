// tavelgrid-sim: a device on a simulated serial line. It creates a pseudo-terminal, announces
// it, sends the demo messages and prints every message the program sends back. Like a device
// on a real line, what it sends while no program has the port open is lost. It can be
// unplugged and plugged in again: the pseudo-terminal goes away and a new one comes under the
// same announced name, as a USB device comes back under its by-id name.
#include "DemoStream.h"
#include "NumberParse.h"
#include "PortLinks.h"
#include "Printable.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

struct Options {
    double rate = 50;     // messages per second; 0 means as fast as the line takes them
    double noise = 0;     // share of messages that get line noise
    double duration = 0;  // seconds; 0 means until stopped
    QString replay;
    QString link;
    bool quiet = false;   // do not print the messages the program sends
    bool control = false; // read "unplug" and "plug" from standard input
    double unplugEvery = 0; // seconds plugged in between automatic unplugs; 0: never
    double away = 1;        // seconds an automatic unplug lasts
};

// What the device sends first after it is plugged in again, kept (as a USB converter's
// receive buffer keeps it) until a program opens the port.
constexpr char kBootLine[] = "tavelgrid-sim booted\r\n";

const char kUsage[] =
    "usage: tavelgrid-sim [options]\n"
    "Creates a pseudo-terminal that acts as the device, prints the port's path on the first\n"
    "line and sends demo messages for every instrument of the panel. What is sent while no\n"
    "program has the port open is lost, as on a real line.\n"
    "  --rate N       messages per second (default 50; 0 = as fast as possible)\n"
    "  --replay FILE  send the messages of a raw file (cut after each '<'), repeated\n"
    "  --noise P      mix line noise into a share P (0..1) of the messages\n"
    "  --duration S   stop after S seconds\n"
    "  --link NAME    name of the announced port (default: simN, the first free N)\n"
    "  --quiet        do not print the messages the program sends back\n"
    "  --control      read commands from standard input, one a line: \"unplug\" takes the\n"
    "                 port away (its pseudo-terminal closes, the announced link goes),\n"
    "                 \"plug\" brings it back as a new pseudo-terminal under the same link\n"
    "  --unplug-every MS  unplug the device after MS milliseconds plugged in, again and again\n"
    "  --away MS      how long each of those unplugs lasts (default 1000)\n"
    "After a plug the device first sends \"tavelgrid-sim booted\" and a line end, which waits\n"
    "for a program to open the port.\n";

bool parseNumber(const char *text, double &out)
{
    double v = 0;
    if (!tg::parseDecimal(QString::fromLocal8Bit(text), QLatin1Char('.'), v) || v < 0)
        return false;
    out = v;
    return true;
}

// Fills o from the arguments; on failure says what was wrong in problem.
bool parseOptions(int argc, char **argv, Options &o, std::string &problem)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        }
        if (arg == "--quiet" || arg == "--control") {
            (arg == "--quiet" ? o.quiet : o.control) = true;
            continue;
        }
        const bool takesValue = arg == "--rate" || arg == "--noise" || arg == "--duration" || arg == "--replay" ||
                                arg == "--link" || arg == "--unplug-every" || arg == "--away";
        if (!takesValue) {
            problem = "unknown option " + arg;
            return false;
        }
        if (i + 1 >= argc) {
            problem = arg + " needs a value";
            return false;
        }
        const char *value = argv[++i];
        bool ok = true;
        if (arg == "--rate")
            ok = parseNumber(value, o.rate);
        else if (arg == "--noise")
            ok = parseNumber(value, o.noise) && o.noise <= 1;
        else if (arg == "--duration")
            ok = parseNumber(value, o.duration);
        else if (arg == "--unplug-every" || arg == "--away") {
            double ms = 0;
            ok = parseNumber(value, ms) && ms > 0;
            (arg == "--away" ? o.away : o.unplugEvery) = ms / 1000;
        } else if (arg == "--replay")
            o.replay = QString::fromLocal8Bit(value);
        else {
            o.link = QString::fromLocal8Bit(value);
            ok = !o.link.isEmpty() && !o.link.contains(QLatin1Char('/')) && !o.link.startsWith(QLatin1Char('.'));
        }
        if (!ok) {
            problem = "bad value for " + arg + ": \"" + value + "\"";
            return false;
        }
    }
    return true;
}

double now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

timespec duration(double seconds)
{
    seconds = std::max(0.0, seconds);
    timespec ts{};
    ts.tv_sec = time_t(seconds);
    ts.tv_nsec = long((seconds - double(ts.tv_sec)) * 1e9);
    return ts;
}

// Prints the messages the program sends, "#" to "<", with a time stamp.
class ReplyPrinter {
public:
    void feed(const char *data, ssize_t n)
    {
        for (ssize_t i = 0; i < n; ++i) {
            const char c = data[i];
            if (c == '#')
                m_message.clear();
            m_message += c;
            if (c == '<' && m_message.startsWith('#')) {
                const QByteArray stamp = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1();
                printLine(stdout, stamp + "  " + m_message);
                m_message.clear();
            }
            if (m_message.size() > 256)
                m_message.clear();
        }
    }

private:
    QByteArray m_message;
};

// Drops what the last program left unread in the port, as closing a real port does.
void flushUnread(const QByteArray &slavePath)
{
    const int fd = open(slavePath.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        tcflush(fd, TCIFLUSH);
        close(fd);
    }
}

// The device's end of the line: a pseudo-terminal while the device is plugged in.
class Line {
public:
    ~Line() { unplug(); }
    // A new pseudo-terminal; false, with the reason on standard error, when none can be had.
    bool plugIn()
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
            std::fprintf(stderr, "tavelgrid-sim: no pseudo-terminal: %s\n", std::strerror(errno));
            if (master >= 0)
                close(master);
            return false;
        }
        const QByteArray slave = ptsname(master);
        // Raw mode (set through the master, which reaches the line settings of the pty) keeps
        // the terminal layer from echoing or editing what the device sends.
        termios raw{};
        if (tcgetattr(master, &raw) != 0) {
            std::fprintf(stderr, "tavelgrid-sim: cannot set up %s: %s\n", slave.constData(), std::strerror(errno));
            close(master);
            return false;
        }
        cfmakeraw(&raw);
        tcsetattr(master, TCSANOW, &raw);
        // Once the port has been opened and closed, the master reports a hang-up whenever no
        // program has it open; that is how the device knows nobody listens.
        flushUnread(slave);
        m_master = master;
        m_slave = slave;
        return true;
    }
    // Closing the master is the unplug: a program that has the port open sees a hang-up.
    void unplug()
    {
        if (m_master >= 0)
            close(m_master);
        m_master = -1;
        m_slave.clear();
    }
    bool pluggedIn() const { return m_master >= 0; }
    int master() const { return m_master; }
    const QByteArray &slave() const { return m_slave; }

private:
    int m_master = -1;
    QByteArray m_slave;
};

// Commands, one a line, from standard input.
class Commands {
public:
    explicit Commands(bool on) : m_fd(on ? STDIN_FILENO : -1)
    {
        if (m_fd >= 0)
            fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    }
    // The descriptor to wait on; -1 once the input has ended.
    int fd() const { return m_fd; }
    // The next complete command; empty when none is waiting.
    QByteArray next()
    {
        if (m_fd >= 0) {
            char buf[256];
            const ssize_t n = read(m_fd, buf, sizeof buf);
            if (n > 0)
                m_buffer.append(buf, n);
            else if (n == 0 || (errno != EAGAIN && errno != EINTR))
                m_fd = -1;
        }
        const qsizetype end = m_buffer.indexOf('\n');
        if (end < 0)
            return {};
        const QByteArray command = m_buffer.left(end).trimmed();
        m_buffer.remove(0, end + 1);
        return command.isEmpty() ? QByteArray(" ") : command;
    }

private:
    int m_fd;
    QByteArray m_buffer;
};

} // namespace

int main(int argc, char **argv)
{
    Options options;
    std::string problem;
    if (!parseOptions(argc, argv, options, problem)) {
        std::fprintf(stderr, "tavelgrid-sim: %s\n", problem.c_str());
        std::fputs(kUsage, stderr);
        return 2;
    }
    DemoStream stream(options.noise);
    if (!options.replay.isEmpty()) {
        QFile file(options.replay);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "tavelgrid-sim: cannot read %s: %s\n", qPrintable(options.replay),
                         qPrintable(file.errorString()));
            return 1;
        }
        const QByteArray raw = file.readAll();
        if (raw.isEmpty()) {
            std::fprintf(stderr, "tavelgrid-sim: %s is empty\n", qPrintable(options.replay));
            return 1;
        }
        stream.setReplay(raw);
    }

    Line line;
    if (!line.plugIn())
        return 1;
    tg::platform::PortAnnouncement link;
    if (!link.announce(options.link, QString::fromLocal8Bit(line.slave())))
        std::fprintf(stderr, "tavelgrid-sim: cannot announce the port, using %s\n", line.slave().constData());
    const QByteArray shown = link.path().isEmpty() ? line.slave() : QFile::encodeName(link.path());
    std::printf("%s\n", shown.constData());
    std::fflush(stdout);

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    ReplyPrinter printer;
    Commands commands(options.control);
    const double start = now();
    const double period = options.rate > 0 ? 1.0 / options.rate : 0.0;
    double nextSend = start;
    double nextToggle = options.unplugEvery > 0 ? start + options.unplugEvery : HUGE_VAL;
    QByteArray pending; // what the line did not take yet
    QByteArray boot;    // the boot line after a plug, until a program listens
    bool listening = false;
    qint64 sent = 0, dropped = 0, wakeups = 0, plugs = 0;
    auto unplug = [&] {
        if (!line.pluggedIn())
            return;
        link.repoint(QString()); // the name goes first, as a device node does
        line.unplug();
        listening = false;
        boot.clear();
        std::fputs("tavelgrid-sim: unplugged\n", stderr);
    };
    auto plug = [&] {
        if (line.pluggedIn() || !line.plugIn())
            return;
        link.repoint(QString::fromLocal8Bit(line.slave()));
        boot = kBootLine;
        ++plugs;
        std::fprintf(stderr, "tavelgrid-sim: plugged in as %s\n", line.slave().constData());
    };
    while (!g_stop) {
        const double t = now();
        const double end = options.duration > 0 ? start + options.duration : HUGE_VAL;
        if (t >= end)
            break;
        for (QByteArray command = commands.next(); !command.isEmpty(); command = commands.next()) {
            if (command == "unplug")
                unplug();
            else if (command == "plug")
                plug();
            else
                std::fprintf(stderr, "tavelgrid-sim: unknown command \"%s\"\n", command.trimmed().constData());
        }
        if (t >= nextToggle) {
            if (line.pluggedIn()) {
                unplug();
                nextToggle = t + options.away;
            } else {
                plug();
                nextToggle = t + options.unplugEvery;
            }
        }
        bool hungUp = true;
        if (line.pluggedIn()) {
            pollfd probe{line.master(), POLLIN, 0};
            poll(&probe, 1, 0);
            hungUp = probe.revents & POLLHUP;
        }
        const bool wasListening = listening;
        listening = !hungUp;
        if (!listening) {
            if (wasListening)
                flushUnread(line.slave());
            if (!pending.isEmpty()) {
                pending.clear();
                ++dropped;
            }
            // The device goes on sending into the void.
            for (; options.rate > 0 && t >= nextSend; nextSend = std::max(nextSend + period, t - 1.0)) {
                stream.next(t - start);
                ++dropped;
            }
            // A hang-up keeps poll() from waiting on the line: wait for the next message that
            // is due, or for a command.
            const double until = std::min({options.rate > 0 ? nextSend : t + 0.01, t + 0.1, end, nextToggle});
            const timespec pause = duration(until - t);
            pollfd input{commands.fd(), POLLIN, 0};
            ppoll(&input, input.fd >= 0 ? 1 : 0, &pause, nullptr);
            ++wakeups;
            continue;
        }

        // Fill the line: the boot line first, then one message per period, or as many as it takes.
        if (pending.isEmpty() && !boot.isEmpty())
            pending.swap(boot);
        if (pending.isEmpty() && (options.rate == 0 || t >= nextSend)) {
            pending = stream.next(t - start);
            if (options.rate > 0)
                nextSend = std::max(nextSend + period, t - 1.0);
        }
        while (!pending.isEmpty()) {
            const ssize_t n = write(line.master(), pending.constData(), size_t(pending.size()));
            if (n <= 0)
                break;
            pending.remove(0, n);
            if (pending.isEmpty()) {
                ++sent;
                if (options.rate == 0)
                    pending = stream.next(t - start);
            }
        }
        // While the program is not reading, a paced device drops what does not fit.
        if (!pending.isEmpty() && options.rate > 0 && now() >= nextSend) {
            pending.clear();
            ++dropped;
        }
        // Wait for the next message, for room on the line, for a reply, a hang-up or a command.
        double until = std::min({now() + 0.1, end, nextToggle});
        if (options.rate > 0)
            until = std::min(until, nextSend);
        const timespec timeout = duration(until - now());
        pollfd fds[2] = {{line.master(), short(POLLIN | (pending.isEmpty() ? 0 : POLLOUT)), 0},
                         {commands.fd(), POLLIN, 0}};
        const int rc = ppoll(fds, commands.fd() >= 0 ? 2 : 1, &timeout, nullptr);
        ++wakeups;
        if (rc > 0 && (fds[0].revents & POLLIN)) {
            char buf[4096];
            const ssize_t n = read(line.master(), buf, sizeof buf);
            if (n > 0 && !options.quiet)
                printer.feed(buf, n);
        }
    }
    std::fprintf(stderr, "tavelgrid-sim: %lld messages sent, %lld dropped, %lld wake-ups",
                 static_cast<long long>(sent), static_cast<long long>(dropped), static_cast<long long>(wakeups));
    if (plugs > 0)
        std::fprintf(stderr, ", %lld re-plugs", static_cast<long long>(plugs));
    std::fputs("\n", stderr);
    link.withdraw();
    return 0;
}
