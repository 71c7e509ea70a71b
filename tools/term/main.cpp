// tavelgrid-term: opens a port with the panel's line settings and shows the panel's terminal on
// it in a window.
#include "ComTerminal.h"
#include "EComPort.h"
#include "PanelTerminal.h"

#include "IniImage.h"

#include <QApplication>
#include <cstdint>
#include <cstdio>

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
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.isEmpty())
        return usageError(QStringLiteral("no port given"));
    if (args.size() > 2)
        return usageError(QStringLiteral("too many arguments"));
    qint64 baud = 9600;
    if (args.size() == 2 && (!tg::parseInt64(args[1], baud) || baud <= 0 || baud > INT32_MAX))
        return usageError(QStringLiteral("bad baud rate \"") + args[1] +
                          QStringLiteral("\": give a whole number from 1 to 2147483647"));

    TComPort port;
    port.SetPort(args[0]);
    port.SetBaudRate(Com::brCustom);
    port.SetCustomBaudRate(int32_t(baud));

    TComTerminal term;
    setupPanelTerminal(term);
    term.SetComPort(&port);
    term.setWindowTitle(QStringLiteral("tavelgrid-term ") + args[0]);
    port.OnError = [&](TCustomComPort *, Com::TComErrors errors) {
        if (errors & Com::ceIO) {
            std::fprintf(stderr, "tavelgrid-term: the device is gone\n");
            app.exit(1);
        }
    };
    try {
        port.Open();
    } catch (const EComPort &e) {
        std::fprintf(stderr, "tavelgrid-term: %s: %s\n", qPrintable(args[0]), e.what());
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
