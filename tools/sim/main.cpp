// tavelgrid-sim: a device on a simulated serial line. It creates a pseudo-terminal, announces
// it, sends the demo messages and prints every message the program sends back. Like a device
// on a real line, what it sends while no program has the port open is lost.
#include "DemoStream.h"
#include "NumberParse.h"
#include "PortLinks.h"
#include "Printable.h"
#include "Recording.h"

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
};

const char kUsage[] =
    "usage: tavelgrid-sim [options]\n"
    "Creates a pseudo-terminal that acts as the device, prints the port's path on the first\n"
    "line and sends demo messages for every instrument of the panel. What is sent while no\n"
    "program has the port open is lost, as on a real line.\n"
    "  --rate N       messages per second (default 50; 0 = as fast as possible)\n"
    "  --replay FILE  send the messages of a raw file (cut after each '<'), or the records\n"
    "                 of a recording the program saved, one per message, repeated\n"
    "  --noise P      mix line noise into a share P (0..1) of the messages\n"
    "  --duration S   stop after S seconds\n"
    "  --link NAME    name of the announced port (default: simN, the first free N)\n"
    "  --quiet        do not print the messages the program sends back\n";

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
        if (arg == "--quiet") {
            o.quiet = true;
            continue;
        }
        const bool takesValue = arg == "--rate" || arg == "--noise" || arg == "--duration" || arg == "--replay" ||
                                arg == "--link";
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
        else if (arg == "--replay")
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
        if (raw.startsWith("TGRECORD")) {
            QList<QByteArray> pieces;
            const std::string error = tg::journal::readRecording(
                std::string_view(raw.constData(), size_t(raw.size())), [&pieces](const tg::journal::Record &r) {
                    if (!r.isBreak())
                        pieces << QByteArray(r.bytes.data(), qsizetype(r.bytes.size()));
                });
            if (!error.empty() || pieces.isEmpty()) {
                std::fprintf(stderr, "tavelgrid-sim: %s: %s\n", qPrintable(options.replay),
                             error.empty() ? "the recording holds no bytes" : error.c_str());
                return 1;
            }
            stream.setReplayPieces(pieces);
        } else {
            stream.setReplay(raw);
        }
    }

    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "tavelgrid-sim: no pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    const QByteArray slavePath = ptsname(master);
    // Raw mode (set through the master, which reaches the line settings of the pty) keeps the
    // terminal layer from echoing or editing what the device sends.
    termios raw{};
    if (tcgetattr(master, &raw) != 0) {
        std::fprintf(stderr, "tavelgrid-sim: cannot set up %s: %s\n", slavePath.constData(), std::strerror(errno));
        return 1;
    }
    cfmakeraw(&raw);
    tcsetattr(master, TCSANOW, &raw);
    // Once the port has been opened and closed, the master reports a hang-up whenever no
    // program has it open; that is how the device knows nobody listens.
    flushUnread(slavePath);

    tg::platform::PortAnnouncement link;
    if (!link.announce(options.link, QString::fromLocal8Bit(slavePath)))
        std::fprintf(stderr, "tavelgrid-sim: cannot announce the port, using %s\n", slavePath.constData());
    const QByteArray shown = link.path().isEmpty() ? slavePath : QFile::encodeName(link.path());
    std::printf("%s\n", shown.constData());
    std::fflush(stdout);

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    ReplyPrinter printer;
    const double start = now();
    const double period = options.rate > 0 ? 1.0 / options.rate : 0.0;
    double nextSend = start;
    QByteArray pending; // what the line did not take yet
    bool listening = false;
    qint64 sent = 0, dropped = 0, wakeups = 0;
    while (!g_stop) {
        const double t = now();
        const double end = options.duration > 0 ? start + options.duration : HUGE_VAL;
        if (t >= end)
            break;
        pollfd probe{master, POLLIN, 0};
        poll(&probe, 1, 0);
        const bool wasListening = listening;
        listening = !(probe.revents & POLLHUP);
        if (!listening) {
            if (wasListening)
                flushUnread(slavePath);
            if (!pending.isEmpty()) {
                pending.clear();
                ++dropped;
            }
            // The device goes on sending into the void.
            for (; options.rate > 0 && t >= nextSend; nextSend = std::max(nextSend + period, t - 1.0)) {
                stream.next(t - start);
                ++dropped;
            }
            // A hang-up keeps poll() from waiting: sleep until the next message is due.
            const double until = std::min({options.rate > 0 ? nextSend : t + 0.01, t + 0.1, end});
            const timespec pause = duration(until - t);
            nanosleep(&pause, nullptr);
            ++wakeups;
            continue;
        }

        // Fill the line: one message per period, or as many as it takes.
        if (pending.isEmpty() && (options.rate == 0 || t >= nextSend)) {
            pending = stream.next(t - start);
            if (options.rate > 0)
                nextSend = std::max(nextSend + period, t - 1.0);
        }
        while (!pending.isEmpty()) {
            const ssize_t n = write(master, pending.constData(), size_t(pending.size()));
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
        // Wait for the next message, for room on the line, for a reply or for a hang-up.
        double until = std::min(now() + 0.1, end);
        if (options.rate > 0)
            until = std::min(until, nextSend);
        const timespec timeout = duration(until - now());
        pollfd fds{master, short(POLLIN | (pending.isEmpty() ? 0 : POLLOUT)), 0};
        const int rc = ppoll(&fds, 1, &timeout, nullptr);
        ++wakeups;
        if (rc > 0 && (fds.revents & POLLIN)) {
            char buf[4096];
            const ssize_t n = read(master, buf, sizeof buf);
            if (n > 0 && !options.quiet)
                printer.feed(buf, n);
        }
    }
    std::fprintf(stderr, "tavelgrid-sim: %lld messages sent, %lld dropped, %lld wake-ups\n",
                 static_cast<long long>(sent), static_cast<long long>(dropped), static_cast<long long>(wakeups));
    link.withdraw();
    close(master);
    return 0;
}
