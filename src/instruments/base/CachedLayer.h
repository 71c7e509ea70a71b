#pragma once
// The cached background every instrument paints over, and the bookkeeping of partial repaints.
//
// How an instrument uses it (all through TGvControl, which owns one layer):
//   - Override BuildBackground(TCanvas &) to paint everything that changes only with settings
//     or size: bevels, scales, captions. It paints in logical (widget) coordinates; the layer is
//     built at the widget's device pixel ratio, so text and lines stay sharp on HiDPI screens.
//   - Override PaintForeground(QPainter &, asked) to paint what changes with the value (pointer,
//     read-out, lamp) over the layer; paint only what intersects `asked`.
//   - On a settings change call Invalidate(): the layer is rebuilt at once, outside painting,
//     and the whole widget repaints. A resize rebuilds it the same way.
//   - On a value change call RepaintRect(r) for the part that changed: only r is copied from the
//     layer and painted over again.
//   - TakeDirtyRegion() tells tests and frame renderers what was asked for since the last paint.
#include "Canvas.h"

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QSize>
#include <functional>

namespace tg {

// An image for w x h logical pixels at device pixel ratio dpr (transparent when the format has
// alpha), or a null image when it would exceed the scratch limits.
QImage MakeLayerImage(int w, int h, qreal dpr, QImage::Format fmt = QImage::Format_ARGB32_Premultiplied);
// The part of img in logical coordinates, at img's ratio.
QImage CopyLogical(const QImage &img, const QRect &part);
// Draws the part of img given in logical coordinates with its top-left corner at to. Every
// image a paint event draws goes through here (or DrawImage), so that it stays on this thread.
void DrawImagePart(QPainter &p, QPoint to, const QImage &img, const QRect &part);
void DrawImage(QPainter &p, QPoint to, const QImage &img);

class TCachedLayer {
public:
    void Invalidate() { stale = true; }
    // Whether the next Ensure rebuilds: marked stale, or built for another size or ratio.
    bool NeedsBuild(QSize size, qreal dpr) const;
    // Rebuilds the image when NeedsBuild; build paints in logical coordinates and runs even when
    // no image could be made (absurd sizes). True when rebuilt.
    bool Ensure(QSize size, qreal dpr, const std::function<void(TCanvas &)> &build);
    // Copies the asked part of the layer (logical coordinates) to p.
    void Blit(QPainter &p, const QRegion &asked) const;
    const QImage &Image() const { return image; }

private:
    QImage image;
    QSize builtSize;
    qreal builtDpr = 0;
    bool stale = true;
};

} // namespace tg
