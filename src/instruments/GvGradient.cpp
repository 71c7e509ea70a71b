#include "GvGradient.h"

#include "Canvas.h"
#include "Draw.h"

#include <QEvent>

using namespace tg;

TGvGradient::TGvGradient(QWidget *parent) : TGvGraphicControl(parent)
{
    gradSettings = new TGvGradSettings(this);
    resize(50, 50);
    if (parent)
        parent->installEventFilter(this);
}

void TGvGradient::loaded()
{
    gradSettings->OnChange = [this](QObject *) { ParamChange(); };
    TGvGraphicControl::loaded();
}

void TGvGradient::ParamChange()
{
    TGvGraphicControl::ParamChange();
    if (UpdateLock() == 0)
        Invalidate();
}

void TGvGradient::SetAlign(TAlign a)
{
    align = a;
    followParent();
}

void TGvGradient::followParent()
{
    if (align == alClient && parentWidget())
        setGeometry(parentWidget()->rect());
}

bool TGvGradient::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == parentWidget() && e->type() == QEvent::Resize)
        followParent();
    return TGvGraphicControl::eventFilter(watched, e);
}

void TGvGradient::BuildBackground(TCanvas &c)
{
    // The gradient is painted whether or not GradSettings.Visible is set.
    GradientFill(c, {0, 0, width(), height()}, gradSettings->ColorFrom(), gradSettings->Style(), gradSettings->ColorTo());
}
