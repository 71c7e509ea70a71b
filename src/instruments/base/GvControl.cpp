#include "GvControl.h"

#include "FlashService.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPointer>
#include <QPen>

namespace {

// Ends the held press when a popup takes the mouse: its release then goes to the popup, and
// the control is told nothing. One for the program, on the application from the first control
// on (not from a press: a filter installed while an event is being filtered sees it again).
class TPressWatch : public QObject {
public:
    static TPressWatch *Instance()
    {
        static QPointer<TPressWatch> watch;
        if (!watch) {
            watch = new TPressWatch(QCoreApplication::instance());
            QCoreApplication::instance()->installEventFilter(watch);
        }
        return watch;
    }
    QPointer<TGvControl> holder; // the control a left press was last made on

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Show && holder && o->isWidgetType() &&
            static_cast<QWidget *>(o)->windowType() == Qt::Popup)
            holder->EndPress();
        return false;
    }

private:
    using QObject::QObject;
};

} // namespace

TGvControl::TGvControl(QWidget *parent) : QWidget(parent), font(new TFont(this))
{
    TPressWatch::Instance();
    // Nothing is laid out or drawn until the control has been loaded.
    BeginUpdate();
}

TGvControl::~TGvControl()
{
    // Never leave a dangling receiver in the flash list.
    FlashUnregister(this);
}

void TGvControl::SetFont(const TFont *f)
{
    if (f && f != font)
        font->Assign(*f);
}

void TGvControl::BeginUpdate() { ++updateLock; }

void TGvControl::EndUpdate()
{
    if (updateLock > 0)
        --updateLock;
    if (updateLock == 0)
        Change();
}

void TGvControl::Change()
{
    if (updateLock == 0)
        ParamChange();
}

void TGvControl::loaded()
{
    if (!loading)
        return;
    loading = false;
    // Every font change lays the instrument out again, unless it wired its own handler.
    if (!font->OnChange)
        font->OnChange = [this] { Change(); };
    EndUpdate();
}

void TGvControl::Invalidate()
{
    layer.Invalidate();
    if (updateLock > 0)
        return;
    EnsureBackground();
    RepaintAll();
}

void TGvControl::EnsureBackground()
{
    if (updateLock == 0)
        layer.Ensure(size(), devicePixelRatioF(), [this](tg::TCanvas &c) { BuildBackground(c); });
}

// A part asked for again before the paint that shows it is asked for already: under a fast
// device most values land here, and cost no region arithmetic.
void TGvControl::RepaintPart(const QRegion &part)
{
    if (part.isEmpty() || updateLock > 0 || isHidden() || dirty.contains(part.boundingRect()))
        return;
    dirty += part;
    update(part);
}

void TGvControl::RepaintPart(const QRect &part)
{
    if (part.isEmpty() || updateLock > 0 || isHidden() || dirty.contains(part))
        return;
    dirty += part;
    update(part);
}

void TGvControl::RepaintAll()
{
    dirty = QRegion(rect());
    update();
}

QRegion TGvControl::TakeDirtyRegion()
{
    QRegion r = dirty;
    dirty = QRegion();
    return r;
}

void TGvControl::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    // Built here, outside painting, so layout results of the build are known before any paint.
    EnsureBackground();
    dirty = QRegion(rect());
}

void TGvControl::paintEvent(QPaintEvent *e)
{
    if (updateLock > 0)
        return;
    dirty = QRegion();
    EnsureBackground(); // a change of screen (device pixel ratio) lands here
    QPainter p(this);
    p.setClipRegion(e->region());
    layer.Blit(p, e->region());
    PaintForeground(p, e->region());
    if (ShowsFocusFrame()) {
        // A frame along the edge, over the instrument's own bevel (the style's focus mark tints
        // the whole face, which hides the button's state).
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void TGvControl::setKeyboardFocus(bool on)
{
    if (on == keyboardFocus)
        return;
    keyboardFocus = on;
    RepaintAll();
}

void TGvControl::focusInEvent(QFocusEvent *e)
{
    QWidget::focusInEvent(e);
    // Coming back to the window or from a menu keeps the frame as it was.
    if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason)
        keyboardFocus = e->reason() != Qt::MouseFocusReason;
    if (keyboardFocus)
        RepaintAll();
}

void TGvControl::focusOutEvent(QFocusEvent *e)
{
    QWidget::focusOutEvent(e);
    if (keyboardFocus)
        RepaintAll();
}

void TGvControl::ClickPress()
{
    const QPointF c = QRectF(rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, c, mapToGlobal(c), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(this, &press);
}

void TGvControl::ClickRelease()
{
    const QPointF c = QRectF(rect()).center();
    QMouseEvent release(QEvent::MouseButtonRelease, c, mapToGlobal(c), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(this, &release);
}

void TGvControl::FlashMessage(uint32_t, int) {}

bool tg::EndsHeldPress(const QWidget *w, const QEvent *e)
{
    switch (e->type()) {
    case QEvent::Hide:
    case QEvent::WindowBlocked:
    case QEvent::WindowDeactivate: return true;
    case QEvent::EnabledChange: return !w->isEnabled();
    default: return false;
    }
}

bool TGvControl::event(QEvent *e)
{
    if (e->type() == TFlashEvent::Type) {
        const auto *fe = static_cast<TFlashEvent *>(e);
        FlashMessage(fe->Counter, fe->Param);
        return true;
    }
    if (e->type() == QEvent::MouseButtonRelease && pressEnded &&
        static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton) {
        pressEnded = false;
        return true;
    }
    if (tg::EndsHeldPress(this, e))
        EndPress();
    return QWidget::event(e);
}

void TGvControl::EndPress()
{
    if (!pressHeld)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, press = pressCount] {
            if (!pressHeld || press != pressCount)
                return;
            pressEnded = true;
            QMouseEvent release(QEvent::MouseButtonRelease, QPointF(pressPos), mapToGlobal(QPointF(pressPos)),
                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            endingPress = true;
            mouseReleaseEvent(&release);
            endingPress = false;
        },
        Qt::QueuedConnection);
}

void TGvControl::mousePressEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (e->spontaneous())
        setKeyboardFocus(false);
    if (e->button() == Qt::LeftButton) {
        pressHeld = true;
        ++pressCount;
        pressEnded = false;
        pressPos = p;
        TPressWatch::Instance()->holder = this;
    }
    if (OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), p.x(), p.y());
}

void TGvControl::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::LeftButton)
        pressHeld = false;
    if (OnMouseUp)
        OnMouseUp(this, e->button(), e->modifiers(), p.x(), p.y());
    // A press ended by other means is no click.
    if (e->button() == Qt::LeftButton && !endingPress && rect().contains(p) && OnClick)
        OnClick(this);
}

void TGvControl::mouseDoubleClickEvent(QMouseEvent *e)
{
    // Qt reports the second press of a double click as this event alone: it is still a press
    // (a button's press message, a dial's drag), then the double click.
    mousePressEvent(e);
    if (e->button() == Qt::LeftButton && OnDblClick)
        OnDblClick(this);
}

void TGvControl::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (pressHeld)
        pressPos = p;
    if (OnMouseMove)
        OnMouseMove(this, e->modifiers(), p.x(), p.y());
}

TGvCustomControl::TGvCustomControl(QWidget *parent) : TGvControl(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}
