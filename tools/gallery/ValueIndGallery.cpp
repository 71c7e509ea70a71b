// Gallery states of the value indicator.
#include "Gallery.h"
#include "GvValueInd.h"

namespace gallery {

namespace {

// The panel's value indicators Instr41..Instr44.
void panelValueInd(TGvValueInd &v, int id)
{
    v.setObjectName(QStringLiteral("Instr%1").arg(id));
    v.setGeometry(232, 408, 96, 71);
    v.SetHint(QStringLiteral("1"));
    v.SetDigit(500);
    v.SetLimitUpper(1.0f);
    v.SetLimitLower(10);
    TSignalSettings &s = *v.SignalSettings();
    s.SetName1(QStringLiteral("SignalName1"));
    s.SetName2(QStringLiteral("#%1").arg(id));
    s.SetValueFormat(QStringLiteral("##0.0"));
    s.SetValueTo(100);
    s.SetValueUnit(QStringLiteral("%"));
    v.MinMax()->SetUseSectorCol(false);
    v.MinMax()->SetMaxVisible(false);
    v.SetValue(50);
    v.SetAutoSize(true);
    setFont(v.Font(), QStringLiteral("Arial"), -13, clBlack, false);
    setFont(v.FontValue(), QStringLiteral("Arial"), -17, clRed, true);
    v.SetOptions(TGvValueInd::opBevelInner | TGvValueInd::opName1 | TGvValueInd::opName2 | TGvValueInd::opUnit);
}

} // namespace

void valueInd()
{
    // Value indicator
    {
        Holder<TGvValueInd> h;
        h.w->loaded();
        save(*h.w, QStringLiteral("valueind-defaults"));
    }
    {
        Holder<TGvValueInd> h;
        panelValueInd(*h.w, 41);
        h.w->loaded();
        save(*h.w, QStringLiteral("valueind-instr41-panel"));
        h.w->SetValue(0);
        save(*h.w, QStringLiteral("valueind-instr41-value-0"));
        h.w->SetValue(100);
        save(*h.w, QStringLiteral("valueind-instr41-value-100"));
        h.w->SetValue(-123.4f);
        save(*h.w, QStringLiteral("valueind-instr41-beyond-range"));
        h.w->SetValue(1234567.0f); // wider than the box: cut off on the left
        save(*h.w, QStringLiteral("valueind-instr41-too-wide"));
    }
    {
        Holder<TGvValueInd> h;
        panelValueInd(*h.w, 42);
        h.w->SetOptions(h.w->Options() | TGvValueInd::opBevelOuter);
        h.w->loaded();
        save(*h.w, QStringLiteral("valueind-with-outer-bevel"));
        h.w->SetOptions(TGvValueInd::opBevelInner | TGvValueInd::opName1);
        save(*h.w, QStringLiteral("valueind-no-unit-one-name"));
    }
}

} // namespace gallery
