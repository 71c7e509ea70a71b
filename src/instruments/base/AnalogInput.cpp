#include "AnalogInput.h"

#include "Announcer.h"
#include "NumberFormat.h"
#include "Numeric.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>

TGvAnalogCControl::TGvAnalogCControl(QWidget *parent)
    : TGvCustomControl(parent), signalSettings(new TSignalSettings(this))
{
    Font()->SetName(QStringLiteral("MS Sans Serif"));
    Font()->SetSize(10);
}

void TGvAnalogCControl::SetDigit(int d)
{
    if (d == digit && UpdateLock() == 0)
        return;
    const TSignalSettings &s = *signalSettings;
    digit = tg::clampInt(d, s.DigitalFrom(), s.DigitalTo());
    const float v = float((double(digit) - s.DigitalFrom()) * s.ValuePerDigit() + double(s.ValueFrom()));
    if (std::isfinite(v))
        value = v;
    ValueChange();
    tg::AnnounceChange(this);
    if (!IsLoading() && OnValueChange)
        OnValueChange(this);
    valueChangedPending = true;
}

void TGvAnalogCControl::SetValue(float v)
{
    if (!std::isfinite(v) || (v == value && UpdateLock() == 0))
        return;
    if (signalSettings->DigitsPerValue() == 0)
        signalSettings->Changed();
    const TSignalSettings &s = *signalSettings;
    // max(min(v, to), from): defined for an inverted range too
    value = std::max(std::min(v, s.ValueTo()), s.ValueFrom());
    SetDigit(tg::roundTo<int>((double(value) - s.ValueFrom()) * s.DigitsPerValue() + s.DigitalFrom()));
}

void TGvAnalogCControl::SetColorFocus(TColor c)
{
    if (c == colorFocus)
        return;
    colorFocus = c;
    ParamChange();
}

void TGvAnalogCControl::SetColorNonFocus(TColor c)
{
    if (c == colorNonFocus)
        return;
    colorNonFocus = c;
    ParamChange();
}

void TGvAnalogCControl::SetValueIndicator(TGvAnalogGControl *c)
{
    valueIndicator = c; // a QPointer: cleared when c is destroyed
    if (c) {
        c->SignalSettings()->Assign(*signalSettings);
        ValueChange();
    }
}

void TGvAnalogCControl::ChangeDigitBy(int up, int down)
{
    const int64_t next = up > 0 ? int64_t(digit) + up : int64_t(digit) - down;
    const TSignalSettings &s = *signalSettings;
    SetDigit(int(tg::clampInt<int64_t>(next, s.DigitalFrom(), s.DigitalTo())));
}

void TGvAnalogCControl::ValueChange()
{
    valueText = FormatFloat(signalSettings->ValueFormat(), value);
    digitText = QString::number(digit);
    if (valueIndicator)
        valueIndicator->SetValue(value);
}

void TGvAnalogCControl::ParamChange()
{
    if (valueIndicator)
        valueIndicator->SignalSettings()->Assign(*signalSettings);
    const TSignalSettings &s = *signalSettings;
    digit = tg::roundTo<int>((double(value) - s.ValueFrom()) * s.DigitsPerValue() + s.DigitalFrom());
}

void TGvAnalogCControl::MouseSlide(Qt::KeyboardModifiers, int x, int y, QPoint)
{
    lastMousePos = QPoint(x, y);
}

void TGvAnalogCControl::loaded()
{
    if (!IsLoading())
        return;
    signalSettings->Changed();
    signalSettings->OnChange = [this](QObject *) { ParamChange(); };
    const TSignalSettings &s = *signalSettings;
    digit = tg::roundTo<int>((double(value) - s.ValueFrom()) * s.DigitsPerValue() + s.DigitalFrom());
    TGvCustomControl::loaded(); // releases the lock: Change, ParamChange
}

bool TGvAnalogCControl::HitTest(int x, int y) const
{
    const double left = SlideArea.x(), top = SlideArea.y();
    const double right = left + SlideArea.width(), bottom = top + SlideArea.height();
    if (RoundSlideArea) {
        const double dx = x - (left + right) / 2, dy = y - (top + bottom) / 2;
        return 2 * std::sqrt(dx * dx + dy * dy) <= right - left;
    }
    return left <= x && x < right && top <= y && y <= bottom;
}

void TGvAnalogCControl::keyPressEvent(QKeyEvent *e)
{
    QWidget::keyPressEvent(e);
    if (OnKeyDown)
        OnKeyDown(this, e->key(), e->modifiers());
    if (!handlesKey(e->key()))
        return;
    // Handled here: the key must not also act on the parent (page scrolling, focus moves).
    e->accept();
    keyHeld = true;
    const TSignalSettings &s = *signalSettings;
    switch (e->key()) {
    case Qt::Key_PageUp: ChangeDigitBy(changeLarge, 0); break;
    case Qt::Key_PageDown: ChangeDigitBy(0, changeLarge); break;
    case Qt::Key_End: SetDigit(s.DigitalTo()); break;
    case Qt::Key_Home: SetDigit(s.DigitalFrom()); break;
    case Qt::Key_Left:
    case Qt::Key_Down: ChangeDigitBy(0, changeSmall); break;
    case Qt::Key_Up:
    case Qt::Key_Right: ChangeDigitBy(changeSmall, 0); break;
    default: break;
    }
}

bool TGvAnalogCControl::handlesKey(int key) const
{
    if (!enableKeyboard)
        return false;
    switch (key) {
    case Qt::Key_PageUp: return enabledKeys.testFlag(gv::_VK_PRIOR);
    case Qt::Key_PageDown: return enabledKeys.testFlag(gv::_VK_NEXT);
    case Qt::Key_End: return enabledKeys.testFlag(gv::_VK_END);
    case Qt::Key_Home: return enabledKeys.testFlag(gv::_VK_HOME);
    case Qt::Key_Left: return enabledKeys.testFlag(gv::_VK_LEFT);
    case Qt::Key_Down: return enabledKeys.testFlag(gv::_VK_DOWN);
    case Qt::Key_Up: return enabledKeys.testFlag(gv::_VK_UP);
    case Qt::Key_Right: return enabledKeys.testFlag(gv::_VK_RIGHT);
    default: return false;
    }
}

void TGvAnalogCControl::finishChange()
{
    dragging = false;
    if (valueChangedPending) {
        valueChangedPending = false;
        if (OnValueChanged)
            OnValueChanged(this);
    }
}

void TGvAnalogCControl::keyReleaseEvent(QKeyEvent *e)
{
    QWidget::keyReleaseEvent(e);
    if (handlesKey(e->key()))
        e->accept();
    // Qt reports a release for every auto-repeat; only the real release ends the change.
    if (e->isAutoRepeat())
        return;
    keyHeld = false;
    if (OnKeyUp)
        OnKeyUp(this, e->key(), e->modifiers());
    finishChange();
}

void TGvAnalogCControl::wheelEvent(QWheelEvent *e)
{
    // Only whole notches count, judged by the low byte of the delta as the panel always did:
    // high-resolution deltas (touchpads) do nothing.
    const int low = e->angleDelta().y() & 0xFF;
    const int before = digit;
    if (low == 0x78)
        ChangeDigitBy(changeSmall, 0);
    else if (low == 0x88)
        ChangeDigitBy(0, changeSmall);
    e->accept();
    // A notch has no release to wait for: the completed change is reported at once, or the
    // device would not hear of it until some later click or key.
    if (digit != before) {
        valueChangedPending = false;
        if (OnValueChanged)
            OnValueChanged(this);
    }
}

void TGvAnalogCControl::mousePressEvent(QMouseEvent *e)
{
    TGvCustomControl::mousePressEvent(e);
    setFocus(Qt::MouseFocusReason);
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint p = e->position().toPoint();
    if (HitTest(p.x(), p.y())) {
        dragging = true;
        MouseSlide(e->modifiers(), p.x(), p.y(), lastMousePos);
        lastMousePos = p;
    }
}

void TGvAnalogCControl::mouseMoveEvent(QMouseEvent *e)
{
    TGvCustomControl::mouseMoveEvent(e);
    const QPoint p = e->position().toPoint();
    // The slide cursor has no shape of its own, so only the state is kept.
    inSlideArea = HitTest(p.x(), p.y());
    if (dragging)
        MouseSlide(e->modifiers(), p.x(), p.y(), lastMousePos);
}

void TGvAnalogCControl::mouseReleaseEvent(QMouseEvent *e)
{
    TGvCustomControl::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton)
        finishChange();
}

void TGvAnalogCControl::focusInEvent(QFocusEvent *e)
{
    TGvCustomControl::focusInEvent(e);
    ValueChange();
}

void TGvAnalogCControl::focusOutEvent(QFocusEvent *e)
{
    TGvCustomControl::focusOutEvent(e);
    ValueChange();
    endKeyChange();
}

// A held key whose release will not come here has completed its change, reported from the
// event loop as an ended press is. A drag ends with its press instead.
void TGvAnalogCControl::endKeyChange()
{
    if (!keyHeld)
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!keyHeld || dragging)
                return;
            keyHeld = false;
            finishChange();
        },
        Qt::QueuedConnection);
}

void TGvAnalogCControl::hideEvent(QHideEvent *e)
{
    TGvCustomControl::hideEvent(e);
    endKeyChange();
}

void TGvAnalogCControl::changeEvent(QEvent *e)
{
    TGvCustomControl::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) {
        ValueChange();
        if (!isEnabled())
            endKeyChange();
    }
}
