#include "CachedLayer.h"

#include "Numeric.h"

#include <algorithm>
#include <cmath>

namespace tg {

namespace {
// Rows of one blend: below the height from which Qt splits a blend across threads.
constexpr int kBandRows = 48;
QRectF scaled(const QRect &r, qreal dpr) { return {r.x() * dpr, r.y() * dpr, r.width() * dpr, r.height() * dpr}; }
} // namespace

QImage MakeLayerImage(int w, int h, qreal dpr, QImage::Format fmt)
{
    if (!(dpr > 0) || !std::isfinite(dpr))
        dpr = 1;
    QImage img = MakeScratchImage(saturate<int>(std::ceil(w * dpr)), saturate<int>(std::ceil(h * dpr)),
                                  fmt);
    if (img.isNull())
        return img;
    img.setDevicePixelRatio(dpr);
    if (img.hasAlphaChannel())
        img.fill(Qt::transparent);
    return img;
}

QImage CopyLogical(const QImage &img, const QRect &part)
{
    const qreal dpr = img.devicePixelRatio();
    QImage out = img.copy(dpr == 1 ? part : scaled(part, dpr).toAlignedRect());
    out.setDevicePixelRatio(dpr);
    return out;
}

// Copies device pixels one to one: the painter's logical pixels are the image's (same ratio,
// no rotation), so nothing is resampled. The part grows to whole device pixels, so that parts
// painted one after another meet without a seam however their edges fall at a fractional ratio.
void DrawDevicePixels(QPainter &p, QPoint to, const QImage &img, const QRect &part)
{
    const qreal dpr = img.devicePixelRatio();
    const QTransform device = p.deviceTransform();
    const QPointF origin = device.map(QPointF(to - part.topLeft()));
    const QPoint at(qRound(origin.x()), qRound(origin.y()));
    const QRect src = scaled(part, dpr).toAlignedRect() & img.rect();
    QImage raw = img; // shares the pixels
    raw.setDevicePixelRatio(1);
    p.save();
    p.setWorldTransform(device.inverted() * p.worldTransform());
    for (int y = src.top(); y <= src.bottom(); y += kBandRows) {
        const QRect piece(src.x(), y, src.width(), std::min(kBandRows, src.bottom() + 1 - y));
        p.drawImage(at + piece.topLeft(), raw, piece);
    }
    p.restore();
}

void DrawImagePart(QPainter &p, QPoint to, const QImage &img, const QRect &part)
{
    const qreal dpr = img.devicePixelRatio();
    const QTransform device = p.deviceTransform();
    if (dpr != 1 && device.type() <= QTransform::TxScale && qFuzzyCompare(device.m11(), dpr)
        && qFuzzyCompare(device.m22(), dpr)) {
        DrawDevicePixels(p, to, img, part);
        return;
    }
    // In bands of few rows: Qt hands a taller blend under a clip region to helper threads and
    // waits for them, which on a busy machine costs milliseconds a frame instead of micro-
    // seconds.
    const int band = std::max(1, int(kBandRows / dpr));
    for (int y = 0; y < part.height(); y += band) {
        const QRect piece(part.x(), part.y() + y, part.width(), std::min(band, part.height() - y));
        const QPoint at(to.x(), to.y() + y);
        if (dpr == 1)
            p.drawImage(at, img, piece);
        else
            p.drawImage(QRectF(QPointF(at), QSizeF(piece.size())), img, scaled(piece, dpr));
    }
}

void DrawImage(QPainter &p, QPoint to, const QImage &img)
{
    DrawImagePart(p, to, img, QRect(QPoint(), img.deviceIndependentSize().toSize()));
}

bool TCachedLayer::NeedsBuild(QSize size, qreal dpr) const
{
    return stale || size != builtSize || dpr != builtDpr;
}

bool TCachedLayer::Ensure(QSize size, qreal dpr, const std::function<void(TCanvas &)> &build)
{
    if (!NeedsBuild(size, dpr))
        return false;
    stale = false;
    builtSize = size;
    builtDpr = dpr;
    image = MakeLayerImage(size.width(), size.height(), dpr);
    // Built even without an image (a canvas over nothing paints nothing): the build also lays
    // the instrument out.
    TCanvas c(image);
    build(c);
    return true;
}

void TCachedLayer::Blit(QPainter &p, const QRegion &asked) const
{
    if (image.isNull())
        return;
    // Only what is asked for: small blits stay cheap.
    for (const QRect &r : asked)
        DrawImagePart(p, r.topLeft(), image, r);
}

} // namespace tg
