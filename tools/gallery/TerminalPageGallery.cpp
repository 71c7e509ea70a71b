// The window's Terminal page watching the simulator's traffic over its pseudo-terminal.
#include "Gallery.h"

#include "ComPort.h"
#include "ComTerminal.h"
#include "MainWindow.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTabWidget>
#include <cstdio>

namespace gallery {

QString startSimulator(QProcess &device, const QStringList &args)
{
    const QString sim = QCoreApplication::applicationDirPath() + QStringLiteral("/../sim/tavelgrid-sim");
    device.start(sim, args);
    if (!device.waitForStarted() || !device.waitForReadyRead(5000)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(sim));
        return QString();
    }
    return QString::fromLocal8Bit(device.readLine()).trimmed();
}

void terminalPage()
{
    QProcess device;
    const QString port = startSimulator(device, {QStringLiteral("--rate"), QStringLiteral("200"),
                                                 QStringLiteral("--duration"), QStringLiteral("20"),
                                                 QStringLiteral("--quiet")});
    if (port.isEmpty())
        return;

    TFormMain w;
    w.showWarning = [](const QString &text) { std::fprintf(stderr, "%s\n", qPrintable(text)); };
    w.ComPort1->SetPort(port);
    w.PageControl1->setCurrentWidget(w.TabSheetTerminal);
    w.ButtonTerminalConnectClick();
    w.EditTerminalSendString->setText(QStringLiteral("#70M1<"));
    w.show();
    // Let the device fill most of the visible rows.
    const QDeadlineTimer deadline(10000);
    while (w.ComTerminal1->Screen().CaretRow() < 18 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    w.ComTerminal1->setFocus();
    QCoreApplication::processEvents();
    save(w, QStringLiteral("terminal-page"));
    w.ButtonTerminalDisconnectClick();
    w.ComPort1->SetConnected(false);
    device.terminate();
    device.waitForFinished(3000);
}

} // namespace gallery
