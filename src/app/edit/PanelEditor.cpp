#include "PanelEditor.h"

#include "GvMiniTrend.h"

#include <QChildEvent>

TPanelEditor::TPanelEditor(QWidget *panel, std::function<bool()> connected)
    : panel(panel), connected(std::move(connected))
{
    for (QObject *child : panel->children())
        Watch(child);
    panel->installEventFilter(this);
}

// The selection ends first, while the filter that feeds it is whole.
TPanelEditor::~TPanelEditor() { selection.reset(); }

void TPanelEditor::Watch(QObject *child)
{
    if (child->isWidgetType())
        child->installEventFilter(this);
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

bool TPanelEditor::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == panel) {
        if (e->type() == QEvent::ChildAdded)
            Watch(static_cast<QChildEvent *>(e)->child());
        return false;
    }
    return selection && watched == selection->Selected() && selection->ControlEvent(e);
}
