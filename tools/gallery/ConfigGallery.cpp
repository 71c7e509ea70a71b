// The Instruments page with a meter and the seven-segment display selected, and a meter being
// resized in edit mode.
#include "Gallery.h"

#include "AMeterPage.h"
#include "GvVMeter.h"
#include "InstrumentsPage.h"
#include "PanelEditor.h"
#include "SevenSeg.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPalette>

namespace gallery {

void configPages()
{
    QWidget panel;
    panel.resize(500, 400);
    for (int id = 1; id <= 10; ++id) {
        auto *m = new TGvVMeter(&panel);
        m->setObjectName(QStringLiteral("Instr%1").arg(id));
        m->SetAutoSize(false);
        m->SetHintOptions({});
        m->setGeometry(40, 40, 120, 220);
        m->SignalSettings()->SetName1(QStringLiteral("Druck"));
        m->SignalSettings()->SetValueUnit(QStringLiteral("bar"));
        m->loaded();
    }
    auto *display = new TSevenSeg(&panel);
    display->setObjectName(QStringLiteral("Instr40"));

    TInstrumentsPage page(&panel);
    page.resize(1100, 820);
    page.show();
    page.PageShown();
    page.Select(3);
    QApplication::processEvents();
    save(page, QStringLiteral("config-ameter"));
    page.Select(40);
    QApplication::processEvents();
    save(page, QStringLiteral("config-7seg"));

    TPanelEditor editor(&panel, [] { return false; });
    auto *meter = panel.findChild<TGvVMeter *>(QStringLiteral("Instr1"));
    meter->raise();
    panel.show();
    editor.InstrDblClick(meter);
    QWidget *handle = editor.Selection()->Handle(3);
    editor.Selection()->MouseDown(handle, 4, 4);
    editor.Selection()->MouseMove(handle, 34, 24);
    QApplication::processEvents();
    save(panel, QStringLiteral("config-edit-selection"));
}

} // namespace gallery
