// The strict number reader at the edges of double's range.
#include "NumberParse.h"

#include <QString>
#include <cfloat>
#include <gtest/gtest.h>
#include <optional>

using tg::DecimalOverflow;

TEST(NumberParse, BeyondTheRangeOfDouble)
{
    const QString zeros(400, u'0');
    const struct {
        QString text;
        std::optional<double> strict;    // nullopt: not read
        std::optional<double> saturated; // the same with DecimalOverflow::Saturate
    } table[] = {
        {"1e400", std::nullopt, DBL_MAX},
        {"-1e400", std::nullopt, -DBL_MAX},
        {"1e99999999999999999999", std::nullopt, DBL_MAX},
        {"1e-400", 0.0, 0.0},
        // Too large or too small is decided by the number, not by the exponent's sign.
        {"1" + zeros + "e-5", std::nullopt, DBL_MAX},
        {"-0." + zeros + "1e5", -0.0, -0.0},
        {"0." + zeros + "1", 0.0, 0.0},
        {"1" + zeros + "e-300", 1e100, 1e100},
        {"nan", std::nullopt, std::nullopt},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.text.left(20).toStdString());
        for (const DecimalOverflow mode : {DecimalOverflow::Fail, DecimalOverflow::Saturate}) {
            const std::optional<double> &expected = mode == DecimalOverflow::Fail ? row.strict : row.saturated;
            double v = 42;
            EXPECT_EQ(tg::parseDecimal(row.text, u'.', v, mode), expected.has_value());
            EXPECT_EQ(v, expected.value_or(42));
        }
    }
}
