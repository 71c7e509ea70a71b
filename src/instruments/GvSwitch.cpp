#include "GvSwitch.h"

#include "Bevel.h"
#include "Draw.h"
#include "Scale.h"

#include <QMouseEvent>
#include <QPainter>

using namespace tg;

TGvSwitch::TGvSwitch(QWidget *parent) : TGvBinGControl(parent), bevelOuter(new TGvSBevel(this))
{
    bevelOuter->SetWidth(1);
    bevelOuter->SetSpacing(1);
    bevelOuter->SetStyle(gv::bsLowered);
    bevelOuter->SetColor(clBtnShadow);
    bevelOuter->SetBevelLine(gv::blInner);
    SetMode(gv::mSwitch);
    // An own font given before loading ends ParentFont.
    Font()->OnChange = [this] { parentFont = false; };
}

void TGvSwitch::loaded()
{
    bevelOuter->OnChange = [this](QObject *) { ParamChange(); };
    Font()->OnChange = [this] {
        parentFont = false;
        StatusChanged();
    };
    TGvBinGControl::loaded();
}

void TGvSwitch::SetBtnColorHighlight(TColor c) { StoreAndRedraw(btnHighlight, c); }
void TGvSwitch::SetBtnColorShadow(TColor c) { StoreAndRedraw(btnShadow, c); }
void TGvSwitch::SetBtnColorFace(TColor c) { StoreAndRedraw(btnFace, c); }

void TGvSwitch::SetBtnBevelWidth(int w)
{
    if (w >= 0)
        StoreAndRedraw(btnBevelWidth, w);
}

void TGvSwitch::SetParentFont(bool b) { StoreAndRedraw(parentFont, b); }

const TFont &TGvSwitch::CaptionFont() const
{
    if (parentFont && parentWidget())
        if (const auto *f = parentWidget()->property("Font").value<TFont *>())
            return *f;
    return *Font();
}

bool TGvSwitch::event(QEvent *e)
{
    const bool r = TGvBinGControl::event(e);
    if (e->type() == QEvent::ParentChange && parentFont)
        StatusChanged();
    return r;
}

void TGvSwitch::ParamChange()
{
    TGvBinGControl::ParamChange();
    Invalidate();
}

void TGvSwitch::StatusChanged()
{
    TGvBinGControl::StatusChanged();
    RepaintPart(track);
}

void TGvSwitch::BuildBackground(TCanvas &c)
{
    TRect r(0, 0, width(), height());
    PaintInto(c, *bevelOuter, r);
    track = r.isEmpty() ? QRect() : r.toQRect();
}

void TGvSwitch::PaintForeground(QPainter &p, const QRegion &asked)
{
    if (track.isEmpty() || !asked.intersects(track))
        return;
    QImage img = MakeLayerImage(track.width(), track.height(), devicePixelRatioF());
    if (img.isNull())
        return;
    {
        TCanvas c(img);
        DrawTrack(c);
    }
    tg::DrawImage(p, track.topLeft(), img);
}

TGvToggleSwitch::TGvToggleSwitch(QWidget *parent) : TGvSwitch(parent) { resize(25, 57); }

template <class T> void TGvToggleSwitch::storeAndRelayout(T &field, const T &v)
{
    if (field == v)
        return;
    field = v;
    ParamChange();
}

void TGvToggleSwitch::SetTextOff(const QString &s) { storeAndRelayout(textOff, s); }
void TGvToggleSwitch::SetTextOn(const QString &s) { storeAndRelayout(textOn, s); }
void TGvToggleSwitch::SetColorOn(TColor c) { storeAndRelayout(colorOn, c); }
void TGvToggleSwitch::SetColorOff(TColor c) { storeAndRelayout(colorOff, c); }

void TGvToggleSwitch::SetOrientation(TBtnOrientation o)
{
    if (o == orientation)
        return;
    orientation = o;
    const int shortSide = std::min(width(), height()), longSide = std::max(width(), height());
    if (o == boVertical)
        resize(shortSide, longSide);
    else
        resize(longSide, shortSide);
    vertical = o == boVertical;
    ParamChange();
}

QRect TGvToggleSwitch::KnobRect() const
{
    const QRect t = TrackRect();
    const int w = t.width(), h = t.height();
    if (vertical)
        return KnobFirstHalf() ? QRect(0, 0, w, h / 2) : QRect(0, h / 2, w, h - h / 2);
    return KnobFirstHalf() ? QRect(0, 0, w / 2, h) : QRect(w / 2, 0, w - w / 2, h);
}

namespace {
// A raised frame of n lines: highlight top and left, shadow bottom and right; r shrinks.
void Frame3D(TCanvas &c, TRect &r, TColor highlight, TColor shadow, int n)
{
    c.setPenWidth(1);
    for (int i = 0; i < n && !r.isEmpty(); ++i) {
        c.setPenColor(Qc(highlight));
        c.MoveTo(r.Left, r.Bottom - 1);
        c.LineTo(r.Left, r.Top);
        c.LineTo(r.Right - 1, r.Top);
        c.setPenColor(Qc(shadow));
        c.LineTo(r.Right - 1, r.Bottom - 1);
        c.LineTo(r.Left - 1, r.Bottom - 1);
        r = DeflateRect(r, 1);
    }
}
} // namespace

void TGvToggleSwitch::DrawTrack(TCanvas &c) const
{
    const int w = TrackRect().width(), h = TrackRect().height();
    const TRect t(0, 0, w, h);
    const QColor fill = Qc(Checked() ? colorOn : colorOff);
    c.setPenStyle(TPenStyle::psSolid);
    c.setPenColor(fill);
    c.setBrushStyle(TBrushStyle::bsSolid);
    c.setBrushColor(fill);
    c.Rectangle(t);

    TRect k = TRect::fromQRect(KnobRect());
    c.setPenColor(Qt::black);
    c.setBrushColor(Qc(BtnColorFace()));
    c.Rectangle(k);
    k = DeflateRect(k, 1);
    Frame3D(c, k, BtnColorHighlight(), BtnColorShadow(), BtnBevelWidth());
    const QColor hi = Qc(BtnColorHighlight()), sh = Qc(BtnColorShadow());
    if (vertical) {
        for (int y = k.Top + 2; y < k.Bottom - 2; y += 4) {
            c.setPenColor(hi);
            c.MoveTo(k.Left + 1, y);
            c.LineTo(k.Right - 2, y);
            c.setPenColor(sh);
            c.MoveTo(k.Left + 1, y + 1);
            c.LineTo(k.Right - 2, y + 1);
        }
    } else {
        for (int x = k.Left + 2; x < k.Right - 2; x += 4) {
            c.setPenColor(sh);
            c.MoveTo(x, k.Top + 2);
            c.LineTo(x, k.Bottom - 2);
            c.setPenColor(hi);
            c.MoveTo(x + 1, k.Top + 2);
            c.LineTo(x + 1, k.Bottom - 2);
        }
    }

    // The caption sits in the middle of the uncovered half; it names the state, the knob's side
    // may be swapped.
    const bool first = KnobFirstHalf();
    const QPoint at = vertical ? QPoint(w / 2, first ? h - h / 4 : h / 4) : QPoint(first ? w - w / 4 : w / 4, h / 2);
    SelectFont(c, CaptionFont());
    c.setBrushStyle(TBrushStyle::bsClear);
    TextLines(c, at.x(), at.y(), 4, Checked() ? textOn : textOff, 0);
}

bool TGvToggleSwitch::onUncoveredHalf(QPoint p) const
{
    const bool first = KnobFirstHalf();
    if (vertical)
        return first ? p.y() > height() / 2 : p.y() < height() / 2;
    return first ? p.x() > width() / 2 : p.x() < width() / 2;
}

void TGvToggleSwitch::mousePressEvent(QMouseEvent *e)
{
    // Only a click on the half the knob does not cover moves it.
    if (e->button() == Qt::LeftButton && !onUncoveredHalf(e->position().toPoint()))
        return;
    TGvSwitch::mousePressEvent(e);
}
