#pragma once
// Arranging the panel with the mouse: the window's shared double-click handler starts or ends
// the one selection, and "Edit Mode" clears the way for it. There is no edit-mode flag: a
// selection is possible whenever the port is closed.
#include "Markierungen.h"

#include <functional>
#include <memory>

class TPanelEditor : public QObject {
public:
    // panel: the page that holds the instruments, BackgroundFill1 and Image1.
    // connected: whether the serial port is open at the moment.
    TPanelEditor(QWidget *panel, std::function<bool()> connected);
    ~TPanelEditor() override;

    // The double-click handler of every instrument and the click handler of Image1.
    void InstrDblClick(QObject *sender);
    // The menu item "Edit Mode": hides the background fill, stops the trend's flow, and closes
    // the port through closePort.
    void EditModeClick(const std::function<void()> &closePort);

    Markierungen *Selection() const { return selection.get(); }

protected:
    // The selection follows its control's mouse and geometry through this one filter, which
    // watches every control of the panel from the moment it is added. A filter installed on
    // a control while one of its events is being filtered makes Qt filter that event again,
    // so a selection must not install its own when a double-click creates it.
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void Watch(QObject *child);

    QWidget *panel;
    std::function<bool()> connected;
    std::unique_ptr<Markierungen> selection;
};
