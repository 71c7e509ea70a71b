#include "FormatSettings.h"
#include "MeterFields.h"

#include <gtest/gtest.h>

using namespace tg::config;

TEST(MeterFields, FactorFromHintSwapsSeparatorsAndFallsBackToOne)
{
    bool valid = false;
    EXPECT_DOUBLE_EQ(FactorFromHint("", '.', &valid), 1.0);
    EXPECT_TRUE(valid);
    EXPECT_DOUBLE_EQ(FactorFromHint("2", '.'), 2.0);
    EXPECT_DOUBLE_EQ(FactorFromHint("2,5", '.'), 2.5);
    EXPECT_DOUBLE_EQ(FactorFromHint("2.5", ','), 2.5);
    EXPECT_DOUBLE_EQ(FactorFromHint(" -1e3 ", '.'), -1000.0);
    EXPECT_DOUBLE_EQ(FactorFromHint("0.100000001490116", '.'), 0.100000001490116);

    // Texts that are no number give 1 and say so, instead of stopping the selection half-way.
    for (const char *bad : {"abc", "nan", "inf", "0x10", "1,5.0", "1 000", "2.5.", "e5"}) {
        valid = true;
        EXPECT_DOUBLE_EQ(FactorFromHint(bad, '.', &valid), 1.0) << bad;
        EXPECT_FALSE(valid) << bad;
    }
    valid = true;
    EXPECT_DOUBLE_EQ(FactorFromHint("1.000,5", ',', &valid), 1.0);
    EXPECT_FALSE(valid);
}

TEST(MeterFields, HintFromFactorKeepsSinglePrecisionAndTheLocaleSeparator)
{
    {
        TScopedFormatSettings dot(TFormatSettings::dot());
        EXPECT_EQ(HintFromFactor(2.0), "2");
        EXPECT_EQ(HintFromFactor(0.1), "0.100000001490116");
        // What is written reads back as the same single value.
        bool valid = false;
        EXPECT_EQ(static_cast<float>(FactorFromHint(HintFromFactor(0.1), '.', &valid)), 0.1f);
        EXPECT_TRUE(valid);
    }
    TScopedFormatSettings comma(TFormatSettings::comma());
    EXPECT_EQ(HintFromFactor(2.5), "2,5");
    EXPECT_DOUBLE_EQ(FactorFromHint(HintFromFactor(2.5), ','), 2.5);
}

TEST(MeterFields, FrameBoxesMapToTheFourPlainOptionSets)
{
    using M = TGvVMeter;
    const struct {
        int set;
        bool outer, inner;
    } plain[] = {{284, false, false}, {285, false, true}, {286, true, false}, {287, true, true}};
    for (const auto &c : plain) {
        const auto boxes = FrameBoxesFromOptions(M::TGvVMeterOptions(c.set));
        ASSERT_TRUE(boxes.has_value()) << c.set;
        EXPECT_EQ(boxes->outer, c.outer) << c.set;
        EXPECT_EQ(boxes->inner, c.inner) << c.set;
        EXPECT_EQ(OptionsFromFrameBoxes(*boxes).toInt(), c.set);
    }
    // Any other set leaves the boxes alone; applying then clears overflow, limit and sector.
    EXPECT_FALSE(FrameBoxesFromOptions(M::AllOptions).has_value());
    EXPECT_FALSE(FrameBoxesFromOptions(M::TGvVMeterOptions(M::opValue)).has_value());

    TGvVMeter meter;
    meter.loaded();
    ASSERT_TRUE(meter.Options().testFlag(M::opOverflow));
    meter.SetOptions(OptionsFromFrameBoxes({true, true}));
    EXPECT_EQ(meter.Options().toInt(), 287);
}
