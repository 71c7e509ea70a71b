#pragma once
// Helpers of the instrument pixel tests: rendering a widget offscreen, counting colours, and a
// flash service stepped by hand.
#include "FlashService.h"

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

class SteppedClock : public TFlashClock {
public:
    uint32_t Milliseconds() const override { return ms; }
    uint32_t ms = 5000;
};

// A private flash service stepped by hand for the life of a test.
struct ManualFlash {
    std::shared_ptr<SteppedClock> clock = std::make_shared<SteppedClock>();
    TFlashService service{clock, false};
    ManualFlash() { SetFlashService(&service); }
    ~ManualFlash() { SetFlashService(nullptr); }
    // Steps the clock by one tick n times.
    void tick(int n)
    {
        for (int i = 0; i < n; ++i) {
            clock->ms += TFlashService::TickMs;
            service.Tick();
        }
    }
};

} // namespace probes
