// The seven-segment display: segment pictures, lit segments per character, the caption walk
// (points, blanks, padding), colours, frames, setter limits and displays too small for their
// digits.
#include "SevenSegGlyphs.h"

#include <gtest/gtest.h>
#include <algorithm>
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
    const QImage strip = BuildSevenSegStrip(60, 80, QColor(Lit), QColor(Back));
    ASSERT_EQ(strip.size(), QSize(60 * SevenSegCellCount, 80));
    const int midX = 157 * 60 / SevenSegMasterWidth, midY = 216 * 80 / SevenSegMasterHeight;
    EXPECT_EQ(strip.pixel(8 * 60 + midX, midY), Lit);
    EXPECT_EQ(strip.pixel(1 * 60 + midX, midY), Back);
    EXPECT_TRUE(BuildSevenSegStrip(0, 40, QColor(Lit), QColor(Back)).isNull());
    EXPECT_TRUE(BuildSevenSegStrip(30, -1, QColor(Lit), QColor(Back)).isNull());
}
