#include "Draw.h"

#include "Numeric.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace tg {

namespace {
constexpr double kPi = 3.14159265358979323846;

int rnd(double v) { return roundTo<int>(v); }

struct Rgb { int r, g, b; };
Rgb rgbOf(TColor c)
{
    const QColor q = Qc(c);
    return {q.red(), q.green(), q.blue()};
}
} // namespace

QColor Qc(TColor c) { return toQColor(c, QColor(Qt::black)); }

TColor BlendColor(TColor c1, TColor c2, int n, int i)
{
    const QColor a = Qc(c1), b = Qc(c2);
    if (a.rgb() == b.rgb())
        return c1;
    if (n == 0)
        n = 1;
    // 64-bit before the wrap: i may be far beyond n.
    auto ch = [&](int x, int y) { return int((int64_t(x) + roundTo<int64_t>(double(y - x) / n * i)) & 0xFF); };
    return rgbColor(ch(a.red(), b.red()), ch(a.green(), b.green()), ch(a.blue(), b.blue()));
}

// Edges are moved in 64-bit and saturated: insets may come from absurd stored sizes.
TRect DeflateRect(const TRect &r, int k) { return DeflateRect4(r, k, k, k, k); }

TRect DeflateRect4(const TRect &r, int left, int top, int bottom, int right)
{
    return {saturate64<int>(int64_t(r.Left) + left), saturate64<int>(int64_t(r.Top) + top),
            saturate64<int>(int64_t(r.Right) - right), saturate64<int>(int64_t(r.Bottom) - bottom)};
}

QPoint RectCenter(const TRect &r) { return {r.Left + (r.Right - r.Left) / 2, r.Top + (r.Bottom - r.Top) / 2}; }

bool IntersectRects(const TRect &a, const TRect &b, TRect &out)
{
    out = {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    return out.Right >= out.Left && out.Bottom >= out.Top;
}

bool PointInRect(int x, int y, const TRect &r) { return r.Left <= x && x < r.Right && r.Top <= y && y <= r.Bottom; }

bool PointInCircle(int x, int y, const TRect &r)
{
    const double w = double(r.Right) - r.Left;
    const double cx = r.Left + w / 2, cy = r.Top + (double(r.Bottom) - r.Top) / 2;
    return 2 * std::hypot(x - cx, y - cy) <= w;
}

QPoint RotatePoint(QPoint p, QPoint c, bool clockwise, double degrees)
{
    const double a = degrees * kPi / 180.0;
    const double dx = p.x() - c.x(), dy = p.y() - c.y();
    const double cs = std::cos(a), sn = std::sin(a);
    if (clockwise)
        return {c.x() + rnd(dx * cs - dy * sn), c.y() + rnd(dy * cs + dx * sn)};
    return {c.x() + rnd(dx * cs + dy * sn), c.y() + rnd(dy * cs - dx * sn)};
}

float PointAngle(QPoint c, QPoint p)
{
    const double deg = 180.0 / kPi;
    if (p.y() == c.y())
        return p.x() > c.x() ? 270.0f : 90.0f;
    if (p.y() < c.y())
        return float(180.0 + std::atan((c.x() - p.x()) / (p.y() - c.y() + 0.0001)) * deg);
    if (p.x() > c.x())
        return float(360.0 - std::atan((p.x() - c.x()) / (p.y() - c.y() + 0.0001)) * deg);
    return float(-std::atan((p.x() - c.x()) / (p.y() - c.y() + 0.0001)) * deg);
}

int CountChar(const QString &text, QChar ch) { return int(text.count(ch)); }

QString NextToken(QString &text, QChar sep)
{
    const qsizetype i = text.indexOf(sep);
    if (i < 0) {
        QString all = text;
        text.clear();
        return all;
    }
    QString head = text.left(i);
    text.remove(0, i + 1);
    return head;
}

TTextSize TextSize(const TCanvas &c, const QString &text)
{
    const int w = c.TextWidth(text), h = c.TextHeight(text);
    return {w, h, w / 2, h / 2};
}

void TextAligned(TCanvas &c, int x, int y, int code, const QString &text)
{
    const TTextSize s = TextSize(c, text);
    if (code < 0 || code > 8) {
        c.TextOut(0, 0, text);
        return;
    }
    const int dx = code % 3 == 0 ? 0 : code % 3 == 1 ? s.w2 : s.w;
    const int dy = code / 3 == 0 ? 0 : code / 3 == 1 ? s.h2 : s.h;
    c.TextOut(x - dx, y - dy, text);
}

namespace {
template <typename DrawLine>
void layoutLines(const TCanvas &c, int y, int code, const QString &text, int spacing, DrawLine draw)
{
    const int lh = c.TextHeight(QStringLiteral("X"));
    const int64_t step = int64_t(lh) + spacing;
    const int64_t total = CountChar(text, u'|') * step;
    int64_t ly = y;
    if (code >= 3 && code <= 5)
        ly = y - total / 2;
    else if (code >= 6 && code <= 8)
        ly = y - total;
    QString rest = text;
    do {
        const QString line = NextToken(rest, u'|');
        draw(saturate64<int>(ly), line);
        ly += step;
    } while (!rest.isEmpty());
}
} // namespace

void TextLines(TCanvas &c, int x, int y, int code, const QString &text, int spacing)
{
    layoutLines(c, y, code, text, spacing, [&](int ly, const QString &line) { TextAligned(c, x, ly, code, line); });
}

void TextLines3D(TCanvas &c, int x, int y, bool threeD, int code, const QString &text, TColor extra1,
                 TColor extra2, TColor textColor, int spacing)
{
    layoutLines(c, y, code, text, spacing, [&](int ly, const QString &line) {
        if (threeD) {
            c.setFontColor(Qc(extra1));
            TextAligned(c, x + 1, ly + 1, code, line);
            c.setFontColor(Qc(extra2));
            TextAligned(c, x - 1, ly - 1, code, line);
        }
        c.setFontColor(Qc(textColor));
        TextAligned(c, x, ly, code, line);
    });
}

QSize MeasureLines(const TCanvas &c, const QString &text, QChar sep)
{
    int w = 0;
    for (const QString &piece : text.split(sep))
        w = std::max(w, c.TextWidth(piece));
    return {w, c.TextHeight(text)};
}

void GradientFill(TCanvas &c, const TRect &r, TColor from, gv::TGradientStyle style, TColor to)
{
    if (r.isEmpty())
        return;
    QImage bmp = MakeScratchImage(r.width(), r.height());
    if (bmp.isNull())
        return;
    const int W = bmp.width(), H = bmp.height();
    const Rgb f = rgbOf(from), t = rgbOf(to);
    {
        TCanvas g(bmp);
        g.setPenWidth(1);
        if (Qc(from).rgb() == Qc(to).rgb()) {
            bmp.fill(Qc(from));
        } else {
            const Rgb d{t.r - f.r, t.g - f.g, t.b - f.b};
            int K = std::max({std::abs(d.r), std::abs(d.g), std::abs(d.b), 1});
            // Colour from + x * d with x = num / den, rounded or truncated per channel.
            auto col = [&](double num, double den, bool truncate) {
                auto ch = [&](int base, int dd) {
                    const double v = num * dd / den;
                    return int((base + (truncate ? saturate<int64_t>(std::trunc(v)) : roundTo<int64_t>(v))) & 0xFF);
                };
                return QColor(ch(f.r, d.r), ch(f.g, d.g), ch(f.b, d.b));
            };
            auto solid = [&](const QColor &q) {
                g.setPenColor(q);
                g.setBrushColor(q);
            };
            const int cx = W / 2, cy = H / 2;
            using namespace gv;
            switch (style) {
            case gsHorizontal1:
            case gsVertical1: {
                const bool hor = style == gsHorizontal1;
                const int L = hor ? H : W;
                K = std::min(K, L);
                const int band = L / K;
                const int n = std::max(1, L / band);
                for (int i = 0; i <= n; ++i) {
                    solid(col(i, n, true));
                    g.FillRect(hor ? TRect(0, i * band, W, (i + 1) * band) : TRect(i * band, 0, (i + 1) * band, H));
                }
                break;
            }
            case gsHorizontal2:
            case gsVertical2:
            case gsHorizontal3:
            case gsVertical3: {
                const bool hor = style == gsHorizontal2 || style == gsHorizontal3;
                const bool three = style == gsHorizontal3 || style == gsVertical3;
                const int L = hor ? H : W;
                const int cc = three ? L / 3 : L / 2;
                const int n = three ? rnd(L * 0.67) : cc;
                auto line = [&](int k) {
                    if (k < 0 || k >= L)
                        return;
                    g.FillRect(hor ? TRect(0, k, W, k + 1) : TRect(k, 0, k + 1, H));
                };
                solid(col(0, 1, false));
                line(cc);
                for (int u = 1; u <= n; ++u) {
                    solid(col(u, n, false));
                    line(cc + u);
                    if (!three || cc - u >= 0)
                        line(cc - u);
                }
                break;
            }
            case gsElliptic1:
            case gsElliptic2:
            case gsElliptic3: {
                bmp.fill(Qc(to));
                const double fct = style == gsElliptic1 ? 0.5 : style == gsElliptic2 ? 0.695 : 0.82;
                const double qx = double(W) / K * fct, qy = double(H) / K * fct;
                int ex = cx, ey = cy;
                if (style == gsElliptic3) {
                    ex = cx + 1 - W / 4;
                    ey = cy + 1 - H / 4;
                }
                for (int h = K; h >= 1; --h) {
                    const int rx = rnd(h * qx), ry = rnd(h * qy);
                    solid(col(h, K, false));
                    g.Ellipse({ex - rx, ey - ry, ex + rx, ey + ry});
                }
                break;
            }
            case gsRectangle: {
                const double qx = double(W) / K / 2, qy = double(H) / K / 2;
                for (int h = K; h >= 0; --h) {
                    const int rx = rnd(h * qx), ry = rnd(h * qy);
                    solid(col(h, K, false));
                    g.FillRect({cx - rx, cy - ry, cx + rx + 1, cy + ry + 1});
                }
                break;
            }
            case gsDiamond1:
            case gsDiamond2: {
                const int M = std::max(W, H);
                int n;
                double qx, qy;
                if (style == gsDiamond1) {
                    n = std::max(M / 2, K);
                    qx = double(W) / n / 2;
                    qy = double(H) / n / 2;
                } else {
                    n = std::max(M, K);
                    qx = double(W) / n;
                    qy = double(H) / n;
                }
                bmp.fill(Qc(to));
                for (int h = n; h >= 1; --h) {
                    const int rx = rnd(h * qx), ry = rnd(h * qy);
                    g.setPenColor(col(h, n, false));
                    g.MoveTo(cx, cy - ry);
                    g.LineTo(cx + rx, cy);
                    g.LineTo(cx, cy + ry);
                    g.LineTo(cx - rx, cy);
                    g.LineTo(cx, cy - ry);
                }
                g.SetPixel(cx, cy, Qc(from));
                break;
            }
            case gsTopLeft:
            case gsTopRight: {
                const int n = std::max(W, H);
                const double qx = double(W) / n, qy = double(H) / n;
                const bool left = style == gsTopLeft;
                for (int i = 0; i <= n; ++i) {
                    const double h = i / 2.0;
                    const int x = rnd(i * qx), y = rnd(i * qy);
                    g.setPenColor(col(h, n, false));
                    if (left) {
                        g.MoveTo(0, y);
                        g.LineTo(x, -1);
                    } else {
                        g.MoveTo(W, y);
                        g.LineTo(W - x, -1);
                    }
                    g.setPenColor(col(n - h, n, false));
                    if (left) {
                        g.MoveTo(W, H - y);
                        g.LineTo(W - x, H);
                    } else {
                        g.MoveTo(0, H - y);
                        g.LineTo(x, H);
                    }
                }
                break;
            }
            }
        }
    }
    c.StretchDraw(r, bmp);
}

void PaintLEDShape(TCanvas &c, const TRect &r, gv::TLEDShape shape, TColor fill, TColor outline)
{
    if (r.isEmpty())
        return;
    c.setPenStyle(TPenStyle::psSolid);
    c.setPenColor(Qc(outline));
    c.setPenWidth(1);
    c.setBrushColor(Qc(fill));
    const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    const int w2 = (R - L) / 2, h2 = (B - T) / 2;
    using namespace gv;
    switch (shape) {
    case sRound: {
        c.Ellipse(r);
        c.setPenColor(Qc(clBtnHighlight));
        c.setPenWidth((R - L) / 8);
        const TRect in = DeflateRect(r, (R - L) / 5);
        if (!in.isEmpty())
            c.Arc(in, QPoint(L + w2, T), QPoint(L, T + h2));
        c.setPenWidth(1);
        break;
    }
    case sArrowLeft: c.Polygon({{L, T + h2}, {R - 1, T}, {R - 1, B - 1}}); break;
    case sArrowRight: c.Polygon({{L, T}, {R - 1, T + h2}, {L, B - 1}}); break;
    case sArrowUp: c.Polygon({{L + w2, T}, {R - 1, B - 1}, {L, B - 1}}); break;
    case sArrowDown: c.Polygon({{L, T}, {R - 1, T}, {L + w2, B - 1}}); break;
    case sRectangle: c.RoundRect(r, 1, 1); break;
    case sDiamondLeft: c.Polygon({{L, T}, {L + w2, T}, {R, B}, {L + w2, B}}); break;
    case sDiamondRight: c.Polygon({{L + w2, T}, {R, T}, {L + w2, B}, {L, B}}); break;
    }
}

void PaintKnob(TCanvas &c, QPoint ctr, int radius, TColor fill)
{
    c.setBrushColor(Qc(fill));
    c.setPenStyle(TPenStyle::psSolid);
    c.setPenColor(Qc(clBtnHighlight));
    const TRect r{ctr.x() - radius, ctr.y() - radius, ctr.x() + radius + 1, ctr.y() + radius + 1};
    c.Ellipse(r);
    c.setPenColor(Qc(clBtnShadow));
    c.Arc(r, QPoint(ctr.x() + radius + 2, ctr.y() - radius), QPoint(ctr.x() - radius, ctr.y() + radius + 1));
}

void PaintPieSector(TCanvas &c, const TRect &r, int start, int sweep)
{
    const QPoint ctr = RectCenter(r);
    const QPoint top(ctr.x(), r.Top);
    const QPoint p1 = RotatePoint(top, ctr, true, start);
    const QPoint p2 = RotatePoint(p1, ctr, true, sweep);
    // The clockwise range p1 .. p2 is the counter-clockwise arc from p2 to p1.
    c.Pie(r, p2, p1);
}

void PaintRotatedPolygon(TCanvas &c, const std::vector<QPoint> &points, bool clockwise, double angle,
                         std::vector<QPoint> &scratch)
{
    if (points.size() < 2)
        return;
    const int n = std::min<int>(points[0].x() & 0xFF, int(points.size()) - 1);
    scratch.assign(points.begin(), points.begin() + 2);
    const QPoint ctr = points[1];
    std::vector<QPoint> corners;
    for (int i = 2; i <= n; ++i) {
        scratch.push_back(RotatePoint(points[i], ctr, clockwise, angle));
        corners.push_back(scratch.back());
    }
    c.Polygon(corners);
}

QString IntToBinText(quint32 v, int n)
{
    if (n < 0)
        n = 0;
    QString s;
    quint32 remaining = v;
    for (int k = 0; k < 32; ++k) {
        const bool bit = (v >> k) & 1u;
        s.prepend(bit ? u'1' : u'0');
        remaining &= ~(1u << k);
        if (n == 0 ? remaining == 0 : k >= n)
            break;
    }
    return s;
}

qint64 BinTextToInt(const QString &t)
{
    qint64 v = 0;
    const qsizetype len = t.size();
    for (qsizetype i = 0; i < len; ++i) {
        const qsizetype k = len - 1 - i;
        if (t[i] != u'1')
            continue;
        if (k >= 62) // too high for 64 bits: saturate rather than drop the bit
            return std::numeric_limits<qint64>::max();
        v += qint64(1) << k;
    }
    return v;
}

QString RemoveChar(const QString &t, QChar ch)
{
    QString r = t;
    r.remove(ch);
    return r;
}

} // namespace tg
