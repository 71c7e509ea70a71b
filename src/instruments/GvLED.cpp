#include "GvLED.h"

#include "Bevel.h"
#include "Draw.h"
#include "FlashService.h"
#include "Numeric.h"
#include "Scale.h"

#include <QPainter>
#include <algorithm>

using namespace tg;

TGvLED::TGvLED(QWidget *parent) : TGvBinGControl(parent)
{
    led = new TLED(this);
    resize(73, 33);
    // Initial values of the form set fonts before loading: an own font ends ParentFont.
    Font()->OnChange = [this] { parentFont = false; };
}

TGvLED::~TGvLED() { FlashUnregister(this); }

void TGvLED::loaded()
{
    led->OnChange = [this](QObject *) { ParamChange(); };
    Font()->OnChange = [this] {
        parentFont = false;
        ParamChange();
    };
    TGvBinGControl::loaded();
}

void TGvLED::SetCaption(const QString &s)
{
    if (captionSet && s == caption)
        return;
    caption = s;
    captionSet = true;
    ParamChange();
}

void TGvLED::SetParentFont(bool b)
{
    if (b == parentFont)
        return;
    parentFont = b;
    ParamChange();
}

const TFont &TGvLED::captionFont() const
{
    if (parentFont && parentWidget())
        if (const auto *f = parentWidget()->property("Font").value<TFont *>())
            return *f;
    return *Font();
}

bool TGvLED::event(QEvent *e)
{
    const bool r = TGvBinGControl::event(e);
    if (e->type() == QEvent::ParentChange && parentFont)
        ParamChange();
    return r;
}

void TGvLED::SetLED_Position(TLEDPos p)
{
    if (p == position)
        return;
    position = p;
    ParamChange();
}

void TGvLED::SetSpacing(int s)
{
    if (s == spacing)
        return;
    spacing = s;
    ParamChange();
}

void TGvLED::ParamChange()
{
    TGvBinGControl::ParamChange();
    if (UpdateLock() > 0)
        return;
    lit = Checked();
    Invalidate();
}

void TGvLED::repaintLamp() { RepaintPart(led->Rect & rect()); }

void TGvLED::StatusChanged()
{
    TGvBinGControl::StatusChanged();
    lit = Checked();
    repaintLamp();
}

void TGvLED::FlashChange(bool on)
{
    TGvBinGControl::FlashChange(on);
    lit = on;
    repaintLamp();
}

void TGvLED::BuildBackground(TCanvas &c)
{
    lit = Checked();
    SelectFont(c, captionFont());
    const QString text = Caption();
    const QSize m = MeasureLines(c, text, u'|');
    captionW = m.width();
    captionH = saturate64<int>(int64_t(c.TextHeight(text)) * (CountChar(text, u'|') + 1));
    int w = led->Width(), h = led->Height();
    if (led->Shape() == gv::sRound)
        w = h = std::max(w, h);
    const int cx = width() / 2, cy = height() / 2;
    QRect lamp;
    QPoint anchor;
    int code = 3;
    switch (position) {
    case lpLeft:
        lamp = QRect(0, cy - h / 2, w, h);
        anchor = {saturate64<int>(int64_t(w) + spacing), cy};
        code = 3;
        break;
    case lpRight:
        lamp = QRect(width() - w, cy - h / 2, w, h);
        anchor = {saturate64<int>(int64_t(width()) - w - spacing), cy};
        code = 5;
        break;
    case lpTop:
        lamp = QRect(cx - w / 2, 0, w, h);
        anchor = {cx, saturate64<int>(int64_t(h) + spacing)};
        code = 1;
        break;
    case lpBottom:
        lamp = QRect(cx - w / 2, height() - h, w, h);
        anchor = {cx, saturate64<int>(int64_t(height()) - h - spacing)};
        code = 7;
        break;
    }
    led->Rect = lamp;
    c.setBrushStyle(TBrushStyle::bsClear);
    TextLines(c, anchor.x(), anchor.y(), code, text, 0);
}

void TGvLED::PaintForeground(QPainter &p, const QRegion &asked)
{
    const QRect lamp = led->Rect;
    if (!asked.intersects(lamp))
        return;
    QImage img = MakeLayerImage(lamp.width(), lamp.height(), devicePixelRatioF());
    if (img.isNull())
        return;
    {
        TCanvas c(img);
        TLED shape;
        shape.SetShape(led->Shape());
        shape.SetColorOn(led->ColorOn());
        shape.SetColorOff(led->ColorOff());
        shape.Rect = QRect(0, 0, lamp.width(), lamp.height());
        PaintLED(c, shape, lit);
    }
    tg::DrawImage(p, lamp.topLeft(), img);
}
