// Drawing routines: gradients on degenerate and large rectangles, bevel geometry and colours,
// text placement, colour blending and point geometry.
#include "Bevel.h"
#include "Draw.h"
#include "Numeric.h"

#include <gtest/gtest.h>

using namespace tg;

namespace {
QImage blank(int w, int h, QRgb c = qRgb(1, 2, 3))
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

QFont testFont(int px)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    return f;
}

// Bounding box of pixels differing from the background colour.
QRect inked(const QImage &img, QRgb bg)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != bg)
                box |= QRect(x, y, 1, 1);
    return box;
}
} // namespace

TEST(Draw, BlendColorWrapsAndResolvesSystemColours)
{
    EXPECT_EQ(BlendColor(rgbColor(0, 0, 0), rgbColor(200, 100, 50), 4, 2), rgbColor(100, 50, 25));
    // Steps beyond n run past the end colour and wrap modulo 256.
    EXPECT_EQ(BlendColor(rgbColor(0, 0, 0), rgbColor(200, 0, 0), 1, 2), rgbColor(144, 0, 0));
    EXPECT_EQ(BlendColor(rgbColor(100, 0, 0), rgbColor(0, 0, 0), 1, 2), rgbColor(156, 0, 0));
    // n = 0 counts as 1.
    EXPECT_EQ(BlendColor(rgbColor(0, 0, 0), rgbColor(10, 20, 30), 0, 1), rgbColor(10, 20, 30));
    // The same colour once system colours are resolved: the first one unchanged.
    EXPECT_EQ(BlendColor(clBtnHighlight, clWhite, 3, 1), clBtnHighlight);
    EXPECT_EQ(BlendColor(clBtnShadow, clBlack, 2, 1), rgbColor(80, 80, 80)); // A0A0A0 halfway to black
}

TEST(Draw, GradientFillOnEmptyOnePixelAndLargeRectangles)
{
    QImage img = blank(20, 20);
    {
        TCanvas c(img);
        for (int s = gv::gsHorizontal1; s <= gv::gsTopRight; ++s) {
            const auto st = gv::TGradientStyle(s);
            GradientFill(c, {5, 5, 5, 15}, clBlack, st, clWhite);  // zero width
            GradientFill(c, {5, 5, 15, 5}, clBlack, st, clWhite);  // zero height
            GradientFill(c, {9, 9, 3, 3}, clBlack, st, clWhite);   // inverted
        }
    }
    EXPECT_TRUE(inked(img, qRgb(1, 2, 3)).isNull());

    // One pixel: every style paints exactly that pixel.
    for (int s = gv::gsHorizontal1; s <= gv::gsTopRight; ++s) {
        img = blank(3, 3);
        {
            TCanvas c(img);
            GradientFill(c, {1, 1, 2, 2}, clBlack, gv::TGradientStyle(s), clWhite);
        }
        EXPECT_EQ(inked(img, qRgb(1, 2, 3)), QRect(1, 1, 1, 1)) << "style " << s;
    }

    // Larger than a scratch image may be: skipped, nothing allocated.
    img = blank(4, 4);
    {
        TCanvas c(img);
        GradientFill(c, {0, 0, 4, MaxScratchSide + 1}, clBlack, gv::gsHorizontal1, clWhite);
    }
    EXPECT_TRUE(inked(img, qRgb(1, 2, 3)).isNull());

    // Every style covers a large rectangle fully, stays inside it and runs from one colour to
    // the other.
    for (int s = gv::gsHorizontal1; s <= gv::gsTopRight; ++s) {
        img = blank(420, 300);
        {
            TCanvas c(img);
            GradientFill(c, {10, 10, 410, 290}, rgbColor(0, 0, 0), gv::TGradientStyle(s), rgbColor(255, 128, 0));
        }
        EXPECT_EQ(inked(img, qRgb(1, 2, 3)), QRect(10, 10, 400, 280)) << "style " << s;
        int lo = 255, hi = 0;
        for (int y = 10; y < 290; y += 3)
            for (int x = 10; x < 410; x += 3) {
                lo = std::min(lo, qRed(img.pixel(x, y)));
                hi = std::max(hi, qRed(img.pixel(x, y)));
            }
        EXPECT_LE(lo, 40) << "style " << s;
        EXPECT_GE(hi, 215) << "style " << s;
    }
}

TEST(Draw, GradientStylesPutTheirColoursWhereTheyBelong)
{
    // Ten rows from black to white: ten one-pixel bands, darkest on top.
    QImage img = blank(4, 10);
    {
        TCanvas c(img);
        GradientFill(c, {0, 0, 4, 10}, clBlack, gv::gsHorizontal1, clWhite);
    }
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(qRed(img.pixel(2, y)), y * 255 / 10);

    // Equal colours after resolving: a plain fill.
    img = blank(8, 8);
    {
        TCanvas c(img);
        GradientFill(c, {0, 0, 8, 8}, clBtnFace, gv::gsElliptic1, rgbColor(0xF0, 0xF0, 0xF0));
    }
    EXPECT_EQ(img.pixel(0, 0), qRgb(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(img.pixel(7, 7), qRgb(0xF0, 0xF0, 0xF0));

    auto paint = [](gv::TGradientStyle s) {
        QImage i = blank(101, 81);
        TCanvas c(i);
        GradientFill(c, {0, 0, 101, 81}, clBlack, s, clWhite);
        return i;
    };
    // Middle-out styles: from in the middle, to at the edges.
    img = paint(gv::gsHorizontal2);
    EXPECT_EQ(qRed(img.pixel(50, 40)), 0);
    EXPECT_GE(qRed(img.pixel(50, 0)), 250);
    img = paint(gv::gsVertical2);
    EXPECT_EQ(qRed(img.pixel(50, 40)), 0);
    EXPECT_GE(qRed(img.pixel(0, 40)), 250);
    img = paint(gv::gsElliptic1);
    EXPECT_LE(qRed(img.pixel(50, 40)), 5);
    EXPECT_EQ(qRed(img.pixel(0, 0)), 255);
    img = paint(gv::gsRectangle);
    EXPECT_EQ(qRed(img.pixel(50, 40)), 0);
    EXPECT_GE(qRed(img.pixel(0, 40)), 250);
    img = paint(gv::gsDiamond1);
    EXPECT_EQ(qRed(img.pixel(50, 40)), 0);
    EXPECT_EQ(qRed(img.pixel(0, 0)), 255);
    // Corner styles: from in the named corner.
    img = paint(gv::gsTopLeft);
    EXPECT_LE(qRed(img.pixel(0, 0)), 5);
    EXPECT_GE(qRed(img.pixel(100, 80)), 250);
    img = paint(gv::gsTopRight);
    EXPECT_LE(qRed(img.pixel(100, 0)), 5);
    EXPECT_GE(qRed(img.pixel(0, 80)), 250);
}

TEST(Draw, BevelContentAreaColoursAndAbsurdSizes)
{
    TGvSBevel b;
    b.SetWidth(2);
    b.SetSpacing(5);
    b.SetBevelLine(gv::blBoth);
    b.SetColor(rgbColor(10, 20, 30));
    QImage img = blank(60, 50);
    TRect r{0, 0, 60, 50};
    {
        TCanvas c(img);
        PaintInto(c, b, r);
    }
    EXPECT_EQ(r, TRect(9, 9, 51, 41));
    // Raised: outer line in PenColor, then the highlight on top/left and shadow on bottom/right.
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(1, 10), qRgb(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(img.pixel(20, 1), qRgb(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(img.pixel(58, 20), qRgb(0xA0, 0xA0, 0xA0));
    EXPECT_EQ(img.pixel(20, 48), qRgb(0xA0, 0xA0, 0xA0));
    EXPECT_EQ(img.pixel(3, 20), qRgb(0, 0, 0)); // inner line
    EXPECT_EQ(img.pixel(30, 25), qRgb(10, 20, 30));

    // Lowered swaps the colours; Offset insets the content further.
    b.SetStyle(gv::bsLowered);
    b.Offset()->SetLeft(3);
    b.Offset()->SetBottom(2);
    img = blank(60, 50);
    r = {0, 0, 60, 50};
    {
        TCanvas c(img);
        PaintInto(c, b, r);
    }
    EXPECT_EQ(r, TRect(12, 9, 51, 39));
    EXPECT_EQ(img.pixel(1, 10), qRgb(0xA0, 0xA0, 0xA0));
    EXPECT_EQ(img.pixel(58, 20), qRgb(0xFF, 0xFF, 0xFF));

    // Stored sizes may be absurd: painting ends quickly and nothing overflows.
    TGvSBevel huge;
    huge.SetWidth(2000000000);
    huge.SetSpacing(2000000000);
    img = blank(30, 30);
    r = {0, 0, 30, 30};
    {
        TCanvas c(img);
        PaintInto(c, huge, r);
    }
    EXPECT_TRUE(r.isEmpty());
    EXPECT_EQ(img.pixel(0, 0), qRgb(0xFF, 0xFF, 0xFF));
}

TEST(Draw, TextPlacementAndMeasuring)
{
    QImage img = blank(200, 120, qRgb(255, 255, 255));
    TCanvas c(img);
    c.setFont(testFont(16));
    c.setFontColor(Qt::black);
    c.setBrushStyle(TBrushStyle::bsClear);
    const TTextSize s = TextSize(c, QStringLiteral("M"));

    // Code 8: the text ends at x and its bottom lies on y; code 4 centres it.
    TextAligned(c, 100, 60, 8, QStringLiteral("M"));
    QRect box = inked(img, qRgb(255, 255, 255));
    EXPECT_LE(box.right(), 99);
    EXPECT_GE(box.right(), 100 - s.w / 2);
    EXPECT_LE(box.bottom(), 59);
    img.fill(Qt::white);
    TextAligned(c, 100, 60, 4, QStringLiteral("MMMM"));
    box = inked(img, qRgb(255, 255, 255));
    EXPECT_NEAR(box.center().x(), 100, 3);

    // Two lines around y: symmetric above and below.
    img.fill(Qt::white);
    TextLines(c, 100, 60, 4, QStringLiteral("MM|MM"), 0);
    box = inked(img, qRgb(255, 255, 255));
    EXPECT_NEAR(box.top() + box.bottom(), 2 * 60, 6);
    EXPECT_GT(box.height(), s.h);

    // Measuring: widest piece, height of the whole text; a list ending in ';' has an empty tail.
    const QSize m = MeasureLabels(c, QStringLiteral("100;80;60;"));
    EXPECT_EQ(m.width(), c.TextWidth(QStringLiteral("100")));
    EXPECT_EQ(m.height(), s.h);
    EXPECT_EQ(MeasureLines(c, QStringLiteral("abc"), u'|').width(), c.TextWidth(QStringLiteral("abc")));

    QString list = QStringLiteral("a;bb;");
    EXPECT_EQ(NextToken(list, u';'), QStringLiteral("a"));
    EXPECT_EQ(NextToken(list, u';'), QStringLiteral("bb"));
    EXPECT_EQ(list, QString());
    list = QStringLiteral("tail");
    EXPECT_EQ(NextToken(list, u';'), QStringLiteral("tail"));
    EXPECT_EQ(CountChar(QStringLiteral("a|b|c"), u'|'), 2);
}

TEST(Draw, PointGeometry)
{
    const QPoint c(50, 50);
    EXPECT_EQ(RotatePoint({50, 40}, c, true, 90), QPoint(60, 50));
    EXPECT_EQ(RotatePoint({50, 40}, c, false, 90), QPoint(40, 50));
    EXPECT_EQ(RotatePoint({50, 40}, c, true, 180), QPoint(50, 60));
    EXPECT_NEAR(PointAngle(c, {50, 70}), 0.0f, 0.01f);
    EXPECT_FLOAT_EQ(PointAngle(c, {30, 50}), 90.0f);
    EXPECT_NEAR(PointAngle(c, {50, 20}), 180.0f, 0.01f);
    EXPECT_FLOAT_EQ(PointAngle(c, {70, 50}), 270.0f);
    EXPECT_NEAR(PointAngle(c, {60, 60}), 315.0f, 0.01f);
    EXPECT_EQ(RectCenter({0, 0, 11, 7}), QPoint(5, 3));
    EXPECT_TRUE(PointInRect(0, 10, {0, 0, 10, 10}));   // bottom inclusive
    EXPECT_FALSE(PointInRect(10, 0, {0, 0, 10, 10}));  // right exclusive
    EXPECT_TRUE(PointInCircle(10, 5, {0, 0, 10, 10}));
    EXPECT_FALSE(PointInCircle(9, 9, {0, 0, 10, 10}));
    TRect x;
    EXPECT_TRUE(IntersectRects({0, 0, 10, 10}, {10, 0, 20, 10}, x)); // touching counts
    EXPECT_FALSE(IntersectRects({0, 0, 10, 10}, {11, 0, 20, 10}, x));
    EXPECT_EQ(ClampInt(5, 10, 0), 10); // inverted range: lo wins
    EXPECT_EQ(DeflateRect({0, 0, 10, 10}, 2000000000), TRect(2000000000, 2000000000, -1999999990, -1999999990));
    EXPECT_EQ(DeflateRect({2000000000, 0, 10, 10}, 2000000000).Left, 2147483647);
    EXPECT_EQ(IntToBinText(5, 0), QStringLiteral("101"));
    EXPECT_EQ(IntToBinText(0, 0), QStringLiteral("0"));
    EXPECT_EQ(IntToBinText(5, 4), QStringLiteral("00101"));
    EXPECT_EQ(IntToBinText(0xFFFFFFFFu, 40).size(), 32);
    EXPECT_EQ(BinTextToInt(QStringLiteral("1x1")), 5);
}

TEST(Draw, LedShapesStayInTheirRectangle)
{
    for (int s = gv::sRound; s <= gv::sDiamondRight; ++s) {
        QImage img = blank(40, 40);
        {
            TCanvas c(img);
            PaintLEDShape(c, {10, 12, 30, 28}, gv::TLEDShape(s), clRed, clBlack);
        }
        const QRect box = inked(img, qRgb(1, 2, 3));
        // The diamonds reach their right and bottom edge by construction.
        const QRect allowed = s >= gv::sDiamondLeft ? QRect(10, 12, 21, 17) : QRect(10, 12, 20, 16);
        EXPECT_TRUE(allowed.contains(box)) << "shape " << s;
        EXPECT_GT(box.width(), 14) << "shape " << s;
        EXPECT_EQ(img.pixel(20, 20) == qRgb(255, 0, 0) || s == gv::sRound, true) << "shape " << s;
    }
    // A round lamp gets a highlight arc in its upper-left part.
    QImage img = blank(40, 40);
    {
        TCanvas c(img);
        PaintLEDShape(c, {0, 0, 40, 40}, gv::sRound, clRed, clBlack);
    }
    EXPECT_EQ(img.pixel(30, 30), qRgb(255, 0, 0));
    bool light = false;
    for (int y = 5; y < 20; ++y)
        for (int x = 5; x < 20; ++x)
            light |= img.pixel(x, y) == qRgb(255, 255, 255);
    EXPECT_TRUE(light);
}

#include "Scale.h"

TEST(Scale, LabelListsAndStepCounts)
{
    EXPECT_EQ(LogSteps(5, 6), 3);
    EXPECT_EQ(LogSteps(5, 7), 1);
    EXPECT_EQ(LogSteps(5, 4), 4);
    EXPECT_EQ(LogSteps(5, 0), 1);
    EXPECT_EQ(LinearLabels(5, QStringLiteral("##0"), 100, 0), QStringLiteral("100;80;60;40;20;0;"));
    EXPECT_EQ(LogLabels(-3, 2, 5, false, QStringLiteral("0e-0")), QStringLiteral("1e-3;1e-2;1e-1;1e0;1e1;1e2;"));
    EXPECT_EQ(LogLabels(-3, 3, 3, true, QStringLiteral("0e-0")), QStringLiteral("1e3;1e1;1e-1;1e-3;"));
    // Degenerate decade ranges end after one label instead of looping.
    EXPECT_EQ(LogLabels(2, 2, 5, false, QStringLiteral("0e-0")), QStringLiteral("1e2;"));
    EXPECT_EQ(LogLabels(0, 3, 5, false, QStringLiteral("0e-0")), QStringLiteral("1e0;"));
}

TEST(Scale, StraightScaleMetricsAndTicks)
{
    TScaleSettings s;
    s.Font()->SetName(QStringLiteral("Arial"));
    s.Font()->SetHeight(-23);
    QImage img = blank(120, 300, qRgb(255, 255, 255));
    TCanvas c(img);
    CalcLinearScale(c, s, 100, 0);
    EXPECT_EQ(s.LabelList, QStringLiteral("100;80;60;40;20;0;"));
    EXPECT_EQ(s.LabelWidth, c.TextWidth(QStringLiteral("100")));
    EXPECT_EQ(s.TickLength, roundTo<int>(s.LabelHeight / 1.4));
    EXPECT_EQ(s.ScaleWidth, s.LabelWidth + s.TickLength + s.LabelGap);
    EXPECT_EQ(s.MinScaleLength, roundTo<int>(s.LabelHeight * 5 * 1.4));

    // Scale on the right of the pointer: ticks run right from the left edge.
    DrawLinearScale(c, s, {20, 50, 20 + s.ScaleWidth, 250});
    EXPECT_EQ(s.ScaleBottom, 250);
    EXPECT_EQ(s.ScaleTop, 50);
    const int x = 20 + s.TickLength / 2;
    EXPECT_EQ(img.pixel(x, 50), qRgb(0, 0, 0));  // top main tick
    EXPECT_EQ(img.pixel(x, 130), qRgb(0, 0, 0)); // third main tick (y = 50 + 2 * 40)
    EXPECT_EQ(img.pixel(x, 250), qRgb(0, 0, 0)); // last main tick
    EXPECT_EQ(img.pixel(x, 115), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(20 + s.SubTickLength - 1, 110), qRgb(0, 0, 0)); // sub tick halfway
    // Labels sit beyond the ticks.
    bool ink = false;
    for (int yy = 40; yy < 60; ++yy)
        for (int xx = 20 + s.TickLength + s.LabelGap; xx < 20 + s.ScaleWidth; ++xx)
            ink |= img.pixel(xx, yy) != qRgb(255, 255, 255);
    EXPECT_TRUE(ink);
}

TEST(Draw, RoundBevelStaysInsideItsCircle)
{
    TGvSBevel b;
    b.SetRoundShape(true);
    b.SetWidth(3);
    b.SetSpacing(2);
    b.SetBevelLine(gv::blOuter);
    b.SetColor(clRed);
    QImage img = blank(60, 60);
    TRect r{0, 0, 60, 60};
    {
        TCanvas c(img);
        PaintRoundInto(c, b, r);
        EXPECT_EQ(c.ClipRect(), TRect(0, 0, 60, 60)); // clip released
    }
    EXPECT_EQ(r, TRect(6, 6, 54, 54)); // Width + Spacing + the outer line
    EXPECT_EQ(img.pixel(1, 1), qRgb(1, 2, 3));   // corner outside the circle
    EXPECT_EQ(img.pixel(58, 58), qRgb(1, 2, 3));
    EXPECT_EQ(img.pixel(30, 30), qRgb(255, 0, 0)); // surface
    bool line = false; // the outer line runs along the top of the circle
    for (int y = 0; y < 3; ++y)
        line |= img.pixel(30, y) == qRgb(0, 0, 0);
    EXPECT_TRUE(line);
    EXPECT_FALSE(b.Shading.isNull());

    // Too small, or not round: nothing at all.
    TRect tiny{0, 0, 4, 4};
    img = blank(10, 10);
    {
        TCanvas c(img);
        PaintRoundInto(c, b, tiny);
        b.SetRoundShape(false);
        TRect big{0, 0, 10, 10};
        PaintRoundInto(c, b, big);
        EXPECT_EQ(big, TRect(0, 0, 10, 10));
    }
    EXPECT_EQ(tiny, TRect(0, 0, 4, 4));
    EXPECT_TRUE(inked(img, qRgb(1, 2, 3)).isNull());
}

TEST(Scale, RoundAndDialScales)
{
    TScaleSettings s;
    s.Font()->SetName(QStringLiteral("Arial"));
    s.Font()->SetHeight(-13);
    QImage img = blank(200, 220, qRgb(255, 255, 255));
    TCanvas c(img);
    CalcRoundScale(c, s, 100, 0);
    EXPECT_EQ(s.LabelList, QStringLiteral("0;20;40;60;80;100;")); // lower to upper
    EXPECT_EQ(s.LabelGap, std::max(s.LabelWidth, s.LabelHeight) / 2 + 1);
    TRect r{0, 0, 200, 220};
    DrawRoundScale(c, s, r, 270, 225);
    const int w = 200;
    const int R = s.LabelGap + (w - 2 * s.LabelGap) / 2 - s.LabelWidth / 2;
    EXPECT_EQ(s.TickLength, R / 8);
    EXPECT_EQ(s.Center, QPoint(100, s.LabelHeight / 2 + R));
    // The first main tick starts 225 degrees clockwise from straight up (lower left).
    const QPoint outer0 = RotatePoint(QPoint(100, s.Center.y() - (R - s.LabelGap)), s.Center, true, 225);
    EXPECT_EQ(s.ArcStart, outer0);
    EXPECT_LT(outer0.x(), 100);
    EXPECT_GT(outer0.y(), s.Center.y());
    // The last tick ends 270 degrees further on (lower right).
    EXPECT_GT(s.ArcEnd.x(), 100);
    EXPECT_GT(s.ArcEnd.y(), s.Center.y());
    // Ink on the first tick, none straight below the centre (outside the sweep).
    const QPoint mid = RotatePoint(QPoint(100, s.Center.y() - (R - s.LabelGap - s.TickLength / 2)), s.Center, true, 225);
    bool tickInk = false;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            tickInk |= img.pixel(mid.x() + dx, mid.y() + dy) == qRgb(0, 0, 0);
    EXPECT_TRUE(tickInk);
    EXPECT_EQ(img.pixel(100, s.Center.y() + R - s.LabelGap - 2), qRgb(255, 255, 255));
    EXPECT_LT(r.width(), 200);

    // A very small dial keeps ticks of at least 3 and sub ticks of at least 1 pixel.
    TScaleSettings d;
    d.Font()->SetHeight(-13);
    QImage tiny = blank(30, 30, qRgb(255, 255, 255));
    TCanvas tc(tiny);
    CalcRoundScale(tc, d, 100, 0);
    TRect dr{0, 0, 30, 30};
    DrawDialScale(tc, d, dr, 300, 210);
    EXPECT_GE(d.TickLength, 3);
    EXPECT_GE(d.SubTickLength, 1);
}

TEST(Draw, BlendColorFarBeyondItsStepsStillWraps)
{
    // Under the sanitizers this also proves that no intermediate sum overflows.
    const TColor c = BlendColor(rgbColor(255, 0, 0), rgbColor(0, 255, 0), 1, 2000000000);
    EXPECT_EQ(c.value & 0xFF000000u, 0u);
    EXPECT_EQ(BlendColor(rgbColor(0, 0, 0), rgbColor(1, 0, 0), 1, 300), rgbColor(300 % 256, 0, 0));
}

TEST(Draw, PieSectorKnobAndRotatedPolygon)
{
    // 90 degrees clockwise from straight up: the upper-right quarter only.
    QImage img = blank(41, 41, qRgb(255, 255, 255));
    {
        TCanvas c(img);
        c.setPenStyle(TPenStyle::psClear);
        c.setBrushColor(Qt::red);
        PaintPieSector(c, {0, 0, 41, 41}, 0, 90);
    }
    EXPECT_EQ(img.pixel(30, 10), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(10, 10), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(30, 30), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(10, 30), qRgb(255, 255, 255));
    // Starting at 180 (straight down) and sweeping 90 clockwise: the lower-left quarter.
    img = blank(41, 41, qRgb(255, 255, 255));
    {
        TCanvas c(img);
        c.setPenStyle(TPenStyle::psClear);
        c.setBrushColor(Qt::red);
        PaintPieSector(c, {0, 0, 41, 41}, 180, 90);
    }
    EXPECT_EQ(img.pixel(10, 30), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(30, 10), qRgb(255, 255, 255));

    // Knob: filled disc, light rim at the lower right, shadow arc over the upper left.
    img = blank(41, 41, qRgb(0, 0, 255));
    {
        TCanvas c(img);
        PaintKnob(c, {20, 20}, 15, clRed);
    }
    EXPECT_EQ(img.pixel(20, 20), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(20, 5), qRgb(0xA0, 0xA0, 0xA0));  // top of the rim: shadow
    EXPECT_EQ(img.pixel(20, 35), qRgb(0xFF, 0xFF, 0xFF)); // bottom of the rim: light
    EXPECT_EQ(img.pixel(1, 1), qRgb(0, 0, 255));

    // A triangle pointing up, turned 90 degrees clockwise about its centre, points right.
    img = blank(41, 41, qRgb(255, 255, 255));
    std::vector<QPoint> pts = {{4, 0}, {20, 20}, {20, 5}, {25, 20}, {15, 20}};
    std::vector<QPoint> scratch;
    {
        TCanvas c(img);
        c.setBrushColor(Qt::red);
        c.setPenColor(Qt::red);
        PaintRotatedPolygon(c, pts, true, 90, scratch);
    }
    ASSERT_EQ(scratch.size(), 5u);
    EXPECT_EQ(scratch[2], QPoint(35, 20));
    EXPECT_EQ(img.pixel(30, 20), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(20, 10), qRgb(255, 255, 255));
}
