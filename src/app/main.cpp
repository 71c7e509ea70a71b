#include "Application.h"
#include "ComComboBox.h"
#include "ComPort.h"
#include "Font.h"
#include "IniFileStorage.h"
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

} // namespace

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    QPointer<TFormMain> mainWindow;
    onSignalsCall(&app, [&mainWindow] {
        if (mainWindow)
            mainWindow->close();
    });
    QApplication::setApplicationName(QStringLiteral("Tavelgrid"));
    QApplication::setApplicationVersion(QStringLiteral(TAVELGRID_VERSION));

    QCommandLineParser cl;
    cl.setApplicationDescription(QStringLiteral("Serial-port instrument panel"));
    cl.addHelpOption();
    cl.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Serial port to use."), QStringLiteral("NAME"));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("Baud rate."), QStringLiteral("N"));
    const QCommandLineOption connectNow(QStringLiteral("connect"), QStringLiteral("Connect at start."));
    const QCommandLineOption settings(QStringLiteral("settings"), QStringLiteral("Settings file to use."),
                                      QStringLiteral("FILE"));
    cl.addOptions({port, baud, connectNow, settings});
    cl.process(app);

    // A second copy brings the first to the front and ends before it makes a window.
    SingleInstanceGuard guard(QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUpper());
    if (!guard.claim()) {
        guard.activateFirst();
        return 0;
    }

    TFont::installSubstitutions();
    // Destroyed before the application object, so the destroy-time save runs with every
    // component alive, after a signal as well.
    auto window = std::make_unique<TFormMain>(cl.isSet(settings) ? cl.value(settings)
                                                                 : IniFileStorage::defaultFileName());
    TFormMain *w = window.get();
    mainWindow = w;
    guard.OnActivate = [w] {
        w->showNormal();
        w->raise();
        w->activateWindow();
    };
    if (cl.isSet(port)) {
        w->ComPort1->SetPort(cl.value(port));
        // The Interface page shows the port given, when it is one of those listed.
        w->ComComboBoxPort->SetText(cl.value(port));
    }
    if (cl.isSet(baud))
        w->ComboBoxBaud->setCurrentText(cl.value(baud));
    w->show();
    if (cl.isSet(connectNow))
        QTimer::singleShot(0, w, &TFormMain::ButtonConnectComPort1Click);
    const int rc = app.exec();
    guard.OnActivate = nullptr;
    window.reset();
    return rc;
}
