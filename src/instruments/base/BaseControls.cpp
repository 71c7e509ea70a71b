#include "BaseControls.h"

#include "FlashService.h"
#include "FormatSettings.h"
#include "NumberFormat.h"
#include "Numeric.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <bit>
#include <cmath>

// ======================= TGvControl =======================

TGvControl::TGvControl(QWidget *parent) : QWidget(parent), font(new TFont(this))
{
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
    EndUpdate();
}

void TGvControl::Invalidate()
{
    BackgroundStale = true;
    update();
}

void TGvControl::FlashMessage(uint32_t, int) {}

bool TGvControl::event(QEvent *e)
{
    if (e->type() == TFlashEvent::Type) {
        const auto *fe = static_cast<TFlashEvent *>(e);
        FlashMessage(fe->Counter, fe->Param);
        return true;
    }
    return QWidget::event(e);
}

void TGvControl::mousePressEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), p.x(), p.y());
}

void TGvControl::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (OnMouseUp)
        OnMouseUp(this, e->button(), e->modifiers(), p.x(), p.y());
    if (e->button() == Qt::LeftButton && rect().contains(p) && OnClick)
        OnClick(this);
}

void TGvControl::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && OnDblClick)
        OnDblClick(this);
    else
        mousePressEvent(e);
}

void TGvControl::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(this, e->modifiers(), p.x(), p.y());
}

// ======================= TGvAnalogGControl =======================

TGvAnalogGControl::TGvAnalogGControl(QWidget *parent)
    : TGvGraphicControl(parent), sectorSettings(new TSectorSettings(this)),
      signalSettings(new TSignalSettings(this)), minMax(new TMinMax(this))
{
    Font()->SetName(QStringLiteral("Arial"));
    Font()->SetSize(8);
    // Valid factors from the start, so values set before loaded() map correctly.
    signalSettings->Recompute();
    // With the default limits this clears both flags.
    CheckLimits();
}

int TGvAnalogGControl::DigitOf(double v) const
{
    const TSignalSettings &s = *signalSettings;
    if (logScale) {
        const double l = std::log10(v / double(s.ValueFrom())) * digitsPerDecade;
        return tg::saturate<int>(tg::roundEven(l) + double(s.DigitalFrom()));
    }
    return tg::roundTo<int>((v - double(s.ValueFrom())) * s.DigitsPerValue() + s.DigitalFrom());
}

float TGvAnalogGControl::ValueOfDigit(int d) const
{
    const TSignalSettings &s = *signalSettings;
    double v;
    if (logScale) {
        if (digitsPerDecade - decadeOffset == 0 || digitsPerDecade == 0)
            return value;
        v = std::pow(10.0, (double(d) - s.DigitalFrom()) / digitsPerDecade - decadeOffset);
    } else {
        v = (double(d) - s.DigitalFrom()) * s.ValuePerDigit() + double(s.ValueFrom());
    }
    const float f = float(v);
    return std::isfinite(f) ? f : value;
}

void TGvAnalogGControl::SetValue(float v)
{
    if (!std::isfinite(v) || v == value || (logScale && v <= 0))
        return;
    value = v;
    digit = DigitOf(v);
    ValueChange();
}

void TGvAnalogGControl::SetDigit(int d)
{
    if (d == digit)
        return;
    digit = d;
    value = ValueOfDigit(d);
    ValueChange();
}

void TGvAnalogGControl::SetLimitUpper(float x)
{
    if (!std::isfinite(x) || x == limitUpper)
        return;
    limitUpper = x;
    limitUpperPPT = signalSettings->ValueToPPT(x);
    ValueChange();
}

void TGvAnalogGControl::SetLimitLower(float x)
{
    if (!std::isfinite(x) || x == limitLower)
        return;
    limitLower = x == 0.0f ? 0.0001f : x;
    limitLowerPPT = signalSettings->ValueToPPT(limitLower);
    ValueChange();
}

void TGvAnalogGControl::SetHintOptions(gv::THintOptions s)
{
    const bool autoOn = !(hintOptions & gv::hoAutoHint) && (s & gv::hoAutoHint);
    hintOptions = s;
    if (autoOn)
        ValueChange();
}

void TGvAnalogGControl::updateLogFactors()
{
    const TSignalSettings &s = *signalSettings;
    const double from = s.ValueFrom(), to = s.ValueTo();
    const double decades = std::log10(to / from);
    // Both ends in the same decade: fall back to one decade over the whole range.
    digitsPerDecade = (to != from && std::isfinite(decades) && decades != 0)
                          ? s.DigitalRange() / decades : s.DigitalRange();
    if (from > 0)
        decadeOffset = std::log10(1.0 / from);
}

void TGvAnalogGControl::SetLogScale(bool b)
{
    logScale = b;
    signalSettings->LogMode = b;
    if (b) {
        if (value <= 0)
            value = 0.001f;
        const float from = signalSettings->ValueFrom();
        signalSettings->SetValueFrom(from > 0 ? TSignalSettings::Decade(from) : 0.001f);
        signalSettings->SetValueTo(TSignalSettings::Decade(signalSettings->ValueTo()));
        updateLogFactors();
    }
    digit = DigitOf(value);
    LogScaleChange();
}

void TGvAnalogGControl::LogScaleChange() { Change(); }

void TGvAnalogGControl::ParamChange()
{
    signalSettings->Recompute();
    if (logScale) {
        updateLogFactors();
        if (value <= 0)
            value = 1.0f;
    }
    digit = DigitOf(value);
    if (OnSettingsChange)
        OnSettingsChange(this);
}

void TGvAnalogGControl::MinMaxChange()
{
    if (OnMinMaxChange)
        OnMinMaxChange(this);
    ValueChange();
}

void TGvAnalogGControl::CheckLimits()
{
    const bool upper = value > limitUpper;
    const bool lower = value < limitLower;
    if (upper == upperExceeded && lower == lowerExceeded)
        return;
    upperExceeded = upper;
    lowerExceeded = lower;
    LimitChange();
    if (OnLimit)
        OnLimit(this, lowerExceeded, upperExceeded);
}

void TGvAnalogGControl::ValueChange()
{
    const TSignalSettings &s = *signalSettings;
    // 1. texts
    digitText = QString::number(digit);
    valueText = FormatFloat(s.ValueFormat(), value);

    // 2. position; a zero digital range keeps the last position
    int raw = ppt;
    if (s.DigitalRange() != 0)
        raw = tg::roundTo<int>(1000.0 / s.DigitalRange() * (double(digit) - s.DigitalFrom()));
    ppt = raw;

    // 3. sectors; the higher-numbered sector wins where they overlap
    for (int i = 0; i < 3; ++i) {
        const bool in = sectorSettings->InSector(i, ppt);
        if (in)
            sectorColor = sectorSettings->SectorColor(i);
        if (in != inSector[i]) {
            inSector[i] = in;
            if (OnSectorChange)
                OnSectorChange(this, i == 0, i == 1, i == 2, in);
        }
    }

    // 4. limits
    CheckLimits();

    // 5. overflow, reported once per direction, on the unclamped position
    if (ppt < 0) {
        if (!overflowLow) {
            overflowLow = true;
            overflowHigh = false;
            OverflowChange(ppt);
            if (OnOverflow)
                OnOverflow(this, ppt);
        }
        ppt = 0;
    } else if (ppt > 1000) {
        if (!overflowHigh) {
            overflowHigh = true;
            overflowLow = false;
            OverflowChange(ppt);
            if (OnOverflow)
                OnOverflow(this, ppt);
        }
        ppt = 1000;
    } else if (overflowHigh || overflowLow) {
        overflowHigh = overflowLow = false;
        OverflowChange(ppt);
        if (OnOverflow)
            OnOverflow(this, ppt);
    }

    // 6. min and max; the very first value sets both marks without an event
    if (minMax->Min() > value) {
        const float old = minMax->Min();
        minMax->SetMin(value);
        minPPT = ppt;
        if (old != TMinMax::NoMin)
            MinMaxChange();
    }
    if (minMax->Max() < value) {
        const float old = minMax->Max();
        minMax->SetMax(value);
        maxPPT = ppt;
        if (old != TMinMax::NoMax)
            MinMaxChange();
    }

    // 7, 8
    UpdateHint();
    if (OnValueChange)
        OnValueChange(this);
}

const QString &TGvAnalogGControl::hintPiece(HintPiece &c, const QString &label, float v, const QDateTime &when)
{
    const TSignalSettings &s = *signalSettings;
    const gv::THintOptions opts = hintOptions & (gv::hoMinMaxDate | gv::hoMinMaxTime);
    const unsigned gen = FormatSettingsGeneration();
    if (c.generation == gen && c.value == v && c.options == opts && c.when == when &&
        c.format == s.ValueFormat() && c.unit == s.ValueUnit())
        return c.text;
    const TFormatSettings &fs = FormatSettings();
    QString t = label + FormatFloat(s.ValueFormat(), v, fs) + u' ' + s.ValueUnit();
    if (opts & gv::hoMinMaxDate)
        t += u' ' + fs.formatShortDate(when);
    if (opts & gv::hoMinMaxTime)
        t += u' ' + fs.formatLongTime(when);
    c = HintPiece{v, when, opts, s.ValueFormat(), s.ValueUnit(), gen, t};
    return c.text;
}

void TGvAnalogGControl::UpdateHint()
{
    if (!(hintOptions & gv::hoAutoHint))
        return;
    const TSignalSettings &s = *signalSettings;
    QStringList parts;
    if (hintOptions & gv::hoValue)
        parts << QStringLiteral("Value= ") + valueText + u' ' + s.ValueUnit();
    if (hintOptions & gv::hoMin)
        parts << hintPiece(minPiece, QStringLiteral("MIN= "), minMax->Min(), minMax->MinDateTime());
    if (hintOptions & gv::hoMax)
        parts << hintPiece(maxPiece, QStringLiteral("MAX= "), minMax->Max(), minMax->MaxDateTime());
    if (hintOptions & gv::hoName1)
        parts << s.Name1();
    if (hintOptions & gv::hoName2)
        parts << s.Name2();
    SetHint(parts.join(QChar(13)));
}

void TGvAnalogGControl::loaded()
{
    if (!IsLoading())
        return;
    Font()->OnChange = [this] { ParamChange(); };
    signalSettings->OnChange = [this](QObject *) { ParamChange(); };
    sectorSettings->OnChange = [this](QObject *) { ParamChange(); };
    minMax->OnChange = [this](QObject *) { MinMaxChange(); };
    minMax->SetMin(TMinMax::NoMin);
    minMax->SetMax(TMinMax::NoMax);
    TGvGraphicControl::loaded();
}

// ======================= TGvBinGControl =======================

namespace {
// One mark for the whole program: stops the group propagation from recursing.
bool groupUpdateRunning = false;

constexpr uint32_t bit(int n) { return uint32_t(1) << n; }
} // namespace

TGvBinGControl::TGvBinGControl(QWidget *parent) : TGvControl(parent) {}

void TGvBinGControl::updateFlashRegistration()
{
    if (checked && flashing)
        FlashRegister(this, TFlashService::FlashInterval(frequency));
    else
        FlashUnregister(this);
}

void TGvBinGControl::SetChecked(bool b)
{
    if (b == checked)
        return;
    checked = b;
    updateFlashRegistration();
    if (checked)
        statusInt = mode == gv::mRadioButton ? bit(statusBit) : (statusInt | bit(statusBit));
    else if (mode != gv::mRadioButton)
        statusInt &= ~bit(statusBit);
    StatusChanged();
    if (OnStatusChanged)
        OnStatusChanged(this);
}

QList<TGvBinGControl *> TGvBinGControl::groupMembers() const
{
    QList<TGvBinGControl *> out;
    // The members of a group are the on/off controls of the same window, in creation order.
    QWidget *owner = parentWidget() ? window() : nullptr;
    if (!owner) {
        out << const_cast<TGvBinGControl *>(this);
        return out;
    }
    for (TGvBinGControl *c : owner->findChildren<TGvBinGControl *>())
        if (c->groupIndex == groupIndex)
            out << c;
    return out;
}

void TGvBinGControl::SetStatusInt(int v)
{
    const uint32_t u = uint32_t(v);
    if (u == statusInt)
        return;
    statusInt = u;
    SetChecked((u & bit(statusBit)) != 0);
    firstSetBit = u == 0 ? 32 : std::countr_zero(u);
    StatusIntChanged();
    if (OnStatusIntChanged)
        OnStatusIntChanged(this);
    if (groupIndex != 0 && !groupUpdateRunning) {
        groupUpdateRunning = true;
        QList<QPointer<TGvBinGControl>> members;
        for (TGvBinGControl *m : groupMembers())
            members << m;
        for (const QPointer<TGvBinGControl> &c : members)
            if (c)
                c->SetStatusInt(v);
        groupUpdateRunning = false;
    }
}

void TGvBinGControl::SetStatusBit(int n)
{
    if (n < 0 || n > 31 || n == statusBit)
        return;
    statusBit = n;
    SetChecked((statusInt & bit(n)) != 0);
}

void TGvBinGControl::SetMode(gv::TMode m)
{
    mode = m;
    if (m == gv::mButton)
        SetStatusInt(0);
    else if (m == gv::mRadioButton)
        SetStatusInt(1);
}

void TGvBinGControl::SetGroupIndex(int g)
{
    if (g == groupIndex || g < 0)
        return;
    groupIndex = g;
    if (g != 0) {
        const QList<TGvBinGControl *> members = groupMembers();
        if (!members.isEmpty())
            SetStatusInt(int(members.first()->statusInt));
    }
    GroupIndexChanged();
}

void TGvBinGControl::SetFlashing(bool b)
{
    if (b == flashing)
        return;
    flashing = b;
    updateFlashRegistration();
    StatusChanged();
    if (OnStatusChanged)
        OnStatusChanged(this);
}

void TGvBinGControl::SetFrequency(gv::TFlashFreq f)
{
    frequency = f;
    if (checked && flashing)
        FlashRegister(this, TFlashService::FlashInterval(f));
}

void TGvBinGControl::FlashMessage(uint32_t, int param) { FlashChange(param != 0); }

void TGvBinGControl::mousePressEvent(QMouseEvent *e)
{
    TGvControl::mousePressEvent(e);
    if (e->button() != Qt::LeftButton)
        return;
    pressed = true;
    switch (mode) {
    case gv::mButton: SetChecked(true); break;
    case gv::mSwitch: SetChecked(!checked); break;
    case gv::mIndicator: break;
    case gv::mRadioButton: SetStatusInt(int(bit(statusBit))); break;
    }
}

void TGvBinGControl::mouseReleaseEvent(QMouseEvent *e)
{
    TGvControl::mouseReleaseEvent(e);
    if (e->button() != Qt::LeftButton || mode == gv::mIndicator)
        return;
    pressed = false;
    if (mode == gv::mButton)
        SetChecked(false);
    StatusChanged();
}

// ======================= TGvCustomControl =======================

TGvCustomControl::TGvCustomControl(QWidget *parent) : TGvControl(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

// ======================= TGvAnalogCControl =======================

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
    if (!enableKeyboard)
        return;
    const TSignalSettings &s = *signalSettings;
    auto on = [this](gv::TEnabledKey k) { return enabledKeys.testFlag(k); };
    switch (e->key()) {
    case Qt::Key_PageUp: if (on(gv::_VK_PRIOR)) ChangeDigitBy(changeLarge, 0); break;
    case Qt::Key_PageDown: if (on(gv::_VK_NEXT)) ChangeDigitBy(0, changeLarge); break;
    case Qt::Key_End: if (on(gv::_VK_END)) SetDigit(s.DigitalTo()); break;
    case Qt::Key_Home: if (on(gv::_VK_HOME)) SetDigit(s.DigitalFrom()); break;
    case Qt::Key_Left: if (on(gv::_VK_LEFT)) ChangeDigitBy(0, changeSmall); break;
    case Qt::Key_Down: if (on(gv::_VK_DOWN)) ChangeDigitBy(0, changeSmall); break;
    case Qt::Key_Up: if (on(gv::_VK_UP)) ChangeDigitBy(changeSmall, 0); break;
    case Qt::Key_Right: if (on(gv::_VK_RIGHT)) ChangeDigitBy(changeSmall, 0); break;
    default: break;
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
    // Qt reports a release for every auto-repeat; only the real release ends the change.
    if (e->isAutoRepeat())
        return;
    if (OnKeyUp)
        OnKeyUp(this, e->key(), e->modifiers());
    finishChange();
}

void TGvAnalogCControl::wheelEvent(QWheelEvent *e)
{
    // Only whole notches count, judged by the low byte of the delta as the panel always did:
    // high-resolution deltas (touchpads) do nothing.
    const int low = e->angleDelta().y() & 0xFF;
    if (low == 0x78)
        ChangeDigitBy(changeSmall, 0);
    else if (low == 0x88)
        ChangeDigitBy(0, changeSmall);
    e->accept();
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
}

void TGvAnalogCControl::changeEvent(QEvent *e)
{
    TGvCustomControl::changeEvent(e);
    if (e->type() == QEvent::EnabledChange)
        ValueChange();
}
