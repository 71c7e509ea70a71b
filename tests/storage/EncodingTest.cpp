// The value encodings of the settings file and the reading rules of its text.
#include "Extended80.h"
#include "IniFileStorage.h"
#include "IniImage.h"

#include <QRandomGenerator>
#include <bit>
#include <cfloat>
#include <cmath>
#include <gtest/gtest.h>

namespace {

QString enc(double v) { return IniFileStorage::floatToText(v); }

std::optional<double> dec(const QString &text, QChar sep = u'.')
{
    double v = 0;
    bool present = false;
    if (!IniFileStorage::textToFloat(text, sep, v, present))
        return std::nullopt;
    EXPECT_TRUE(present) << text.toStdString();
    return v;
}

} // namespace

TEST(Extended80, GoldenEncodings)
{
    EXPECT_EQ(enc(1.0), "0000000000000080FF3F");
    EXPECT_EQ(enc(100.0), "00000000000000C80540");
    EXPECT_EQ(enc(0.0), "00000000000000000000");
    EXPECT_EQ(enc(-0.0), "00000000000000000080");
    EXPECT_EQ(enc(-1.0), "0000000000000080FFBF");
    EXPECT_EQ(enc(double(0.1f)), "0000000000CDCCCCFB3F");
    EXPECT_EQ(enc(double(1e-6f)), "0000000000BD3786EB3F");
    EXPECT_EQ(enc(std::numeric_limits<double>::denorm_min()), "0000000000000080CD3B");
    EXPECT_EQ(enc(DBL_MAX), "00F8FFFFFFFFFFFFFE43");
    EXPECT_EQ(enc(INFINITY), "0000000000000080FF7F");
}

TEST(Extended80, EveryDoubleRoundTripsExactly)
{
    QRandomGenerator rng(1234);
    std::vector<double> values = {0.0, -0.0, 1.0, 0.1, 1e300, -1e-300, DBL_MIN, DBL_MAX,
                                  std::numeric_limits<double>::denorm_min(), DBL_MIN / 3, FLT_MAX};
    for (int i = 0; i < 20000; ++i) {
        const double d = std::bit_cast<double>(rng.generate64());
        if (std::isfinite(d))
            values.push_back(d);
    }
    for (double d : values) {
        const auto back = dec(enc(d));
        ASSERT_TRUE(back.has_value()) << d;
        EXPECT_EQ(std::bit_cast<quint64>(*back), std::bit_cast<quint64>(d)) << enc(d).toStdString();
    }
}

TEST(Extended80, RejectsNonFiniteInvalidAndOutOfRange)
{
    EXPECT_FALSE(dec(enc(INFINITY)));
    EXPECT_FALSE(dec(enc(-INFINITY)));
    EXPECT_FALSE(dec(enc(NAN)));
    EXPECT_FALSE(dec("0000000000000000FF7F")); // pseudo-infinity
    EXPECT_FALSE(dec("0000000000000040FF3F")); // unnormal: integer bit clear
    EXPECT_FALSE(dec("00000000000000800000")); // pseudo-denormal
    EXPECT_FALSE(dec("0000000000000080FF7E")); // 2^16128: beyond double
    // Extended denormals and values far below double's range become zero with their sign.
    const auto tiny = dec("01000000000000000080");
    ASSERT_TRUE(tiny);
    EXPECT_EQ(*tiny, 0.0);
    EXPECT_TRUE(std::signbit(*tiny));
    // Rounding into double's denormal range is done once, ties to even: 1.5 and 2.5 units.
    EXPECT_EQ(*dec("00000000000000C0CD3B"), std::numeric_limits<double>::denorm_min() * 2);
    EXPECT_EQ(*dec("00000000000000A0CE3B"), std::numeric_limits<double>::denorm_min() * 2);
}

TEST(Extended80, TextFormsOfTheReader)
{
    // Lower-case hex, more than ten bytes (the first ten count), an odd length.
    EXPECT_EQ(dec("0000000000000080ff3f"), 1.0);
    EXPECT_EQ(dec("0000000000000080FF3F1234"), 1.0);
    EXPECT_EQ(dec("000000000000000C80540"), std::nullopt) << "odd length shifts the bytes";
    // Fewer than ten bytes that are no decimal number: present == false, the target keeps its
    // value.
    double v = 7;
    bool present = true;
    EXPECT_TRUE(IniFileStorage::textToFloat("0080FF3F", u'.', v, present));
    EXPECT_FALSE(present);
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(IniFileStorage::textToFloat("", u'.', v, present));
    EXPECT_FALSE(present);
    // Decimal fallback in the locale's format; nothing that is not a plain number.
    EXPECT_EQ(dec("1.5"), 1.5);
    EXPECT_EQ(dec("-2.5e3"), -2500.0);
    EXPECT_EQ(dec("1,5", u','), 1.5);
    EXPECT_FALSE(dec("1,5", u'.'));
    EXPECT_FALSE(dec("1.000,5", u','));
    for (const char *bad : {"nan", "inf", "-Infinity", "1.0e400", "0x1p3", "1.5.2", "+", "."})
        EXPECT_FALSE(dec(bad)) << bad;
    EXPECT_EQ(dec("1e-400"), 0.0);
}

// Numbers typed by hand that happen to be hex pairs: too short for the binary form, they are
// read as decimal numbers; twenty digits keep the binary reading.
TEST(Extended80, ShortHexPairsAreDecimalNumbers)
{
    const struct {
        const char *text;
        QChar sep;
        std::optional<double> value; // nullopt: the target keeps its value
    } cases[] = {
        {"2", u'.', 2.0},
        {"1234", u'.', 1234.0},
        {"100", u'.', 100.0},
        {"1e3", u'.', 1000.0},
        {"12345678901234567", u'.', 12345678901234567.0},
        {"0000C843", u'.', std::nullopt},
        {"ABCD", u'.', std::nullopt},
        {"", u'.', std::nullopt},
        {"2,5", u',', 2.5},
        {"00000000000000C80540", u'.', 100.0},
        {"0000000000000080FF3F", u',', 1.0},
    };
    for (const auto &c : cases) {
        double v = -7;
        bool present = false;
        EXPECT_TRUE(IniFileStorage::textToFloat(c.text, c.sep, v, present)) << c.text;
        EXPECT_EQ(present, c.value.has_value()) << c.text;
        EXPECT_EQ(v, c.value.value_or(-7)) << c.text;
    }
}

TEST(IniText, ReadingRulesOfHandEditedFiles)
{
    tg::IniImage img;
    img.parse("stray=before any section\n"
              "  ; a comment\n"
              "\n"
              "[ Main ]  \n"
              "  Left =  8  \n"
              "Caption=  Show  \n"
              "bare line\n"
              "=no key\n"
              "a=b=c\r\n"
              "LEFT=99\r"
              "[other\n"
              "[main]\n"
              "Top=5\n"
              "left=100\n"
              "[Sub\\Path]\n"
              "x=1");
    ASSERT_EQ(img.sectionCount(), 2);
    EXPECT_EQ(img.sectionName(0), "Main");
    EXPECT_EQ(*img.value("MAIN", "left"), "8"); // the first occurrence wins
    EXPECT_EQ(*img.value("main", "Caption"), "Show");
    EXPECT_EQ(*img.value("main", "a"), "b=c");
    EXPECT_EQ(*img.value("main", "Top"), "5");
    EXPECT_EQ(*img.value("main", ""), "no key");
    EXPECT_EQ(img.value("main", "bare line"), std::nullopt);
    EXPECT_EQ(img.value("main", "[other"), std::nullopt);
    EXPECT_EQ(img.value("main", "stray"), std::nullopt);
    EXPECT_TRUE(img.hasSectionOrBelow("sub"));
    EXPECT_FALSE(img.hasSectionOrBelow("su"));

    EXPECT_EQ(img.serialize(), QByteArray("[Main]\r\nLeft=8\r\nCaption=Show\r\nbare line\r\n=no key\r\n"
                                          "a=b=c\r\n[other\r\nTop=5\r\n\r\n[Sub\\Path]\r\nx=1\r\n\r\n"));
}

TEST(IniText, SingleByteEncodingRoundTripsEveryByte)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    EXPECT_EQ(tg::encodeCp1252(tg::decodeCp1252(all)), all);
    EXPECT_EQ(tg::decodeCp1252("\xB0" "C \x80 \xE4"), QString::fromUtf8("°C € ä"));
    EXPECT_EQ(tg::encodeCp1252(QString::fromUtf8("Ω")), QByteArray("?"));
}

TEST(IniText, ThousandsOfKeysKeepOrderAndCase)
{
    tg::IniImage img;
    for (int s = 0; s < 30; ++s)
        for (int k = 0; k < 100; ++k)
            img.setValue(QStringLiteral("Sec%1").arg(s), QStringLiteral("Key%1").arg(k), QString::number(s * k));
    const QByteArray text = img.serialize();
    tg::IniImage back;
    back.parse(text);
    EXPECT_EQ(back.serialize(), text);
    EXPECT_EQ(*back.value("SEC29", "KEY99"), "2871");
    img.setValue("sec0", "KEY0", "changed"); // existing names keep their spelling and place
    EXPECT_TRUE(img.serialize().startsWith("[Sec0]\r\nKey0=changed\r\n"));
}

// Values stored again and again replace their old texts; the image stays correct through the
// clean-ups of the space the old texts took.
TEST(IniText, ManyRewritesKeepEveryValue)
{
    tg::IniImage img;
    img.parse("[S]\r\n; kept apart from the keys\r\nFirst=1\r\n");
    for (int round = 0; round < 300; ++round)
        for (int k = 0; k < 500; ++k)
            img.setValue(QStringLiteral("S"), QStringLiteral("Key%1").arg(k),
                         QString(1 + (round + k) % 40, QChar(u'a' + round % 26)));
    img.setValue("s", "first", QString::fromUtf8("\u00e4"));
    EXPECT_EQ(*img.value("S", "FIRST"), QString::fromUtf8("\u00e4"));
    for (int k = 0; k < 500; ++k)
        ASSERT_EQ(*img.value("s", QStringLiteral("key%1").arg(k)),
                  QString(1 + (299 + k) % 40, QChar(u'a' + 299 % 26)));
    tg::IniImage back;
    back.parse(img.serialize());
    EXPECT_EQ(back.serialize(), img.serialize());
    EXPECT_EQ(back.entries(0).size(), 501u);
    img.clearSection("S");
    EXPECT_EQ(img.value("S", "First"), std::nullopt);
    EXPECT_EQ(img.serialize(), QByteArray("[S]\r\n\r\n"));
}

TEST(IniText, GarbageNeverBreaksTheReader)
{
    QRandomGenerator rng(99);
    for (int round = 0; round < 200; ++round) {
        QByteArray junk(int(rng.bounded(2000)), Qt::Uninitialized);
        for (char &c : junk)
            c = char(rng.bounded(256));
        if (round % 2)
            junk.prepend("[S]\n");
        tg::IniImage img;
        img.parse(junk);
        tg::IniImage again;
        again.parse(img.serialize());
        EXPECT_EQ(again.serialize(), img.serialize()); // what is written reads back the same
    }
    // One 100 MB line without "]" or "=".
    QByteArray longLine("[S]\n[");
    longLine += QByteArray(100 * 1024 * 1024, 'x');
    tg::IniImage img;
    img.parse(longLine);
    EXPECT_EQ(img.sectionCount(), 1);
    EXPECT_EQ(img.entries(0).size(), 1u);
}

TEST(StoragePath, JoiningRules)
{
    EXPECT_EQ(IniFileStorage::ConcatPaths({"FormMain\\", "C:\\Users\\Kalbrino\\AppData\\Local"}),
              "FormMain\\C:\\Users\\Kalbrino\\AppData\\Local");
    EXPECT_EQ(IniFileStorage::ConcatPaths({"\\\\a\\\\b\\", "\\c\\"}), "a\\b\\c");
    EXPECT_EQ(IniFileStorage::ConcatPaths({"a\\b\\.\\c"}), "a\\b\\c");
    EXPECT_EQ(IniFileStorage::ConcatPaths({"a\\b\\..\\c"}), "a\\c");
    EXPECT_EQ(IniFileStorage::ConcatPaths({"a\\b\\...\\c"}), "c");
    EXPECT_EQ(IniFileStorage::ConcatPaths({"a\\....\\c"}), "c");
    EXPECT_EQ(IniFileStorage::ConcatPaths({"", "\\"}), "");
    EXPECT_EQ(IniFileStorage::ConcatPaths({"a\\.b\\c.."}), "a\\.b\\c..");
    for (const char *p : {".", "a\\", "\\a", "a\\\\b", "a\\..", "..\\a"})
        EXPECT_NE(IniFileStorage::ConcatPaths({p}), QString::fromLatin1(p)) << p;
}
