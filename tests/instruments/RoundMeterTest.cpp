// Round meter: pointer direction for a value, the sector ring, automatic size, the alarm flash
// and layouts that leave no room.
#include "GvRMeter.h"
#include "InstrumentProbes.h"

#include <QCoreApplication>
#include <cmath>
#include <gtest/gtest.h>

using namespace probes;

namespace {
const QRgb Lime = qRgb(0, 255, 0);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Yellow = qRgb(255, 255, 0);
const QRgb Blue = qRgb(0, 0, 255);

struct Round {
    QWidget parent;
    TGv270Meter *m = new TGv270Meter(&parent);
    explicit Round(bool load = true)
    {
        if (load)
            m->loaded();
    }
    // A point at fraction f of the pointer's length in the direction a (clockwise from up).
    QPoint along(double a, double f) const
    {
        const QRect pr = m->PointerRect().toQRect();
        const int b = pr.width() / 2;
        const double rad = a * M_PI / 180.0;
        return pr.topLeft() + QPoint(b + int(std::lround(f * b * std::sin(rad))), b - int(std::lround(f * b * std::cos(rad))));
    }
};
} // namespace

TEST(RoundMeter, PointerFollowsTheValueAcrossTheSweep)
{
    Round t;
    // Without the alarms, which recolour the pointer at the ends and beyond the limits.
    t.m->SetOptions(t.m->Options() & ~(TGvRMeter::opLimit | TGvRMeter::opOverflow));
    ASSERT_FALSE(t.m->TooSmall());
    EXPECT_EQ(t.m->size(), QSize(t.m->NeededWidth(), t.m->NeededHeight()));
    // Both ends, the middle (straight up) and beyond the range, which stops at the end.
    const struct { float value; double angle; } cases[] = {{0, 225}, {50, 360}, {100, 495}, {150, 495}, {-20, 225}};
    for (const auto &c : cases) {
        t.m->SetValue(c.value);
        EXPECT_DOUBLE_EQ(t.m->PointerAngle(), c.angle) << c.value;
        const QImage img = render(*t.m);
        EXPECT_EQ(img.pixel(t.along(c.angle, 0.6)), Lime) << c.value;
        // Nothing of the pointer a quarter turn away.
        EXPECT_NE(img.pixel(t.along(c.angle + 90, 0.6)), Lime) << c.value;
    }
    // Log mode: 10 on 1 ... 1000 is a third of the sweep.
    t.m->SignalSettings()->SetValueFrom(1);
    t.m->SignalSettings()->SetValueTo(1000);
    t.m->SetLogScale(true);
    t.m->SetValue(10);
    EXPECT_NEAR(t.m->PointerAngle(), 225 + 90, 0.5);
    EXPECT_EQ(render(*t.m).pixel(t.along(315, 0.6)), Lime);
}

TEST(RoundMeter, ValueChangeRepaintsOnlyThePointerSquare)
{
    Round t;
    t.m->SetValue(10);
    render(*t.m);
    t.m->TakeDirtyRegion();
    const QImage face = t.m->PointerBackground();
    t.m->SetValue(70);
    EXPECT_EQ(t.m->TakeDirtyRegion(), QRegion(t.m->PointerRect().toQRect()));
    // The face under the pointer does not carry the pointer.
    EXPECT_EQ(t.m->PointerBackground(), face);
}

TEST(RoundMeter, SectorRingPaintsWideSectorsInsideTheTicks)
{
    Round t;
    TSectorSettings &s = *t.m->SectorSettings();
    // As on the panel: sector 1 the whole range, 2 and 3 too narrow to paint.
    s.SetSector1Color(0x00FF0000); // blue
    s.SetSector1From(0);
    s.SetSector1To(1000);
    s.SetSector2From(1000);
    s.SetSector2To(1000);
    s.SetSector3From(1000);
    s.SetSector3To(1000);
    t.m->SetValue(0);
    const TScaleSettings &sc = *t.m->ScaleSettings();
    const QPoint d = sc.ArcStart - sc.Center;
    const int outer = int(std::lround(std::hypot(d.x(), d.y()))) - sc.TickLength;
    const int ringMid = outer - (2 * outer / 10) / 2;
    auto probe = [&](const QImage &img, double a) {
        const double rad = a * M_PI / 180;
        return img.pixel(sc.Center + QPoint(int(std::lround(ringMid * std::sin(rad))), -int(std::lround(ringMid * std::cos(rad)))));
    };
    QImage img = render(*t.m);
    for (double a : {250.0, 300.0, 10.0, 45.0, 90.0, 120.0})
        EXPECT_EQ(probe(img, a), Blue) << a;
    EXPECT_NE(probe(img, 180), Blue); // the gap at the bottom
    // A sector 4 PPT wide is left out; 5 PPT is painted.
    s.SetSector1To(400);
    s.SetSector2Color(0x0000FF00);
    s.SetSector2From(600);
    s.SetSector2To(604);
    img = render(*t.m);
    EXPECT_EQ(probe(img, 225 + 270 * 0.2), Blue);
    EXPECT_EQ(countIn(img, img.rect(), Lime), 0);
    s.SetSector2To(605);
    img = render(*t.m);
    EXPECT_GT(countIn(img, img.rect(), Lime), 0);
    EXPECT_NE(probe(img, 225 + 270 * 0.65), Lime);
    EXPECT_NE(probe(img, 225 + 270 * 0.5), Blue);
    // Without the sector option there is no ring.
    t.m->SetOptions(t.m->Options() & ~TGvRMeter::opSector);
    EXPECT_NE(probe(render(*t.m), 225 + 270 * 0.2), Blue);
}

TEST(RoundMeter, AutoSizeFollowsTheLabelHeight)
{
    Round t;
    const TScaleSettings &sc = *t.m->ScaleSettings();
    const int bevels = 2 * (t.m->BevelOuter()->TotalWidth() + t.m->BevelInner()->TotalWidth());
    t.m->SignalSettings()->SetName1(QString());
    t.m->SignalSettings()->SetName2(QString());
    QCoreApplication::processEvents();
    EXPECT_EQ(t.m->width(), 10 * sc.LabelHeight + bevels);
    // A larger scale font makes a larger meter.
    const int before = t.m->width();
    t.m->ScaleSettings()->Font()->SetSize(16);
    EXPECT_GT(t.m->width(), before);
    EXPECT_EQ(t.m->width(), 10 * sc.LabelHeight + bevels);
    // A caption wider than the scale widens it.
    t.m->SignalSettings()->SetName1(QStringLiteral("A very long caption line for the meter, longer than its scale"));
    EXPECT_GT(t.m->width(), 10 * sc.LabelHeight + bevels);
    // Without AutoSize the meter keeps the size it is given.
    t.m->SetAutoSize(false);
    t.m->resize(300, 280);
    QCoreApplication::processEvents();
    EXPECT_EQ(t.m->size(), QSize(300, 280));
}

TEST(RoundMeter, LimitAlarmFlashesRedAndYellowUntilTheValueReturns)
{
    ManualFlash flash;
    Round t;
    t.m->SetOptions(t.m->Options() | TGvRMeter::opLimit);
    t.m->SetValue(50);
    EXPECT_FALSE(t.m->AlarmActive());
    t.m->SetValue(95); // above LimitUpper 90
    ASSERT_TRUE(t.m->AlarmActive());
    bool seen[2] = {false, false};
    for (int i = 0; i < 8; ++i) {
        flash.tick(4);
        const QRgb c = render(*t.m).pixel(t.along(t.m->PointerAngle(), 0.6));
        seen[0] |= c == Yellow;
        seen[1] |= c == Red;
    }
    EXPECT_TRUE(seen[0] && seen[1]);
    t.m->SetValue(60);
    EXPECT_FALSE(t.m->AlarmActive());
    EXPECT_FALSE(flash.service.IsRegistered(t.m));
    EXPECT_EQ(render(*t.m).pixel(t.along(t.m->PointerAngle(), 0.6)), Lime);
}

TEST(RoundMeter, OddConfigurationsDrawWithoutFault)
{
    // A plain round meter: no sweep, no radius factor.
    {
        QWidget parent;
        auto *m = new TGvRMeter(&parent);
        m->loaded();
        EXPECT_GT(m->height(), 0);
        EXPECT_LT(m->height(), 32767);
        m->SetValue(30);
        EXPECT_DOUBLE_EQ(m->PointerAngle(), 0);
        render(*m);
    }
    // Inverted range: the pointer runs the other way.
    {
        Round t;
        t.m->SignalSettings()->SetValueFrom(100);
        t.m->SignalSettings()->SetValueTo(0);
        t.m->SetOptions(TGvRMeter::opBevelOuter);
        t.m->SetValue(25);
        EXPECT_DOUBLE_EQ(t.m->PointerAngle(), 225 + 0.27 * t.m->PPT());
        EXPECT_EQ(render(*t.m).pixel(t.along(t.m->PointerAngle(), 0.6)), Lime);
    }
    // Too small: only the frame; values change nothing.
    {
        Round t;
        t.m->SetAutoSize(false);
        t.m->resize(20, 20);
        QCoreApplication::processEvents();
        render(*t.m); // a widget that is not shown gets its resize when it is rendered
        EXPECT_EQ(t.m->size(), QSize(20, 20));
        EXPECT_TRUE(t.m->TooSmall());
        t.m->SetValue(80);
        EXPECT_TRUE(t.m->TakeDirtyRegion().isEmpty());
        EXPECT_TRUE(t.m->PointerBackground().isNull());
    }
    // Every pointer shape, a negative ring offset and absurd ring widths.
    {
        Round t;
        t.m->SetOptions(t.m->Options() & ~(TGvRMeter::opLimit | TGvRMeter::opOverflow));
        t.m->SectorSettings()->SetOffset(-5);
        t.m->SectorSettings()->SetWidthOffset(-1000);
        for (int shape = 0; shape <= 9; ++shape) {
            t.m->ArrowSettings()->SetShape(shape);
            t.m->SetValue(float(shape * 10));
            // Shape 2 is only a tip at the rim.
            EXPECT_EQ(render(*t.m).pixel(t.along(t.m->PointerAngle(), shape == 2 ? 0.8 : 0.3)), Lime) << shape;
        }
        t.m->SectorSettings()->SetWidthOffset(1 << 30);
        render(*t.m);
    }
}
