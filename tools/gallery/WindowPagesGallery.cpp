// Every page of the window with the demo panel switched on and fed by the simulator, as the
// screen shows it: with a display the pixels are taken from the screen, so what the window
// system composes (and any seam between cached layers) is in the picture.
#include "Gallery.h"

#include "ComPort.h"
#include "InstrumentsPage.h"
#include "IdInspector.h"
#include "MainWindow.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

namespace gallery {

namespace {

void runFor(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void saveWindow(QWidget &w, const QString &name)
{
    runFor(300);
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        save(w.screen()->grabWindow(w.winId()).toImage(), name);
    else
        save(w, name);
}

} // namespace

void windowPages()
{
    // A copy of the demo settings, so the panel is laid out as the demo shows it.
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("Tavelgrid.ini"));
    QFile::copy(QStringLiteral(TG_DEMO_SETTINGS), settings);
    QFile::setPermissions(settings, QFile::ReadOwner | QFile::WriteOwner);
    QProcess device;
    const QString port = startSimulator(device, {QStringLiteral("--duration"), QStringLiteral("30"),
                                                 QStringLiteral("--quiet")});
    TFormMain w(settings);
    w.showWarning = [](const QString &text) { std::fprintf(stderr, "%s\n", qPrintable(text)); };
    w.show();
    if (!port.isEmpty()) {
        w.ComPort1->SetPort(port);
        w.ButtonConnectComPort1Click();
    }
    runFor(3000);
    saveWindow(w, QStringLiteral("window-show"));
    const std::pair<QWidget *, const char *> pages[] = {{w.TabSheetInstrumente, "window-instruments"},
                                                        {w.TabSheetSchnittstelle, "window-interface"},
                                                        {w.TabSheetTerminal, "window-terminal"},
                                                        {w.TabSheetOptionen, "window-options"},
                                                        {w.TabSheetHilfe, "window-info"}};
    for (const auto &[page, name] : pages) {
        w.PageControl1->setCurrentWidget(page);
        saveWindow(w, QString::fromLatin1(name));
    }
    // The Instruments page with a meter's fields open.
    w.PageControl1->setCurrentWidget(w.TabSheetInstrumente);
    w.findChild<TInstrumentsPage *>()->Select(3);
    saveWindow(w, QStringLiteral("window-instruments-ameter"));
    // The id inspector over the live link.
    w.PageControl1->setCurrentWidget(w.TabSheetShow);
    w.IdInspector()->show();
    saveWindow(*w.IdInspector(), QStringLiteral("id-inspector"));
    w.IdInspector()->hide();
    // The device stops talking: after three seconds its instruments are dimmed with their age.
    w.SetStaleSeconds(3);
    w.SetStaleMarking(true);
    w.ComPort1->SetConnected(false);
    runFor(4200);
    saveWindow(w, QStringLiteral("panel-stale-instruments"));
    w.SetStaleMarking(false);
    device.terminate();
    device.waitForFinished(3000);
}

} // namespace gallery
