// tavelgrid-term: opens a port with the panel's line settings and shows the panel's terminal on
// it in a window.
#include "ComTerminal.h"
#include "EComPort.h"
#include "PanelTerminal.h"

#include "PortArgs.h"

#include <QApplication>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "usage: tavelgrid-term PORT [BAUD]\n"
    "Opens PORT (a name under /dev or a path) at BAUD (default 9600), 8 data bits,\n"
    "1 stop bit, no parity, no flow control, and shows a terminal on it.\n";

int usageError(const QString &problem)
{
    std::fprintf(stderr, "tavelgrid-term: %s\n", qPrintable(problem));
    std::fputs(kUsage, stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    // Before the application object, which needs a display: the usage is also read over SSH.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString portName;
    int32_t baud = 0;
    if (const QString problem = parsePortArgs(args, portName, baud); !problem.isEmpty())
        return usageError(problem);

    TComPort port;
    port.SetPort(portName);
    port.SetBaudRate(Com::brCustom);
    port.SetCustomBaudRate(baud);

    TComTerminal term;
    setupPanelTerminal(term);
    term.SetComPort(&port);
    term.setWindowTitle(QStringLiteral("tavelgrid-term ") + portName);
    port.OnError = [&](TCustomComPort *, Com::TComErrors errors) {
        if (errors & Com::ceIO) {
            std::fprintf(stderr, "tavelgrid-term: the device is gone\n");
            app.exit(1);
        }
    };
    try {
        port.Open();
    } catch (const EComPort &e) {
        std::fprintf(stderr, "tavelgrid-term: %s: %s\n", qPrintable(portName), e.what());
        return 1;
    }
    term.resize(820, 560);
    term.show();
    term.setFocus();
    const int rc = app.exec();
    term.SetComPort(nullptr);
    port.Close();
    return rc;
}
