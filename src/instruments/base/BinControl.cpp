#include "BinControl.h"

#include "Announcer.h"
#include "FlashService.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <bit>

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
    tg::AnnounceChange(this);
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
    // What the mouse can press the keyboard can reach; a click does not take the focus, so
    // the mouse works as before.
    setFocusPolicy(m == gv::mIndicator ? Qt::NoFocus : Qt::TabFocus);
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
    tg::AnnounceChange(this);
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

void TGvBinGControl::keyPressEvent(QKeyEvent *e)
{
    const int key = e->key();
    if (mode == gv::mIndicator || e->modifiers() & ~Qt::KeypadModifier ||
        (key != Qt::Key_Space && key != Qt::Key_Return && key != Qt::Key_Enter)) {
        TGvControl::keyPressEvent(e);
        return;
    }
    e->accept();
    if (e->isAutoRepeat() || spaceHeld)
        return;
    ClickPress();
    if (key == Qt::Key_Space)
        spaceHeld = true;
    else
        ClickRelease();
}

void TGvBinGControl::keyReleaseEvent(QKeyEvent *e)
{
    if (e->key() != Qt::Key_Space || !spaceHeld) {
        TGvControl::keyReleaseEvent(e);
        return;
    }
    e->accept();
    if (e->isAutoRepeat())
        return;
    spaceHeld = false;
    ClickRelease();
}

// The release of a key held while the focus leaves goes elsewhere: the press ends as a press
// whose mouse release never comes.
void TGvBinGControl::focusOutEvent(QFocusEvent *e)
{
    TGvControl::focusOutEvent(e);
    if (spaceHeld) {
        spaceHeld = false;
        EndPress();
    }
}
