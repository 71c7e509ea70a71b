// The inbound value protocol on the real window: packets go through the framer into the
// handler, and the instruments are checked.
#include "ActiveLabel.h"
#include "ComDataPacket.h"
#include "FormatSettings.h"
#include "GvLED.h"
#include "GvMiniTrend.h"
#include "GvNumEdit.h"
#include "GvVMeter.h"
#include "GvValueInd.h"
#include "MainWindow.h"
#include "SevenSeg.h"
#include "ValueProtocol.h"

#include <gtest/gtest.h>
#include <cfloat>
#include <limits>

using namespace tg::app;

namespace {

struct Panel {
    TFormMain w;
    void feed(const char *bytes) { w.ComDataPacket1->HandleData(QByteArrayView(bytes)); }
    TGvVMeter *meter(int id) { return qobject_cast<TGvVMeter *>(w.instrument(id)); }
    QString label(int id) { return qobject_cast<ActiveLabel *>(w.instrument(id))->text(); }
    QString seg() { return qobject_cast<TSevenSeg *>(w.instrument(40))->Caption(); }
    QString leds()
    {
        QString s;
        for (int n = 8; n >= 1; --n)
            s += w.findChild<TGvLED *>(QStringLiteral("LedPanel1Led%1").arg(n))->Checked() ? u'1' : u'0';
        return s;
    }
};

} // namespace

TEST(ValueProtocol, EveryIdReachesItsInstrument)
{
    TScopedFormatSettings fs(TFormatSettings::dot());
    Panel p;
    for (int id = 1; id <= 10; ++id)
        p.feed(QStringLiteral("#%1M%2<").arg(id).arg(id * 3).toLatin1().constData());
    for (int id = 1; id <= 10; ++id)
        EXPECT_FLOAT_EQ(p.meter(id)->Value(), float(id * 3)) << id;
    p.feed("#35MHello World<#36MMotor an<#40M3.14159<#41M7<#42M8<#43M9<#44M10<#60M5<#90M12.5<");
    EXPECT_EQ(p.label(35), QStringLiteral("Hello World"));
    EXPECT_EQ(p.label(36), QStringLiteral("Motor an")); // only the first "M" separates
    EXPECT_EQ(p.seg(), QStringLiteral("3.14"));
    for (int id = 41; id <= 44; ++id)
        EXPECT_FLOAT_EQ(qobject_cast<TGvValueInd *>(p.w.instrument(id))->Value(), float(id - 34));
    EXPECT_EQ(p.leds(), QStringLiteral("00000101"));
    EXPECT_FLOAT_EQ(qobject_cast<TGvMiniTrend *>(p.w.instrument(90))->ValueCh1(), 12.5f);
    // Hidden instruments take values too.
    EXPECT_FALSE(p.meter(1)->isVisible());
}

TEST(ValueProtocol, EdgeCasesAsSpecified)
{
    TScopedFormatSettings fs(TFormatSettings::dot());
    struct Case {
        const char *packet;
        int id;
        float expected; // meter value after the packet, starting from 50
    };
    const Case cases[] = {
        {"#1M5<", 1, 5.0f},        {"#1M<", 1, 50.0f},       {"#05M7<", 5, 7.0f},
        {"#$AM7<", 10, 7.0f},      {"#0xAM8<", 10, 8.0f},    {"#5 M7<", 5, 50.0f},
        {"#2M1,5<", 2, 1.5f},      {"#2M1.000,5<", 2, 1.0f}, {"#3Mabc<", 3, 1.0f},
        {"#4M1e2<", 4, 100.0f},    {"#6Mnan<", 6, 1.0f},     {"#7M 2.5 <", 7, 2.5f},
        {"#99999999999M1<", 1, 50.0f}, {"X1M5<", 1, 50.0f},
        // Well-formed numbers beyond the single range change nothing; the largest single is a number.
        {"#4M1e39<", 4, 50.0f},    {"#4M-1e39<", 4, 50.0f},  {"#4M1e400<", 4, 50.0f},
        {"#4M3.4028235e38<", 4, FLT_MAX}, {"#4M1e-50<", 4, 0.0f},
    };
    for (const Case &c : cases) {
        Panel p;
        p.feed(c.packet);
        EXPECT_FLOAT_EQ(p.meter(c.id)->Value(), c.expected) << c.packet;
    }
}

TEST(ValueProtocol, FactorsAndCommaLocale)
{
    TScopedFormatSettings fs(TFormatSettings::comma());
    Panel p;
    p.feed("#2M1.5<#3M1,5<");
    EXPECT_FLOAT_EQ(p.meter(2)->Value(), 1.5f);
    EXPECT_FLOAT_EQ(p.meter(3)->Value(), 1.5f);
    p.meter(1)->SetHint(QStringLiteral("2"));
    p.feed("#1M5<");
    EXPECT_FLOAT_EQ(p.meter(1)->Value(), 10.0f);
    // A hint written with the other separator reads the same way the page writes it.
    p.meter(1)->SetHint(QStringLiteral("2.5"));
    p.feed("#1M2<");
    EXPECT_FLOAT_EQ(p.meter(1)->Value(), 5.0f);
    p.meter(1)->SetHint(QStringLiteral("abc"));
    p.feed("#1M5<");
    EXPECT_FLOAT_EQ(p.meter(1)->Value(), 5.0f);
    qobject_cast<TGvValueInd *>(p.w.instrument(41))->SetLimitUpper(4);
    p.feed("#41M2,5<");
    EXPECT_FLOAT_EQ(qobject_cast<TGvValueInd *>(p.w.instrument(41))->Value(), 10.0f);
    p.feed("#35M3,14<#40M3.14159<");
    EXPECT_EQ(p.label(35), QStringLiteral("3,14"));
    EXPECT_EQ(p.seg(), QStringLiteral("3,14"));
}

TEST(ValueProtocol, SevenSegmentFollowsThePageFieldsAsTheyStand)
{
    TScopedFormatSettings fs(TFormatSettings::dot());
    struct Case {
        int digits, decimals;
        double factor;
        const char *packet, *caption;
    };
    // Set as a restore sets them: the page's limits do not hold there.
    const Case cases[] = {
        {6, 2, 1, "#40M3.14159<", "  3.14"}, {4, 0, 2.5, "#40M3<", "   8"},
        {-6, 1, 1, "#40M-1<", "-1.0  "},     {8, 2, 1, "#40M1234567<", "------"},
        {4, -1, 1, "#40M5<", "0"},           {4, 2, 1e39, "#40M1<", "0"},
    };
    for (const Case &c : cases) {
        Panel p;
        p.w.findChild<TGvNumEdit *>(QStringLiteral("GvEdit7SegStellen"))->SetValueAsInt(c.digits);
        p.w.findChild<TGvNumEdit *>(QStringLiteral("GvEdit7SegStellenNK"))->SetValueAsInt(c.decimals);
        p.w.findChild<TGvNumEdit *>(QStringLiteral("GvEdit7SegSkalFaktor"))->SetValue(c.factor);
        p.feed(c.packet);
        EXPECT_EQ(p.seg(), QString::fromLatin1(c.caption)) << c.digits << " " << c.decimals << " " << c.packet;
    }
}

TEST(ValueProtocol, NumbersBeyondTheSingleRangeChangeNoInstrument)
{
    TScopedFormatSettings fs(TFormatSettings::dot());
    Panel p;
    p.feed("#40M12.5<#41M7<#60M5<#90M12.5<");
    auto *indicator = qobject_cast<TGvValueInd *>(p.w.instrument(42));
    auto *trend = qobject_cast<TGvMiniTrend *>(p.w.instrument(90));
    // Factors that take a product beyond the range.
    p.meter(2)->SetHint(QStringLiteral("1e30"));
    indicator->SetLimitUpper(1e38f);
    trend->SetHint(QStringLiteral("1e400"));
    for (const char *packet : {"#40M1e39<", "#40M-1e400<", "#1M1e39<", "#41M-1e39<", "#60M1e39<", "#90M1e39<",
                               "#2M1e10<", "#42M100<", "#90M1<"})
        p.feed(packet);
    EXPECT_EQ(p.seg(), QStringLiteral("12.50"));
    EXPECT_FLOAT_EQ(p.meter(1)->Value(), 50.0f);
    EXPECT_FLOAT_EQ(p.meter(2)->Value(), 50.0f);
    EXPECT_FLOAT_EQ(qobject_cast<TGvValueInd *>(p.w.instrument(41))->Value(), 7.0f);
    EXPECT_FLOAT_EQ(indicator->Value(), 50.0f);
    EXPECT_EQ(p.leds(), QStringLiteral("00000101"));
    EXPECT_FLOAT_EQ(trend->ValueCh1(), 12.5f);
    // Malformed text still reads as 1.0.
    p.feed("#40Mabc<");
    EXPECT_EQ(p.seg(), QStringLiteral("1.00"));
}

TEST(ValueProtocol, LedByte)
{
    TScopedFormatSettings fs(TFormatSettings::dot());
    Panel p;
    const std::pair<const char *, const char *> steps[] = {
        {"#60M255<", "11111111"}, {"#60M5<", "00000101"},   {"#60M256<", "00000101"},
        {"#60M-1<", "00000101"},  {"#60M255.9<", "11111111"}, {"#60M-0.5<", "00000000"},
        {"#60Mabc<", "00000001"}, {"#60M128<", "10000000"},
    };
    for (const auto &[packet, leds] : steps) {
        p.feed(packet);
        EXPECT_EQ(p.leds(), QString::fromLatin1(leds)) << packet;
    }
}

TEST(ValueProtocol, LabelsArePlainCp1252Text)
{
    TScopedFormatSettings fs(TFormatSettings::dot());
    Panel p;
    p.feed("#35M<i>&amp; \x80 \xE4<");
    EXPECT_EQ(p.label(35), QString()); // the first "<" ends the packet
    p.feed("#35Mb>&amp; \x80 \xE4<");
    EXPECT_EQ(p.label(35), QString::fromUtf8("b>&amp; € ä"));
    EXPECT_EQ(qobject_cast<ActiveLabel *>(p.w.instrument(35))->textFormat(), Qt::PlainText);
    p.feed("#37MX<#38MY<");
    EXPECT_EQ(p.label(35), QString::fromUtf8("b>&amp; € ä"));
}

TEST(ValueProtocol, SevenSegmentCaptions)
{
    const QChar dot(u'.');
    EXPECT_EQ(sevenSegCaption(3.14159, 4, 2, 6, dot), QStringLiteral("3.14"));
    EXPECT_EQ(sevenSegCaption(3.0, 4, 2, 6, dot), QStringLiteral("3.00"));
    EXPECT_EQ(sevenSegCaption(3.14159, 6, 2, 6, dot), QStringLiteral("  3.14"));
    EXPECT_EQ(sevenSegCaption(-3.5, -6, 1, 6, dot), QStringLiteral("-3.5  "));
    // Decimals that do not fit are cut by the display; the integer part decides overflow.
    EXPECT_EQ(sevenSegCaption(1234.5, 4, 3, 6, dot), QStringLiteral("1234.500"));
    EXPECT_EQ(sevenSegCaption(1234567.0, 4, 2, 6, dot), QStringLiteral("------"));
    EXPECT_EQ(sevenSegCaption(-123456.0, 4, 0, 6, dot), QStringLiteral("------"));
    EXPECT_EQ(sevenSegCaption(12345.678, 4, 2, 6, QChar(u',')), QStringLiteral("12345,68"));
    EXPECT_EQ(sevenSegCaption(1.0, 4, -1, 6, dot), std::nullopt);
    EXPECT_EQ(sevenSegCaption(std::numeric_limits<double>::infinity(), 4, 2, 6, dot), std::nullopt);
    EXPECT_EQ(sevenSegCaption(std::numeric_limits<double>::quiet_NaN(), 4, 2, 6, dot), std::nullopt);
    EXPECT_EQ(sevenSegCaption(1.0, 1000000, 2, 6, dot), QStringLiteral("------"));
    EXPECT_EQ(sevenSegCaption(1.0, 2, 40, 6, dot)->size(), 20); // decimals capped at 18
}

TEST(ValueProtocol, StrictIds)
{
    EXPECT_EQ(parseId(u"  12"), 12);
    EXPECT_EQ(parseId(u"-7"), -7);
    EXPECT_EQ(parseId(u"x1F"), 31);
    EXPECT_EQ(parseId(u"2147483647"), 2147483647);
    EXPECT_EQ(parseId(u"-2147483648"), INT32_MIN);
    for (const char16_t *bad : {u"", u" ", u"2147483648", u"1 ", u"0x", u"$G", u"+", u"1.0"})
        EXPECT_EQ(parseId(bad), std::nullopt) << QString::fromUtf16(bad).toStdString();
}
