// tavelgrid-monitor: opens a port with the panel's line settings and prints every message the
// framer cuts, with bytes/s, messages/s and discarded bytes once a second; or, for scripts,
// one JSON object per message or per second.
#include "ComDataPacket.h"
#include "ComPort.h"
#include "EComPort.h"
#include "IniImage.h"
#include "JsonLines.h"
#include "MonitorOptions.h"
#include "Printable.h"
#include "ValueProtocol.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

// Exit codes that scripts can tell apart.
enum ExitCode { kDone = 0, kOutputFailed = 1, kBadArguments = 2, kCannotOpen = 3, kDeviceLost = 4 };

const char kUsage[] =
    "usage: tavelgrid-monitor [options] PORT [BAUD]\n"
    "Opens PORT (a name under /dev, a path, a /dev/serial/by-id or by-path name, or\n"
    "rfc2217://HOST:PORT or tcp://HOST:PORT on the network) at\n"
    "BAUD (default 9600), 8 data bits, 1 stop bit, no parity, no flow control, and prints\n"
    "each message \"#...<\"; control bytes in it are shown escaped (\\0, \\x1b ...).\n"
    "When PORT cannot be opened it says why on standard error.\n"
    "  --quiet        print only the statistics line once a second\n"
    "  --json         print one JSON object per message instead, one per line:\n"
    "                 {\"t\":SECONDS,\"id\":ID,\"value\":NUMBER,\"raw\":\"TEXT\"}\n"
    "                 t is the receive time in seconds since 1970; id and value as the panel\n"
    "                 reads them, null for a message it ignores, value null for a message\n"
    "                 without a number; raw is the message, its bytes read as Windows-1252\n"
    "  --stats        with --json: one object per second instead, with bytes_per_s,\n"
    "                 messages_per_s, bytes and messages of the interval, and the totals\n"
    "                 discarded_bytes, ignored_messages and dropped_bytes\n"
    "  --send TEXT    write TEXT to the device once the port is open, as the Terminal page's\n"
    "                 Send String does: as given, no escapes, in Windows-1252 (other\n"
    "                 characters go as \"?\"); may be given more than once\n"
    "  --for SECONDS  end after SECONDS\n"
    "  --count N      end after N messages\n"
    "Exit status: 0 done (also when the reader of the output has gone), 1 the output could\n"
    "not be written, 2 bad arguments, 3 PORT cannot be opened, 4 the device was lost.\n";

int usageError(const QString &problem)
{
    std::fprintf(stderr, "tavelgrid-monitor: %s\n", qPrintable(problem));
    std::fputs(kUsage, stderr);
    return kBadArguments;
}

timespec now()
{
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return t;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kUsage, stdout);
        return kDone;
    }
    MonitorOptions o;
    if (const QString problem = parseMonitorOptions(args, o); !problem.isEmpty())
        return usageError(problem);

    LinkStats stats;
    TComLink counter; // outlives the port, which calls it until it is closed
    counter.LinkRxBuf = [&](TCustomComPort *, const char *, int n) { stats.bytes += n; };
    TComPort port;
    port.SetPort(o.port);
    port.SetBaudRate(Com::brCustom);
    port.SetCustomBaudRate(o.baud);

    // Attached before the framer, so a chunk is counted before the messages cut from it.
    port.AttachLink(&counter);
    TComDataPacket framer;
    framer.SetStartString("#");
    framer.SetStopString("<");
    framer.SetIncludeStrings(true);
    framer.SetComPort(&port);

    bool ended = false;
    QElapsedTimer interval;
    auto writeStats = [&] {
        stats.end = now();
        stats.milliseconds = interval.restart();
        stats.droppedBytes = port.DroppedInput();
        const QByteArray line = o.json ? statsJson(stats)
                                       : QByteArray("-- ") + QByteArray::number(stats.bytes) + " bytes/s, " +
                                             QByteArray::number(stats.messages) + " messages/s, " +
                                             QByteArray::number(stats.discardedBytes) + " bytes discarded\n";
        stats.bytes = stats.messages = 0;
        return line;
    };
    // Every line goes out at once, and a blocked reader holds the monitor (and so the port's
    // bounded input queue) rather than a growing buffer here.
    auto end = [&](int rc) {
        if (ended)
            return;
        ended = true;
        if (o.json && o.stats && rc != kOutputFailed) {
            const QByteArray line = writeStats();
            std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
        }
        if (std::fflush(stdout) != 0 && rc == kDone && errno != EPIPE)
            rc = kOutputFailed;
        app.exit(rc);
    };
    auto write = [&](const QByteArray &line) {
        if (ended)
            return;
        if (std::fwrite(line.constData(), 1, size_t(line.size()), stdout) == size_t(line.size()) &&
            std::fflush(stdout) == 0)
            return;
        // A reader that went away (a pipe into "head") ends the monitor as done.
        const int err = errno;
        if (err != EPIPE)
            std::fprintf(stderr, "tavelgrid-monitor: cannot write the output: %s\n", std::strerror(err));
        end(err == EPIPE ? kDone : kOutputFailed);
    };

    int64_t total = 0;
    framer.OnPacket = [&](TComDataPacket *, const QByteArray &p) {
        if (ended)
            return;
        ++stats.messages;
        if (o.json && !o.stats)
            write(messageJson(now(), p));
        else if (o.json && !tg::app::parsePacket(p, QLatin1Char('.')))
            ++stats.ignoredMessages;
        else if (!o.json && !o.quiet)
            write(printable(p) + '\n');
        if (o.count && ++total >= *o.count)
            end(kDone);
    };
    framer.OnDiscard = [&](TComDataPacket *, const QByteArray &d) { stats.discardedBytes += d.size(); };
    port.OnError = [&](TCustomComPort *, Com::TComErrors errors) {
        if (errors & Com::ceIO) {
            const int why = port.LostError();
            std::fprintf(stderr, "tavelgrid-monitor: %s: the device is gone%s%s\n", qPrintable(o.port),
                         why ? ": " : "", why ? std::strerror(why) : "");
            end(kDeviceLost);
        }
    };

    try {
        port.Open();
    } catch (const EComPort &e) {
        std::fprintf(stderr, "tavelgrid-monitor: %s: %s\n", qPrintable(o.port), e.what());
        if (const QString why = e.Explanation(o.port); !why.isEmpty())
            std::fputs(qPrintable(why + u'\n'), stderr);
        return kCannotOpen;
    }
    try {
        for (const QString &text : o.sends)
            port.WriteText(tg::encodeCp1252(text));
    } catch (const EComPort &e) {
        std::fprintf(stderr, "tavelgrid-monitor: %s: cannot send: %s\n", qPrintable(o.port), e.what());
        return kDeviceLost;
    }

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN); // a closed output shows as EPIPE on the next write
    interval.start();
    QTimer statsTimer;
    QObject::connect(&statsTimer, &QTimer::timeout, [&] {
        if (!o.json || o.stats)
            write(writeStats());
    });
    statsTimer.start(1000);
    QTimer signalCheck; // signals only set a flag; the event loop looks at it
    QObject::connect(&signalCheck, &QTimer::timeout, [&] {
        if (g_stop)
            end(kDone);
    });
    signalCheck.start(100);
    if (o.forMs)
        QTimer::singleShot(*o.forMs, &app, [&] { end(kDone); });

    const int rc = app.exec();
    port.Close();
    return rc;
}
