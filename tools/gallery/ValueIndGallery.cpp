// Gallery states of the value indicator.
#include "Gallery.h"
#include "PanelSetup.h"
#include "GvValueInd.h"

namespace gallery {

using tg::app::panelValueInd;

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
