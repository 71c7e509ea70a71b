#include "NumberFormat.h"

#include "QtPrint.h"

#include <gtest/gtest.h>
#include <cmath>

namespace {
struct Row {
    const char *format;
    double value;
    const char *dot;   // with "." and ","
    const char *comma; // with "," and "."
};

const Row rows[] = {
    {"##0.0", 12.5, "12.5", "12,5"},
    {"##0.0", 0, "0.0", "0,0"},
    {"##0.0", 12.25, "12.3", "12,3"},  // decimal halves away from zero
    {"##0.0", -3.25, "-3.3", "-3,3"},
    {"##0.0", -0.04, "0.0", "0,0"},    // no "-0.0"
    {"##0.0", 99.96, "100.0", "100,0"},
    {"##0.0", double(0.1f), "0.1", "0,1"},
    {"##0.0", 1e12, "1000000000000.0", "1000000000000,0"},
    {"#0.00", 3.14159, "3.14", "3,14"},
    {"#0.00", 0.005, "0.01", "0,01"},
    {"##0", 99.5, "100", "100"},
    {"##0", 0.4, "0", "0"},
    {"##0", -250, "-250", "-250"},
    {"000", 7, "007", "007"},
    {"#.##", 1, "1", "1"},
    {"#.##", 0.5, ".5", ",5"},
    {"0.###", 2.5, "2.5", "2,5"},
    {"0e-0", 1000, "1e3", "1e3"},
    {"0e-0", 0.001, "1e-3", "1e-3"},
    {"0e-0", 1, "1e0", "1e0"},
    {"0e-0", 96, "1e2", "1e2"},
    {"0e-0", 0, "0e0", "0e0"},
    {"0.00E+00", 12345, "1.23E+04", "1,23E+04"},
    {"0.0E-0", -0.000256, "-2.6E-4", "-2,6E-4"},
    {"#,##0.0", 1234567.89, "1,234,567.9", "1.234.567,9"},
    {"#,##0", 999, "999", "999"},
    {"#,##0", -1000, "-1,000", "-1.000"},
    {"0.0;(0.0);zero", -2, "(2.0)", "(2,0)"},
    {"0.0;(0.0);zero", 0, "zero", "zero"},
    {"0.0;(0.0);zero", 0.01, "zero", "zero"},
    {"0.0;;zero", -2, "-2.0", "-2,0"},
    {"'U='0.0", 3, "U=3.0", "U=3,0"},
    {"0.0 \"m;V\"", 3, "3.0 m;V", "3,0 m;V"},
    {"0.0 %", 3, "3.0 %", "3,0 %"},
    {"", 12.5, "12.5", "12,5"},
    {"", 1e20, "1E20", "1E20"},
    {"", 1.5e-7, "1.5E-7", "1,5E-7"},
    {"##0.0", 1e20, "1E20", "1E20"},   // no twenty-digit pictures
    {"0202E+10#0", 2, "2202E-110#0", "2202E-110#0"}, // after the exponent: text only
    {"##0.0", NAN, "NAN", "NAN"},
    {"##0.0", -INFINITY, "-INF", "-INF"},
};
} // namespace

TEST(NumberFormat, PictureTableInBothLocales)
{
    for (const Row &r : rows) {
        EXPECT_EQ(FormatFloat(r.format, r.value, TFormatSettings::dot()), QString::fromUtf8(r.dot))
            << r.format << " " << r.value;
        EXPECT_EQ(FormatFloat(r.format, r.value, TFormatSettings::comma()), QString::fromUtf8(r.comma))
            << r.format << " " << r.value;
    }
}

TEST(NumberFormat, ExtremeValuesStayBounded)
{
    const double values[] = {1.7e308, -1.7e308, 4.9e-324, 3.4e38, -1e-300, 0.5, 9.5, 9.95};
    const char *formats[] = {"##0.0", "0e-0", "0.00E+00", "#,##0.000", "0.###############", ";", "#"};
    for (double v : values)
        for (const char *f : formats) {
            const QString s = FormatFloat(f, v, TFormatSettings::dot());
            EXPECT_LT(s.size(), 64) << f << " " << v;
        }
    EXPECT_EQ(FormatFloat("0e-0", 1.7e308, TFormatSettings::dot()), "2e308");
    EXPECT_EQ(FormatFloat("0.0###", 4.9e-324, TFormatSettings::dot()), "0.0");
}
