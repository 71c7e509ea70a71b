#include "GvVMeter.h"

#include "Bevel.h"
#include "Draw.h"
#include "FlashService.h"
#include "Numeric.h"
#include "Scale.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>

using namespace tg;

TGvVMeter::TGvVMeter(QWidget *parent) : TGvReadoutControl(parent)
{
    // The base control holds the update lock from here until loaded().
    scaleSettings = new TScaleSettings(this);
    resize(98, 273);
}

TGvVMeter::~TGvVMeter() { FlashUnregister(this); }

void TGvVMeter::loaded()
{
    scaleSettings->OnChange = [this](QObject *) { ParamChange(); };
    TGvReadoutControl::loaded();
}

void TGvVMeter::SetOptions(TGvVMeterOptions o)
{
    if (o == options)
        return;
    options = o;
    ownSettingChange();
}

void TGvVMeter::LogScaleChange()
{
    scaleSettings->LogMode = LogScale();
    TGvReadoutControl::LogScaleChange();
}

TGvReadoutControl::TShownParts TGvVMeter::shownParts() const
{
    return {bool(options & opBevelOuter), bool(options & opName1), bool(options & opName2), bool(options & opUnit)};
}

// Measures the contents and the room they need (no painting).
void TGvVMeter::measure()
{
    measureTexts();
    QImage none;
    TCanvas c(none);
    const TSignalSettings &sig = *SignalSettings();
    CalcLinearScale(c, *scaleSettings, sig.ValueTo(), sig.ValueFrom());

    const TScaleSettings &s = *scaleSettings;
    const int64_t o = options & opBevelOuter ? 2 * int64_t(BevelOuter()->TotalWidth()) : 0;
    const int64_t i = options & opBevelInner ? 2 * int64_t(BevelInner()->TotalWidth()) : 0;
    const int64_t bv = 2 * int64_t(BevelValue()->TotalWidth());
    int64_t h = s.MinScaleLength;
    if (options & opBevelOuter)
        h += o + s.TickLength;
    if (options & opName1)
        h += name1H;
    if (options & opName2)
        h += name2H;
    h += i;
    if (options & opValue)
        h += sampleH + bv + BevelInner()->TotalWidth();
    int64_t w = std::max(o, o + i);
    if (options & opName1)
        w = std::max(w, o + name1W);
    if (options & opName2)
        w = std::max(w, o + name2W);
    w = std::max(w, o + i + s.ScaleWidth + s.TickLength / 2 + 1);
    if (options & opValue)
        w = std::max(w, o + i + sampleW + unitW + bv + sampleH / 3);
    setNeededSize(w, h);
}

void TGvVMeter::BuildBackground(TCanvas &c)
{
    stripBackground = QImage(); // made again only when the scale fits
    TGvReadoutControl::BuildBackground(c);
}

// Below the bevels and captions: the read-out frame and unit, the inner bevel, sectors and scale.
void TGvVMeter::paintContents(TCanvas &c, TRect r)
{
    if (options & opValue) {
        const int h = paintReadoutBox(c, r);
        r.Top = saturate64<int>(int64_t(r.Top) + h + BevelOuter()->Spacing());
    }
    if (options & opBevelInner)
        PaintInto(c, *BevelInner(), r);
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
    stripBackground = CopyLogical(c.image(), pointerStrip.toQRect());
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

void TGvVMeter::drawPointerNow()
{
    if (UpdateLock() > 0 || tooSmall)
        return;
    // The whole strip: pointer and marks are drawn in it at paint time, so however many
    // values come before the next frame, the strip is asked for once.
    RepaintPart(pointerStrip.toQRect());
}

QImage TGvVMeter::renderStrip(const QRect &part) const
{
    QImage img = CopyLogical(stripBackground, part);
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

void TGvVMeter::paintValueParts(QPainter &p, const QRegion &asked)
{
    TGvReadoutControl::paintValueParts(p, asked);
    const QRect sr = pointerStrip.toQRect();
    const QRegion inStrip = asked & sr;
    if (!inStrip.isEmpty()) {
        // The strip is a copy of the background under it, so drawing it over is exact.
        // One scratch image for all asked-for parts; each part is then blitted on its own.
        const QRect box = inStrip.boundingRect();
        const QImage part = renderStrip(box.translated(-sr.topLeft()));
        for (const QRect &r : inStrip)
            DrawImagePart(p, r.topLeft(), part, r.translated(-box.topLeft()));
    }
}

void TGvVMeter::ValueChange()
{
    TGvReadoutControl::ValueChange(); // the value model and the read-out box
    if (!isHidden())
        drawPointerNow();
}

void TGvVMeter::OverflowChange(int ppt)
{
    TGvReadoutControl::OverflowChange(ppt);
    checkAlarm();
}

void TGvVMeter::LimitChange()
{
    TGvReadoutControl::LimitChange();
    checkAlarm();
}

void TGvVMeter::checkAlarm()
{
    alarmActive = flashAlarm(options.testFlag(opOverflow), options.testFlag(opLimit));
    if (!alarmActive && !isHidden())
        drawPointerNow(); // back from the alarm colour it may have flashed in
}

void TGvVMeter::FlashMessage(uint32_t counter, int param)
{
    TGvReadoutControl::FlashMessage(counter, param);
    if (tooSmall || !(options & opOverflow) || isHidden())
        return;
    alarmColor = param ? FlashColorOn : FlashColorOff;
    drawPointerNow();
}
