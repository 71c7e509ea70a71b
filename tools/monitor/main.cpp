// tavelgrid-monitor: opens a port with the panel's line settings and prints every message the
// framer cuts, with bytes/s, messages/s and discarded bytes once a second.
#include "ComDataPacket.h"
#include "ComPort.h"
#include "EComPort.h"
#include "PortArgs.h"
#include "Printable.h"

#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <cstdint>
#include <cstdio>

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

const char kUsage[] =
    "usage: tavelgrid-monitor [--quiet] PORT [BAUD]\n"
    "Opens PORT (a name under /dev, a path, or a /dev/serial/by-id or by-path name) at\n"
    "BAUD (default 9600), 8 data bits, 1 stop bit, no parity, no flow control, and prints\n"
    "each message \"#...<\"; control bytes in it are shown escaped (\\0, \\x1b ...).\n"
    "When PORT cannot be opened it says why on standard error.\n"
    "  --quiet  print only the statistics line once a second\n";

int usageError(const QString &problem)
{
    std::fprintf(stderr, "tavelgrid-monitor: %s\n", qPrintable(problem));
    std::fputs(kUsage, stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const bool quiet = args.removeAll(QStringLiteral("--quiet")) > 0;
    for (const QString &arg : args)
        if (arg.startsWith(QLatin1Char('-')))
            return usageError(QStringLiteral("unknown option ") + arg);
    QString portName;
    int32_t baud = 0;
    if (const QString problem = parsePortArgs(args, portName, baud); !problem.isEmpty())
        return usageError(problem);

    TComPort port;
    port.SetPort(portName);
    port.SetBaudRate(Com::brCustom);
    port.SetCustomBaudRate(baud);

    TComDataPacket framer;
    framer.SetStartString("#");
    framer.SetStopString("<");
    framer.SetIncludeStrings(true);
    framer.SetComPort(&port);

    qint64 bytes = 0, packets = 0, discarded = 0;
    TComLink counter;
    counter.LinkRxBuf = [&](TCustomComPort *, const char *, int n) { bytes += n; };
    port.AttachLink(&counter);
    framer.OnPacket = [&](TComDataPacket *, const QByteArray &p) {
        ++packets;
        if (!quiet)
            printLine(stdout, p);
    };
    framer.OnDiscard = [&](TComDataPacket *, const QByteArray &d) { discarded += d.size(); };
    port.OnError = [&](TCustomComPort *, Com::TComErrors errors) {
        if (errors & Com::ceIO) {
            std::fprintf(stderr, "tavelgrid-monitor: the device is gone\n");
            app.exit(1);
        }
    };

    try {
        port.Open();
    } catch (const EComPort &e) {
        std::fprintf(stderr, "tavelgrid-monitor: %s: %s\n", qPrintable(portName), e.what());
        if (const QString why = e.Explanation(portName); !why.isEmpty())
            std::fputs(qPrintable(why + u'\n'), stderr);
        return 1;
    }

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    QTimer stats;
    qint64 lastBytes = 0, lastPackets = 0;
    QObject::connect(&stats, &QTimer::timeout, [&] {
        std::printf("-- %lld bytes/s, %lld messages/s, %lld bytes discarded\n",
                    static_cast<long long>(bytes - lastBytes), static_cast<long long>(packets - lastPackets),
                    static_cast<long long>(discarded));
        std::fflush(stdout);
        lastBytes = bytes;
        lastPackets = packets;
    });
    stats.start(1000);
    QTimer signalCheck; // signals only set a flag; the event loop looks at it
    QObject::connect(&signalCheck, &QTimer::timeout, [&] {
        if (g_stop)
            app.quit();
    });
    signalCheck.start(100);

    const int rc = app.exec();
    port.Close();
    port.DetachLink(&counter);
    return rc;
}
