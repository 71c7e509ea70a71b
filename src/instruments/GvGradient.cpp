#include "GvGradient.h"

#include "Canvas.h"
#include "Draw.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

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

void TGvGradient::resizeEvent(QResizeEvent *e)
{
    TGvGraphicControl::resizeEvent(e);
    BackgroundStale = true;
}

void TGvGradient::paintEvent(QPaintEvent *e)
{
    if (UpdateLock() > 0)
        return;
    if (BackgroundStale || cache.size() != size()) {
        BackgroundStale = false;
        // The gradient is painted whether or not GradSettings.Visible is set.
        cache = MakeScratchImage(width(), height());
        if (!cache.isNull()) {
            TCanvas c(cache);
            GradientFill(c, {0, 0, width(), height()}, gradSettings->ColorFrom(), gradSettings->Style(),
                         gradSettings->ColorTo());
        }
    }
    if (cache.isNull())
        return;
    QPainter p(this);
    p.setClipRegion(e->region());
    for (const QRect &r : e->region())
        p.drawImage(r.topLeft(), cache, r);
}
