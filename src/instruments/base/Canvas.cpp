#include "Canvas.h"

#include <QFile>
#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace tg {

namespace {
constexpr double kPi = 3.14159265358979323846;

int clampCoord(int64_t v)
{
    // QRect stores int; keep widths computable without overflow.
    constexpr int64_t lim = std::numeric_limits<int>::max() / 2;
    return static_cast<int>(std::max<int64_t>(-lim, std::min<int64_t>(lim, v)));
}

// Pixel value of colour c as stored in an image of format fmt.
QRgb storedValue(const QImage &img, const QColor &c)
{
    if (img.format() == QImage::Format_RGB32)
        return 0xFF000000u | (c.rgb() & 0xFFFFFFu);
    if (img.format() == QImage::Format_ARGB32_Premultiplied)
        return qPremultiply(c.rgba());
    return c.rgba();
}
} // namespace

QRect TRect::toQRect() const
{
    const int l = clampCoord(Left), t = clampCoord(Top);
    const int r = clampCoord(Right), b = clampCoord(Bottom);
    return QRect(l, t, std::max(0, r - l), std::max(0, b - t));
}

QImage KeyedOut(const QImage &img, const QColor &key)
{
    QImage masked = img.convertToFormat(QImage::Format_ARGB32);
    const QRgb k = key.rgb() & 0xFFFFFFu;
    for (int yy = 0; yy < masked.height(); ++yy) {
        QRgb *line = reinterpret_cast<QRgb *>(masked.scanLine(yy));
        for (int xx = 0; xx < masked.width(); ++xx)
            if ((line[xx] & 0xFFFFFFu) == k)
                line[xx] = 0;
    }
    return masked;
}

QColor AutoTransparentColor(const QImage &img)
{
    return img.isNull() ? QColor() : img.pixelColor(0, img.height() - 1);
}

QImage LoadBitmapResource(const QString &name)
{
    const QString path = QStringLiteral(":/bitmaps/") + name + QStringLiteral(".png");
    if (!QFile::exists(path))
        return {};
    QImage img(path);
    if (img.isNull())
        return {};
    return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage MakeScratchImage(int w, int h, QImage::Format fmt)
{
    if (w < 1 || h < 1 || w > MaxScratchSide || h > MaxScratchSide || int64_t(w) * h > MaxScratchPixels)
        return {};
    return QImage(w, h, fmt);
}

QFont ClampedFont(const QFont &f)
{
    QFont r = f;
    if (f.pixelSize() > 0)
        r.setPixelSize(std::clamp(f.pixelSize(), MinFontPixels, MaxFontPixels));
    else if (f.pointSizeF() > 0)
        r.setPointSizeF(std::clamp(f.pointSizeF(), 1.0, double(MaxFontPixels)));
    return r;
}

TCanvas::TCanvas(QImage &image) : img(&image)
{
    if (!img->isNull()) {
        p.begin(img);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        fnt = p.font();
        applyPen();
        applyBrush();
        applyMode();
    }
}

TCanvas::~TCanvas()
{
    if (p.isActive())
        p.end();
}

void TCanvas::applyPen()
{
    if (!p.isActive())
        return;
    if (penSty == TPenStyle::psClear) {
        p.setPen(Qt::NoPen);
        return;
    }
    QPen pen(penCol);
    // Width 1 is cosmetic; wider pens keep their pixel width. FlatCap leaves out a line's end
    // point, which is the rule for LineTo.
    pen.setWidth(penW <= 1 ? 0 : penW);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setStyle(penSty == TPenStyle::psDot ? Qt::DotLine : Qt::SolidLine);
    p.setPen(pen);
}

void TCanvas::applyBrush()
{
    if (!p.isActive())
        return;
    p.setBrush(brushSty == TBrushStyle::bsClear ? QBrush(Qt::NoBrush) : QBrush(brushCol));
}

void TCanvas::applyMode()
{
    if (!p.isActive())
        return;
    // In the order of the modes: black, white, nop, not D, P, not P, P | ~D, P & ~D, ~P | D,
    // ~P & D, P | D, ~(P | D), P & D, ~(P & D), P ^ D, ~(P ^ D).
    static constexpr QPainter::CompositionMode modes[16] = {
        QPainter::RasterOp_ClearDestination, QPainter::RasterOp_SetDestination,
        QPainter::CompositionMode_Destination, QPainter::RasterOp_NotDestination,
        QPainter::CompositionMode_SourceOver, QPainter::RasterOp_NotSource,
        QPainter::RasterOp_SourceOrNotDestination, QPainter::RasterOp_SourceAndNotDestination,
        QPainter::RasterOp_NotSourceOrDestination, QPainter::RasterOp_NotSourceAndDestination,
        QPainter::RasterOp_SourceOrDestination, QPainter::RasterOp_NotSourceAndNotDestination,
        QPainter::RasterOp_SourceAndDestination, QPainter::RasterOp_NotSourceOrNotDestination,
        QPainter::RasterOp_SourceXorDestination, QPainter::RasterOp_NotSourceXorDestination};
    const int m = int(penMd);
    p.setCompositionMode(m >= 0 && m < 16 ? modes[m] : QPainter::CompositionMode_SourceOver);
}

void TCanvas::setPenColor(const QColor &c) { if (c != penCol) { penCol = c; applyPen(); } }
void TCanvas::setPenWidth(int w)
{
    w = std::clamp(w, 0, MaxScratchSide);
    if (w != penW) { penW = w; applyPen(); }
}
void TCanvas::setPenStyle(TPenStyle s) { if (s != penSty) { penSty = s; applyPen(); } }
void TCanvas::setPenMode(TPenMode m) { if (m != penMd) { penMd = m; applyMode(); } }
void TCanvas::setBrushColor(const QColor &c)
{
    if (c != brushCol || brushSty != TBrushStyle::bsSolid) {
        brushCol = c;
        brushSty = TBrushStyle::bsSolid; // assigning a colour makes the brush solid again
        applyBrush();
    }
}
void TCanvas::setBrushStyle(TBrushStyle s) { if (s != brushSty) { brushSty = s; applyBrush(); } }
void TCanvas::setFont(const QFont &f)
{
    fnt = ClampedFont(f);
    if (p.isActive())
        p.setFont(fnt);
}
void TCanvas::setFontColor(const QColor &c) { fontCol = c; }

void TCanvas::FillRect(const TRect &r)
{
    if (r.isEmpty() || !p.isActive() || brushSty == TBrushStyle::bsClear)
        return;
    p.fillRect(r.toQRect(), brushCol);
}

void TCanvas::FrameRect(const TRect &r)
{
    if (r.isEmpty() || !p.isActive())
        return;
    const QRect q = r.toQRect();
    p.fillRect(QRect(q.left(), q.top(), q.width(), 1), brushCol);
    p.fillRect(QRect(q.left(), q.bottom(), q.width(), 1), brushCol);
    p.fillRect(QRect(q.left(), q.top(), 1, q.height()), brushCol);
    p.fillRect(QRect(q.right(), q.top(), 1, q.height()), brushCol);
}

void TCanvas::Rectangle(const TRect &r)
{
    if (r.isEmpty() || !p.isActive())
        return;
    const QRect q = r.toQRect();
    if (brushSty == TBrushStyle::bsSolid)
        p.fillRect(q, brushCol);
    if (penSty == TPenStyle::psClear)
        return;
    if (penW <= 1) {
        p.setBrush(Qt::NoBrush);
        p.drawRect(q.adjusted(0, 0, -1, -1));
        applyBrush();
    } else {
        // A wide outline lies inside the rectangle so that the coverage rule still holds.
        const int w = std::min({penW, (q.width() + 1) / 2, (q.height() + 1) / 2});
        p.fillRect(QRect(q.left(), q.top(), q.width(), w), penCol);
        p.fillRect(QRect(q.left(), q.bottom() - w + 1, q.width(), w), penCol);
        p.fillRect(QRect(q.left(), q.top(), w, q.height()), penCol);
        p.fillRect(QRect(q.right() - w + 1, q.top(), w, q.height()), penCol);
    }
}

void TCanvas::RoundRect(const TRect &r, int cornerW, int cornerH)
{
    if (r.isEmpty() || !p.isActive())
        return;
    const QRect q = r.toQRect();
    const QRect outline = penSty == TPenStyle::psClear ? q : q.adjusted(0, 0, -1, -1);
    if (cornerW <= 1 || cornerH <= 1)
        p.drawRect(outline);
    else
        p.drawRoundedRect(outline, cornerW / 2.0, cornerH / 2.0);
}

void TCanvas::Ellipse(const TRect &r)
{
    if (r.isEmpty() || !p.isActive())
        return;
    const QRect q = r.toQRect();
    p.drawEllipse(penSty == TPenStyle::psClear ? q : q.adjusted(0, 0, -1, -1));
}

void TCanvas::LineTo(int x, int y)
{
    const QPoint to(x, y);
    if (p.isActive() && penSty != TPenStyle::psClear && to != cur) {
        const int dx = x - cur.x(), dy = y - cur.y();
        // QPainter draws a thin line from its left (or top) end and leaves out the other end,
        // whichever way it runs. For a line running left or up that drops the start point and
        // draws the end point, so draw it, put back what was under the end point and add the
        // start point. (Clipping the end point out is unreliable once a clip has been lifted.)
        const bool reversed = penW <= 1 && (std::abs(dx) >= std::abs(dy) ? dx < 0 : dy < 0);
        if (!reversed) {
            p.drawLine(cur, to);
        } else {
            const qreal dpr = img->devicePixelRatio();
            const bool onImage = img->depth() >= 8 && x >= 0 && y >= 0 && x < img->width() / dpr &&
                y < img->height() / dpr;
            const QRect end = onImage ? QRectF(x * dpr, y * dpr, dpr, dpr).toAlignedRect() & img->rect() : QRect();
            const QImage under = end.isEmpty() ? QImage() : img->copy(end);
            p.drawLine(to, cur);
            p.drawPoint(cur);
            const qsizetype bytes = qsizetype(end.width()) * img->depth() / 8;
            for (int row = 0; row < under.height(); ++row)
                std::memcpy(img->scanLine(end.y() + row) + qsizetype(end.x()) * img->depth() / 8,
                            under.constScanLine(row), size_t(bytes));
        }
    }
    cur = to;
}

void TCanvas::Polyline(const std::vector<QPoint> &pts)
{
    if (pts.size() < 2 || !p.isActive())
        return;
    p.drawPolyline(pts.data(), static_cast<int>(pts.size()));
}

void TCanvas::Polygon(const std::vector<QPoint> &pts)
{
    if (pts.size() < 2 || !p.isActive())
        return;
    p.drawPolygon(pts.data(), static_cast<int>(pts.size()));
}

void TCanvas::arcAngles(const TRect &r, QPoint start, QPoint end, int &a16, int &span16) const
{
    const double cx = (r.Left + double(r.Right)) / 2.0, cy = (r.Top + double(r.Bottom)) / 2.0;
    const double rx = std::max(0.5, r.width() / 2.0), ry = std::max(0.5, r.height() / 2.0);
    // Ray angle (counter-clockwise, y up) turned into the ellipse parameter QPainter uses.
    auto param = [&](QPoint pt) {
        const double th = std::atan2(-(pt.y() - cy), pt.x() - cx);
        double t = std::atan2(std::sin(th) * rx, std::cos(th) * ry) * 180.0 / kPi;
        if (t < 0)
            t += 360.0;
        return t;
    };
    const double a = param(start), b = param(end);
    double span = b - a;
    while (span <= 0)
        span += 360.0;
    a16 = static_cast<int>(std::lround(a * 16));
    span16 = static_cast<int>(std::lround(span * 16));
    if (span16 <= 0)
        span16 = 360 * 16;
}

void TCanvas::Arc(const TRect &r, QPoint start, QPoint end)
{
    if (r.isEmpty() || !p.isActive() || penSty == TPenStyle::psClear)
        return;
    int a16, s16;
    arcAngles(r, start, end, a16, s16);
    p.drawArc(r.toQRect().adjusted(0, 0, -1, -1), a16, s16);
}

void TCanvas::Pie(const TRect &r, QPoint start, QPoint end)
{
    if (r.isEmpty() || !p.isActive())
        return;
    int a16, s16;
    arcAngles(r, start, end, a16, s16);
    const QRect q = r.toQRect();
    p.drawPie(penSty == TPenStyle::psClear ? q : q.adjusted(0, 0, -1, -1), a16, s16);
}

void TCanvas::TextOut(int x, int y, const QString &text)
{
    if (!p.isActive() || text.isEmpty())
        return;
    const QFontMetrics fm(fnt);
    if (brushSty == TBrushStyle::bsSolid)
        p.fillRect(QRect(x, y, fm.horizontalAdvance(text), fm.height()), brushCol);
    const QPen old = p.pen();
    p.setPen(fontCol);
    p.drawText(QPoint(x, y + fm.ascent()), text);
    p.setPen(old);
}

int TCanvas::TextWidth(const QString &text) const { return QFontMetrics(fnt).horizontalAdvance(text); }
int TCanvas::TextHeight(const QString &) const { return QFontMetrics(fnt).height(); }
QSize TCanvas::TextExtent(const QString &text) const { return {TextWidth(text), TextHeight(text)}; }

QRgb TCanvas::PixelRgb(int x, int y) const
{
    if (x < 0 || y < 0 || x >= img->width() || y >= img->height())
        return 0;
    return img->pixel(x, y);
}

QColor TCanvas::Pixel(int x, int y) const { return QColor::fromRgba(PixelRgb(x, y)); }

void TCanvas::SetPixel(int x, int y, const QColor &c)
{
    if (x < 0 || y < 0 || x >= img->width() || y >= img->height())
        return;
    if (clipped && !p.clipRegion().contains(QPoint(x, y)))
        return;
    reinterpret_cast<QRgb *>(img->scanLine(y))[x] = storedValue(*img, c);
}

void TCanvas::FloodFill(int x, int y, const QColor &c, TFillStyle mode)
{
    if (img->isNull() || brushSty == TBrushStyle::bsClear)
        return;
    if (img->depth() != 32)
        return;
    QRect area = img->rect();
    if (clipped)
        area &= p.clipRegion().boundingRect();
    if (!area.contains(x, y))
        return;
    const QRgb ref = storedValue(*img, c);
    const QRgb fill = storedValue(*img, brushCol);
    const int w = img->width();
    const qsizetype stride = img->bytesPerLine() / 4;
    QRgb *bits = reinterpret_cast<QRgb *>(img->bits());
    auto px = [&](int xx, int yy) -> QRgb & { return bits[yy * stride + xx]; };
    std::vector<uint8_t> seen(static_cast<size_t>(w) * img->height(), 0);
    auto inside = [&](int xx, int yy) {
        if (seen[static_cast<size_t>(yy) * w + xx])
            return false;
        const QRgb v = px(xx, yy);
        return mode == TFillStyle::fsSurface ? v == ref : v != ref;
    };
    if (!inside(x, y))
        return;
    // Scan-line fill with an explicit stack of seeds; depth does not depend on the area.
    std::vector<QPoint> stack;
    stack.push_back({x, y});
    while (!stack.empty()) {
        const QPoint s = stack.back();
        stack.pop_back();
        if (!inside(s.x(), s.y()))
            continue;
        int l = s.x(), r = s.x();
        while (l - 1 >= area.left() && inside(l - 1, s.y()))
            --l;
        while (r + 1 <= area.right() && inside(r + 1, s.y()))
            ++r;
        for (int i = l; i <= r; ++i) {
            px(i, s.y()) = fill;
            seen[static_cast<size_t>(s.y()) * w + i] = 1;
        }
        for (int ny : {s.y() - 1, s.y() + 1}) {
            if (ny < area.top() || ny > area.bottom())
                continue;
            bool inRun = false;
            for (int i = l; i <= r; ++i) {
                const bool in = inside(i, ny);
                if (in && !inRun)
                    stack.push_back({i, ny});
                inRun = in;
            }
        }
    }
}

void TCanvas::Draw(int x, int y, const QImage &src)
{
    if (!p.isActive() || src.isNull())
        return;
    p.drawImage(QPoint(x, y), src);
}

void TCanvas::Draw(int x, int y, const TBitmap &bmp)
{
    if (!p.isActive() || bmp.Image.isNull())
        return;
    if (!bmp.Transparent) {
        p.drawImage(QPoint(x, y), bmp.Image);
        return;
    }
    p.drawImage(QPoint(x, y), KeyedOut(bmp.Image, bmp.TransparentColor.isValid() ? bmp.TransparentColor
                                                                             : AutoTransparentColor(bmp.Image)));
}

void TCanvas::CopyRect(const TRect &dst, const QImage &src, const TRect &srcRect, TCopyMode mode)
{
    if (!p.isActive() || src.isNull() || dst.isEmpty() || srcRect.isEmpty())
        return;
    const auto old = p.compositionMode();
    p.setCompositionMode(mode == TCopyMode::cmSrcAnd ? QPainter::RasterOp_SourceAndDestination
                                                     : QPainter::CompositionMode_Source);
    p.drawImage(dst.toQRect(), src, srcRect.toQRect());
    p.setCompositionMode(old);
}

void TCanvas::StretchDraw(const TRect &dst, const QImage &src)
{
    if (!p.isActive() || src.isNull() || dst.isEmpty())
        return;
    p.drawImage(dst.toQRect(), src);
}

void TCanvas::StretchHalftone(const TRect &dst, const QImage &src, const TRect &srcRect)
{
    if (!p.isActive() || src.isNull() || dst.isEmpty() || srcRect.isEmpty())
        return;
    if (dst.width() > MaxScratchSide || dst.height() > MaxScratchSide)
        return;
    const QImage part = src.copy(srcRect.toQRect());
    p.drawImage(dst.toQRect().topLeft(),
                part.scaled(dst.width(), dst.height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

TRect TCanvas::ClipRect() const
{
    if (!clipped)
        return {0, 0, img->width(), img->height()};
    return TRect::fromQRect(p.clipRegion().boundingRect() & img->rect());
}

void TCanvas::SelectClipRegion(const QRegion &rgn)
{
    if (!p.isActive())
        return;
    p.setClipRegion(rgn);
    clipped = true;
}

void TCanvas::SelectClipRect(const TRect &r) { SelectClipRegion(RectRegion(r)); }

void TCanvas::RemoveClipRegion()
{
    if (!p.isActive())
        return;
    p.setClipping(false);
    clipped = false;
}

QRegion TCanvas::RectRegion(const TRect &r) { return QRegion(r.toQRect()); }
// Row by row: a pixel belongs to the region when its centre lies inside the ellipse, so the
// extreme rows and columns count as they do for a filled ellipse.
QRegion TCanvas::EllipticRegion(const TRect &r)
{
    const QRect q = r.toQRect();
    if (q.isEmpty() || q.height() > MaxScratchSide)
        return QRegion(q, QRegion::Ellipse);
    const double cx = q.left() + q.width() / 2.0, cy = q.top() + q.height() / 2.0;
    const double rx = q.width() / 2.0, ry = q.height() / 2.0;
    std::vector<QRect> rows;
    rows.reserve(size_t(q.height()));
    for (int y = q.top(); y <= q.bottom(); ++y) {
        const double dy = (y + 0.5 - cy) / ry;
        const double k = 1.0 - dy * dy;
        if (k < 0)
            continue;
        const double half = rx * std::sqrt(k);
        const int x0 = int(std::ceil(cx - half - 0.5)), x1 = int(std::floor(cx + half - 0.5));
        if (x1 >= x0)
            rows.emplace_back(x0, y, x1 - x0 + 1, 1);
    }
    QRegion rgn;
    rgn.setRects(rows.data(), int(rows.size()));
    return rgn;
}

} // namespace tg
