#pragma once
// The root of every instrument: hint text, update lock, loaded(), flash messages, mouse events,
// and the cached background layer with partial repaints (see CachedLayer.h).
//   TGvGraphicControl instruments that only show (meters, value indicator, lamps)
//   TGvCustomControl  instruments that take the keyboard focus
#include "CachedLayer.h"
#include "ControlBounds.h"
#include "GvTypes.h"
#include "Records.h"

#include <QWidget>
#include <cstdint>
#include <functional>

namespace tg {
// Whether e, sent to w, means that a mouse press held on w will get no release: w hidden or
// disabled, or its window blocked by a modal box or deactivated.
bool EndsHeldPress(const QWidget *w, const QEvent *e);
} // namespace tg

class TGvControl : public QWidget, public TControlBounds<TGvControl> {
    Q_OBJECT
    TG_CONTROL_BOUNDS_PROPERTIES
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
public:
    explicit TGvControl(QWidget *parent = nullptr);
    ~TGvControl() override; // leaves the flash service

    // The hint is only a stored text (the panel keeps factors in it); it is not a tooltip.
    // An instrument that composes its hint from its value does so when the hint is read.
    QString Hint() const
    {
        if (hintStale) {
            hintStale = false;
            const_cast<TGvControl *>(this)->ComposeHint();
        }
        return hint;
    }
    void SetHint(const QString &s)
    {
        hintStale = false;
        hint = s;
    }
    bool ShowHint() const { return showHint; }
    void SetShowHint(bool b) { showHint = b; }
    int Tag = 0;

    // Own font of the control (drawing font of the instruments).
    TFont *Font() const { return font; }
    void SetFont(const TFont *f);

    // Update lock: held from construction until loaded(); Change runs ParamChange only when
    // the lock is 0.
    void BeginUpdate();
    void EndUpdate();
    int UpdateLock() const { return updateLock; }
    virtual void Change();
    virtual void ParamChange() {}

    // Called once after construction and the form's initial values: wires the change notices
    // and releases the constructor's update lock (which runs Change).
    virtual void loaded();
    bool IsLoading() const { return loading; }

    // Settings changed: rebuilds the cached background now (unless the update lock is held)
    // and repaints the whole control.
    void Invalidate();
    // Everything asked to be repainted since the last paint (offscreen rendering of frames).
    QRegion TakeDirtyRegion();

    // A message of the flash service (counter, phase / lateness / 0).
    virtual void FlashMessage(uint32_t counter, int param);

    // Ends a left press still held on the control as if the button were let go there (without
    // a click), for a press whose release will never come: the control hidden or disabled,
    // its window blocked or deactivated, or a popup taking the mouse. The real release, should
    // it still arrive, is dropped, so the press ends exactly once. It ends from the event
    // loop, once the event in hand is done: no handler runs while a window is torn down.
    void EndPress();

    // Focus reached from the keyboard (or given by assistive technology) shows a frame; focus
    // taken by a click does not, so the panel looks as it always did under the mouse.
    bool ShowsFocusFrame() const { return keyboardFocus && hasFocus(); }

    std::function<void(QObject *sender)> OnClick;
    std::function<void(QObject *sender)> OnDblClick;
    std::function<void(QObject *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)> OnMouseDown;
    std::function<void(QObject *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)> OnMouseUp;
    std::function<void(QObject *sender, Qt::KeyboardModifiers shift, int x, int y)> OnMouseMove;

protected:
    // The cached background layer: what BuildBackground paints, at the current size and device
    // pixel ratio. Does nothing while the update lock is held.
    virtual void BuildBackground(tg::TCanvas &c) { Q_UNUSED(c); }
    // The parts that change with the value, painted over the layer where the paint asks.
    virtual void PaintForeground(QPainter &p, const QRegion &asked)
    {
        Q_UNUSED(p);
        Q_UNUSED(asked);
    }
    // The composed hint no longer matches: ComposeHint runs when the hint is next read.
    void MarkHintStale() { hintStale = true; }
    virtual void ComposeHint() {}
    // Marks the layer stale without rebuilding it (the next EnsureBackground rebuilds).
    void MarkBackgroundStale() { layer.Invalidate(); }
    // Rebuilds the layer if it is stale or was built for another size or ratio.
    void EnsureBackground();
    const QImage &BackgroundLayer() const { return layer.Image(); }
    // Asks for a repaint of part alone (nothing while locked or hidden).
    void RepaintPart(const QRegion &part);
    void RepaintPart(const QRect &part); // the common case, without a region to build
    // Asks for a repaint of the whole control over the current layer.
    void RepaintAll();

    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    // Presses the control as a left click at its centre does, through the same handlers, so
    // the keyboard and assistive technology send exactly what the mouse sends.
    void ClickPress();
    void ClickRelease();

private:
    void setKeyboardFocus(bool on);

    QString hint;
    mutable bool hintStale = false;
    bool showHint = false;
    TFont *font;
    int updateLock = 0;
    bool loading = true;
    tg::TCachedLayer layer;
    QRegion dirty;
    bool pressHeld = false;
    uint32_t pressCount = 0; // left presses so far: EndPress ends only the one it was asked for
    bool pressEnded = false; // ended by EndPress: its own release is still to be dropped
    bool endingPress = false;
    QPoint pressPos;         // where the held press was last, relative to the control
    bool keyboardFocus = false;
};

class TGvGraphicControl : public TGvControl {
    Q_OBJECT
public:
    using TGvControl::TGvControl;
};

class TGvCustomControl : public TGvControl {
    Q_OBJECT
public:
    explicit TGvCustomControl(QWidget *parent = nullptr);
};
