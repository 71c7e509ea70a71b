#include "GvVMeter.h"

#include "Bevel.h"
#include "Draw.h"
#include "FlashService.h"
#include "Numeric.h"
#include "Scale.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

using namespace tg;

namespace {
// Widget sizes are clamped here: stored sizes may be absurd and Qt geometry is 16-bit safe only.
int clampSize(int64_t v) { return int(std::clamp<int64_t>(v, 0, 32767)); }

// x that centres a text of width w in r.
int centred(const TRect &r, int w) { return saturate64<int>(int64_t(r.Left) + (int64_t(r.width()) - w) / 2); }

QImage transparentLayer(QSize s)
{
    QImage img = MakeScratchImage(s.width(), s.height(), QImage::Format_ARGB32_Premultiplied);
    if (!img.isNull())
        img.fill(Qt::transparent);
    return img;
}
} // namespace

TGvVMeter::TGvVMeter(QWidget *parent)
    : TGvAnalogGControl(parent), frame(TValueFrame::Create(this))
{
    // The base control holds the update lock from here until loaded().
    scaleSettings = new TScaleSettings(this);
    resize(98, 273);
}

TGvVMeter::~TGvVMeter() { FlashUnregister(this); }

void TGvVMeter::loaded()
{
    frame.Hook([this] { ParamChange(); });
    scaleSettings->OnChange = [this](QObject *) { ParamChange(); };
    TGvAnalogGControl::loaded(); // releases the update lock: a full layout and repaint
}

void TGvVMeter::SetAutoSize(bool b)
{
    if (b == autoSize)
        return;
    autoSize = b;
    if (UpdateLock() == 0)
        fullRepaint();
}

void TGvVMeter::SetFontValue(const TFont *f)
{
    if (!f)
        return;
    frame.FontValue->Assign(*f);
    if (UpdateLock() == 0)
        fullRepaint();
}

void TGvVMeter::SetOptions(TGvVMeterOptions o)
{
    if (o == options)
        return;
    options = o;
    if (UpdateLock() == 0)
        fullRepaint();
}

void TGvVMeter::LogScaleChange()
{
    scaleSettings->LogMode = LogScale();
    TGvAnalogGControl::LogScaleChange();
}

void TGvVMeter::ParamChange()
{
    TGvAnalogGControl::ParamChange();
    fullRepaint();
}

// What a full paint does, done outside painting: measure, take the needed size, rebuild the
// background, then the value sequence that draws read-out and pointer.
void TGvVMeter::fullRepaint()
{
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

void TGvVMeter::resizeEvent(QResizeEvent *e)
{
    TGvAnalogGControl::resizeEvent(e);
    if (UpdateLock() > 0)
        return;
    renderBackground();
    dirty = QRegion(rect());
    // An auto-sized meter returns to the size its contents need (after this resize is done).
    if (autoSize && (neededWidth != width() || neededHeight != height()))
        QMetaObject::invokeMethod(this, [this] { layoutAndResize(); }, Qt::QueuedConnection);
}

// Measures the contents and the room they need (no painting).
void TGvVMeter::calcSize()
{
    QImage none;
    TCanvas c(none);
    SelectFont(c, *Font());
    const TSignalSettings &sig = *SignalSettings();
    name1W = c.TextWidth(sig.Name1());
    name1H = c.TextHeight(sig.Name1());
    name2W = c.TextWidth(sig.Name2());
    name2H = c.TextHeight(sig.Name2());
    SelectFont(c, *frame.FontValue);
    sampleW = c.TextWidth(sig.FormatSample());
    sampleH = c.TextHeight(sig.FormatSample());
    unitW = options & opUnit ? c.TextWidth(sig.ValueUnit()) : 0;
    unitH = c.TextHeight(sig.ValueUnit());
    CalcLinearScale(c, *scaleSettings, sig.ValueTo(), sig.ValueFrom());

    const TScaleSettings &s = *scaleSettings;
    const int64_t o = options & opBevelOuter ? 2 * int64_t(frame.BevelOuter->TotalWidth()) : 0;
    const int64_t i = options & opBevelInner ? 2 * int64_t(frame.BevelInner->TotalWidth()) : 0;
    const int64_t bv = 2 * int64_t(frame.BevelValue->TotalWidth());
    int64_t h = s.MinScaleLength;
    if (options & opBevelOuter)
        h += o + s.TickLength;
    if (options & opName1)
        h += name1H;
    if (options & opName2)
        h += name2H;
    h += i;
    if (options & opValue)
        h += sampleH + bv + frame.BevelInner->TotalWidth();
    int64_t w = std::max(o, o + i);
    if (options & opName1)
        w = std::max(w, o + name1W);
    if (options & opName2)
        w = std::max(w, o + name2W);
    w = std::max(w, o + i + s.ScaleWidth + s.TickLength / 2 + 1);
    if (options & opValue)
        w = std::max(w, o + i + sampleW + unitW + bv + sampleH / 3);
    neededWidth = clampSize(w);
    neededHeight = clampSize(h);
}

void TGvVMeter::layoutAndResize()
{
    calcSize();
    if (autoSize && (neededWidth != width() || neededHeight != height()))
        resize(neededWidth, neededHeight);
}

void TGvVMeter::renderBackground()
{
    BackgroundStale = false;
    calcSize();
    background = transparentLayer(size());
    stripBackground = QImage();
    tooSmall = true;
    if (background.isNull())
        return;
    TCanvas c(background);
    TRect r{0, 0, width(), height()};
    int s = 0;
    if (options & opBevelOuter) {
        PaintInto(c, *frame.BevelOuter, r);
        s = frame.BevelOuter->Spacing() / 2;
    }
    if (r.isEmpty())
        return; // nothing more fits (absurd bevel sizes end here)
    const TSignalSettings &sig = *SignalSettings();
    c.setBrushStyle(TBrushStyle::bsClear);
    SelectFont(c, *Font());
    if (options & opName2) {
        r.Bottom -= name2H;
        c.TextOut(centred(r, name2W), saturate64<int>(int64_t(r.Bottom) + s), sig.Name2());
    }
    if (options & opName1) {
        r.Bottom -= name1H;
        c.TextOut(centred(r, name1W), saturate64<int>(int64_t(r.Bottom) + s), sig.Name1());
    }
    SelectFont(c, *frame.FontValue);
    valueRect = {};
    if (options & opValue) {
        const int pad = sampleH / 3;
        const int bt = frame.BevelValue->TotalWidth();
        const int h = saturate64<int>(2 * int64_t(bt) + sampleH);
        const int left = saturate64<int>(int64_t(r.Left) + (int64_t(r.width()) - sampleW - unitW - pad) / 2 - pad);
        TRect box{left, r.Top, saturate64<int>(int64_t(left) + sampleW + 2 * int64_t(bt) + 2 * pad),
                  saturate64<int>(int64_t(r.Top) + h)};
        PaintInto(c, *frame.BevelValue, box);
        valueRect = box;
        if (options & opUnit) {
            c.setBrushStyle(TBrushStyle::bsClear);
            c.setFontColor(Qc(Font()->Color()));
            c.TextOut(valueRect.Right + pad, valueRect.Top, sig.ValueUnit());
        }
        valueRect.Left += pad;
        valueRect.Right -= pad;
        r.Top = saturate64<int>(int64_t(r.Top) + h + frame.BevelOuter->Spacing());
    }
    if (options & opBevelInner)
        PaintInto(c, *frame.BevelInner, r);
    // Negative stored spacings can push r beyond the meter; nothing outside it is visible.
    IntersectRects(r, {0, 0, width(), height()}, r);
    pointerStrip = r;
    TScaleSettings &sc = *scaleSettings;
    r.Top += sc.TickLength / 2;
    r.Bottom = r.Bottom - sc.TickLength / 2 - 1;
    if (r.width() < 2 || r.height() < 2)
        return;
    tooSmall = false;

    const int d = sc.TickLength / 2;
    const int e = (width() - sc.ScaleWidth - d) / 2;
    TRect scaleRect{0, r.Top, 0, r.Bottom};
    if (!sc.PosLeftTop()) {
        scaleRect.Left = e + d;
        scaleRect.Right = e + d + sc.ScaleWidth;
        columnLeft = e;
        columnRight = e + sc.TickLength;
    } else {
        scaleRect.Left = e;
        scaleRect.Right = e + sc.ScaleWidth;
        columnLeft = e + sc.ScaleWidth - d;
        columnRight = e + sc.ScaleWidth + sc.TickLength - d;
    }
    if (options & opSector) {
        const TRect band = !sc.PosLeftTop()
            ? TRect{scaleRect.Left, r.Top, scaleRect.Left + sc.SubTickLength, r.Bottom}
            : TRect{scaleRect.Right - sc.SubTickLength + 1, r.Top, scaleRect.Right + 1, r.Bottom};
        const double x = band.height() / 1000.0;
        const TSectorSettings &sec = *SectorSettings();
        for (int i = 0; i < 3; ++i) {
            const int from = sec.SectorFrom(i), to = sec.SectorTo(i);
            if (int64_t(to) - from <= 0 || to <= 0 || from >= 1000)
                continue;
            c.setBrushColor(Qc(sec.SectorColor(i)));
            c.FillRect({band.Left, band.Bottom - roundTo<int>(std::min(1000, to) * x), band.Right,
                        band.Bottom - roundTo<int>(std::max(0, from) * x) + 1});
        }
    }
    DrawLinearScale(c, sc, scaleRect);
    stripBackground = background.copy(pointerStrip.toQRect());
    lastPointer = pointerBounds();
}

int TGvVMeter::PointerY(int ppt) const
{
    const TScaleSettings &s = *scaleSettings;
    const double g = (double(s.ScaleBottom) - s.ScaleTop) / 1000.0;
    return saturate64<int>(s.ScaleBottom - int64_t(roundTo<int>(ppt * g)));
}

int TGvVMeter::PointerTipX() const
{
    return scaleSettings->PosLeftTop() ? columnRight - 1 - scaleSettings->TickLength
                                       : columnLeft + scaleSettings->TickLength;
}

QImage TGvVMeter::renderReadout() const
{
    QImage img = MakeScratchImage(valueRect.width(), valueRect.height());
    if (img.isNull())
        return img;
    img.fill(Qc(frame.BevelValue->Color()));
    TCanvas c(img);
    SelectFont(c, *frame.FontValue);
    c.setBrushStyle(TBrushStyle::bsClear);
    const QString text = ValueText();
    c.TextOut(img.width() - c.TextWidth(text), 0, text);
    return img;
}

void TGvVMeter::pointerPolygons(std::vector<QPoint> &ptr, std::vector<QPoint> &mn, std::vector<QPoint> &mx) const
{
    const TScaleSettings &s = *scaleSettings;
    const int h = s.TickLength / 2, L = s.TickLength;
    const int top = pointerStrip.Top;
    const int y = PointerY(PPT()) - top;
    const int yMin = PointerY(MinPPT()) - top, yMax = PointerY(MaxPPT()) - top;
    if (!s.PosLeftTop()) {
        const int x0 = columnLeft - pointerStrip.Left;
        ptr = {{x0, y - h}, {x0, y + h}, {x0 + L, y}};
        mn = {{x0 + L - 4, yMin}, {x0 + 2 * L - 4, yMin + h}, {x0 + 2 * L - 4, yMin}};
        mx = {{x0 + L - 4, yMax}, {x0 + 2 * L - 4, yMax - h}, {x0 + 2 * L - 4, yMax}};
    } else {
        const int u = columnRight - pointerStrip.Left - 1;
        ptr = {{u, y + h}, {u, y - h}, {u - L, y}};
        mn = {{u - 2 * L + 4, yMin}, {u - 2 * L + 4, yMin + h}, {u - L + 4, yMin}};
        mx = {{u - 2 * L + 4, yMax}, {u - 2 * L + 4, yMax - h}, {u - L + 4, yMax}};
    }
}

QRegion TGvVMeter::pointerBounds() const
{
    if (tooSmall)
        return {};
    std::vector<QPoint> ptr, mn, mx;
    pointerPolygons(ptr, mn, mx);
    const QRect strip = pointerStrip.toQRect();
    auto box = [&](const std::vector<QPoint> &pts) {
        const QRect r = QPolygon(QList<QPoint>(pts.begin(), pts.end())).boundingRect();
        return QRegion(r.adjusted(-1, -1, 1, 1).translated(strip.topLeft()) & strip);
    };
    QRegion r = box(ptr);
    if (MinMax()->MinVisible())
        r += box(mn);
    if (MinMax()->MaxVisible())
        r += box(mx);
    return r;
}

void TGvVMeter::drawPointerNow()
{
    if (UpdateLock() > 0 || tooSmall)
        return;
    // Only the old and the new places of pointer and marks change.
    const QRegion now = pointerBounds();
    const QRegion both = lastPointer + now;
    if (!both.isEmpty()) {
        dirty += both;
        update(both);
    }
    lastPointer = now;
}

QImage TGvVMeter::renderStrip(const QRect &part) const
{
    QImage img = stripBackground.copy(part);
    if (img.isNull())
        return img;
    TCanvas c(img);
    c.painter().translate(-part.topLeft());
    std::vector<QPoint> ptr, mn, mx;
    pointerPolygons(ptr, mn, mx);
    c.setPenColor(Qt::black);
    c.setPenWidth(1);
    const TMinMax &m = *MinMax();
    auto markColour = [&](int ppt, TColor own) {
        if (m.UseSectorCol())
            if (auto sc = SectorSettings()->SectorColorAt(ppt))
                return *sc;
        return own;
    };
    if (m.MinVisible()) {
        c.setBrushColor(Qc(markColour(MinPPT(), m.MinColor())));
        c.Polygon(mn);
    }
    if (m.MaxVisible()) {
        c.setBrushColor(Qc(markColour(MaxPPT(), m.MaxColor())));
        c.Polygon(mx);
    }
    c.setBrushColor(Qc(alarmActive ? alarmColor : scaleSettings->PointerColor()));
    c.Polygon(ptr);
    return img;
}

void TGvVMeter::paintEvent(QPaintEvent *e)
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
    if (tooSmall)
        return;
    const QRect vr = valueRect.toQRect();
    if ((options & opValue) && e->region().intersects(vr))
        p.drawImage(vr.topLeft(), renderReadout());
    const QRect sr = pointerStrip.toQRect();
    const QRegion inStrip = e->region() & sr;
    if (!inStrip.isEmpty()) {
        // The strip is a copy of the background under it, so drawing it over is exact.
        // One scratch image for all asked-for parts; each part is then blitted on its own.
        const QRect box = inStrip.boundingRect();
        const QImage part = renderStrip(box.translated(-sr.topLeft()));
        for (const QRect &r : inStrip)
            p.drawImage(r.topLeft(), part, r.translated(-box.topLeft()));
    }
}

void TGvVMeter::repaintRect(const QRect &r)
{
    if (r.isEmpty())
        return;
    dirty += r;
    update(r);
}

QRegion TGvVMeter::TakeDirtyRegion()
{
    QRegion r = dirty;
    dirty = QRegion();
    return r;
}

void TGvVMeter::ValueChange()
{
    TGvAnalogGControl::ValueChange();
    if (UpdateLock() > 0 || tooSmall || isHidden())
        return;
    if (options & opValue)
        repaintRect(valueRect.toQRect());
    drawPointerNow();
}

void TGvVMeter::OverflowChange(int ppt)
{
    TGvAnalogGControl::OverflowChange(ppt);
    checkAlarm();
}

void TGvVMeter::LimitChange()
{
    TGvAnalogGControl::LimitChange();
    checkAlarm();
}

void TGvVMeter::checkAlarm()
{
    const int p = PPT(); // not yet clamped while the value sequence runs
    if (((options & opOverflow) && (p > 1000 || p < 0)) ||
        ((options & opLimit) && (UpperExceeded() || LowerExceeded()))) {
        FlashRegister(this, TFlashService::FlashInterval(gv::ff2Hz));
        alarmActive = true;
    } else {
        alarmActive = false;
        FlashUnregister(this);
        if (!isHidden())
            drawPointerNow();
    }
}

void TGvVMeter::FlashMessage(uint32_t counter, int param)
{
    TGvAnalogGControl::FlashMessage(counter, param);
    if (tooSmall || !(options & opOverflow) || isHidden())
        return;
    alarmColor = param ? FlashColorOn : FlashColorOff;
    drawPointerNow();
}
