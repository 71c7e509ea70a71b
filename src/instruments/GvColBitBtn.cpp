#include "GvColBitBtn.h"

#include "Bevel.h"
#include "Draw.h"
#include "FlashService.h"
#include "Numeric.h"
#include "Scale.h"

#include <QEnterEvent>
#include <QPainter>
#include <algorithm>

using namespace tg;

TGvColBitBtn::TGvColBitBtn(QWidget *parent)
    : TGvBinGControl(parent), bevel(new TGvBtnBevel(this)), gradFace(new TGvGradSettings(this))
{
    resize(65, 33);
    gradFace->SetColorFrom(TColor{15790320u});
    gradFace->SetColorTo(TColor{6908265u});
    gradFace->SetStyle(gv::gsHorizontal1);
    gradFace->SetVisible(true);
    bevel->SetWidth(4);
    Font()->SetStyle(TFont::fsBold);
    // The bold font is the button's own, so it does not follow the parent's.
    parentFont = false;
    Font()->OnChange = [this] { parentFont = false; };
    SetMode(gv::mButton);
}

TGvColBitBtn::~TGvColBitBtn() { FlashUnregister(this); }

void TGvColBitBtn::loaded()
{
    gradFace->OnChange = [this](QObject *) { ParamChange(); };
    bevel->OnChange = [this](QObject *) { ParamChange(); };
    Font()->OnChange = [this] {
        parentFont = false;
        StatusChanged();
    };
    TGvBinGControl::loaded();
}

template <class T> void TGvColBitBtn::store(T &field, const T &v)
{
    if (field == v)
        return;
    field = v;
    StatusChanged();
}

void TGvColBitBtn::SetPosHorizontal(TPosH p) { store(posH, p); }
void TGvColBitBtn::SetPosVertical(TPosV p) { store(posV, p); }
void TGvColBitBtn::SetPosGlyph(TPos p) { store(posGlyph, p); }
void TGvColBitBtn::SetColorOff(TColor c) { store(colorOff, c); }
void TGvColBitBtn::SetColorDisabled(TColor c) { store(colorDisabled, c); }
void TGvColBitBtn::SetColorOn(TColor c) { store(colorOn, c); }
void TGvColBitBtn::SetOffsetX(int v) { store(offsetX, v); }
void TGvColBitBtn::SetOffsetY(int v) { store(offsetY, v); }
void TGvColBitBtn::SetOffsetDown(int v) { store(offsetDown, v); }
void TGvColBitBtn::SetBeveled(bool b) { store(beveled, b); }
void TGvColBitBtn::SetFlat(bool b) { store(flat, b); }
void TGvColBitBtn::SetSpacing(int s) { store(spacing, s); }
void TGvColBitBtn::SetTextOff(const QString &s) { store(textOff, s); }
void TGvColBitBtn::SetTextOn(const QString &s) { store(textOn, s); }
void TGvColBitBtn::SetTextColOn(TColor c) { store(textColOn, c); }
void TGvColBitBtn::SetTextColOff(TColor c) { store(textColOff, c); }
void TGvColBitBtn::SetTextColDisabled(TColor c) { store(textColDisabled, c); }
void TGvColBitBtn::SetText3D(bool b) { store(text3D, b); }

void TGvColBitBtn::SetNumGlyph(int n)
{
    if (n >= 1)
        store(numGlyph, n);
}

void TGvColBitBtn::SetCheckedOptions(TCheckedOptions o)
{
    checkedOptions = o;
    StatusChanged();
}

void TGvColBitBtn::SetTransparent(bool b)
{
    if (b == transparent)
        return;
    transparent = b;
    Invalidate();
}

void TGvColBitBtn::SetGlyph(const QImage &img)
{
    glyph.Image = img;
    glyph.Transparent = true;
    if (img.height() < 1)
        numGlyph = 1;
    else
        glyph.TransparentColor = img.pixelColor(0, img.height() - 1);
    StatusChanged();
}

void TGvColBitBtn::SetEnabled(bool b)
{
    enabled = b;
    QWidget::setEnabled(b);
    StatusChanged();
}

void TGvColBitBtn::SetParentFont(bool b)
{
    if (b == parentFont)
        return;
    parentFont = b;
    StatusChanged();
}

const TFont &TGvColBitBtn::captionFont() const
{
    if (parentFont && parentWidget())
        if (const auto *f = parentWidget()->property("Font").value<TFont *>())
            return *f;
    return *Font();
}

void TGvColBitBtn::ParamChange()
{
    TGvBinGControl::ParamChange();
    Invalidate();
}

void TGvColBitBtn::StatusChanged()
{
    TGvBinGControl::StatusChanged();
    RepaintAll();
}

void TGvColBitBtn::FlashChange(bool on)
{
    flashPhase = on;
    StatusChanged();
}

bool TGvColBitBtn::event(QEvent *e)
{
    const bool r = TGvBinGControl::event(e);
    if (e->type() == QEvent::ParentChange && parentFont)
        StatusChanged();
    return r;
}

void TGvColBitBtn::enterEvent(QEnterEvent *e)
{
    TGvBinGControl::enterEvent(e);
    if (flat && !hovering && enabled && !QWidget::mouseGrabber()) {
        hovering = true;
        StatusChanged();
    }
}

void TGvColBitBtn::leaveEvent(QEvent *e)
{
    TGvBinGControl::leaveEvent(e);
    if (flat && hovering && enabled) {
        hovering = false;
        StatusChanged();
    }
}

void TGvColBitBtn::BuildBackground(TCanvas &c)
{
    // Under the face lies the parent (the layer is transparent); the gradient covers the inside.
    if (!transparent && gradFace->Visible())
        GradientFill(c, DeflateRect(TRect(0, 0, width(), height()), bevel->Width()), gradFace->ColorFrom(),
                     gradFace->Style(), gradFace->ColorTo());
}

void TGvColBitBtn::PaintForeground(QPainter &p, const QRegion &asked)
{
    if (!asked.intersects(rect()))
        return;
    QImage img = MakeLayerImage(width(), height(), devicePixelRatioF());
    if (img.isNull())
        return;
    {
        TCanvas c(img);
        TLook look;
        render(c, look);
    }
    tg::DrawImage(p, QPoint(0, 0), img);
}

TGvColBitBtn::TLook TGvColBitBtn::CurrentLook() const
{
    QImage img = MakeLayerImage(std::max(width(), 1), std::max(height(), 1), 1.0);
    TLook look;
    if (img.isNull())
        return look;
    TCanvas c(img);
    render(c, look);
    return look;
}

void TGvColBitBtn::render(TCanvas &c, TLook &look) const
{
    const bool flashes = Checked() && Flashing();
    const auto flag = [&](TFlashOption fo, TCheckedOption co) {
        if (flashes && flashOptions.testFlag(fo))
            return flashPhase;
        return Checked() && checkedOptions.testFlag(co);
    };
    const bool glyphOn = flag(foGlyph, coGlyph);
    const bool textIsOn = flag(foText, coText);
    const bool textColourOn = flag(foTextCol, coTextCol);
    const bool faceOn = flag(foBtnCol, coBtnCol);

    TRect r(0, 0, width(), height());
    look.caption = textIsOn ? textOn : (!textOff.isEmpty() ? textOff : textOn);
    const bool sunkByCheck = Checked() && checkedOptions.testFlag(coBevel);
    const int down = Pressed() || sunkByCheck ? offsetDown : 0;
    const int dx = saturate64<int>(int64_t(offsetX) + down), dy = saturate64<int>(int64_t(offsetY) + down);

    look.face = !enabled ? colorDisabled : (faceOn ? colorOn : colorOff);
    const bool fill = !transparent && !gradFace->Visible();
    look.frame = (beveled && !flat) || (flat && (DesignMode || hovering));
    if (look.frame) {
        look.raised = checkedOptions.testFlag(coBevel) ? !Checked() && !Pressed() : !Pressed();
        TRect fr = r;
        PaintFrame(c, *bevel, fr, look.face, fill, look.raised);
    } else if (fill) {
        c.setBrushStyle(TBrushStyle::bsSolid);
        c.setBrushColor(Qc(look.face));
        c.FillRect(r);
    }

    SelectFont(c, captionFont());
    const int tw = MeasureLines(c, textOn + u'|' + textOff, u'|').width();
    const int th = saturate64<int>(int64_t(c.TextHeight(look.caption)) * (CountChar(look.caption, u'|') + 1));
    const int gw = glyph.Image.width() / numGlyph, gh = glyph.Image.height();
    const int s = gw < 1 || tw < 1 ? 0 : spacing;
    const bool sideways = posGlyph == pLeft || posGlyph == pRight;
    const int bw = saturate64<int>(sideways ? int64_t(gw) + s + tw : std::max(gw, tw));
    const int bh = saturate64<int>(sideways ? std::max(gh, th) : int64_t(gh) + s + th);
    const int x = posH == phLeft ? r.Left + bw / 2 : posH == phRight ? r.Right - bw / 2 : (r.Left + r.Right) / 2;
    const int y = posV == pvTop ? r.Top + bh / 2 : posV == pvBottom ? r.Bottom - bh / 2 : (r.Top + r.Bottom) / 2;
    QPoint g, anchor;
    int code = 3;
    switch (posGlyph) {
    case pLeft:
        g = {x - bw / 2, y - gh / 2};
        anchor = {saturate64<int>(int64_t(g.x()) + gw + s), y};
        code = 3;
        break;
    case pRight:
        g = {saturate64<int>(int64_t(x) + bw / 2 - gw), y - gh / 2};
        anchor = {saturate64<int>(int64_t(g.x()) - s), y};
        code = 5;
        break;
    case pTop:
        g = {x - gw / 2, y - bh / 2};
        anchor = {x, saturate64<int>(int64_t(g.y()) + gh + s)};
        code = 1;
        break;
    case pBottom:
        g = {x - gw / 2, saturate64<int>(int64_t(y) + bh / 2 - gh)};
        anchor = {x, saturate64<int>(int64_t(g.y()) - s)};
        code = 7;
        break;
    }
    look.glyphPos = g + QPoint(dx, dy);
    look.captionAnchor = anchor + QPoint(dx, dy);

    look.textColor = !enabled ? textColDisabled : (textColourOn ? textColOn : textColOff);
    if (!look.caption.isEmpty()) {
        c.setBrushStyle(TBrushStyle::bsClear);
        TextLines3D(c, look.captionAnchor.x(), look.captionAnchor.y(), text3D, code, look.caption,
                    bevel->HighlightColTo(), bevel->ShadowColTo(), look.textColor, 0);
    }
    if (gw > 0) {
        int index = 0;
        if (numGlyph >= 2)
            index = !enabled ? 1 : (glyphOn && numGlyph > 2 ? 2 : 0);
        look.glyphIndex = index;
        TBitmap part;
        part.Image = glyph.Image.copy(index * gw, 0, gw, gh);
        part.Transparent = true;
        part.TransparentColor = glyph.TransparentColor;
        c.Draw(look.glyphPos.x(), look.glyphPos.y(), part);
    }
}
