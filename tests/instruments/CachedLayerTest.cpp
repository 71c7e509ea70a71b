#include "BaseControls.h"
#include "CachedLayer.h"

#include <QApplication>
#include <QPainter>
#include "QtPrint.h"

#include <gtest/gtest.h>

using namespace tg;

namespace {

// A control whose background is a black 1-pixel frame and whose foreground fills a red square.
class Layered : public TGvGraphicControl {
public:
    explicit Layered(QWidget *parent = nullptr) : TGvGraphicControl(parent) { resize(40, 30); }
    int builds = 0;
    QRect square{10, 10, 5, 5};
    using TGvControl::BackgroundLayer;
    using TGvControl::RepaintPart;

protected:
    void BuildBackground(TCanvas &c) override
    {
        ++builds;
        c.setBrushColor(Qt::black);
        c.FrameRect({0, 0, width(), height()});
    }
    void PaintForeground(QPainter &p, const QRegion &asked) override
    {
        if (asked.intersects(square))
            p.fillRect(square, Qt::red);
    }
};

QImage render(QWidget &w)
{
    QImage img(w.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    w.render(&img, QPoint(), QRegion(), QWidget::RenderFlags());
    return img;
}

} // namespace

// Built once per settings change or resize, outside painting; never while the lock is held;
// value repaints ask for their part only and reuse the layer.
TEST(CachedLayer, BuiltOutsidePaintingOncePerChange)
{
    QWidget parent;
    auto *w = new Layered(&parent);
    parent.show(); // hidden widgets get their resize events only when shown
    w->Invalidate();
    w->resize(50, 30);
    EXPECT_EQ(w->builds, 0); // still locked until loaded
    w->loaded();
    w->Invalidate();
    EXPECT_EQ(w->builds, 1);
    EXPECT_EQ(w->BackgroundLayer().size(), QSize(50, 30));
    EXPECT_EQ(w->TakeDirtyRegion(), QRegion(w->rect()));

    w->RepaintPart(w->square);
    EXPECT_EQ(w->TakeDirtyRegion(), QRegion(w->square));
    const QImage img = render(*w);
    EXPECT_EQ(w->builds, 1); // painting reused the layer
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(49, 29), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(12, 12), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(20, 20), qRgb(255, 255, 255));

    w->resize(60, 20);
    EXPECT_EQ(w->builds, 2);
    EXPECT_EQ(render(*w).pixel(59, 19), qRgb(0, 0, 0));
    EXPECT_EQ(w->builds, 2);
}

// At ratio 2 the layer has twice the pixels: a logical 1-pixel line is two device pixels
// wide, and a partial blit copies exactly its logical part.
TEST(CachedLayer, HighRatioLayerIsSharpAndBlitsItsPart)
{
    TCachedLayer layer;
    int builds = 0;
    auto build = [&](TCanvas &c) {
        ++builds;
        c.setBrushColor(Qt::blue);
        c.FillRect({2, 3, 3, 4}); // one logical pixel
    };
    EXPECT_TRUE(layer.Ensure({10, 8}, 2.0, build));
    EXPECT_FALSE(layer.Ensure({10, 8}, 2.0, build));
    const QImage &img = layer.Image();
    ASSERT_EQ(img.size(), QSize(20, 16));
    EXPECT_EQ(img.devicePixelRatio(), 2.0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(qAlpha(img.pixel(x, y)) != 0, x >= 4 && x < 6 && y >= 6 && y < 8) << x << "," << y;

    QImage target(20, 16, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(2.0);
    target.fill(Qt::white);
    {
        QPainter p(&target);
        layer.Blit(p, QRegion(0, 0, 10, 3) + QRegion(2, 3, 1, 1));
    }
    EXPECT_EQ(target.pixel(5, 7), qRgb(0, 0, 255));
    const QImage part = CopyLogical(img, {2, 3, 1, 1});
    EXPECT_EQ(part.size(), QSize(2, 2));
    EXPECT_EQ(part.pixel(1, 1), qRgb(0, 0, 255));

    layer.Invalidate();
    EXPECT_TRUE(layer.Ensure({10, 8}, 2.0, build));
    EXPECT_TRUE(layer.Ensure({10, 8}, 1.0, build));
    EXPECT_EQ(layer.Image().size(), QSize(10, 8));
    EXPECT_EQ(builds, 3);
    // Absurd sizes give no image, but the build still runs (it lays the instrument out).
    EXPECT_TRUE(layer.Ensure({100000, 8}, 1.0, build));
    EXPECT_TRUE(layer.Image().isNull());
    EXPECT_EQ(builds, 4);
}

// At fractional ratios a part's edges fall between device pixels: parts blitted one by one (and
// the bands a tall part is drawn in) must together give the picture the whole layer gives,
// without a gap or a doubled row where they meet.
TEST(CachedLayer, PartsMeetWithoutSeamsAtEveryRatio)
{
    for (const qreal dpr : {1.0, 1.25, 1.5, 1.75, 2.0}) {
        SCOPED_TRACE(dpr);
        TCachedLayer layer;
        const QSize size(61, 157);
        layer.Ensure(size, dpr, [&](TCanvas &c) {
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); x += 2) {
                    c.setBrushColor(QColor((y * 7) % 256, (x * 11) % 256, (y + x) % 2 ? 255 : 0));
                    c.FillRect({x, y, x + 2, y + 1});
                }
        });
        auto paint = [&](const QRegion &asked) {
            QImage target = MakeLayerImage(size.width(), size.height(), dpr, QImage::Format_RGB32);
            target.fill(Qt::white);
            QPainter p(&target);
            for (const QRect &r : asked)
                layer.Blit(p, r);
            return target;
        };
        const QImage whole = paint(QRegion(QRect(QPoint(), size)));
        // Odd-sized parts, as the value boxes and pointers of the instruments ask for.
        QRegion parts;
        for (int y = 0; y < size.height(); y += 13)
            for (int x = 0; x < size.width(); x += 7)
                parts += QRect(x, y, 7, 13);
        const QImage pieced = paint(parts);
        ASSERT_EQ(pieced.size(), whole.size());
        int differing = 0;
        for (int y = 0; y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x)
                differing += whole.pixel(x, y) != pieced.pixel(x, y);
        EXPECT_EQ(differing, 0);
        // The whole picture is the layer itself over the white, pixel for pixel.
        QImage own = layer.Image();
        own.setDevicePixelRatio(1);
        QImage expected(own.size(), QImage::Format_RGB32);
        expected.fill(Qt::white);
        QPainter(&expected).drawImage(0, 0, own);
        expected.setDevicePixelRatio(dpr);
        EXPECT_EQ(whole, expected);
    }
}
