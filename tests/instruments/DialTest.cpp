// Dial: pointer angle for a value, turning by dragging round the knob (also across the gap at
// the bottom), wheel and keys with their completed-change events, the read-out text on both
// decimal separators, and what a value change repaints.
#include "FormatSettings.h"
#include "GvDial.h"
#include "InstrumentProbes.h"
#include "Scale.h"

#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

using namespace probes;

namespace {
// The panel's dial: 0.000001 .. 100 over digits 0 .. 1000, with event counters.
struct PanelDial {
    QWidget parent;
    TGvDial *d = new TGvDial(&parent);
    int changes = 0, changed = 0;
    // Large enough that a mouse step of a pixel or two is a small angle.
    explicit PanelDial(QSize size = QSize(200, 280))
    {
        parent.resize(300, 300);
        d->setGeometry(QRect(QPoint(10, 10), size));
        TSignalSettings *s = d->SignalSettings();
        s->SetValueFrom(0.000001f);
        s->SetValueTo(100.0f);
        s->SetDigitalFrom(0);
        s->SetDigitalTo(1000);
        s->SetValueFormat(QStringLiteral("##0.0"));
        d->OnValueChange = [this](QObject *) { ++changes; };
        d->OnValueChanged = [this](QObject *) { ++changed; };
        d->loaded();
        parent.show();
    }
    // A point on a circle round the knob's centre at compass angle a (0 down, clockwise).
    QPoint at(double a) const
    {
        const QRect k = d->KnobRect();
        const QPoint c = k.topLeft() + d->KnobCenter();
        const double r = k.width() / 2.0 - 3, rad = a * M_PI / 180.0;
        return c + QPoint(int(std::lround(-r * std::sin(rad))), int(std::lround(r * std::cos(rad))));
    }
    // Presses at angle a0 and moves in 5-degree steps to a1.
    void drag(double a0, double a1, bool release = true)
    {
        QTest::mousePress(d, Qt::LeftButton, {}, at(a0));
        const double step = a1 > a0 ? 5 : -5;
        for (double a = a0 + step; step > 0 ? a <= a1 : a >= a1; a += step)
            QTest::mouseMove(d, at(a));
        if (release)
            QTest::mouseRelease(d, Qt::LeftButton, {}, at(a1));
    }
    void key(int k, QEvent::Type type, bool autoRepeat = false)
    {
        QKeyEvent e(type, k, Qt::NoModifier, QString(), autoRepeat);
        QCoreApplication::sendEvent(d, &e);
    }
    void wheel(int delta)
    {
        QWheelEvent e(QPointF(50, 90), QPointF(50, 90), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(d, &e);
    }
};
} // namespace

TEST(Dial, PointerAngleFollowsTheValue)
{
    PanelDial t;
    ASSERT_TRUE(t.d->KnobValid());
    t.d->SetValue(50.0f);
    EXPECT_NEAR(t.d->PointerAngle(), 135.0f, 0.01f);
    // Half way the dimple stands straight above the centre.
    const auto g = t.d->Pointer();
    EXPECT_NEAR(g.dimple.x(), t.d->KnobCenter().x(), 1);
    EXPECT_LT(g.dimple.y(), t.d->KnobCenter().y());
    t.d->SetValue(0.000001f);
    EXPECT_NEAR(t.d->PointerAngle(), 0.0f, 0.01f);
    EXPECT_LT(t.d->Pointer().dimple.x(), t.d->KnobCenter().x()); // lower left
    EXPECT_GT(t.d->Pointer().dimple.y(), t.d->KnobCenter().y());
    t.d->SetValue(100.0f);
    EXPECT_NEAR(t.d->PointerAngle(), 270.0f, 0.01f);
    EXPECT_GT(t.d->Pointer().dimple.x(), t.d->KnobCenter().x()); // lower right

    // A triangle of size 10: tip on the rim, 10 wide at its base.
    t.d->SetPointerType(TGvDial::dpTriangle);
    t.d->SetPointerSize(10);
    t.d->SetValue(50.0f);
    const auto turned = t.d->Pointer();
    const auto &tri = turned.triangle;
    // Two turns (to the start of the scale, then by the value) may round a pixel each way.
    EXPECT_NEAR(tri[0].x(), t.d->KnobCenter().x(), 1);
    EXPECT_NEAR(tri[0].y(), 0, 1);
    EXPECT_NEAR(tri[1].y(), 10, 1);
    EXPECT_NEAR(tri[1].x() - tri[2].x(), 10, 1);
}

TEST(Dial, DragTurnsTheValueByTheAngleSwept)
{
    PanelDial t;
    t.d->SetValue(0.000001f);
    t.changes = t.changed = 0;
    // Press at the left, circle over the top to the right: half a turn, two thirds of the range.
    t.drag(90, 270, false);
    EXPECT_NEAR(t.d->Digit(), 667, 12);
    EXPECT_GT(t.changes, 20); // one per step
    EXPECT_EQ(t.changed, 0);
    // On past the lower right it stops at the end.
    for (double a = 275; a <= 420; a += 5)
        QTest::mouseMove(t.d, t.at(std::fmod(a, 360.0)));
    EXPECT_EQ(t.d->Digit(), 1000);
    QTest::mouseRelease(t.d, Qt::LeftButton, {}, t.at(60));
    EXPECT_EQ(t.changed, 1);

    // Across the gap at the bottom (from lower right to lower left) the turn stays small.
    t.d->SetValue(50.0f);
    t.drag(300, 330, false);
    for (double a = 335; a <= 420; a += 5)
        QTest::mouseMove(t.d, t.at(std::fmod(a, 360.0)));
    QTest::mouseRelease(t.d, Qt::LeftButton, {}, t.at(60));
    EXPECT_NEAR(t.d->Digit(), 500 + 120 * 1000 / 270, 12);

    // A press without moving changes nothing and reports nothing.
    t.changes = t.changed = 0;
    QTest::mouseClick(t.d, Qt::LeftButton, {}, t.at(200));
    EXPECT_EQ(t.changes, 0);
    EXPECT_EQ(t.changed, 0);
}

TEST(Dial, KeysAndWheelReportEachCompletedChangeOnce)
{
    PanelDial t;
    t.d->SetDigit(500);
    t.changes = t.changed = 0;
    t.key(Qt::Key_PageUp, QEvent::KeyPress);
    EXPECT_EQ(t.d->Digit(), 510);
    EXPECT_EQ(t.changes, 1);
    EXPECT_EQ(t.changed, 0);
    t.key(Qt::Key_PageUp, QEvent::KeyRelease);
    EXPECT_EQ(t.changed, 1);

    // Holding Up: Qt sends a release before every repeat; only the real release counts.
    t.changes = t.changed = 0;
    t.key(Qt::Key_Up, QEvent::KeyPress);
    for (int i = 0; i < 3; ++i) {
        t.key(Qt::Key_Up, QEvent::KeyRelease, true);
        t.key(Qt::Key_Up, QEvent::KeyPress, true);
    }
    EXPECT_EQ(t.changed, 0);
    t.key(Qt::Key_Up, QEvent::KeyRelease);
    EXPECT_EQ(t.d->Digit(), 514);
    EXPECT_EQ(t.changes, 4);
    EXPECT_EQ(t.changed, 1);

    // Each wheel notch is a whole change: reported at once.
    t.changes = t.changed = 0;
    t.wheel(120);
    t.wheel(120);
    t.wheel(-120);
    EXPECT_EQ(t.d->Digit(), 515);
    EXPECT_EQ(t.changes, 3);
    EXPECT_EQ(t.changed, 3);
    EXPECT_FALSE(t.d->ValueChangedPending());
    t.wheel(60); // not a whole notch
    EXPECT_EQ(t.changed, 3);
    // At the end of the range a notch changes nothing and sends nothing.
    t.d->SetDigit(1000);
    t.changes = t.changed = 0;
    t.wheel(120);
    EXPECT_EQ(t.changes, 0);
    EXPECT_EQ(t.changed, 0);
}

TEST(Dial, ValueTextUsesTheLocaleSeparator)
{
    PanelDial t;
    {
        TScopedFormatSettings dot(TFormatSettings::dot());
        t.d->SetValue(42.5f);
        EXPECT_EQ(t.d->ValueText(), "42.5");
    }
    {
        TScopedFormatSettings comma(TFormatSettings::comma());
        t.d->SetValue(12.5f);
        EXPECT_EQ(t.d->ValueText(), "12,5");
    }
}

TEST(Dial, ValueChangeRepaintsOnlyKnobAndReadout)
{
    PanelDial t;
    QCoreApplication::processEvents();
    t.d->TakeDirtyRegion();
    t.d->SetValue(80.0f);
    const QRegion dirty = t.d->TakeDirtyRegion();
    EXPECT_EQ(dirty, QRegion(t.d->KnobRect()) + QRegion(t.d->ValueRect()));

    // The read-out box holds the range's widest value, not only the format's sample.
    t.d->SignalSettings()->SetValueTo(12345.0f);
    QImage none;
    tg::TCanvas c(none);
    tg::SelectFont(c, *t.d->FontValue());
    EXPECT_GE(t.d->ValueRect().width(), c.TextWidth(QStringLiteral("12345.0")));

    // The pointer shows in lime with the focus, in green without, grey when disabled.
    t.d->SetValue(50.0f);
    t.d->setFocus();
    EXPECT_GT(countIn(render(*t.d), t.d->KnobRect(), qRgb(0, 255, 0)), 4);
    t.d->clearFocus();
    EXPECT_GT(countIn(render(*t.d), t.d->KnobRect(), qRgb(0, 128, 0)), 4);
    t.d->setEnabled(false);
    const QImage off = render(*t.d);
    EXPECT_EQ(countIn(off, t.d->KnobRect(), qRgb(0, 128, 0)), 0);
}

TEST(Dial, LayoutWithoutScaleAndTooSmallKnob)
{
    PanelDial t;
    const int withScale = t.d->KnobRect().width();
    t.d->SetOptions(TGvDial::AllOptions & ~TGvDial::TDialOptions(TGvDial::opScale));
    EXPECT_GT(t.d->KnobRect().width(), withScale);
    EXPECT_NEAR(t.d->KnobRect().center().x(), t.d->width() / 2, 1);
    EXPECT_TRUE(t.d->IsOptionsStored());

    // A knob under 11 pixels shows no pointer, and value changes stay harmless.
    t.d->resize(30, 40);
    t.d->SetOptions(TGvDial::AllOptions);
    EXPECT_FALSE(t.d->KnobValid());
    t.d->TakeDirtyRegion();
    t.d->SetValue(70.0f);
    EXPECT_TRUE(t.d->TakeDirtyRegion().isEmpty());
    EXPECT_EQ(t.changes, 1);
}
