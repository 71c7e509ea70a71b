#include "Bevel.h"

#include "Draw.h"
#include "Numeric.h"

namespace tg {

namespace {
// One-pixel 3-D frame: top and left in one colour, bottom and right (with both corners they
// share) in the other.
void frame3D(TCanvas &c, const TRect &r, TColor topLeft, TColor bottomRight)
{
    c.setBrushColor(Qc(topLeft));
    c.FillRect({r.Left, r.Top, r.Right - 1, r.Top + 1});
    c.FillRect({r.Left, r.Top, r.Left + 1, r.Bottom - 1});
    c.setBrushColor(Qc(bottomRight));
    c.FillRect({r.Right - 1, r.Top, r.Right, r.Bottom});
    c.FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom});
}

void paintFrame(TCanvas &c, TRect &r, TColor fill, bool doFill, bool raised, int width, TColor shFrom,
                TColor shTo, TColor hiFrom, TColor hiTo)
{
    if (doFill) {
        c.setPenStyle(TPenStyle::psSolid);
        c.setPenWidth(1);
        c.setPenColor(Qc(fill));
        c.setBrushColor(Qc(fill));
        c.Rectangle(r);
    }
    for (int i = 1; i <= width && !r.isEmpty(); ++i) {
        if (raised)
            frame3D(c, r, BlendColor(hiFrom, hiTo, width, i), BlendColor(shFrom, shTo, width, i));
        else
            frame3D(c, r, BlendColor(shTo, shFrom, width, i), BlendColor(hiTo, hiFrom, width, i));
        r = DeflateRect(r, 1);
    }
}
} // namespace

void PaintFrame(TCanvas &c, const TGvSBevel &b, TRect &r, TColor fill, bool doFill, bool raised)
{
    paintFrame(c, r, fill, doFill, raised, b.Width(), b.ColorShadowFrom(), b.ColorShadowTo(),
               b.ColorHighLightFrom(), b.ColorHighLightTo());
}

void PaintFrame(TCanvas &c, const TGvBtnBevel &b, TRect &r, TColor fill, bool doFill, bool raised)
{
    paintFrame(c, r, fill, doFill, raised, b.Width(), b.ShadowColFrom(), b.ShadowColTo(), b.HighlightColFrom(),
               b.HighlightColTo());
}

void PaintInto(TCanvas &c, const TGvSBevel &b, TRect &r)
{
    using namespace gv;
    const TRect copy = r;
    c.setBrushStyle(TBrushStyle::bsSolid);
    c.setPenStyle(TPenStyle::psSolid);
    c.setPenWidth(1);
    c.setPenColor(Qc(b.Color()));
    c.setBrushColor(Qc(b.Color()));
    c.Rectangle(r);
    const bool outer = b.BevelLine() == blOuter || b.BevelLine() == blBoth;
    const bool inner = b.BevelLine() == blInner || b.BevelLine() == blBoth;
    if (outer)
        r = DeflateRect(r, 1);
    const TRect surface = DeflateRect(copy, saturate64<int>(int64_t(b.TotalWidth()) - b.Spacing()));
    // The surface was filled above, so the frame itself needs no fill.
    PaintFrame(c, b, r, b.Color(), false, b.Style() == bsRaised);
    if (b.SurfaceGrad()->Visible())
        GradientFill(c, surface, b.SurfaceGrad()->ColorFrom(), b.SurfaceGrad()->Style(), b.SurfaceGrad()->ColorTo());
    c.setPenColor(Qc(b.PenColor()));
    c.setBrushStyle(TBrushStyle::bsClear);
    if (inner) {
        c.Rectangle(r);
        r = DeflateRect(r, 1);
    }
    if (outer)
        c.Rectangle(copy);
    c.setBrushStyle(TBrushStyle::bsSolid);
    r = DeflateRect(r, b.Spacing());
    b.Offset()->Deflate(r);
}

void PaintRoundInto(TCanvas &c, TGvSBevel &b, TRect &r)
{
    using namespace gv;
    const int w = r.width();
    if (w <= 4 || !b.RoundShape())
        return;
    if (b.ShadingStale || b.Shading.isNull()) {
        b.Shading = MakeScratchImage(30, 30);
        TCanvas sc(b.Shading);
        GradientFill(sc, {0, 0, 30, 30}, b.ColorShadowFrom(), gsTopLeft, b.ColorShadowTo());
        b.ShadingStale = false;
    }
    QImage bmp = MakeScratchImage(w, w);
    if (bmp.isNull())
        return;
    const bool outer = b.BevelLine() == blOuter || b.BevelLine() == blBoth;
    const bool inner = b.BevelLine() == blInner || b.BevelLine() == blBoth;
    int64_t total = int64_t(b.Width()) + b.Spacing();
    {
        TCanvas bc(bmp);
        const QImage shade = b.Style() == bsLowered ? b.Shading.mirrored(true, true) : b.Shading;
        bc.StretchHalftone({0, 0, w, w}, shade, {0, 0, shade.width(), shade.height()});
        TRect s = DeflateRect({0, 0, w, w}, b.Width());
        if (outer) {
            bc.setPenColor(Qc(b.PenColor()));
            bc.setBrushStyle(TBrushStyle::bsClear);
            bc.Ellipse({0, 0, w, w});
            s = DeflateRect(s, 1);
            ++total;
        }
        bc.setBrushColor(Qc(b.Color()));
        if (inner) {
            bc.setPenColor(Qc(b.PenColor()));
            bc.setPenWidth(saturate64<int>(total + 1));
        } else {
            bc.setPenColor(Qc(b.Color()));
        }
        if (!b.SurfaceGrad()->Visible())
            bc.Ellipse(s);
    }
    const TRect oldClip = c.ClipRect();
    c.SelectClipRegion(TCanvas::EllipticRegion({r.Left, r.Top, r.Right + 1, r.Bottom + 1}));
    c.Draw(r.Left, r.Top, bmp);
    c.SelectClipRect(oldClip);
    if (b.SurfaceGrad()->Visible()) {
        const TRect in = DeflateRect(r, b.Width());
        c.SelectClipRegion(TCanvas::EllipticRegion(in));
        GradientFill(c, in, b.SurfaceGrad()->ColorFrom(), b.SurfaceGrad()->Style(), b.SurfaceGrad()->ColorTo());
        if (inner) {
            c.setPenColor(Qc(b.PenColor()));
            c.setPenWidth(1);
            c.setBrushStyle(TBrushStyle::bsClear);
            c.Ellipse(in);
            c.setBrushStyle(TBrushStyle::bsSolid);
        }
    }
    c.RemoveClipRegion();
    r = DeflateRect(r, saturate64<int>(total));
    b.Offset()->Deflate(r);
}

void PaintLED(TCanvas &c, const TLED &led, bool on)
{
    const QRect q = led.Rect;
    PaintLEDShape(c, TRect(q.left(), q.top(), q.left() + q.width(), q.top() + q.height()), led.Shape(),
                  on ? led.ColorOn() : led.ColorOff(), clBtnShadow);
}

} // namespace tg
