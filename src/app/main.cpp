#include "Application.h"
#include "Font.h"
#include "IniFileStorage.h"
#include "InstanceLock.h"
#include "MainWindow.h"
#include "PanelAccessible.h"
#include "PortDoctor.h"
#include "SingleInstanceGuard.h"

#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>
#include <QPointer>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

// The signals that end the program with its save.
constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Held from the first moment of main until the handlers below are set: a signal that comes
// while the application starts then ends it with its save rather than by default, unsaved.
void holdEndSignals(bool hold)
{
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kEndSignals)
        sigaddset(&set, sig);
    ::pthread_sigmask(hold ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

// SIGTERM, SIGINT and SIGHUP end the program the normal way, so the settings are saved. Set up
// before the window exists: a signal that comes early (held until now) is served once the
// event loop runs.
void onSignalsCall(QObject *context, std::function<void()> handler)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        holdEndSignals(false);
        return;
    }
    auto *n = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(n, &QSocketNotifier::activated, context, [handler = std::move(handler)] {
        char buf[16];
        [[maybe_unused]] const ssize_t r = ::read(g_signalPipe[0], buf, sizeof buf);
        handler();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sa.sa_flags = SA_RESTART;
    for (int sig : kEndSignals)
        ::sigaction(sig, &sa, nullptr);
    holdEndSignals(false);
}

struct Options {
    QCommandLineParser cl;
    QCommandLineOption port{QStringLiteral("port"),
                            QStringLiteral("Serial port to use: ttyUSB0, a path, a /dev/serial/by-id or by-path name, "
                                           "or rfc2217://HOST:PORT or tcp://HOST:PORT on the network."),
                            QStringLiteral("NAME")};
    QCommandLineOption baud{QStringLiteral("baud"), QStringLiteral("Baud rate."), QStringLiteral("N")};
    QCommandLineOption connectNow{QStringLiteral("connect"), QStringLiteral("Connect at start.")};
    QCommandLineOption settings{QStringLiteral("settings"), QStringLiteral("Settings file to use."),
                                QStringLiteral("FILE")};
    QCommandLineOption status{QStringLiteral("status"),
                              QStringLiteral("Print how the running copy is doing (port, packets handled, bytes "
                                             "dropped, waiting for its device) as one line of JSON, then end.")};
    QCommandLineOption release{QStringLiteral("release"),
                               QStringLiteral("Make the running copy release its port, for a firmware tool; it opens "
                                              "the port again once the tool has let the device go. Prints the "
                                              "device freed.")};
    QCommandLineOption wait{QStringLiteral("wait"),
                            QStringLiteral("With --release: end only once the port is free (closed, its lock file "
                                           "and lock gone); 1 when it is not free within 10 seconds.")};
    Options()
    {
        cl.setApplicationDescription(QStringLiteral(
            "Serial-port instrument panel. A second start hands --port, --baud and --connect to the running copy."));
        cl.addHelpOption();
        cl.addVersionOption();
        cl.addOptions({port, baud, connectNow, settings, status, release, wait});
    }
};

QString instanceName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUpper();
}

[[noreturn]] void noCopyAnswered()
{
    std::fputs("tavelgrid: no running copy answered\n", stderr);
    std::exit(1);
}

// --release [--wait]: the running copy closes its port; with --wait this ends once nobody
// holds the device any more.
[[noreturn]] void release(const InstanceLock &instance, bool wait)
{
    const std::optional<QString> node = instance.releaseOfFirst();
    if (!node)
        noCopyAnswered();
    if (wait && !node->isEmpty()) {
        const QDeadlineTimer deadline(10000);
        while (!tg::platform::portHolders(*node).isEmpty()) {
            if (deadline.hasExpired()) {
                std::fprintf(stderr, "tavelgrid: %s is still held\n", node->toLocal8Bit().constData());
                std::exit(1);
            }
            QThread::msleep(20);
        }
    }
    if (!node->isEmpty())
        std::fputs((node->toLocal8Bit() + '\n').constData(), stdout);
    std::exit(0);
}

// Answers the options that must work without a display (--help, --version, --status,
// --release, and a later start's port handed to the running copy): read before the
// application object exists, which needs one. The display's own options are not known here,
// so a word after one dash is read as one option, never as a run of letters, and what is not
// known is left alone. Returns only when none of them was asked for.
void answerWithoutDisplay(int argc, char **argv)
{
    Options o;
    o.cl.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    o.cl.parse(args);
    const bool version = o.cl.isSet(QStringLiteral("version"));
    const bool help = o.cl.isSet(QStringLiteral("help")) || o.cl.isSet(QStringLiteral("help-all"));
    const bool handOver = o.cl.isSet(o.port) || o.cl.isSet(o.baud) || o.cl.isSet(o.connectNow);
    if (!version && !help && !o.cl.isSet(o.status) && !o.cl.isSet(o.release) && !handOver)
        return;
    // A query has nothing to save: Ctrl+C ends it at once, also while --release --wait waits.
    holdEndSignals(false);
    QCoreApplication textOnly(argc, argv); // names the program in the usage line
    if (version)
        o.cl.showVersion();
    if (help)
        o.cl.showHelp(0);
    // The running copy, asked over the single-instance channel.
    InstanceLock instance(instanceName());
    const bool first = !instance.firstCopyRuns();
    if (o.cl.isSet(o.release)) {
        if (first)
            noCopyAnswered();
        release(instance, o.cl.isSet(o.wait));
    }
    if (o.cl.isSet(o.status)) {
        const QByteArray answer = first ? QByteArray() : instance.statusOfFirst();
        if (answer.isEmpty())
            noCopyAnswered();
        std::fputs((answer + '\n').constData(), stdout);
        std::exit(0);
    }
    // A later start with a port: the running copy takes it rather than it being dropped.
    if (!first && instance.handOver(o.cl.value(o.port), o.cl.value(o.baud), o.cl.isSet(o.connectNow)))
        std::exit(0);
}

} // namespace

int main(int argc, char **argv)
{
    holdEndSignals(true);
    QCoreApplication::setApplicationName(QStringLiteral("Tavelgrid"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVELGRID_VERSION));
    answerWithoutDisplay(argc, argv);

    TApplication app(argc, argv);
    // Lets the desktop match the window to its menu entry and icon (the Wayland app id).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tavelgrid.Tavelgrid"));
    QPointer<TFormMain> mainWindow;
    bool endRequested = false;
    onSignalsCall(&app, [&mainWindow, &endRequested] {
        endRequested = true;
        // Every event loop ends, also that of a box or dialog still open, which would otherwise
        // keep the program running behind it. Ended first, so that a box raised while closing
        // cannot hold the end either.
        QCoreApplication::exit(0);
        if (mainWindow)
            mainWindow->close();
    });

    Options o;
    o.cl.process(app);

    // The start-up check, before the window exists: a later copy brings the first to the
    // front and ends without making a window.
    InstanceLock instance(instanceName());
    instance.claim();
    SingleInstanceGuard SingleInstanceGuard1(instance);
    SingleInstanceGuard1.setObjectName(QStringLiteral("SingleInstanceGuard1"));
    if (SingleInstanceGuard1.Loaded())
        return 0;

    TFont::installSubstitutions();
    tg::app::installPanelAccessibility();
    // Destroyed before the application object, so the destroy-time save runs with every
    // component alive, after a signal as well.
    auto window = std::make_unique<TFormMain>(o.cl.isSet(o.settings) ? o.cl.value(o.settings)
                                                                     : IniFileStorage::defaultFileName());
    TFormMain *w = window.get();
    mainWindow = w;
    instance.OnStatus = [w] { return w->StatusLine(); };
    instance.OnRelease = [w] { return w->ReleaseInterface1Click(); };
    instance.OnOpen = [w](const QString &port, const QString &baud, bool connect) { w->UsePort(port, baud, connect); };
    instance.OnActivate = [w] {
        // Back from the task bar into the state it had there: a maximised window stays maximised.
        if (w->isMinimized())
            w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        w->raise();
        w->activateWindow();
    };
    w->show();
    // After the show, which restores the settings: what is given wins over what was stored.
    w->StartWith(o.cl.value(o.port), o.cl.value(o.baud), o.cl.isSet(o.connectNow));
    // A signal served before the loop runs (in a box raised while the window was shown) has
    // closed the window already; the loop would not see its end.
    const int rc = endRequested ? 0 : app.exec();
    instance.OnActivate = nullptr;
    instance.OnStatus = nullptr;
    instance.OnRelease = nullptr;
    instance.OnOpen = nullptr;
    window.reset();
    return rc;
}
