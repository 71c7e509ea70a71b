#pragma once
// A selection on the panel: eight handles around one control, a position label, and the mouse
// logic that moves the control (drag on it) or resizes it (drag on a handle). While it exists
// the control's own mouse handlers are put aside, so a selected push button sends nothing.
#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>


class TGvControl;

class Markierungen : public QObject {
    Q_OBJECT
public:
    static constexpr int HandleSize = 9;
    static constexpr int MinSize = 30;

    explicit Markierungen(QWidget *selected);
    ~Markierungen() override; // puts the control's handlers back

    QWidget *Selected() const { return control; }
    QWidget *Handle(int tag) const { return handles[static_cast<size_t>(tag)]; }
    QLabel *PositionLabel() const { return label; }
    bool Dragging() const { return dragging; }

    // The three mouse handlers, for the selected control and every handle; x, y are relative
    // to the control that received the event.
    void MouseDown(QWidget *sender, int x, int y);
    void MouseMove(QWidget *sender, int x, int y);
    void MouseUp(QWidget *sender);

    // An event of the selected control, passed on by the editor's filter: the handles follow
    // every move and resize (also one the control makes itself, such as an auto-sized
    // indicator going back to its needed size), and a control without handler slots gives its
    // mouse to the selection. True when the event is used up.
    bool ControlEvent(QEvent *e);

private:
    void PlaceHandles();
    void RaiseToMinimum();
    void InstallHandlers();
    void RestoreHandlers();

    QPointer<QWidget> control;
    TGvControl *gvControl = nullptr; // the control when it has swappable handlers
    std::array<QPointer<QWidget>, 8> handles{};
    QPointer<QLabel> label;
    int startX = 0;
    int startY = 0;
    bool dragging = false;

    using ClickHandler = std::function<void(QObject *)>;
    using ButtonHandler = std::function<void(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int)>;
    using MoveHandler = std::function<void(QObject *, Qt::KeyboardModifiers, int, int)>;
    ButtonHandler savedDown;
    ButtonHandler savedUp;
    MoveHandler savedMove;
    ClickHandler savedClick;
};
