// The Interface page with the port list open: each port with what it is, first the simulator's
// alone, then beside USB devices and a UART laid out in sysfs as the kernel lays them out (the
// machines the pictures are made on have no USB serial devices).
#include "../../tests/platform/SysfsFixture.h"
#include "Gallery.h"

#include "ComComboBox.h"
#include "MainWindow.h"
#include "SerialPorts.h"
#include "PortIdentity.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>

namespace gallery {

namespace {

void portList(const QString &selected, const QString &name, const tg::platform::SystemRoots *roots = nullptr)
{
    TFormMain w;
    if (roots) {
        w.ComComboBoxPort->SetPortLister([roots] { return tg::platform::listSerialPorts(*roots); });
        w.ComComboBoxPort->SetPortDescriber([roots](const QString &port) { return tg::platform::describePort(port, *roots); });
    }
    w.PageControl1->setCurrentWidget(w.TabSheetSchnittstelle);
    w.ComComboBoxPort->SetText(selected); // the pty selects the entry that leads to it
    w.show();
    w.ComComboBoxPort->showPopup();
    QCoreApplication::processEvents();
    // The list is a window of its own: drawn over the page where it opened.
    QWidget *list = w.ComComboBoxPort->view()->window();
    QImage shot = image(w);
    QPainter p(&shot);
    list->render(&p, w.mapFromGlobal(list->mapToGlobal(QPoint())), QRegion(), QWidget::DrawChildren);
    p.end();
    save(shot, name);
    w.ComComboBoxPort->hidePopup();
}

} // namespace

void interfacePage()
{
    // A runtime folder of its own, so the list holds the simulator's port and no other.
    QTemporaryDir runtime;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QProcess device;
    const QString port =
        startSimulator(device, {QStringLiteral("--duration"), QStringLiteral("20"), QStringLiteral("--quiet")});
    if (!port.isEmpty()) {
        portList(port, QStringLiteral("interface-port-list"));
        SysfsFixture sys;
        sys.add({"ttyUSB0", kPci, "1-2", "0403", "6001", "FTDI", "FT232R USB UART", "A50285BI"});
        sys.add({"ttyUSB1", kPci, "1-1.4", "1a86", "7523", "", "USB Serial", ""});
        sys.add({"ttyACM0", kPci, "1-3", "1209", "2301", "Board Maker (board.example)", "", "85736323838351F0B1A1"});
        sys.addUart(QStringLiteral("ttyS0"), QStringLiteral("4"));
        portList(sys.node(QStringLiteral("ttyUSB0")), QStringLiteral("interface-port-list-usb"), &sys.roots);
        device.terminate();
        device.waitForFinished(3000);
    }
    qputenv("XDG_RUNTIME_DIR", saved);
}

} // namespace gallery
