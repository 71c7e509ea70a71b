#include "GvRMeter.h"

#include "Bevel.h"
#include "Draw.h"
#include "FlashService.h"
#include "Numeric.h"
#include "Scale.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

using namespace tg;

namespace {
int clampSize(int64_t v) { return int(std::clamp<int64_t>(v, 0, 32767)); }
int centred(const TRect &r, int w) { return saturate64<int>(int64_t(r.Left) + (int64_t(r.width()) - w) / 2); }
} // namespace

TGvRMeter::TGvRMeter(QWidget *parent)
    : TGvAnalogGControl(parent), arrowSettings(new TArrowSettings(this)), bevelInner(new TGvSBevel(this)),
      bevelOuter(new TGvSBevel(this)), fontUnit(new TFont(this)), scaleSettings(new TScaleSettings(this))
{
    // The base control holds the update lock from here until loaded().
    fontUnit->SetColor(clBlack);
    fontUnit->SetName(QStringLiteral("System"));
    fontUnit->SetSize(10);
    bevelInner->SetStyle(gv::bsLowered);
    bevelInner->SetSpacing(5);
    bevelInner->SetWidth(2);
    bevelInner->SetBevelLine(gv::blInner);
    bevelOuter->SetSpacing(5);
    bevelOuter->SetBevelLine(gv::blOuter);
    bevelOuter->SetWidth(2);
}

TGvRMeter::~TGvRMeter() { FlashUnregister(this); }

void TGvRMeter::loaded()
{
    if (!IsLoading())
        return;
    const auto change = [this](QObject *) { ParamChange(); };
    arrowSettings->OnChange = change;
    fontUnit->OnChange = [this] { ParamChange(); };
    bevelInner->OnChange = change;
    bevelOuter->OnChange = change;
    scaleSettings->OnChange = change;
    TGvAnalogGControl::loaded(); // releases the update lock: a full layout and repaint
}

void TGvRMeter::SetAutoSize(bool b)
{
    if (b == autoSize)
        return;
    autoSize = b;
    fullRepaint();
}

void TGvRMeter::SetFontUnit(const TFont *f)
{
    if (!f)
        return;
    fontUnit->Assign(*f);
    fullRepaint();
}

void TGvRMeter::SetOptions(TRMeterOptions o)
{
    if (o == options)
        return;
    options = o;
    fullRepaint();
}

void TGvRMeter::LogScaleChange()
{
    scaleSettings->LogMode = LogScale();
    TGvAnalogGControl::LogScaleChange();
}

void TGvRMeter::ParamChange()
{
    TGvAnalogGControl::ParamChange();
    fullRepaint();
}

void TGvRMeter::fullRepaint()
{
    if (UpdateLock() > 0)
        return;
    MarkBackgroundStale();
    layoutAndResize();
    Invalidate();
    ValueChange(); // the value sequence ends every full paint
}

void TGvRMeter::layoutAndResize()
{
    calcSize();
    if (autoSize && (neededWidth != width() || neededHeight != height()))
        resize(neededWidth, neededHeight);
}

void TGvRMeter::resizeEvent(QResizeEvent *e)
{
    TGvAnalogGControl::resizeEvent(e);
    if (UpdateLock() > 0 || !autoSize)
        return;
    // An auto-sized meter returns to its own size once a resize from outside is done.
    if (neededWidth != width() || neededHeight != height())
        QMetaObject::invokeMethod(this, [this] { layoutAndResize(); }, Qt::QueuedConnection);
}

void TGvRMeter::calcSize()
{
    QImage none;
    TCanvas c(none);
    const TSignalSettings &sig = *SignalSettings();
    SelectFont(c, *Font());
    name1W = c.TextWidth(sig.Name1());
    name1H = c.TextHeight(sig.Name1());
    name2W = c.TextWidth(sig.Name2());
    name2H = c.TextHeight(sig.Name2());
    SelectFont(c, *fontUnit);
    unitW = c.TextWidth(sig.ValueUnit());
    unitH = c.TextHeight(sig.ValueUnit());
    TScaleSettings &s = *scaleSettings;
    CalcRoundScale(c, s, sig.ValueTo(), sig.ValueFrom());

    const int64_t o = options & opBevelOuter ? 2 * int64_t(bevelOuter->TotalWidth()) : 0;
    const int64_t i = options & opBevelInner ? 2 * int64_t(bevelInner->TotalWidth()) : 0;
    int64_t w = autoSize ? 10 * int64_t(s.LabelHeight) : std::max<int64_t>(int64_t(width()) - o - i, 7 * int64_t(s.LabelHeight));
    // A plain round meter has no radius factor; 1 keeps its face round instead of dividing by 0.
    const double factor = radiusFactor > 0 && std::isfinite(radiusFactor) ? radiusFactor : 1.0;
    int64_t h = roundTo<int64_t>((double(w) - s.LabelWidth) / factor + s.LabelHeight);
    w += o;
    h += o;
    if (options & opName1) {
        h += name1H;
        w = std::max<int64_t>(w, name1W + o + i);
    }
    if (options & opName2) {
        h += name2H;
        w = std::max<int64_t>(w, name2W + o + i);
    }
    w += i;
    h += i;
    neededWidth = clampSize(w);
    neededHeight = clampSize(h);
}

void TGvRMeter::BuildBackground(TCanvas &c)
{
    tooSmall = true;
    calcSize();
    TRect r{0, 0, width(), height()};
    int s = 0;
    if (options & opBevelOuter) {
        PaintInto(c, *bevelOuter, r);
        s = bevelOuter->Spacing() / 2;
    }
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
    if (options & opBevelInner)
        PaintInto(c, *bevelInner, r);
    if (r.width() < 2 || r.height() < 2)
        return;
    tooSmall = false;

    TScaleSettings &sc = *scaleSettings;
    const TRect r0 = r;
    DrawRoundScale(c, sc, r, sweepAngle, startAngle);
    pointerRect = r;
    if (options & opSector) {
        // The ring lies inside the ticks: the circle of the ticks' outer ends shrunk by the tick
        // length and the offset (a negative offset moves it over the ticks).
        const QPoint d = sc.ArcStart - sc.Center;
        const int outer = roundTo<int>(std::hypot(double(d.x()), double(d.y())));
        const int k = saturate64<int>(int64_t(outer) - sc.TickLength - SectorSettings()->Offset());
        const QPoint m = sc.Center;
        drawSectorRing(c, {m.x() - k, m.y() - k, m.x() + k, m.y() + k});
        if (SectorSettings()->Offset() < 0) {
            TRect again = r0;
            DrawRoundScale(c, sc, again, sweepAngle, startAngle);
        }
    }
    if (options & opUnit) {
        SelectFont(c, *fontUnit);
        c.setBrushStyle(TBrushStyle::bsClear);
        const int y = meterStyle == 1 ? roundTo<int>((double(width()) - sc.LabelWidth) / 1.18 - sc.LabelHeight)
                                      : r.Top + roundTo<int>((double(r.Right) - r.Left) / 3 - sc.LabelHeight / 2.0);
        c.TextOut(centred(pointerRect, unitW), y, sig.ValueUnit());
    }
}

void TGvRMeter::drawSectorRing(TCanvas &c, const TRect &r)
{
    if (r.width() < 2)
        return;
    const TRect outer{r.Left, r.Top, r.Right, r.Bottom + 1};
    const int k = saturate64<int>(int64_t(r.width()) / 10 + SectorSettings()->WidthOffset());
    const TRect inner = DeflateRect(outer, k);
    c.SelectClipRegion(TCanvas::EllipticRegion(outer).subtracted(TCanvas::EllipticRegion(inner)));
    const double p = sweepAngle / 1000.0;
    const TSectorSettings &sec = *SectorSettings();
    for (int i = 0; i < 3; ++i) {
        const int64_t from = sec.SectorFrom(i), to = sec.SectorTo(i);
        if (to - from <= 4 || to <= 0 || from >= 1000)
            continue;
        const QColor col = Qc(sec.SectorColor(i));
        c.setPenColor(col);
        c.setBrushColor(col);
        const int64_t end = std::min<int64_t>(1000, to);
        if (from < 0)
            PaintPieSector(c, r, startAngle, roundTo<int>(end * p));
        else
            PaintPieSector(c, r, startAngle + roundTo<int>(from * p), roundTo<int>((end - from) * p));
    }
    c.RemoveClipRegion();
    const TScaleSettings &sc = *scaleSettings;
    if (!sc.DrawLine())
        return;
    c.setPenColor(Qc(sc.Color()));
    c.setPenWidth(sc.TickWidth);
    c.setBrushStyle(TBrushStyle::bsClear);
    if (meterStyle == 1)
        c.Arc({sc.ArcTopLeft.x(), sc.ArcTopLeft.y(), sc.ArcBottomRight.x(), sc.ArcBottomRight.y()}, sc.ArcEnd,
              sc.ArcStart);
    else
        c.Ellipse(outer);
    c.setPenWidth(1);
}

TGvRMeter::TPointerShape TGvRMeter::pointerShape(int b) const
{
    const int c = b / 10, l = b / 16;
    switch (arrowSettings->Shape()) {
    case 1: return {{{b - l, b}, {b + l, b}, {b, 0}}, c + c / 2, 3};
    case 2: return {{{b - c, 4 * c}, {b + c, 4 * c}, {b, 0}}, 0, 0};
    case 3: return {{{b - l, b + 2 * c}, {b + l, b + 2 * c}, {b, 0}}, c, 3};
    case 4:
        return {{{b - l, b + c}, {b + l, b + c}, {b + l, 3 * c}, {b + 2 * c, 3 * c}, {b, 0}, {b - 2 * c, 3 * c},
                 {b - l, 3 * c}},
                2, 0};
    case 5: return {{{b - c, b + c}, {b + c, b + c}, {b + c, 2 * c}, {b, 0}, {b - c, 2 * c}}, 2, 0};
    case 6: return {{{b - 1, b + 2 * c}, {b + 1, b + 2 * c}, {b + 1, 0}, {b - 1, 0}}, 8, 3};
    case 7: return {{{b - c, b}, {b - c - l, b + 2 * c}, {b + c + l, b + 2 * c}, {b + c, b}, {b, 0}}, l, 2};
    default: return {{{b - c, b + c}, {b + c, b + c}, {b, 0}}, 2, 0};
    }
}

double TGvRMeter::PointerAngle() const { return startAngle + sweepAngle / 1000.0 * PPT(); }

QImage TGvRMeter::PointerBackground() const
{
    if (tooSmall || BackgroundLayer().isNull())
        return {};
    return CopyLogical(BackgroundLayer(), pointerRect.toQRect());
}

void TGvRMeter::PaintForeground(QPainter &p, const QRegion &asked)
{
    const QRect pr = pointerRect.toQRect();
    if (tooSmall || !asked.intersects(pr))
        return;
    QImage scratch = PointerBackground();
    if (scratch.isNull())
        return;
    {
        TCanvas c(scratch);
        const int b = pr.width() / 2;
        const QPoint ctr(b, b);
        const double q = sweepAngle / 1000.0;
        std::vector<QPoint> turned;
        auto polygon = [&](const std::vector<QPoint> &corners, double angle) {
            std::vector<QPoint> pts{QPoint(int(corners.size()) + 1, 0), ctr};
            pts.insert(pts.end(), corners.begin(), corners.end());
            PaintRotatedPolygon(c, pts, true, angle, turned);
        };
        // The marks at the rim, as the pointer turned to the extremes.
        const TScaleSettings &sc = *scaleSettings;
        const int e = roundTo<int>(sc.TickLength * 0.6);
        const TMinMax &mm = *MinMax();
        auto markColour = [&](int ppt, TColor own) {
            if (mm.UseSectorCol())
                if (auto col = SectorSettings()->SectorColorAt(ppt))
                    return *col;
            return own;
        };
        c.setPenColor(Qt::black);
        c.setPenWidth(1);
        if (mm.MinVisible()) {
            c.setBrushColor(Qc(markColour(MinPPT(), mm.MinColor())));
            polygon({{b, sc.TickLength + e}, {b, 1}, {b - e, 1}}, startAngle + q * MinPPT());
        }
        if (mm.MaxVisible()) {
            c.setBrushColor(Qc(markColour(MaxPPT(), mm.MaxColor())));
            polygon({{b, sc.TickLength + e}, {b, 1}, {b + e, 1}}, startAngle + q * MaxPPT());
        }
        const TArrowSettings &a = *arrowSettings;
        const TPointerShape shape = pointerShape(b);
        c.setPenColor(Qc(alarmActive && a.Shape() == 6 ? alarmColor : a.ColorPen()));
        c.setBrushColor(Qc(alarmActive ? alarmColor : a.ColorBrush()));
        polygon(shape.corners, PointerAngle());
        auto cap = [&](int radius, TColor pen, TColor brush) {
            if (radius == 0)
                return;
            c.setPenColor(Qc(pen));
            c.setBrushColor(Qc(brush));
            c.Ellipse({b - radius, b - radius, b + radius + 1, b + radius + 1});
        };
        cap(shape.cap1, a.ColorCP1Pen(), a.ColorCP1Brush());
        cap(shape.cap2, a.ColorCP2Pen(), a.ColorCP2Brush());
    }
    tg::DrawImage(p, pr.topLeft(), scratch);
}

void TGvRMeter::drawPointer()
{
    if (tooSmall || BackgroundLayer().isNull())
        return;
    RepaintPart(pointerRect.toQRect());
}

void TGvRMeter::ValueChange()
{
    inValueChange = true;
    TGvAnalogGControl::ValueChange();
    if (!tooSmall && !isHidden())
        drawPointer();
    inValueChange = false;
}

void TGvRMeter::OverflowChange(int ppt)
{
    TGvAnalogGControl::OverflowChange(ppt);
    checkAlarm();
}

void TGvRMeter::LimitChange()
{
    TGvAnalogGControl::LimitChange();
    checkAlarm();
}

void TGvRMeter::checkAlarm()
{
    alarmActive = flashAlarm(options.testFlag(opOverflow), options.testFlag(opLimit));
}

void TGvRMeter::FlashMessage(uint32_t counter, int param)
{
    TGvAnalogGControl::FlashMessage(counter, param);
    if (isHidden() || inValueChange || tooSmall)
        return;
    alarmColor = param ? FlashColorOn : FlashColorOff;
    drawPointer();
}

TGv270Meter::TGv270Meter(QWidget *parent) : TGvRMeter(parent)
{
    startAngle = 225;
    sweepAngle = 270;
    radiusFactor = 1.18f;
    meterStyle = 1;
    resize(252, 252);
    ScaleSettings()->SetSteps(10);
}
