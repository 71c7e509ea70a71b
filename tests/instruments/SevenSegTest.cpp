// The seven-segment display: segment pictures, lit segments per character, the caption walk
// (points, blanks, padding), colours, frames, setter limits and displays too small for their
// digits.
#include "Canvas.h"
#include "SevenSeg.h"
#include "SevenSegGlyphs.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <limits>
#include <map>

using namespace tg;

namespace {
const QRgb Lit = qRgb(255, 0, 0);
const QRgb Back = qRgb(51, 51, 51);

// A point well inside each piece, in master-canvas coordinates (piece corner + inner point).
struct Probe {
    const char *piece;
    int x, y;
};
const std::map<char, Probe> Probes = {
    {'1', {"top", 94 + 100, 19}},          {'2', {"upper left", 37 + 34, 23 + 95}},
    {'3', {"upper right", 244 + 34, 23 + 95}}, {'4', {"middle", 57 + 100, 197 + 19}},
    {'5', {"lower left", 0 + 34, 220 + 95}},   {'6', {"lower right", 207 + 34, 220 + 95}},
    {'7', {"bottom", 20 + 100, 394 + 19}},     {'.', {"point", 269 + 19, 394 + 19}},
    {'+', {"plus stem", 57 + 108, 120 + 40}},  {':', {"colon dot", 122 + 18, 121 + 172}},
    {'o', {"degree ring", 150 + 25, 69}},
};

// Which probes are lit for the character.
QString litProbes(const QImage &img)
{
    QString s;
    for (const auto &[key, p] : Probes)
        if (img.pixel(p.x, p.y) == Lit)
            s += QChar(key);
        else
            EXPECT_EQ(img.pixel(p.x, p.y), Back) << p.piece << " neither lit nor background";
    return s;
}
} // namespace

TEST(SevenSegGlyphs, SegmentPicturesHaveTheirSizesAndShapesUnderTheFillPoints)
{
    const struct {
        const char *name;
        int w, h;
        std::vector<QPoint> inside;
    } pictures[] = {
        {"SEGVERT", 68, 190, {{34, 95}}},   {"SEGHORZ", 200, 38, {{100, 19}}},
        {"SEGDOT", 38, 38, {{19, 19}}},     {"SEGPLUS", 200, 190, {{100, 95}}},
        {"SEGCOLON", 68, 190, {{18, 172}, {50, 18}}}, {"SEGDEG", 160, 138, {{25, 69}}},
    };
    for (const auto &pic : pictures) {
        const QImage img = SegmentBitmap(QString::fromLatin1(pic.name));
        ASSERT_EQ(img.size(), QSize(pic.w, pic.h)) << pic.name;
        for (const QPoint &pt : pic.inside)
            EXPECT_EQ(img.pixel(pt), qRgb(0, 0, 0)) << pic.name;
        EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu) << pic.name << ": white around the shape";
    }
    // The ring's hole is white, so the display can fill it with the background.
    EXPECT_EQ(SegmentBitmap(QStringLiteral("SEGDEG")).pixel(80, 70), qRgb(255, 255, 255));
    EXPECT_TRUE(SegmentBitmap(QStringLiteral("SEGNONE")).isNull());
}

TEST(SevenSegGlyphs, EachCharacterLightsItsSegments)
{
    // The plus covers the places of the middle segment and of the colon; the ring those of the
    // top and upper right segments.
    const std::map<QChar, QString> expected = {
        {u'0', "123567"}, {u'1', "36"},     {u'2', "13457"},   {u'3', "13467"},  {u'4', "2346"},
        {u'5', "12467"},  {u'6', "124567"}, {u'7', "136"},     {u'8', "1234567"}, {u'9', "123467"},
        {u'-', "4"},      {u'+', "+4:"},    {u':', ":"},       {QChar(0xB0), "13o"}, {u'A', "123456"},
        {u'B', "24567"},  {u'C', "1257"},   {u'D', "34567"},   {u'E', "12457"},  {u'F', "1245"},
        {u'.', "."},
    };
    const QString chars = SevenSegStripChars();
    ASSERT_EQ(chars.size(), SevenSegCellCount);
    for (int cell = 0; cell < SevenSegCellCount; ++cell) {
        const QImage img = RenderSevenSegChar(cell, QColor(Lit), QColor(Back));
        QString want = expected.at(chars[cell]);
        std::sort(want.begin(), want.end());
        QString got = litProbes(img);
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got.toStdString(), want.toStdString()) << "character " << int(chars[cell].unicode());
        // Nothing white is left: holes and the outside all take the background.
        EXPECT_EQ(img.pixel(1, 1), Back);
        EXPECT_EQ(img.pixel(160, 120), Back) << "upper hole";
        EXPECT_EQ(img.pixel(140, 310), Back) << "lower hole";
    }
    EXPECT_EQ(RenderSevenSegChar(13, QColor(Lit), QColor(Back)).pixel(230, 70), Back) << "ring hole";
}

TEST(SevenSegGlyphs, CellLookupIgnoresCaseAndBlanksUnknownCharacters)
{
    EXPECT_EQ(SevenSegCell(u'a'), SevenSegCell(u'A'));
    EXPECT_EQ(SevenSegCell(u'f'), 19);
    EXPECT_EQ(SevenSegCell(u','), 20);
    EXPECT_EQ(SevenSegCell(QChar(0xB0)), 13);
    EXPECT_EQ(SevenSegCell(u'G'), -1);
    EXPECT_EQ(SevenSegCell(u' '), -1);
}

TEST(SevenSegGlyphs, WhiteSegmentsComeOutNearWhiteAndStripCellsAreScaled)
{
    const QImage img = RenderSevenSegChar(8, Qt::white, QColor(Back));
    EXPECT_EQ(img.pixel(Probes.at('4').x, Probes.at('4').y), qRgb(254, 254, 254));
    EXPECT_EQ(img.pixel(1, 1), Back);

    // 21 cells of 60 x 80: the 8 in cell 8 has its middle segment lit, the 1 in cell 1 not.
    const QList<QImage> strip = BuildSevenSegStrip(60, 80, QColor(Lit), QColor(Back));
    ASSERT_EQ(strip.size(), SevenSegCellCount);
    ASSERT_EQ(strip[8].size(), QSize(60, 80));
    const int midX = 157 * 60 / SevenSegMasterWidth, midY = 216 * 80 / SevenSegMasterHeight;
    EXPECT_EQ(strip[8].pixel(midX, midY), Lit);
    EXPECT_EQ(strip[1].pixel(midX, midY), Back);
    EXPECT_TRUE(BuildSevenSegStrip(0, 40, QColor(Lit), QColor(Back)).isEmpty());
    EXPECT_TRUE(BuildSevenSegStrip(30, -1, QColor(Lit), QColor(Back)).isEmpty());
}

namespace {
QImage render(QWidget &w)
{
    QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    w.render(&img, QPoint(), QRegion(), QWidget::RenderFlags());
    return img.convertToFormat(QImage::Format_RGB32);
}

int countColour(const QImage &img, QRgb c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) == c;
    return n;
}

// Six cells of 40 x 60 pixels, 2 apart, from (8, 8).
struct Display {
    TSevenSeg s;
    Display()
    {
        s.resize(8 + 6 * 42 + 8, 76);
        s.SetNumDigits(6);
        s.loaded();
    }
    static int cellLeft(int pos) { return 8 + pos * 42; }
    // Middle segment and decimal point of the digit at pos (0-based).
    static QPoint middle(int pos) { return {cellLeft(pos) + 157 * 40 / 312, 8 + 216 * 60 / 432}; }
    static QPoint point(int pos) { return {cellLeft(pos) + 288 * 40 / 312, 8 + 413 * 60 / 432}; }
    static QPoint top(int pos) { return {cellLeft(pos) + 194 * 40 / 312, 8 + 19 * 60 / 432}; }
};
} // namespace

TEST(SevenSeg, CaptionWalkGivesPositionsPointsAndBlanks)
{
    TSevenSeg s;
    s.SetNumDigits(6);
    auto walk = [&](const QString &caption) {
        s.SetCaption(caption);
        QString out;
        for (const TSevenSeg::TDigit &d : s.Digits())
            out += (d.cell < 0 ? QChar(u'_') : SevenSegStripChars()[d.cell]) + QString(d.point ? "." : "") + u'|';
        return out.toStdString();
    };
    EXPECT_EQ(walk(QStringLiteral("12.5")), "1|2.|5|");
    EXPECT_EQ(walk(QStringLiteral(".5")), "_.|5|");
    EXPECT_EQ(walk(QStringLiteral("1..2")), "1.|_.|2|");
    EXPECT_EQ(walk(QStringLiteral("-3,0")), "-|3.|0|");
    EXPECT_EQ(walk(QStringLiteral("abc")), "A|B|C|");
    EXPECT_EQ(walk(QStringLiteral("G")), "_|");
    EXPECT_EQ(walk(QStringLiteral("25\u00B0C")), "2|5|\u00B0|C|");
    EXPECT_EQ(walk(QStringLiteral("1234567.8")), "1|2|3|4|5|6|") << "beyond the digit count not shown";
    EXPECT_EQ(walk(QStringLiteral("")), "");
    // Whether a number fits: points share the position of the digit before them.
    EXPECT_EQ(TSevenSeg::PositionsOf(QStringLiteral("1234567.8")), 8);
    EXPECT_EQ(TSevenSeg::PositionsOf(QStringLiteral("-12.50")), 5);
}

TEST(SevenSeg, NewDisplayShowsEightsWithPointsInRedOnDarkGreyInALoweredFrame)
{
    TSevenSeg s;
    s.loaded();
    EXPECT_EQ(s.size(), QSize(216, 76));
    const QImage img = render(s);
    // Lowered: outer ring grey / white, inner ring black / silver.
    EXPECT_EQ(img.pixel(0, 30), qRgb(128, 128, 128));
    EXPECT_EQ(img.pixel(100, 0), qRgb(128, 128, 128));
    EXPECT_EQ(img.pixel(215, 30), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(100, 75), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(1, 30), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(214, 30), qRgb(192, 192, 192));
    // Four cells of (216 - 16) / 4 - 2 = 48 x 60: each an 8 with its point.
    for (int pos = 0; pos < 4; ++pos) {
        const int left = 8 + pos * 50;
        EXPECT_EQ(img.pixel(left + 157 * 48 / 312, 8 + 216 * 60 / 432), Lit) << pos;
        EXPECT_EQ(img.pixel(left + 288 * 48 / 312, 8 + 413 * 60 / 432), Lit) << pos;
    }
    EXPECT_EQ(img.pixel(4, 4), Back);
}

TEST(SevenSeg, DigitsLandInTheirCellsWithPointsAndDarkPadding)
{
    Display d;
    d.s.SetCaption(QStringLiteral("12.5"));
    QImage img = render(d.s);
    // 1: no middle segment, no top; 2 has its point; 5 has none; three dark cells.
    EXPECT_EQ(img.pixel(Display::middle(0)), Back);
    EXPECT_EQ(img.pixel(Display::top(0)), Back);
    EXPECT_EQ(img.pixel(Display::point(0)), Back);
    EXPECT_EQ(img.pixel(Display::middle(1)), Lit);
    EXPECT_EQ(img.pixel(Display::point(1)), Lit);
    EXPECT_EQ(img.pixel(Display::top(2)), Lit);
    EXPECT_EQ(img.pixel(Display::point(2)), Back);
    const QImage padding = img.copy(Display::cellLeft(3), 8, 3 * 42, 60);
    EXPECT_EQ(countColour(padding, Back), padding.width() * padding.height());

    // A point first takes a blank cell of its own; the 5 follows.
    d.s.SetCaption(QStringLiteral(".5"));
    img = render(d.s);
    EXPECT_EQ(img.pixel(Display::point(0)), Lit);
    EXPECT_EQ(img.pixel(Display::middle(0)), Back);
    EXPECT_EQ(img.pixel(Display::middle(1)), Lit);
}

TEST(SevenSeg, OneWideDigitIsShown)
{
    // 21 cells of this width would not fit one scratch image side by side.
    TSevenSeg s;
    s.resize(1000, 60);
    s.SetNumDigits(1);
    s.SetCaption(QStringLiteral("8"));
    s.loaded();
    ASSERT_GT(s.CellWidth() * SevenSegCellCount, MaxScratchSide);
    EXPECT_EQ(render(s).pixel(8 + 157 * s.CellWidth() / 312, 8 + 216 * 44 / 432), Lit);
}

TEST(SevenSeg, CaptionChangeRepaintsTheDigitsOnlySettingsTheWhole)
{
    Display d;
    d.s.show();
    d.s.TakeDirtyRegion();
    d.s.SetCaption(QStringLiteral("42"));
    EXPECT_EQ(d.s.TakeDirtyRegion(), QRegion(8, 8, d.s.width() - 16, 60));
    d.s.SetCaption(QStringLiteral("42"));
    EXPECT_TRUE(d.s.TakeDirtyRegion().isEmpty()) << "an unchanged caption paints nothing";
    d.s.SetColorText(clLime);
    EXPECT_EQ(d.s.TakeDirtyRegion(), QRegion(d.s.rect()));
    EXPECT_EQ(render(d.s).pixel(Display::middle(0)), qRgb(0, 255, 0));
}

TEST(SevenSeg, SettersKeepTheirLimits)
{
    Display d;
    d.s.SetNumDigits(0);
    d.s.SetNumDigits(33);
    EXPECT_EQ(d.s.NumDigits(), 6);
    d.s.SetNumDigits(32);
    EXPECT_EQ(d.s.NumDigits(), 32);
    d.s.SetInterDigDist(300);
    EXPECT_EQ(d.s.InterDigDist(), 255);
    d.s.resize(121, 49);
    d.s.SetMargin(30);
    EXPECT_EQ(d.s.Margin(), 23);

    d.s.SetColorText(clWhite);
    d.s.SetNumDigits(6);
    d.s.SetInterDigDist(2);
    d.s.SetMargin(8);
    d.s.resize(8 + 6 * 42 + 8, 76);
    d.s.SetCaption(QStringLiteral("8"));
    EXPECT_EQ(render(d.s).pixel(Display::middle(0)), qRgb(254, 254, 254)) << "white marks empty space";
}

TEST(SevenSeg, FrameStylesDrawTheirRings)
{
    Display d;
    const int r = d.s.width() - 1, b = d.s.height() - 1;
    const QRgb K = qRgb(0, 0, 0), G = qRgb(128, 128, 128), S = qRgb(192, 192, 192), W = qRgb(255, 255, 255);
    const struct {
        TSevenSeg::TFrameStyle style;
        QRgb otl, obr, itl, ibr;
    } cases[] = {
        {TSevenSeg::fsRaised, W, K, S, G},
        {TSevenSeg::fsEmbossed, W, G, G, W},
        {TSevenSeg::fsEngraved, G, W, W, G},
        {TSevenSeg::fsSimple, K, K, Back, Back},
        {TSevenSeg::fsNone, Back, Back, Back, Back},
    };
    for (const auto &c : cases) {
        d.s.SetFrameStyle(c.style);
        const QImage img = render(d.s);
        EXPECT_EQ(img.pixel(0, b / 2), c.otl) << c.style;
        EXPECT_EQ(img.pixel(r / 2, 0), c.otl) << c.style;
        EXPECT_EQ(img.pixel(r, b / 2), c.obr) << c.style;
        EXPECT_EQ(img.pixel(r / 2, b), c.obr) << c.style;
        EXPECT_EQ(img.pixel(r, 0), c.obr) << c.style << ": the far corners belong to the bottom-right";
        EXPECT_EQ(img.pixel(1, b / 2), c.itl) << c.style;
        EXPECT_EQ(img.pixel(r - 1, b / 2), c.ibr) << c.style;
    }
}

TEST(SevenSeg, DisplayTooSmallForItsDigitsShowsBackgroundAndFrameOnly)
{
    TSevenSeg s;
    s.resize(30, 49);
    s.SetNumDigits(10);
    s.SetCaption(QStringLiteral("8888888888"));
    s.loaded();
    EXPECT_LE(s.CellWidth(), 0);
    QImage img = render(s);
    EXPECT_EQ(countColour(img, Lit), 0);
    EXPECT_EQ(img.pixel(15, 24), Back);
    EXPECT_EQ(img.pixel(0, 0), qRgb(128, 128, 128));

    // Absurd margins from a settings file: no cells, no overflow.
    s.resize(200, 60);
    s.SetNumDigits(2);
    s.SetMargin(std::numeric_limits<int>::min());
    img = render(s);
    EXPECT_EQ(countColour(img, Lit), 0);
    s.SetMargin(29);
    EXPECT_EQ(s.CellHeight(), 2);
    s.SetMargin(40);
    EXPECT_EQ(s.Margin(), 29);
}

TEST(SevenSeg, PanelSetUp)
{
    TSevenSeg s;
    SetUpPanelSevenSeg(s);
    s.loaded();
    EXPECT_EQ(s.objectName(), QStringLiteral("Instr40"));
    EXPECT_EQ(s.geometry(), QRect(352, 176, 121, 49));
    EXPECT_EQ(s.CellWidth(), 9);
    EXPECT_EQ(s.Digits().size(), 1);
    EXPECT_EQ(render(s).pixel(0, 20), qRgb(255, 255, 255)) << "raised";
}
