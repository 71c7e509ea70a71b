#include "ValueFrame.h"

TValueFrame TValueFrame::Create(QObject *owner)
{
    TValueFrame f{new TGvSBevel(owner), new TGvSBevel(owner), new TGvSBevel(owner), new TFont(owner)};
    f.FontValue->SetColor(clLime);
    f.FontValue->SetName(QStringLiteral("System"));
    f.FontValue->SetSize(10);
    f.BevelInner->SetStyle(gv::bsLowered);
    f.BevelInner->SetSpacing(5);
    f.BevelInner->SetWidth(2);
    f.BevelInner->SetBevelLine(gv::blInner);
    f.BevelOuter->SetSpacing(5);
    f.BevelOuter->SetBevelLine(gv::blOuter);
    f.BevelOuter->SetWidth(2);
    f.BevelValue->SetStyle(gv::bsLowered);
    f.BevelValue->SetWidth(2);
    f.BevelValue->SetColor(clBlack);
    f.BevelValue->SetSpacing(0);
    return f;
}

void TValueFrame::Hook(const std::function<void()> &changed) const
{
    FontValue->OnChange = changed;
    for (TGvSBevel *bevel : {BevelInner, BevelOuter, BevelValue})
        bevel->OnChange = [changed](QObject *) { changed(); };
}
