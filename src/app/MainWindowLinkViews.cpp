// The window's views of the link beyond the status strip: the id inspector, stale instruments
// dimmed, and the values and the panel exported.
#include "MainWindow.h"

#include "Export.h"
#include "FeatureSettings.h"
#include "IdInspector.h"
#include "StaleMarker.h"

#include <QAction>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>

void TFormMain::addExportItems(QMenu *file)
{
    file->addAction(QStringLiteral("&Export Values…"), this, [this] {
        if (journal.empty()) {
            showWarning(QStringLiteral("Es wurden noch keine Daten empfangen."));
            return;
        }
        tg::app::ExportSpanDialog span(journal.firstTime(), journal.lastTime(), this);
        if (span.exec() != QDialog::Accepted)
            return;
        const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Export Values"), QString(),
                                                          QStringLiteral("CSV files (*.csv)"));
        if (const QString error = name.isEmpty() ? QString() : ExportValues(name, span.From(), span.Until());
            !error.isEmpty())
            showWarning(QStringLiteral("Die Werte können nicht exportiert werden:\n%1\n\n%2").arg(name, error));
    })->setObjectName(QStringLiteral("ExportValuesItem"));
    file->addAction(QStringLiteral("Export &Panel Image…"), this, [this] {
        const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Export Panel Image"), QString(),
                                                          QStringLiteral("PNG images (*.png)"));
        if (const QString error = name.isEmpty() ? QString() : ExportPanel(name); !error.isEmpty())
            showWarning(QStringLiteral("Das Bild kann nicht gespeichert werden:\n%1\n\n%2").arg(name, error));
    })->setObjectName(QStringLiteral("ExportPanelItem"));
}

void TFormMain::addLinkViewItems(QMenu *show)
{
    show->addAction(QStringLiteral("Id &Inspector"), this, [this] {
        IdInspector()->show();
        inspector->raise();
        inspector->activateWindow();
    })->setObjectName(QStringLiteral("IdInspectorItem"));
    staleMarkingItem = show->addAction(QStringLiteral("Dim Stale Instru&ments"));
    staleMarkingItem->setObjectName(QStringLiteral("StaleMarkingItem"));
    staleMarkingItem->setCheckable(true);
    connect(staleMarkingItem, &QAction::triggered, this, &TFormMain::SetStaleMarking);
    show->addAction(QStringLiteral("Stale After &N Seconds…"), this, [this] {
        bool ok = false;
        const int seconds = QInputDialog::getInt(this, QStringLiteral("Stale Instruments"),
                                                 QStringLiteral("Dim an instrument without a new value for (seconds):"),
                                                 StaleMarker1->AfterSeconds(), 1, 24 * 3600, 1, &ok);
        if (ok)
            SetStaleSeconds(seconds);
    })->setObjectName(QStringLiteral("StaleSecondsItem"));
}

TIdInspector *TFormMain::IdInspector()
{
    if (!inspector)
        inspector = new TIdInspector({&linkStats, [this](int32_t id) { return ShowsId(id); }}, this);
    return inspector;
}

void TFormMain::SetStaleMarking(bool on)
{
    StaleMarker1->SetEnabled(on);
    staleMarkingItem->setChecked(on);
    features->SetStaleMarking(on);
}

void TFormMain::SetStaleSeconds(int seconds)
{
    StaleMarker1->SetAfterSeconds(seconds);
    features->SetStaleSeconds(seconds);
}

QString TFormMain::ExportValues(const QString &fileName, tg::journal::Micros from, tg::journal::Micros until)
{
    return tg::app::exportValues(this, journal, *ComDataPacket1, from, until, fileName);
}

QString TFormMain::ExportPanel(const QString &fileName)
{
    return tg::app::exportPanel(TabSheetShow, fileName);
}
