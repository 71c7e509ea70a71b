#include "Application.h"
#include "ComComboBox.h"
#include "ComPort.h"
#include "Font.h"
#include "IniFileStorage.h"
#include "InstanceLock.h"
#include "MainWindow.h"
#include "SingleInstanceGuard.h"

#include <QCommandLineParser>
#include <QComboBox>
#include <QFileInfo>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
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
    QCommandLineOption port{QStringLiteral("port"), QStringLiteral("Serial port to use."), QStringLiteral("NAME")};
    QCommandLineOption baud{QStringLiteral("baud"), QStringLiteral("Baud rate."), QStringLiteral("N")};
    QCommandLineOption connectNow{QStringLiteral("connect"), QStringLiteral("Connect at start.")};
    QCommandLineOption settings{QStringLiteral("settings"), QStringLiteral("Settings file to use."),
                                QStringLiteral("FILE")};
    Options()
    {
        cl.setApplicationDescription(QStringLiteral("Serial-port instrument panel"));
        cl.addHelpOption();
        cl.addVersionOption();
        cl.addOptions({port, baud, connectNow, settings});
    }
};

// Answers --help and --version, which must work without a display: read before the
// application object exists, which needs one. The display's own options are not known here, so
// a word after one dash is read as one option, never as a run of letters, and what is not
// known is left alone. Returns only when neither was asked for.
void answerHelpAndVersion(int argc, char **argv)
{
    Options o;
    o.cl.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    o.cl.parse(args);
    const bool version = o.cl.isSet(QStringLiteral("version"));
    if (!version && !o.cl.isSet(QStringLiteral("help")) && !o.cl.isSet(QStringLiteral("help-all")))
        return;
    QCoreApplication textOnly(argc, argv); // names the program in the usage line
    if (version)
        o.cl.showVersion();
    o.cl.showHelp(0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("Tavelgrid"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVELGRID_VERSION));
    answerHelpAndVersion(argc, argv);

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
    InstanceLock instance(QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUpper());
    instance.claim();
    SingleInstanceGuard SingleInstanceGuard1(instance);
    SingleInstanceGuard1.setObjectName(QStringLiteral("SingleInstanceGuard1"));
    if (SingleInstanceGuard1.Loaded())
        return 0;

    TFont::installSubstitutions();
    // Destroyed before the application object, so the destroy-time save runs with every
    // component alive, after a signal as well.
    auto window = std::make_unique<TFormMain>(o.cl.isSet(o.settings) ? o.cl.value(o.settings)
                                                                     : IniFileStorage::defaultFileName());
    TFormMain *w = window.get();
    mainWindow = w;
    instance.OnActivate = [w] {
        // Back from the task bar into the state it had there: a maximised window stays maximised.
        if (w->isMinimized())
            w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        w->raise();
        w->activateWindow();
    };
    if (o.cl.isSet(o.port)) {
        w->ComPort1->SetPort(o.cl.value(o.port));
        // The Interface page shows the port given, when it is one of those listed.
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
    window.reset();
    return rc;
}
