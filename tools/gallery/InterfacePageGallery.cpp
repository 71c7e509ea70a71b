// The Interface page with the port list open: each port with what it is, here the simulator's.
#include "Gallery.h"

#include "ComComboBox.h"
#include "MainWindow.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>

namespace gallery {

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
        TFormMain w;
        w.PageControl1->setCurrentWidget(w.TabSheetSchnittstelle);
        w.ComComboBoxPort->SetText(port); // the pty selects the entry that leads to it
        w.show();
        w.ComComboBoxPort->showPopup();
        QCoreApplication::processEvents();
        // The list is a window of its own: drawn over the page where it opened.
        QWidget *list = w.ComComboBoxPort->view()->window();
        QImage shot = image(w);
        QPainter p(&shot);
        list->render(&p, w.mapFromGlobal(list->mapToGlobal(QPoint())), QRegion(), QWidget::DrawChildren);
        p.end();
        save(shot, QStringLiteral("interface-port-list"));
        w.ComComboBoxPort->hidePopup();
        device.terminate();
        device.waitForFinished(3000);
    }
    qputenv("XDG_RUNTIME_DIR", saved);
}

} // namespace gallery
