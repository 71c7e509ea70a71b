#pragma once
// Helpers of the instrument pixel tests: rendering a widget offscreen, counting colours, and a
// flash service stepped by hand.
#include "ManualFlash.h"

#include <QImage>
#include <QWidget>
#include <memory>

namespace probes {

inline QImage render(QWidget &w, QRgb bg = qRgb(0xE1, 0xD2, 0xC3))
{
    QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(bg);
    w.render(&img, QPoint(), QRegion(), QWidget::RenderFlags()); // no window background: composited
    return img.convertToFormat(QImage::Format_RGB32);
}

inline int countIn(const QImage &img, const QRect &r, QRgb c)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += img.rect().contains(x, y) && img.pixel(x, y) == c;
    return n;
}

// The hand-stepped flash service shared with the other instrument tests.
using ::ManualFlash;
using ::SteppedClock;

} // namespace probes
