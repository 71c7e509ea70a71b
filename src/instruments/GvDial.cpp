#include "GvDial.h"

#include "Bevel.h"
#include "Draw.h"
#include "Numeric.h"
#include "ReadoutText.h"
#include "Scale.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

using namespace tg;

namespace {
// The scale starts 225 degrees clockwise from straight up (lower left).
constexpr int ScaleStart = 225;
} // namespace

TGvDial::TGvDial(QWidget *parent)
    : TGvAnalogCControl(parent), bevelOuter(new TGvSBevel(this)), bevelValue(new TGvSBevel(this)),
      bevelDial(new TGvSBevel(this)), fontValue(new TFont(this)), scale(new TScaleSettings(this))
{
    // The dial's own lock, released by loaded() together with the base's.
    BeginUpdate();
    bevelOuter->SetSpacing(5);
    bevelOuter->SetBevelLine(gv::blOuter);
    bevelOuter->SetWidth(2);
    bevelValue->SetStyle(gv::bsLowered);
    bevelValue->SetWidth(2);
    bevelValue->SetColor(clBlack);
    bevelValue->SetSpacing(0);
    bevelDial->SetColorShadowFrom(clBtnHighlight);
    bevelDial->SetColorShadowTo(clBtnShadow);
    bevelDial->SetBevelLine(gv::blOuter);
    bevelDial->SetPenColor(clBtnShadow);
    bevelDial->SetSpacing(1);
    bevelDial->SetRoundShape(true);
    fontValue->SetColor(clLime);
    fontValue->SetName(QStringLiteral("System"));
    fontValue->SetSize(10);
    scale->Font()->SetSize(8);
    resize(113, 161);
    RoundSlideArea = true;
}

void TGvDial::loaded()
{
    if (!IsLoading())
        return;
    const auto param = [this](QObject *) { ParamChange(); };
    fontValue->OnChange = [this] { ParamChange(); };
    bevelOuter->OnChange = param;
    bevelValue->OnChange = param;
    bevelDial->OnChange = param;
    scale->OnChange = param;
    TGvAnalogCControl::loaded();
    EndUpdate();
}

void TGvDial::SetFontValue(const TFont *f)
{
    if (f && f != fontValue)
        fontValue->Assign(*f);
}

void TGvDial::SetOptions(TDialOptions o)
{
    options = o;
    ParamChange();
}

void TGvDial::SetPointerType(TDialPointer t)
{
    if (t == pointerType)
        return;
    pointerType = t;
    Change();
}

void TGvDial::SetPointerSize(int s)
{
    if (s == pointerSize)
        return;
    pointerSize = s;
    Change();
}

void TGvDial::ParamChange()
{
    TGvAnalogCControl::ParamChange();
    if (UpdateLock() > 0)
        return;
    Invalidate();
    ValueChange();
}

void TGvDial::ValueChange()
{
    TGvAnalogCControl::ValueChange();
    const double ppt = SignalSettings()->ValueToPPT(double(Value()));
    pointerAngle = float(std::max(std::min(ppt * (Sweep / 1000.0), double(Sweep)), 0.0));
    if (knobValid)
        RepaintPart(QRegion(knobRect) + QRegion(valueRect));
}

void TGvDial::BuildBackground(TCanvas &c)
{
    const TSignalSettings &sig = *SignalSettings();
    TScaleSettings &s = *scale;
    TRect r(0, 0, width(), height());
    if (options.testFlag(opBevelOuter)) {
        PaintInto(c, *bevelOuter, r);
    } else {
        c.setBrushStyle(TBrushStyle::bsSolid);
        c.setBrushColor(Qc(bevelOuter->Color()));
        c.FillRect(r);
    }
    CalcRoundScale(c, s, sig.ValueTo(), sig.ValueFrom());

    valueRect = {};
    if (options.testFlag(opValue)) {
        SelectFont(c, *fontValue);
        // Wide enough for every value of the range, not only for the format's sample.
        const int sampleW = ReadoutWidth(c, sig);
        const int sampleH = c.TextHeight(sig.FormatSample());
        const int pad = sampleH / 3;
        const int u = options.testFlag(opUnit) ? c.TextWidth(sig.ValueUnit()) : 0;
        const int bt = bevelValue->TotalWidth();
        const int h = saturate64<int>(2 * int64_t(bt) + sampleH);
        const int left = saturate64<int>(int64_t(r.Left) + (int64_t(r.width()) - sampleW - u - pad) / 2 - pad);
        TRect box{left, r.Top, saturate64<int>(int64_t(left) + sampleW + 2 * int64_t(bt) + 2 * pad),
                  saturate64<int>(int64_t(r.Top) + h)};
        PaintInto(c, *bevelValue, box);
        if (options.testFlag(opUnit)) {
            c.setBrushStyle(TBrushStyle::bsClear);
            c.setFontColor(Qc(Font()->Color()));
            c.TextOut(saturate64<int>(int64_t(box.Right) + pad), box.Top, sig.ValueUnit());
        }
        box.Left += pad;
        box.Right -= pad;
        valueRect = box.toQRect();
        r.Top = saturate64<int>(int64_t(r.Top) + h + bevelOuter->Spacing());
    }

    if (options.testFlag(opScaleText)) {
        CalcRoundScale(c, s, sig.ValueTo(), sig.ValueFrom());
        s.TickWidth = 2;
    } else {
        // Ticks only.
        s.TickWidth = 2;
        s.LabelGap = 0;
        s.LabelWidth = 0;
        s.LabelHeight = 0;
        s.LabelList.clear();
    }

    SelectFont(c, *Font());
    c.setBrushStyle(TBrushStyle::bsClear);
    int bottom = r.Bottom;
    if (options.testFlag(opName2)) {
        TextAligned(c, width() / 2, bottom, 7, sig.Name2());
        bottom -= c.TextHeight(QStringLiteral("X"));
    }
    if (options.testFlag(opName1))
        TextAligned(c, width() / 2, bottom, 7, sig.Name1());

    TRect knob;
    if (options.testFlag(opScale)) {
        DrawDialScale(c, s, r, Sweep, ScaleStart);
        knob = DeflateRect(r, s.TickLength + 4);
    } else {
        knob = {r.Left, r.Top, r.Right, saturate64<int>(int64_t(r.Top) + r.width())};
    }
    SlideArea = knob.toQRect();
    PaintRoundInto(c, *bevelDial, knob);
    knobRect = knob.toQRect();
    const int w = knob.width();
    dimpleRadius = ClampInt(w / 13, 2, MaxDimpleRadius);
    knobValid = w >= 11;
    knobCenter = QPoint(w / 2, w / 2);
}

TGvDial::TPointerGeometry TGvDial::Pointer() const
{
    const int m = knobRect.width() / 2;
    const QPoint c(m, m);
    const int ps = pointerSize;
    TPointerGeometry g;
    const QPoint rest[4] = {{m, 0}, {m + ps / 2, ps}, {m - ps / 2, ps}, {m, 0}};
    // At rest the pointer points at the start of the scale; then it turns by the value.
    const auto turn = [&](QPoint p) {
        return RotatePoint(RotatePoint(p, c, true, ScaleStart), c, true, double(pointerAngle));
    };
    for (int i = 0; i < 4; ++i)
        g.triangle[i] = turn(rest[i]);
    g.lineEnd = turn({m, ps});
    g.dimple = turn({m, dimpleRadius});
    return g;
}

void TGvDial::PaintForeground(QPainter &p, const QRegion &asked)
{
    if (!knobValid)
        return;
    if (asked.intersects(knobRect))
        paintPointer(p);
    if (!valueRect.isEmpty() && asked.intersects(valueRect))
        paintReadout(p);
}

void TGvDial::paintPointer(QPainter &p) const
{
    QImage img = MakeLayerImage(knobRect.width(), knobRect.height(), devicePixelRatioF());
    if (img.isNull())
        return;
    {
        TCanvas c(img);
        const TColor colour = !isEnabled() ? clBtnShadow : hasFocus() ? ColorFocus() : ColorNonFocus();
        const TPointerGeometry g = Pointer();
        switch (pointerType) {
        case dpRound: PaintKnob(c, g.dimple, dimpleRadius, colour); break;
        case dpLine:
            c.setPenStyle(TPenStyle::psSolid);
            c.setPenColor(Qc(colour));
            c.setPenWidth(2);
            c.MoveTo(g.triangle[0].x(), g.triangle[0].y());
            c.LineTo(g.lineEnd.x(), g.lineEnd.y());
            break;
        case dpTriangle:
            c.setPenStyle(TPenStyle::psSolid);
            c.setPenColor(Qt::black);
            c.setPenWidth(1);
            c.setBrushStyle(TBrushStyle::bsSolid);
            c.setBrushColor(Qc(colour));
            c.Polygon(std::vector<QPoint>(std::begin(g.triangle), std::end(g.triangle)));
            break;
        }
    }
    tg::DrawImage(p, knobRect.topLeft(), img);
}

void TGvDial::paintReadout(QPainter &p) const
{
    QImage img = MakeLayerImage(valueRect.width(), valueRect.height(), devicePixelRatioF(), QImage::Format_RGB32);
    if (img.isNull())
        return;
    img.fill(Qc(bevelValue->Color()));
    {
        TCanvas c(img);
        SelectFont(c, *fontValue);
        c.setBrushStyle(TBrushStyle::bsClear);
        // Right-aligned; a text still wider than the box would read as another number if cut.
        int w = 0;
        const QString text = FitReadout(c, ValueText(), valueRect.width(), w);
        c.TextOut(valueRect.width() - w, 0, text);
    }
    tg::DrawImage(p, valueRect.topLeft(), img);
}

float TGvDial::mouseAngle(QPoint p) const { return PointAngle(knobCenter, p - knobRect.topLeft()); }

void TGvDial::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        lastMouseAngle = mouseAngle(e->position().toPoint());
    TGvAnalogCControl::mousePressEvent(e);
}

void TGvDial::MouseSlide(Qt::KeyboardModifiers shift, int x, int y, QPoint lastPos)
{
    TGvAnalogCControl::MouseSlide(shift, x, y, lastPos);
    const float a = mouseAngle(QPoint(x, y));
    float delta = a - lastMouseAngle;
    // Crossing straight down jumps from 360 to 0: keep the turn small.
    if (std::fabs(delta) > 200)
        delta += delta > 0 ? -360.0f : 360.0f;
    pointerAngle = std::max(std::min(pointerAngle + delta, float(Sweep)), 0.0f);
    lastMouseAngle = a;
    const TSignalSettings &s = *SignalSettings();
    const int steps = roundTo<int>((double(pointerAngle) + 0.0001) / Sweep * s.DigitalRange());
    SetDigit(saturate64<int>(int64_t(steps) + s.DigitalFrom()));
}
