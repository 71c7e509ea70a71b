#include "Scale.h"

#include "Draw.h"
#include "NumberFormat.h"
#include "Numeric.h"

#include <algorithm>
#include <cmath>

namespace tg {

namespace {
int rnd(double v) { return roundTo<int>(v); }

// The decade exponent of a scale end; ends that are no positive float count as 1, so labels
// never run over more than the float range's decades.
int decadeOf(double v) { return v > 0 && std::isfinite(v) ? std::clamp(rnd(std::log10(v)), -38, 38) : 0; }

// Step counts in use: log mode counts decades, linear mode the record's Steps (at least 1).
int stepCount(const TScaleSettings &s) { return std::max(1, s.LogMode ? s.LogStepCount : s.Steps()); }

void fillLabels(TCanvas &c, TScaleSettings &s, double upper, double lower, bool descending)
{
    SelectFont(c, *s.Font());
    c.setPenColor(Qc(s.Color()));
    if (s.LogMode) {
        s.LogLow = decadeOf(lower);
        s.LogHigh = decadeOf(upper);
        s.LogStepCount = LogSteps(s.Steps(), saturate64<int>(int64_t(s.LogHigh) - s.LogLow));
        s.LabelList = LogLabels(s.LogLow, s.LogHigh, s.LogStepCount, descending, s.ValueFormatLog());
    } else {
        s.LabelList = descending ? LinearLabels(s.Steps(), s.ValueFormat(), upper, lower)
                                 : LinearLabels(s.Steps(), s.ValueFormat(), lower, upper);
    }
    const QSize m = MeasureLabels(c, s.LabelList);
    s.LabelWidth = m.width();
    s.LabelHeight = m.height();
}

void tick(TCanvas &c, QPoint a, QPoint b)
{
    c.MoveTo(a.x(), a.y());
    c.LineTo(b.x(), b.y());
}
} // namespace

void SelectFont(TCanvas &c, const TFont &f)
{
    c.setFont(f.toQFont());
    c.setFontColor(Qc(f.Color()));
}

int LogSteps(int n, int d)
{
    if (d == 0)
        return 1;
    for (int k = std::max(n, 1); k >= 2; --k)
        if (d % k == 0)
            return k;
    return 1;
}

QString LinearLabels(int n, const QString &format, double b, double c)
{
    if (n < 1)
        n = 1;
    const double step = (b - c) / n;
    QString out;
    for (int k = n; k >= 0; --k)
        out += FormatFloat(format, c + k * step) + u';';
    return out;
}

QString LogLabels(int low, int high, int steps, bool descending, const QString &format)
{
    if (steps <= 0)
        steps = 1;
    const int s = saturate64<int>((int64_t(high) - low) / steps);
    auto label = [&](int e) { return FormatFloat(format, std::pow(10.0, e)) + u';'; };
    QString out;
    // A zero step (inverted or empty decade range) would never reach the other end.
    int guard = 0;
    if (descending) {
        int e = high;
        out += label(e);
        while (e > low && s > 0 && ++guard < 1000) {
            e -= s;
            out += label(e);
        }
    } else {
        int e = low;
        out += label(e);
        while (e < high && s > 0 && ++guard < 1000) {
            e += s;
            out += label(e);
        }
    }
    return out;
}

void CalcLinearScale(TCanvas &c, TScaleSettings &s, double upper, double lower)
{
    fillLabels(c, s, upper, lower, true);
    const int h = s.LabelHeight;
    s.TickWidth = rnd(h / 14.0);
    s.LabelGap = h / 3;
    s.TickLength = rnd(h / 1.4);
    s.SubTickLength = s.TickWidth == 1 ? s.TickLength / 2 : rnd(s.TickLength / 1.4);
    s.PointerGap = s.TickWidth / 2 + 3;
    s.ScaleWidth = saturate64<int>(int64_t(s.LabelWidth) + s.TickLength + s.LabelGap);
    s.MinScaleLength = rnd(h * double(stepCount(s)) * 1.4);
}

void CalcRoundScale(TCanvas &c, TScaleSettings &s, double upper, double lower)
{
    fillLabels(c, s, upper, lower, false);
    s.TickWidth = rnd(s.LabelHeight / 14.0);
    s.LabelGap = (s.LabelWidth < s.LabelHeight ? s.LabelHeight / 2 : s.LabelWidth / 2) + 1;
    s.PointerGap = s.TickWidth / 2 + 3;
}

void DrawLinearScale(TCanvas &c, TScaleSettings &s, const TRect &r)
{
    SelectFont(c, *s.Font());
    c.setPenColor(Qc(s.Color()));
    c.setPenStyle(TPenStyle::psSolid);
    c.setBrushStyle(TBrushStyle::bsClear);
    c.setPenWidth(s.TickWidth);
    const int m = stepCount(s);
    const int sub = std::max(1, s.SubSteps());
    const double subPitch = (double(r.Bottom) - r.Top) / (double(m) * sub);
    const double stepPitch = sub * subPitch;
    auto y = [&](int k) { return rnd(k * stepPitch + r.Top); };
    s.ScaleBottom = r.Bottom;
    s.ScaleTop = rnd(r.Bottom - m * stepPitch);
    const bool left = s.PosLeftTop();
    const int x0 = left ? r.Right : r.Left;
    const int dir = left ? -1 : 1;
    if (s.DrawLine())
        tick(c, {x0, r.Top}, {x0, y(m)});
    QString labels = s.LabelList;
    auto label = [&](int yy) {
        const QString text = NextToken(labels, u';');
        if (left)
            TextAligned(c, r.Right - s.TickLength - s.LabelGap + 1, yy, 5, text);
        else
            TextAligned(c, r.Left + s.TickLength + s.LabelGap, yy, 3, text);
    };
    for (int k = 0; k < m; ++k) {
        c.setPenWidth(s.TickWidth);
        tick(c, {x0, y(k)}, {x0 + dir * s.TickLength, y(k)});
        label(y(k));
        c.setPenWidth(s.SubTickWidth);
        if (!s.LogMode) {
            for (int t = 0; t < sub; ++t) {
                const int yy = rnd(t * subPitch + r.Top + k * stepPitch);
                tick(c, {x0, yy}, {x0 + dir * s.SubTickLength, yy});
            }
        } else {
            const double f = 10.0 / sub;
            for (int t = 1; t < sub; ++t) {
                const int yy = y(k + 1) - rnd(std::log10((sub - t) * f) * stepPitch);
                tick(c, {x0, yy}, {x0 + dir * s.SubTickLength, yy});
            }
        }
    }
    label(y(m));
    c.setPenWidth(s.TickWidth);
    tick(c, {x0, y(m)}, {x0 + dir * s.TickLength, y(m)});
    c.setPenWidth(1);
}

namespace {
void drawRound(TCanvas &c, TScaleSettings &s, TRect &r, int sweep, int start, bool dial)
{
    SelectFont(c, *s.Font());
    c.setPenColor(Qc(s.Color()));
    c.setPenStyle(TPenStyle::psSolid);
    c.setBrushStyle(TBrushStyle::bsClear);
    const bool logMode = s.LogMode && !dial;
    const int m = dial ? std::max(1, s.Steps()) : stepCount(s);
    const int sub = std::max(1, s.SubSteps());
    const int w = r.Right - r.Left;
    const int R = s.LabelGap + (w - 2 * s.LabelGap) / 2 - s.LabelWidth / 2;
    s.TickLength = dial ? R / 7 : R / 8;
    s.SubTickLength = s.TickWidth == 1 ? s.TickLength / 2 : rnd(s.TickLength / 1.4);
    if (dial) {
        s.TickLength = std::max(s.TickLength, 3);
        s.SubTickLength = std::max(s.SubTickLength, 1);
    }
    const int cx = RectCenter(r).x(), cy = r.Top + s.LabelHeight / 2 + R;
    s.Center = {cx, cy};
    const int lw2 = s.LabelWidth / 2, tw2 = s.TickWidth / 2;
    r = {cx - R + lw2 + tw2, cy - R + lw2 + tw2, cx + R - lw2 + tw2 - 1, cy + R - lw2 + tw2 - 1};
    const QPoint ctr(cx, cy);
    auto up = [&](int radius) { return RotatePoint(QPoint(cx, cy - radius), ctr, true, start); };
    const QPoint outer = up(R - s.LabelGap);
    const QPoint inner = up(R - s.LabelGap - s.TickLength);
    const QPoint subEnd = up(R - s.LabelGap - s.TickLength + s.SubTickLength);
    const QPoint anchor = up(R);
    const double subAngle = double(sweep) / (double(sub) * m);
    const double stepAngle = sub * subAngle;
    QString labels = s.LabelList;
    auto rot = [&](QPoint p, double a) { return RotatePoint(p, ctr, true, a); };
    for (int k = 0; k < m; ++k) {
        const double a = k * stepAngle;
        c.setPenWidth(s.TickWidth);
        TextAligned(c, rot(anchor, a).x(), rot(anchor, a).y(), 4, NextToken(labels, u';'));
        tick(c, rot(outer, a), rot(inner, a));
        c.setPenWidth(1);
        for (int t = 1; t < sub; ++t) {
            const double sa = logMode ? rnd(std::log10(t * (10.0 / sub)) * stepAngle + k * stepAngle)
                                      : rnd(k * stepAngle + t * subAngle);
            tick(c, rot(inner, sa), rot(subEnd, sa));
        }
    }
    if (dial || sweep != 360)
        TextAligned(c, rot(anchor, sweep).x(), rot(anchor, sweep).y(), 4, NextToken(labels, u';'));
    c.setPenWidth(s.TickWidth);
    tick(c, rot(outer, sweep), rot(inner, sweep));
    c.setPenWidth(1);
    s.ArcTopLeft = {r.Left + s.TickLength, r.Top + s.TickLength};
    s.ArcBottomRight = {r.Right - s.TickLength, r.Bottom - s.TickLength + 1};
    s.ArcEnd = rot(inner, sweep);
    s.ArcStart = outer;
    if (s.TickWidth == 1) {
        r.Left += 1;
        r.Top += 1;
    }
}
} // namespace

void DrawRoundScale(TCanvas &c, TScaleSettings &s, TRect &r, int sweep, int start) { drawRound(c, s, r, sweep, start, false); }
void DrawDialScale(TCanvas &c, TScaleSettings &s, TRect &r, int sweep, int start) { drawRound(c, s, r, sweep, start, true); }

} // namespace tg
