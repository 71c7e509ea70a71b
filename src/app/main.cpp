#include "Application.h"
#include "ComComboBox.h"
#include "ComPort.h"
#include "Font.h"
#include "IniFileStorage.h"
#include "InstanceLock.h"
#include "MainWindow.h"
#include "PanelAccessible.h"
#include "SingleInstanceGuard.h"

#include <QCommandLineParser>
#include <QComboBox>
#include <QFileInfo>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

// SIGTERM, SIGINT and SIGHUP end the program the normal way, so the settings are saved. Set up
// before the window exists: a signal that comes early is served once the event loop runs.
void onSignalsCall(QObject *context, std::function<void()> handler)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    auto *n = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(n, &QSocketNotifier::activated, context, [handler = std::move(handler)] {
        char buf[16];
        [[maybe_unused]] const ssize_t r = ::read(g_signalPipe[0], buf, sizeof buf);
        handler();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
}

struct Options {
    QCommandLineParser cl;
    QCommandLineOption port{QStringLiteral("port"),
                            QStringLiteral("Serial port to use: ttyUSB0, a path, or a /dev/serial/by-id or by-path name."),
                            QStringLiteral("NAME")};
    QCommandLineOption baud{QStringLiteral("baud"), QStringLiteral("Baud rate."), QStringLiteral("N")};
    QCommandLineOption connectNow{QStringLiteral("connect"), QStringLiteral("Connect at start.")};
    QCommandLineOption settings{QStringLiteral("settings"), QStringLiteral("Settings file to use."),
                                QStringLiteral("FILE")};
    QCommandLineOption status{QStringLiteral("status"),
                              QStringLiteral("Print how the running copy is doing (port, packets handled, bytes "
                                             "dropped) as one line of JSON, then end.")};
    Options()
    {
        cl.setApplicationDescription(QStringLiteral("Serial-port instrument panel"));
        cl.addHelpOption();
        cl.addVersionOption();
        cl.addOptions({port, baud, connectNow, settings, status});
    }
};

QString instanceName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUpper();
}

// Answers the options that must work without a display (--help, --version, --status): read
// before the application object exists, which needs one. The display's own options are not
// known here, so a word after one dash is read as one option, never as a run of letters, and
// what is not known is left alone. Returns only when none of them was asked for.
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
    if (!version && !help && !o.cl.isSet(o.status))
        return;
    QCoreApplication textOnly(argc, argv); // names the program in the usage line
    if (version)
        o.cl.showVersion();
    if (help)
        o.cl.showHelp(0);
    // The status of the running copy, asked over the single-instance channel.
    InstanceLock instance(instanceName());
    const QByteArray answer = instance.claim() ? QByteArray() : instance.statusOfFirst();
    if (answer.isEmpty()) {
        std::fputs("tavelgrid: no running copy answered\n", stderr);
        std::exit(1);
    }
    std::fputs((answer + '\n').constData(), stdout);
    std::exit(0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("Tavelgrid"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVELGRID_VERSION));
    answerWithoutDisplay(argc, argv);

    TApplication app(argc, argv);
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
    instance.OnActivate = [w] {
        // Back from the task bar into the state it had there: a maximised window stays maximised.
        if (w->isMinimized())
            w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        w->raise();
        w->activateWindow();
    };
    if (o.cl.isSet(o.port)) {
        w->ComPort1->SetPort(o.cl.value(o.port));
        // The Interface page shows the port given, or the listed device it leads to (a by-id
        // name); the port keeps the name as given.
        w->ComComboBoxPort->SetText(o.cl.value(o.port));
    }
    if (o.cl.isSet(o.baud))
        w->ComboBoxBaud->setCurrentText(o.cl.value(o.baud));
    w->show();
    if (o.cl.isSet(o.connectNow))
        QTimer::singleShot(0, w, &TFormMain::ButtonConnectComPort1Click);
    // A signal served before the loop runs (in a box raised while the window was shown) has
    // closed the window already; the loop would not see its end.
    const int rc = endRequested ? 0 : app.exec();
    instance.OnActivate = nullptr;
    instance.OnStatus = nullptr;
    window.reset();
    return rc;
}
