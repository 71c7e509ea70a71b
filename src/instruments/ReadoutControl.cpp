#include "ReadoutControl.h"

#include "Bevel.h"
#include "Draw.h"
#include "Numeric.h"
#include "ReadoutText.h"
#include "Scale.h"

#include <QPainter>
#include <algorithm>

using namespace tg;

namespace {
// Widget sizes are clamped: stored sizes may be absurd and Qt geometry is 16-bit safe only.
int clampSize(int64_t v) { return int(std::clamp<int64_t>(v, 0, 32767)); }

// x that centres a text of width w in r.
int centred(const TRect &r, int w) { return saturate64<int>(int64_t(r.Left) + (int64_t(r.width()) - w) / 2); }
} // namespace

TGvReadoutControl::TGvReadoutControl(QWidget *parent)
    : TGvAnalogGControl(parent), bevelInner(new TGvSBevel(this)), bevelOuter(new TGvSBevel(this)),
      bevelValue(new TGvSBevel(this)), fontValue(new TFont(this))
{
    fontValue->SetColor(clLime);
    fontValue->SetName(QStringLiteral("System"));
    fontValue->SetSize(10);
    bevelInner->SetStyle(gv::bsLowered);
    bevelInner->SetSpacing(5);
    bevelInner->SetWidth(2);
    bevelInner->SetBevelLine(gv::blInner);
    bevelOuter->SetSpacing(5);
    bevelOuter->SetBevelLine(gv::blOuter);
    bevelOuter->SetWidth(2);
    bevelValue->SetStyle(gv::bsLowered);
    bevelValue->SetWidth(2);
    bevelValue->SetColor(clBlack);
    bevelValue->SetSpacing(0);
}

void TGvReadoutControl::loaded()
{
    fontValue->OnChange = [this] { ParamChange(); };
    for (TGvSBevel *bevel : {bevelInner, bevelOuter, bevelValue})
        bevel->OnChange = [this](QObject *) { ParamChange(); };
    TGvAnalogGControl::loaded(); // releases the update lock: a full layout and repaint
}

void TGvReadoutControl::SetAutoSize(bool b)
{
    if (b == autoSize)
        return;
    autoSize = b;
    ownSettingChange();
}

void TGvReadoutControl::SetFontValue(const TFont *f)
{
    if (!f)
        return;
    fontValue->Assign(*f);
    ownSettingChange();
}

void TGvReadoutControl::ParamChange()
{
    TGvAnalogGControl::ParamChange();
    fullRepaint();
}

// Measure, take the needed size, rebuild the background, then the value sequence that draws
// the value parts.
void TGvReadoutControl::fullRepaint()
{
    if (UpdateLock() > 0)
        return;
    // The background is rebuilt here, outside painting, so the layout rectangles are known
    // before the first paint and value changes can repaint just their part. Once: a resize
    // on the way has built it already.
    MarkBackgroundStale();
    layoutAndResize();
    EnsureBackground();
    RepaintAll();
    // A full repaint ends with the value sequence, which builds the read-out text. It runs
    // here rather than inside paintEvent, where repaint requests must not be made.
    ValueChange();
}

void TGvReadoutControl::resizeEvent(QResizeEvent *e)
{
    TGvAnalogGControl::resizeEvent(e);
    if (UpdateLock() > 0)
        return;
    // Back to the needed size after this resize is done: exactly when auto-sized, at least
    // when the instrument keeps its needed size.
    const bool off = autoSize ? (neededWidth != width() || neededHeight != height())
                              : keepsNeededSize() && (neededWidth > width() || neededHeight > height());
    if (off)
        QMetaObject::invokeMethod(this, [this] { layoutAndResize(); }, Qt::QueuedConnection);
}

void TGvReadoutControl::setVisible(bool visible)
{
    TGvAnalogGControl::setVisible(visible);
    if (visible && UpdateLock() == 0)
        layoutAndResize();
}

void TGvReadoutControl::layoutAndResize()
{
    measure();
    // The size follows the contents only once the instrument is shown: one that stays hidden
    // is never painted, so it keeps the size it was given whatever its fonts measure here.
    if (isHidden())
        return;
    if (autoSize) {
        if (neededWidth != width() || neededHeight != height())
            resize(neededWidth, neededHeight);
    } else if (keepsNeededSize()) {
        const int w = std::max(width(), neededWidth), h = std::max(height(), neededHeight);
        if (w != width() || h != height())
            resize(w, h);
    }
}

void TGvReadoutControl::measureTexts()
{
    QImage none;
    TCanvas c(none);
    const TSignalSettings &sig = *SignalSettings();
    SelectFont(c, *Font());
    name1W = c.TextWidth(sig.Name1());
    name1H = c.TextHeight(sig.Name1());
    name2W = c.TextWidth(sig.Name2());
    name2H = c.TextHeight(sig.Name2());
    SelectFont(c, *fontValue);
    sampleW = ReadoutWidth(c, sig);
    sampleH = c.TextHeight(sig.FormatSample());
    unitW = shownParts().unit ? c.TextWidth(sig.ValueUnit()) : 0;
    unitH = c.TextHeight(sig.ValueUnit());
}

void TGvReadoutControl::setNeededSize(int64_t w, int64_t h)
{
    neededWidth = clampSize(w);
    neededHeight = clampSize(h);
}

void TGvReadoutControl::BuildBackground(TCanvas &c)
{
    measure();
    valueRect = {};
    tooSmall = true;
    if (c.image().isNull())
        return;
    TRect r;
    if (paintFrameAndCaptions(c, r))
        paintContents(c, r);
}

bool TGvReadoutControl::paintFrameAndCaptions(TCanvas &c, TRect &r)
{
    const TShownParts shown = shownParts();
    r = {0, 0, width(), height()};
    int s = 0;
    if (shown.bevelOuter) {
        PaintInto(c, *bevelOuter, r);
        s = bevelOuter->Spacing() / 2;
    }
    if (r.isEmpty())
        return false; // absurd bevel sizes end here
    const TSignalSettings &sig = *SignalSettings();
    c.setBrushStyle(TBrushStyle::bsClear);
    SelectFont(c, *Font());
    if (shown.name2) {
        r.Bottom -= name2H;
        c.TextOut(centred(r, name2W), saturate64<int>(int64_t(r.Bottom) + s), sig.Name2());
    }
    if (shown.name1) {
        r.Bottom -= name1H;
        c.TextOut(centred(r, name1W), saturate64<int>(int64_t(r.Bottom) + s), sig.Name1());
    }
    return true;
}

int TGvReadoutControl::paintReadoutBox(TCanvas &c, const TRect &r)
{
    SelectFont(c, *fontValue);
    const int pad = sampleH / 3;
    const int bt = bevelValue->TotalWidth();
    const int h = saturate64<int>(2 * int64_t(bt) + sampleH);
    const int left = saturate64<int>(int64_t(r.Left) + (int64_t(r.width()) - sampleW - unitW - pad) / 2 - pad);
    TRect box{left, r.Top, saturate64<int>(int64_t(left) + sampleW + 2 * int64_t(bt) + 2 * pad),
              saturate64<int>(int64_t(r.Top) + h)};
    PaintInto(c, *bevelValue, box);
    if (shownParts().unit) {
        c.setBrushStyle(TBrushStyle::bsClear);
        c.setFontColor(Qc(Font()->Color()));
        c.TextOut(box.Right + pad, box.Top, SignalSettings()->ValueUnit());
    }
    box.Left += pad;
    box.Right -= pad;
    valueRect = box;
    return h;
}

QImage TGvReadoutControl::renderReadout() const
{
    QImage img = MakeLayerImage(valueRect.width(), valueRect.height(), devicePixelRatioF(), QImage::Format_RGB32);
    if (img.isNull())
        return img;
    img.fill(Qc(bevelValue->Color()));
    TCanvas c(img);
    SelectFont(c, *fontValue);
    c.setBrushStyle(TBrushStyle::bsClear);
    // Right-aligned; a text still wider than the box would read as another number if cut.
    int w = 0;
    const QString text = FitReadout(c, ValueText(), valueRect.width(), w);
    c.TextOut(valueRect.width() - w, 0, text);
    return img;
}

void TGvReadoutControl::PaintForeground(QPainter &p, const QRegion &asked)
{
    if (!tooSmall)
        paintValueParts(p, asked);
}

void TGvReadoutControl::paintValueParts(QPainter &p, const QRegion &asked)
{
    const QRect vr = valueRect.toQRect();
    if (asked.intersects(vr))
        tg::DrawImage(p, vr.topLeft(), renderReadout());
}

void TGvReadoutControl::ValueChange()
{
    TGvAnalogGControl::ValueChange();
    if (UpdateLock() > 0 || tooSmall || isHidden())
        return;
    RepaintPart(valueRect.toQRect()); // empty when the instrument shows no read-out
}
