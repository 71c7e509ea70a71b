#include "PanelEditor.h"

#include "GvMiniTrend.h"

TPanelEditor::TPanelEditor(QWidget *panel, std::function<bool()> connected)
    : panel(panel), connected(std::move(connected))
{
}

void TPanelEditor::InstrDblClick(QObject *sender)
{
    if (connected && connected())
        return;
    if (selection) {
        // Ending a selection is all a double-click does then, wherever it lands.
        selection.reset();
        return;
    }
    auto *w = qobject_cast<QWidget *>(sender);
    if (!w || w->objectName() == QLatin1String("Image1"))
        return;
    selection = std::make_unique<Markierungen>(w);
}

void TPanelEditor::EditModeClick(const std::function<void()> &closePort)
{
    if (auto *fill = panel->findChild<QWidget *>(QStringLiteral("BackgroundFill1")))
        fill->hide();
    for (auto *trend : panel->findChildren<TGvMiniTrend *>())
        trend->SetFlow(false);
    if (closePort)
        closePort();
}
