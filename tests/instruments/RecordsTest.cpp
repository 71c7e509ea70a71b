#include "Records.h"

#include "QtPrint.h"

#include <gtest/gtest.h>
#include <climits>
#include <cmath>

namespace {
struct Counter {
    int n = 0;
    std::function<void(QObject *)> fn() { return [this](QObject *) { ++n; }; }
};
} // namespace

TEST(SignalSettings, ValueEndsFollowTheirSetterRules)
{
    TSignalSettings s;
    Counter c;
    s.OnChange = c.fn();

    s.SetValueFrom(0.0f); // equals the current ValueFrom: refused
    EXPECT_EQ(c.n, 0);
    s.SetValueFrom(5.0f);
    s.SetValueFrom(0.0f); // 0 is replaced
    EXPECT_EQ(s.ValueFrom(), 0.000001f);
    EXPECT_EQ(c.n, 2);

    s.SetValueFrom(100.0f); // equals ValueTo: refused, no notice
    s.SetValueTo(0.000001f); // equals ValueFrom: refused
    EXPECT_EQ(s.ValueFrom(), 0.000001f);
    EXPECT_EQ(s.ValueTo(), 100.0f);
    EXPECT_EQ(c.n, 2);

    s.SetValueFrom(std::nanf(""));
    s.SetValueTo(INFINITY);
    EXPECT_EQ(s.ValueFrom(), 0.000001f);
    EXPECT_EQ(s.ValueTo(), 100.0f);
    EXPECT_EQ(c.n, 2);

    // Log mode stores decades; a value <= 0 counts as 1.
    s.LogMode = true;
    s.SetValueTo(500.0f);
    EXPECT_EQ(s.ValueTo(), 1000.0f);
    s.SetValueTo(300.0f);
    EXPECT_EQ(s.ValueTo(), 100.0f);
    s.SetValueFrom(0.02f);
    EXPECT_FLOAT_EQ(s.ValueFrom(), 0.01f);
    s.SetValueFrom(-7.0f);
    EXPECT_EQ(s.ValueFrom(), 1.0f);
    EXPECT_EQ(TSignalSettings::Decade(0.0), 1.0f);
    EXPECT_EQ(TSignalSettings::Decade(std::nan("")), 1.0f);
}

TEST(SignalSettings, DerivedValuesAndTheirDegenerateCases)
{
    TSignalSettings s;
    EXPECT_EQ(s.DigitalRange(), 1000);
    EXPECT_EQ(s.ValueRange(), 100.0);
    EXPECT_EQ(s.FormatSample(), "##0.0");
    EXPECT_EQ(s.ValuePerDigit(), 0.0);
    EXPECT_EQ(s.DigitsPerValue(), 0.0);
    EXPECT_EQ(s.PPTPerValue(), 0.0);

    s.Changed();
    EXPECT_DOUBLE_EQ(s.ValuePerDigit(), 0.1);
    EXPECT_DOUBLE_EQ(s.DigitsPerValue(), 10.0);
    EXPECT_DOUBLE_EQ(s.PPTPerValue(), 10.0);
    EXPECT_EQ(s.ValueToPPT(33.35), 334); // 333.5 -> even
    EXPECT_EQ(s.ValueToPPT(33.25), 332); // 332.5 -> even
    EXPECT_EQ(s.ValueToPPT(1e30), INT_MAX);
    EXPECT_EQ(s.ValueToPPT(-1e30), INT_MIN);

    s.SetValueFormat("0.0;-##0.000");
    EXPECT_EQ(s.FormatSample(), "-##0.000");
    s.SetValueFormat("0.00;-0.0");
    EXPECT_EQ(s.FormatSample(), "-0.0"); // equally long: the second part
    s.SetValueFormat("000.000;-0.0;z"); // "after the first ;" is the rest
    EXPECT_EQ(s.FormatSample(), "000.000");
    s.SetValueFormat("0.0;-0.0;zero");
    EXPECT_EQ(s.FormatSample(), "-0.0;zero");

    // Digital range 0 (from >= 0, to <= 0): ValuePerDigit keeps its last value.
    s.SetDigitalFrom(10);
    EXPECT_DOUBLE_EQ(s.ValuePerDigit(), 100.0 / 990);
    s.SetDigitalTo(0);
    EXPECT_EQ(s.DigitalRange(), 0);
    EXPECT_DOUBLE_EQ(s.ValuePerDigit(), 100.0 / 990);
    EXPECT_DOUBLE_EQ(s.DigitsPerValue(), 0.0);

    // A digital range beyond 32 bits keeps the previous one.
    s.SetDigitalFrom(-2000000000);
    EXPECT_EQ(s.DigitalRange(), 2000000000);
    s.SetDigitalTo(2000000000); // 4e9 does not fit
    EXPECT_EQ(s.DigitalRange(), 2000000000);
    s.SetDigitalFrom(-500);
    s.SetDigitalTo(500);
    EXPECT_EQ(s.DigitalRange(), 1000);

    // Reversed value ends with from >= 0: the range keeps its previous value.
    s.SetValueTo(-50.0f);
    EXPECT_EQ(s.ValueRange(), 100.0);
    // Zero-width range through the 0 replacement: factors keep their last good values.
    s.SetValueTo(0.000001f);
    s.SetValueFrom(10.0f);
    s.SetValueFrom(0.0f);
    EXPECT_EQ(s.ValueFrom(), s.ValueTo());
    EXPECT_TRUE(std::isfinite(s.DigitsPerValue()));
    EXPECT_TRUE(std::isfinite(s.PPTPerValue()));
    EXPECT_GT(s.PPTPerValue(), 0.0);
}

TEST(SignalSettings, AssignCopiesThroughTheSetters)
{
    TSignalSettings a, b;
    a.SetDigitalFrom(-100);
    a.SetDigitalTo(100);
    a.SetValueFormat("#0.00");
    a.SetValueFrom(-5.0f);
    a.SetValueTo(5.0f);
    a.SetValueUnit("V");
    a.SetName1("U1");
    a.SetName2("U2");
    Counter c;
    b.OnChange = c.fn();
    b.Assign(a);
    EXPECT_EQ(b.DigitalFrom(), -100);
    EXPECT_EQ(b.DigitalTo(), 100);
    EXPECT_EQ(b.ValueFormat(), "#0.00");
    EXPECT_EQ(b.ValueFrom(), -5.0f);
    EXPECT_EQ(b.ValueTo(), 5.0f);
    EXPECT_EQ(b.ValueUnit(), "V");
    EXPECT_EQ(b.Name1(), "U1");
    EXPECT_EQ(b.Name2(), "U2");
    EXPECT_EQ(c.n, 8);
    EXPECT_DOUBLE_EQ(b.ValueRange(), 10.0);
    EXPECT_DOUBLE_EQ(b.DigitsPerValue(), 20.0);
}

TEST(ChSettings, DigitAndValueFollowEachOther)
{
    TChSettings ch;
    ch.SetDigitalFrom(100);
    ch.SetDigitalTo(1100);
    ch.SetValueFrom(-50.0f);
    ch.SetValueTo(50.0f); // range 100 over 1000 digits
    int events = 0;
    ch.OnValueChange = [&](QObject *) { ++events; };

    ch.SetDigit(600);
    EXPECT_FLOAT_EQ(ch.Value(), 0.0f);
    EXPECT_EQ(ch.DigitOffset(), 500);
    ch.SetValue(25.0f);
    EXPECT_EQ(ch.Digit(), 850);
    EXPECT_EQ(ch.DigitOffset(), 750);
    EXPECT_EQ(events, 2);
    ch.SetValue(25.0f);
    ch.SetDigit(850);
    EXPECT_EQ(events, 2);

    ch.SetValue(std::nanf(""));
    ch.SetValue(-INFINITY);
    EXPECT_EQ(events, 2);
    EXPECT_FLOAT_EQ(ch.Value(), 25.0f);

    ch.SetValue(1e30f); // saturates instead of wrapping
    EXPECT_EQ(ch.Digit(), INT_MAX);
    ch.SetDigit(INT_MIN);
    EXPECT_EQ(ch.DigitOffset(), INT_MIN);
}

TEST(Bevel, TotalWidthAndNestedNotices)
{
    TGvSBevel b;
    Counter c;
    b.OnChange = c.fn();
    b.SetBevelLine(gv::blBoth);
    EXPECT_EQ(b.TotalWidth(), 9);
    b.SetBevelLine(gv::blOuter);
    EXPECT_EQ(b.TotalWidth(), 8);
    b.SetBevelLine(gv::blInner);
    EXPECT_EQ(b.TotalWidth(), 8);
    b.SetBevelLine(gv::blNone);
    EXPECT_EQ(b.TotalWidth(), 7);
    EXPECT_EQ(c.n, 4);

    b.SetWidth(-1);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(c.n, 4);

    // A change deep inside reaches the bevel's owner.
    b.Offset()->SetLeft(3);
    b.SurfaceGrad()->SetVisible(true);
    EXPECT_EQ(c.n, 6);

    // Absurd stored sizes saturate instead of wrapping.
    b.SetWidth(2000000000);
    b.SetSpacing(2000000000);
    b.SetBevelLine(gv::blBoth);
    EXPECT_EQ(b.TotalWidth(), INT_MAX);

    TGvSBevel copy;
    Counter cc;
    copy.OnChange = cc.fn();
    copy.Assign(b);
    EXPECT_EQ(cc.n, 1);
    EXPECT_EQ(copy.Offset()->Left(), 3);
    EXPECT_TRUE(copy.SurfaceGrad()->Visible());
    EXPECT_EQ(copy.TotalWidth(), INT_MAX);

    // The knob shading is refreshed after any change of a round bevel.
    copy.SetRoundShape(true);
    copy.ShadingStale = false;
    copy.SetColorShadowTo(clRed);
    EXPECT_TRUE(copy.ShadingStale);
}

TEST(Offset, DeflateSaturates)
{
    TGvOffset o;
    o.SetLeft(2);
    o.SetTop(3);
    o.SetRight(4);
    o.SetBottom(5);
    EXPECT_EQ(o.Deflate(QRect(0, 0, 20, 20)), QRect(2, 3, 14, 12));
    struct R { int Left, Top, Right, Bottom; } r{INT_MAX - 1, 0, INT_MIN + 1, 0};
    o.Deflate(r);
    EXPECT_EQ(r.Left, INT_MAX);
    EXPECT_EQ(r.Right, INT_MIN);
}

TEST(Records, RangeRefusals)
{
    TScaleSettings s;
    Counter c;
    s.OnChange = c.fn();
    s.SetSteps(21);
    s.SetSteps(0);
    s.SetSubSteps(0);
    s.SetSubSteps(11);
    EXPECT_EQ(s.Steps(), 5);
    EXPECT_EQ(s.SubSteps(), 2);
    EXPECT_EQ(c.n, 0);
    s.SetSteps(5); // accepted values always notify
    s.SetDrawLine(true);
    EXPECT_EQ(c.n, 2);
    s.SetSteps(20);
    s.SetSubSteps(10);
    EXPECT_EQ(s.Steps(), 20);
    EXPECT_EQ(s.SubSteps(), 10);

    // A change inside the font is a change of the scale.
    const int before = c.n;
    s.Font()->SetSize(20);
    EXPECT_GT(c.n, before);
    EXPECT_EQ(s.Font()->Name(), "Arial");

    TLED led;
    led.SetWidth(3);
    led.SetHeight(81);
    EXPECT_EQ(led.Width(), 13);
    EXPECT_EQ(led.Height(), 13);
    led.SetWidth(4);
    led.SetHeight(80);
    EXPECT_EQ(led.Width(), 4);
    EXPECT_EQ(led.Height(), 80);

    TGvBtnBevel bb;
    bb.SetWidth(-3);
    EXPECT_EQ(bb.Width(), 2);
}

TEST(Sectors, ColourAtAndCopy)
{
    TSectorSettings s;
    EXPECT_EQ(s.SectorColorAt(333), clYellow);
    EXPECT_EQ(s.SectorColorAt(334), clGreen);
    EXPECT_EQ(s.SectorColorAt(1000), clRed);
    EXPECT_FALSE(s.SectorColorAt(1001).has_value());
    EXPECT_FALSE(s.SectorColorAt(-1).has_value());
    s.SetSector2From(300); // overlap: the first sector wins
    EXPECT_EQ(s.SectorColorAt(310), clYellow);

    TSectorSettings t;
    t.SetOffset(7);
    s.SetWidthOffset(9);
    t.Assign(s);
    EXPECT_EQ(t.Sector2From(), 300);
    EXPECT_EQ(t.Offset(), 7);
    EXPECT_EQ(t.WidthOffset(), 0);
}

TEST(MinMax, ExtremesStampTimeWithoutNotice)
{
    const QDateTime fixed(QDate(2024, 3, 5), QTime(14, 7, 9));
    auto saved = TMinMax::Now;
    TMinMax::Now = [&] { return fixed; };
    TMinMax m;
    Counter c;
    m.OnChange = c.fn();
    m.SetMax(12.0f);
    m.SetMin(-3.0f);
    EXPECT_EQ(m.MaxDateTime(), fixed);
    EXPECT_EQ(m.MinDateTime(), fixed);
    EXPECT_EQ(c.n, 0);
    m.SetMinColor(clRed);
    EXPECT_EQ(c.n, 1);
    TMinMax::Now = saved;
}
