#include "GvValueInd.h"

#include "Bevel.h"
#include "Draw.h"
#include "FlashService.h"
#include "Numeric.h"
#include "Scale.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

using namespace tg;

namespace {
int clampSize(int64_t v) { return int(std::clamp<int64_t>(v, 0, 32767)); }
// x that centres a text of width w in r.
int centred(const TRect &r, int w) { return saturate64<int>(int64_t(r.Left) + (int64_t(r.width()) - w) / 2); }
} // namespace

TGvValueInd::TGvValueInd(QWidget *parent)
    : TGvAnalogGControl(parent), frame(TValueFrame::Create(this))
{
    resize(67, 48);
}

TGvValueInd::~TGvValueInd() { FlashUnregister(this); }

void TGvValueInd::loaded()
{
    frame.Hook([this] { ParamChange(); });
    TGvAnalogGControl::loaded();
}

void TGvValueInd::SetAutoSize(bool b)
{
    if (b == autoSize)
        return;
    autoSize = b;
    Change();
}

void TGvValueInd::SetFontValue(const TFont *f)
{
    if (!f)
        return;
    frame.FontValue->Assign(*f);
    Change();
}

void TGvValueInd::SetOptions(TValueIndOptions o)
{
    if (o == options)
        return;
    options = o;
    Change();
}

void TGvValueInd::ParamChange()
{
    TGvAnalogGControl::ParamChange();
    if (UpdateLock() > 0)
        return;
    layoutAndResize();
    // The background is rebuilt here, outside painting, so the layout rectangles are known
    // before the first paint and value changes can repaint just their part.
    renderBackground();
    Invalidate();
    BackgroundStale = false;
    dirty = QRegion(rect());
    // A full repaint ends with the value sequence, which builds the read-out text. It runs
    // here rather than inside paintEvent, where repaint requests must not be made.
    ValueChange();
}

void TGvValueInd::resizeEvent(QResizeEvent *e)
{
    TGvAnalogGControl::resizeEvent(e);
    if (UpdateLock() > 0)
        return;
    renderBackground();
    dirty = QRegion(rect());
    // Auto-sized: back to the needed size; otherwise never smaller than needed.
    const bool off = autoSize ? (neededWidth != width() || neededHeight != height())
                              : (neededWidth > width() || neededHeight > height());
    if (off)
        QMetaObject::invokeMethod(this, [this] { layoutAndResize(); }, Qt::QueuedConnection);
}

void TGvValueInd::measure()
{
    QImage none;
    TCanvas c(none);
    const TSignalSettings &sig = *SignalSettings();
    SelectFont(c, *Font());
    name1W = c.TextWidth(sig.Name1());
    name1H = c.TextHeight(sig.Name1());
    name2W = c.TextWidth(sig.Name2());
    name2H = c.TextHeight(sig.Name2());
    SelectFont(c, *frame.FontValue);
    sampleW = c.TextWidth(sig.FormatSample());
    sampleH = c.TextHeight(sig.FormatSample());
    unitW = options & opUnit ? c.TextWidth(sig.ValueUnit()) : 0;
    unitH = c.TextHeight(sig.ValueUnit());

    // Sums in 64-bit: stored bevel widths and fonts may be absurd.
    int64_t H = 0, W = 0;
    const int64_t o = options & opBevelOuter ? 2 * int64_t(frame.BevelOuter->TotalWidth()) : 0;
    if (options & opBevelOuter) {
        H += o;
        W = o;
    }
    if (options & opName1) {
        H += name1H;
        W = std::max(W, name1W + o);
    }
    if (options & opName2) {
        H += name2H;
        W = std::max(W, name2W + o);
    }
    const int64_t inner = options & opBevelInner ? 2 * int64_t(frame.BevelInner->TotalWidth()) : 0;
    const int64_t bv = 2 * int64_t(frame.BevelValue->TotalWidth());
    H += inner;
    H += sampleH + bv;
    W = std::max(W, sampleW + o + inner + unitW + bv + sampleH);
    neededWidth = clampSize(W);
    neededHeight = clampSize(H);
}

void TGvValueInd::layoutAndResize()
{
    measure();
    if (!autoSize) {
        const int w = std::max(width(), neededWidth), h = std::max(height(), neededHeight);
        if (w != width() || h != height())
            resize(w, h);
    } else if (neededWidth != width() || neededHeight != height()) {
        resize(neededWidth, neededHeight);
    }
}

void TGvValueInd::renderBackground()
{
    BackgroundStale = false;
    measure();
    background = MakeScratchImage(width(), height(), QImage::Format_ARGB32_Premultiplied);
    valueRect = {};
    if (background.isNull())
        return;
    background.fill(Qt::transparent);
    TCanvas c(background);
    const TSignalSettings &sig = *SignalSettings();
    TRect r{0, 0, width(), height()};
    int d = 0;
    if (options & opBevelOuter) {
        PaintInto(c, *frame.BevelOuter, r);
        d = frame.BevelOuter->Spacing() / 2;
    }
    if (r.isEmpty())
        return; // nothing more fits (absurd bevel sizes end here)
    c.setBrushStyle(TBrushStyle::bsClear);
    SelectFont(c, *Font());
    if (options & opName2) {
        r.Bottom -= name2H;
        c.TextOut(centred(r, name2W), saturate64<int>(int64_t(r.Bottom) + d), sig.Name2());
    }
    if (options & opName1) {
        r.Bottom -= name1H;
        c.TextOut(centred(r, name1W), saturate64<int>(int64_t(r.Bottom) + d), sig.Name1());
    }
    if (options & opBevelInner)
        PaintInto(c, *frame.BevelInner, r);
    SelectFont(c, *frame.FontValue);
    const int p = sampleH / 3;
    const int64_t bt = frame.BevelValue->TotalWidth();
    TRect v;
    v.Left = saturate64<int>(int64_t(r.Left) + (int64_t(r.width()) - sampleW - unitW - p) / 2 - p);
    v.Right = saturate64<int>(v.Left + sampleW + 2 * bt + 2 * p);
    v.Top = r.Top;
    v.Bottom = saturate64<int>(r.Top + 2 * bt + sampleH);
    PaintInto(c, *frame.BevelValue, v);
    c.setFontColor(Qc(Font()->Color()));
    c.setBrushStyle(TBrushStyle::bsClear);
    if (options & opUnit)
        c.TextOut(v.Right + p, v.Top, sig.ValueUnit());
    v.Left += p;
    v.Right -= p;
    valueRect = v;
}

QImage TGvValueInd::renderValue() const
{
    QImage img = MakeScratchImage(valueRect.width(), valueRect.height());
    if (img.isNull())
        return img;
    img.fill(Qc(frame.BevelValue->Color()));
    TCanvas c(img);
    SelectFont(c, *frame.FontValue);
    c.setBrushStyle(TBrushStyle::bsClear);
    const QString text = ValueText();
    // Right-aligned; a text wider than the box loses its left part.
    c.TextOut(img.width() - c.TextWidth(text), 0, text);
    return img;
}

void TGvValueInd::paintEvent(QPaintEvent *e)
{
    if (UpdateLock() > 0)
        return;
    dirty = QRegion();
    if (BackgroundStale || background.size() != size())
        renderBackground();
    QPainter p(this);
    p.setClipRegion(e->region());
    if (!background.isNull())
        for (const QRect &r : e->region())
            p.drawImage(r.topLeft(), background, r); // only what is asked for: small blits stay cheap
    const QRect vr = valueRect.toQRect();
    if (e->region().intersects(vr))
        p.drawImage(vr.topLeft(), renderValue());
}

void TGvValueInd::ValueChange()
{
    TGvAnalogGControl::ValueChange();
    if (UpdateLock() > 0 || isHidden())
        return;
    const QRect vr = valueRect.toQRect();
    if (vr.isEmpty())
        return;
    dirty += vr;
    update(vr);
}

QRegion TGvValueInd::TakeDirtyRegion()
{
    QRegion r = dirty;
    dirty = QRegion();
    return r;
}
