#include "BackgroundFill.h"

#include "Canvas.h"

TFillObject::TFillObject(TGvGradSettings *gradient, QObject *parent) : TGvPersistent(parent), gradient(gradient) {}

void TFillObject::SetBrush(TColor c)
{
    if (c == brush)
        return;
    brush = c;
    Changed();
}

TBackgroundFill::TBackgroundFill(QWidget *parent) : TGvGradient(parent), fill(new TFillObject(GradSettings(), this)) {}

void TBackgroundFill::loaded()
{
    fill->OnChange = [this](QObject *) { ParamChange(); };
    TGvGradient::loaded();
}

void TBackgroundFill::BuildBackground(tg::TCanvas &c)
{
    if (GradSettings()->Visible()) {
        TGvGradient::BuildBackground(c);
        return;
    }
    c.setBrushColor(toQColor(fill->Brush()));
    c.setBrushStyle(tg::TBrushStyle::bsSolid);
    c.FillRect({0, 0, width(), height()});
}
