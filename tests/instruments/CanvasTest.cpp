// Pixel read-back tests of the drawing surface's coverage rules.
#include "Canvas.h"

#include <gtest/gtest.h>

using namespace tg;

namespace {
const QRgb W = qRgb(255, 255, 255);
const QRgb K = qRgb(0, 0, 0);
const QRgb R = qRgb(255, 0, 0);

QImage white(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// Bounding box of all pixels equal to c.
QRect extent(const QImage &img, QRgb c)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == c)
                box |= QRect(x, y, 1, 1);
    return box;
}

int count(const QImage &img, QRgb c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) == c;
    return n;
}
} // namespace

TEST(Canvas, RectanglesExcludeRightAndBottomEdges)
{
    QImage img = white(20, 20);
    {
        TCanvas c(img);
        c.setBrushColor(Qt::red);
        c.FillRect({2, 3, 7, 9});
    }
    EXPECT_EQ(extent(img, R), QRect(QPoint(2, 3), QPoint(6, 8)));
    EXPECT_EQ(count(img, R), 5 * 6);

    img = white(20, 20);
    {
        TCanvas c(img);
        c.setPenColor(Qt::black);
        c.setBrushColor(Qt::red);
        c.Rectangle({2, 3, 7, 9});
        c.setBrushStyle(TBrushStyle::bsClear);
        c.Ellipse({10, 10, 18, 16});
    }
    // Outline on the outermost covered pixels, interior in the brush colour.
    EXPECT_EQ(extent(img.copy(0, 0, 9, 10), K), QRect(QPoint(2, 3), QPoint(6, 8)));
    EXPECT_EQ(img.pixel(3, 4), R);
    EXPECT_EQ(img.pixel(6, 8), K);
    EXPECT_EQ(img.pixel(7, 8), W);
    EXPECT_EQ(img.pixel(6, 9), W);
    // Ellipse outline stays inside [10,18) x [10,16); clear brush leaves the centre alone.
    EXPECT_EQ(extent(img.copy(9, 9, 11, 11), K), QRect(QPoint(1, 1), QPoint(8, 6)));
    EXPECT_EQ(img.pixel(14, 13), W);

    // Empty and inverted rectangles paint nothing.
    img = white(10, 10);
    {
        TCanvas c(img);
        c.setBrushColor(Qt::red);
        c.FillRect({5, 5, 5, 9});
        c.FillRect({6, 6, 2, 2});
        c.Rectangle({1, 1, 1, 1});
        c.Ellipse({3, 3, 3, 8});
    }
    EXPECT_EQ(count(img, W), 100);
}

TEST(Canvas, LinesRunningLeftOrUpAlsoLeaveOutTheirEndPoint)
{
    QImage img = white(20, 20);
    TCanvas c(img);
    c.setPenColor(Qt::black);
    c.MoveTo(10, 12);
    c.LineTo(10, 4); // up: 12 ... 5
    EXPECT_EQ(img.pixel(10, 12), K);
    EXPECT_EQ(img.pixel(10, 5), K);
    EXPECT_EQ(img.pixel(10, 4), W);
    c.LineTo(3, 4); // left: 10 ... 4
    EXPECT_EQ(img.pixel(10, 4), K);
    EXPECT_EQ(img.pixel(4, 4), K);
    EXPECT_EQ(img.pixel(3, 4), W);
    c.LineTo(7, 0); // up and right on the diagonal: (3,4) ... (6,1)
    EXPECT_EQ(img.pixel(3, 4), K);
    EXPECT_EQ(img.pixel(6, 1), K);
    EXPECT_EQ(img.pixel(7, 0), W);
    EXPECT_EQ(count(img, K), 8 + 7 + 4);
    // A clip in force stays in force.
    c.SelectClipRect({0, 0, 20, 10});
    c.MoveTo(15, 15);
    c.LineTo(15, 5);
    EXPECT_EQ(img.pixel(15, 9), K);
    EXPECT_EQ(img.pixel(15, 10), W);
    EXPECT_EQ(img.pixel(15, 5), W);
    EXPECT_EQ(c.ClipRect(), TRect(0, 0, 20, 10));
}

TEST(Canvas, LineToLeavesOutEndPointAndMovesCurrentPoint)
{
    QImage img = white(20, 20);
    TCanvas c(img);
    c.setPenColor(Qt::black);
    c.MoveTo(2, 2);
    c.LineTo(10, 2);
    EXPECT_EQ(c.PenPos(), QPoint(10, 2));
    c.LineTo(10, 8); // continues from (10,2) and so draws (10,2) itself
    EXPECT_EQ(img.pixel(2, 2), K);
    EXPECT_EQ(img.pixel(9, 2), K);
    EXPECT_EQ(img.pixel(10, 2), K);
    EXPECT_EQ(img.pixel(10, 7), K);
    EXPECT_EQ(img.pixel(10, 8), W);
    EXPECT_EQ(img.pixel(11, 2), W);
    EXPECT_EQ(count(img, K), 8 + 6);
    // Diagonal: the end pixel is not drawn either.
    c.MoveTo(0, 10);
    c.LineTo(5, 15);
    EXPECT_EQ(img.pixel(0, 10), K);
    EXPECT_EQ(img.pixel(4, 14), K);
    EXPECT_EQ(img.pixel(5, 15), W);
}

TEST(Canvas, ArcAndPieRunCounterClockwiseFromStartRayToEndRay)
{
    // Start on the right, end at the top: only the upper-right quarter.
    QImage img = white(41, 41);
    {
        TCanvas c(img);
        c.setPenColor(Qt::black);
        c.Arc({0, 0, 41, 41}, QPoint(40, 20), QPoint(20, 0));
    }
    const QRect q1 = extent(img, K);
    EXPECT_GE(q1.left(), 19);
    EXPECT_LE(q1.bottom(), 21);
    EXPECT_GE(q1.right(), 38);
    EXPECT_LE(q1.top(), 1);
    // Swapped rays give the other three quarters.
    img = white(41, 41);
    {
        TCanvas c(img);
        c.setPenColor(Qt::black);
        c.Arc({0, 0, 41, 41}, QPoint(20, 0), QPoint(40, 20));
    }
    EXPECT_EQ(img.pixel(1, 20) == K || img.pixel(0, 20) == K, true);
    EXPECT_EQ(img.pixel(20, 40) == K || img.pixel(20, 39) == K, true);
    EXPECT_EQ(count(img, K) > 0, true);
    for (int y = 2; y < 18; ++y)
        for (int x = 22; x < 41; ++x)
            EXPECT_NE(img.pixel(x, y), K) << x << "," << y;

    // Pie on a wide ellipse: the ray through a point far outside still picks the angle.
    img = white(60, 30);
    {
        TCanvas c(img);
        c.setPenStyle(TPenStyle::psClear);
        c.setBrushColor(Qt::red);
        c.Pie({0, 0, 60, 30}, QPoint(30, -100), QPoint(-100, 15)); // top to left: upper-left quarter
    }
    EXPECT_EQ(img.pixel(20, 8), R);
    EXPECT_EQ(img.pixel(40, 8), W);
    EXPECT_EQ(img.pixel(20, 22), W);
    EXPECT_EQ(img.pixel(40, 22), W);
}

TEST(Canvas, RasterOperations)
{
    QImage img = white(10, 10);
    img.setPixel(3, 5, qRgb(0x12, 0x34, 0x56));
    {
        TCanvas c(img);
        // Not-mask pen: NOT(pen AND dest). A white pen over white gives black.
        c.setPenColor(Qt::white);
        c.setPenMode(TPenMode::pmNotMask);
        c.MoveTo(0, 5);
        c.LineTo(10, 5);
    }
    EXPECT_EQ(img.pixel(0, 5), K);
    EXPECT_EQ(img.pixel(3, 5), qRgb(0xED, 0xCB, 0xA9));

    // CopyRect with AND combines bitwise.
    QImage dst = white(8, 8);
    dst.fill(qRgb(0xF0, 0x0F, 0xFF));
    QImage src(8, 8, QImage::Format_RGB32);
    src.fill(qRgb(0x3C, 0xFF, 0x0F));
    {
        TCanvas c(dst);
        c.CopyRect({0, 0, 4, 8}, src, {0, 0, 4, 8}, TCopyMode::cmSrcAnd);
    }
    EXPECT_EQ(dst.pixel(1, 1), qRgb(0x30, 0x0F, 0x0F));
    EXPECT_EQ(dst.pixel(5, 1), qRgb(0xF0, 0x0F, 0xFF));
}

TEST(Canvas, FloodFillIsIterativeAndRespectsBoundaries)
{
    // A large open area would overflow the stack of a recursive fill.
    QImage img = white(1200, 1200);
    {
        TCanvas c(img);
        c.setPenColor(Qt::black);
        c.setBrushStyle(TBrushStyle::bsClear);
        c.Rectangle({100, 100, 300, 300}); // closed box
        c.setBrushColor(Qt::red);
        c.FloodFill(5, 5, Qt::white, TFillStyle::fsSurface);
    }
    EXPECT_EQ(img.pixel(5, 5), R);
    EXPECT_EQ(img.pixel(1199, 1199), R);
    EXPECT_EQ(img.pixel(200, 200), W); // inside the box, not connected
    EXPECT_EQ(img.pixel(100, 100), K);

    // Border mode fills up to the given colour; a serpentine path checks connectivity.
    img = white(30, 30);
    {
        TCanvas c(img);
        c.setPenColor(Qt::black);
        c.setBrushStyle(TBrushStyle::bsClear);
        c.Rectangle({0, 0, 30, 30});
        for (int x = 5; x < 30; x += 10) {
            c.MoveTo(x, 1);
            c.LineTo(x, 25);
        }
        c.setBrushColor(Qt::red);
        c.FloodFill(2, 2, Qt::black, TFillStyle::fsBorder);
    }
    EXPECT_EQ(img.pixel(2, 2), R);
    EXPECT_EQ(img.pixel(12, 2), R); // reached around the walls
    EXPECT_EQ(img.pixel(5, 10), K);
    EXPECT_EQ(count(img, W), 0);

    // Filling with the colour being replaced terminates and changes nothing.
    img = white(10, 10);
    {
        TCanvas c(img);
        c.setBrushColor(Qt::white);
        c.FloodFill(3, 3, Qt::white, TFillStyle::fsSurface);
        c.FloodFill(-1, 3, Qt::white, TFillStyle::fsSurface);
    }
    EXPECT_EQ(count(img, W), 100);
}

TEST(Canvas, TransparentBitmapsStretchAndClipRegions)
{
    TBitmap bmp;
    bmp.Image = QImage(4, 4, QImage::Format_RGB32);
    bmp.Image.fill(qRgb(0, 128, 128)); // key colour, also the bottom-left pixel
    bmp.Image.setPixel(1, 1, qRgb(255, 0, 0));
    bmp.Transparent = true;
    QImage img = white(10, 10);
    {
        TCanvas c(img);
        c.Draw(2, 2, bmp);
    }
    EXPECT_EQ(img.pixel(3, 3), R);
    EXPECT_EQ(img.pixel(2, 2), W);
    EXPECT_EQ(count(img, R), 1);

    // Halftone stretch averages: a 2x1 black/white source halved gives grey.
    QImage src(2, 1, QImage::Format_RGB32);
    src.setPixel(0, 0, K);
    src.setPixel(1, 0, W);
    img = white(4, 4);
    {
        TCanvas c(img);
        c.StretchHalftone({0, 0, 1, 1}, src, {0, 0, 2, 1});
        c.StretchDraw({1, 1, 3, 2}, src);
    }
    EXPECT_NEAR(qRed(img.pixel(0, 0)), 128, 20);
    EXPECT_EQ(img.pixel(1, 1), K);
    EXPECT_EQ(img.pixel(2, 1), W);

    // Ring region: ellipse minus a smaller ellipse.
    img = white(40, 40);
    {
        TCanvas c(img);
        const QRegion ring = TCanvas::RegionDifference(TCanvas::EllipticRegion({0, 0, 40, 40}),
                                                       TCanvas::EllipticRegion({10, 10, 30, 30}));
        c.SelectClipRegion(ring);
        EXPECT_EQ(c.ClipRect(), TRect(0, 0, 40, 40));
        c.setBrushColor(Qt::red);
        c.FillRect({0, 0, 40, 40});
        c.RemoveClipRegion();
        EXPECT_EQ(c.ClipRect(), TRect(0, 0, 40, 40));
        c.SelectClipRect({0, 0, 5, 5});
        EXPECT_EQ(c.ClipRect(), TRect(0, 0, 5, 5));
    }
    EXPECT_EQ(img.pixel(20, 20), W); // hole
    EXPECT_EQ(img.pixel(1, 1), W);   // outside the outer ellipse
    EXPECT_EQ(img.pixel(20, 3), R);  // in the ring
    EXPECT_EQ(img.pixel(3, 20), R);
}

TEST(Canvas, TextAndPixelsAndGuards)
{
    QImage img = white(60, 30);
    {
        TCanvas c(img);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(14);
        c.setFont(f);
        c.setFontColor(Qt::black);
        c.setBrushColor(Qt::red);
        const int w = c.TextWidth(QStringLiteral("Hg")), h = c.TextHeight(QStringLiteral("Hg"));
        EXPECT_GT(w, 5);
        EXPECT_GE(h, 14);
        c.TextOut(3, 4, QStringLiteral("Hg"));
        // Brush background covers exactly the text box.
        EXPECT_EQ(c.PixelRgb(3, 4), R);
        EXPECT_EQ(c.PixelRgb(3 + w, 4), W);
        EXPECT_EQ(c.PixelRgb(3, 4 + h), W);
        c.SetPixel(50, 20, Qt::blue);
        EXPECT_EQ(c.Pixel(50, 20), QColor(Qt::blue));
        EXPECT_EQ(c.PixelRgb(-1, 0), 0u);
        c.SetPixel(100, 100, Qt::blue); // outside: ignored

        // An absurd font height is clamped when rendering.
        f.setPixelSize(100000);
        c.setFont(f);
        EXPECT_LE(c.font().pixelSize(), MaxFontPixels);
    }
    EXPECT_TRUE(MakeScratchImage(MaxScratchSide + 1, 10).isNull());
    EXPECT_TRUE(MakeScratchImage(0, 10).isNull());
    EXPECT_FALSE(MakeScratchImage(16, 16).isNull());
    EXPECT_FALSE(MakeScratchImage(MaxScratchSide, MaxScratchPixels / MaxScratchSide).isNull());
    EXPECT_TRUE(MakeScratchImage(MaxScratchSide, MaxScratchPixels / MaxScratchSide + 1).isNull());
    EXPECT_TRUE(LoadBitmapResource(QStringLiteral("NoSuchBitmap")).isNull());
    // The spin glyphs: two states side by side, black and grey, transparent around them.
    const QImage up = LoadBitmapResource(QStringLiteral("GvSpinUp"));
    ASSERT_EQ(up.size(), QSize(18, 5));
    EXPECT_EQ(up.pixel(4, 0), qRgb(0, 0, 0));
    EXPECT_EQ(up.pixel(13, 0), qRgb(0x80, 0x80, 0x80));
    EXPECT_EQ(qAlpha(up.pixel(0, 0)), 0);
    EXPECT_FALSE(LoadBitmapResource(QStringLiteral("GvSpinDown")).isNull());
    // A canvas over a null image does nothing and does not crash.
    QImage none;
    TCanvas c(none);
    c.FillRect({0, 0, 10, 10});
    c.FloodFill(0, 0, Qt::white, TFillStyle::fsSurface);
    c.TextOut(0, 0, QStringLiteral("x"));
}
