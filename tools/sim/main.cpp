// tavelgrid-sim: a device on a simulated serial line. It creates a pseudo-terminal, announces
// it, sends the demo messages and prints every message the program sends back.
#include "DemoStream.h"
#include "PortLinks.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <cerrno>
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

void usage()
{
    std::fputs(
        "usage: tavelgrid-sim [options]\n"
        "Creates a pseudo-terminal that acts as the device, prints the port's path on the first\n"
        "line and sends demo messages for every instrument of the panel.\n"
        "  --rate N       messages per second (default 50; 0 = as fast as possible)\n"
        "  --replay FILE  send the messages of a raw file (cut after each '<'), repeated\n"
        "  --noise P      mix line noise into a share P (0..1) of the messages\n"
        "  --duration S   stop after S seconds\n"
        "  --link NAME    name of the announced port (default: simN, the first free N)\n"
        "  --quiet        do not print the messages the program sends back\n",
        stdout);
}

bool parseNumber(const char *text, double &out)
{
    char *end = nullptr;
    errno = 0;
    const double v = std::strtod(text, &end);
    if (errno || end == text || *end || !(v >= 0))
        return false;
    out = v;
    return true;
}

bool parseOptions(int argc, char **argv, Options &o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            usage();
            std::exit(0);
        } else if (arg == "--quiet") {
            o.quiet = true;
        } else if (arg == "--rate" && hasValue) {
            if (!parseNumber(argv[++i], o.rate))
                return false;
        } else if (arg == "--noise" && hasValue) {
            if (!parseNumber(argv[++i], o.noise) || o.noise > 1)
                return false;
        } else if (arg == "--duration" && hasValue) {
            if (!parseNumber(argv[++i], o.duration))
                return false;
        } else if (arg == "--replay" && hasValue) {
            o.replay = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == "--link" && hasValue) {
            o.link = QString::fromLocal8Bit(argv[++i]);
            if (o.link.isEmpty() || o.link.contains(QLatin1Char('/')))
                return false;
        } else {
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

// The announced link: made at start, removed at the end.
class PortLink {
public:
    bool create(const QString &name, const QByteArray &target)
    {
        const QString folder = tg::platform::portLinkFolder();
        if (folder.isEmpty())
            return false;
        for (int n = 0; n < 100; ++n) {
            const QString candidate = folder + QLatin1Char('/') + (name.isEmpty() ? QStringLiteral("sim%1").arg(n) : name);
            const QByteArray path = QFile::encodeName(candidate);
            // A link left by a simulator that was killed points nowhere: take its place.
            if (access(path.constData(), F_OK) != 0)
                unlink(path.constData());
            if (symlink(target.constData(), path.constData()) == 0) {
                m_path = path;
                return true;
            }
            if (!name.isEmpty())
                return false;
        }
        return false;
    }
    ~PortLink()
    {
        if (!m_path.isEmpty())
            unlink(m_path.constData());
    }
    const QByteArray &path() const { return m_path; }

private:
    QByteArray m_path;
};

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
                std::printf("%s  %s\n", stamp.constData(), m_message.constData());
                std::fflush(stdout);
                m_message.clear();
            }
            if (m_message.size() > 256)
                m_message.clear();
        }
    }

private:
    QByteArray m_message;
};

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!parseOptions(argc, argv, options)) {
        usage();
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

    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "tavelgrid-sim: no pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    const QByteArray slavePath = ptsname(master);
    // Holding the slave open keeps the line up while the program is disconnected, and raw
    // mode keeps the terminal layer from echoing or buffering lines before the program opens it.
    const int slave = open(slavePath.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    if (slave < 0 || tcgetattr(slave, &raw) != 0) {
        std::fprintf(stderr, "tavelgrid-sim: cannot open %s: %s\n", slavePath.constData(), std::strerror(errno));
        return 1;
    }
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);

    PortLink link;
    if (!link.create(options.link, slavePath)) {
        std::fprintf(stderr, "tavelgrid-sim: cannot announce the port, using %s\n", slavePath.constData());
    }
    std::printf("%s\n", (link.path().isEmpty() ? slavePath : link.path()).constData());
    std::fflush(stdout);

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    ReplyPrinter printer;
    const double start = now();
    double nextSend = start;
    QByteArray pending; // what the line did not take yet
    qint64 sent = 0, dropped = 0;
    while (!g_stop) {
        const double t = now();
        if (options.duration > 0 && t - start >= options.duration)
            break;
        // Fill the line: one message per period, or as many as it takes.
        if (pending.isEmpty() && (options.rate == 0 || t >= nextSend)) {
            pending = stream.next(t - start);
            nextSend = options.rate > 0 ? std::max(nextSend + 1.0 / options.rate, t - 1.0) : t;
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
        int timeoutMs = 100;
        if (options.rate > 0 && pending.isEmpty())
            timeoutMs = std::clamp(int((nextSend - now()) * 1000), 0, 100);
        pollfd fds{master, short(POLLIN | (pending.isEmpty() ? 0 : POLLOUT)), 0};
        if (poll(&fds, 1, timeoutMs) > 0 && (fds.revents & POLLIN)) {
            char buf[4096];
            const ssize_t n = read(master, buf, sizeof buf);
            if (n > 0 && !options.quiet)
                printer.feed(buf, n);
        }
    }
    std::fprintf(stderr, "tavelgrid-sim: %lld messages sent, %lld dropped while nobody read\n",
                 static_cast<long long>(sent), static_cast<long long>(dropped));
    close(slave);
    close(master);
    return 0;
}
