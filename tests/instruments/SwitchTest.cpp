// Toggle switch: which half a click must hit, the knob's side and colours, turning it on its
// side, and that a hidden switch paints nothing.
#include "GvSwitch.h"
#include "InstrumentProbes.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace probes;

namespace {
struct Toggle {
    QWidget parent;
    TGvToggleSwitch *s = new TGvToggleSwitch(&parent);
    int statusEvents = 0;
    Toggle()
    {
        parent.resize(100, 100);
        s->move(10, 10);
        s->OnStatusChanged = [this](QObject *) { ++statusEvents; };
        s->loaded();
        parent.show();
    }
    QRgb at(QPoint p) { return render(*s).pixel(p); }
};
const QRgb Lime = qRgb(0, 255, 0);
const QRgb Red = qRgb(255, 0, 0);
} // namespace

TEST(ToggleSwitch, OnlyAClickOnTheUncoveredHalfFlipsIt)
{
    Toggle t;
    EXPECT_EQ(t.s->size(), QSize(25, 57));
    EXPECT_EQ(t.s->Mode(), gv::mSwitch);
    t.s->SetChecked(true); // knob up
    QTest::mouseClick(t.s, Qt::LeftButton, {}, QPoint(12, 10));
    EXPECT_TRUE(t.s->Checked());
    QTest::mouseClick(t.s, Qt::LeftButton, {}, QPoint(12, 45));
    EXPECT_FALSE(t.s->Checked());
    // Now the knob is down: the lower half does nothing, the upper half switches on.
    QTest::mouseClick(t.s, Qt::LeftButton, {}, QPoint(12, 45));
    EXPECT_FALSE(t.s->Checked());
    QTest::mouseClick(t.s, Qt::LeftButton, {}, QPoint(12, 10));
    EXPECT_TRUE(t.s->Checked());
    // Other buttons never switch it.
    QTest::mouseClick(t.s, Qt::RightButton, {}, QPoint(12, 45));
    EXPECT_TRUE(t.s->Checked());

    // With the graphic swapped the knob covers the other half, and so does the click rule.
    t.s->SetSwapGraphic(true);
    QTest::mouseClick(t.s, Qt::LeftButton, {}, QPoint(12, 45));
    EXPECT_TRUE(t.s->Checked());
    QTest::mouseClick(t.s, Qt::LeftButton, {}, QPoint(12, 10));
    EXPECT_FALSE(t.s->Checked());
}

TEST(ToggleSwitch, KnobCoversOneHalfOfTheColouredTrack)
{
    Toggle t;
    const QRect tr = t.s->TrackRect();
    ASSERT_FALSE(tr.isEmpty());
    const QPoint upper = tr.topLeft() + QPoint(tr.width() / 2, tr.height() / 4);
    const QPoint lower = tr.topLeft() + QPoint(tr.width() / 2, 3 * tr.height() / 4);
    // Off: knob down, red track above; the caption "0" sits on the red half.
    EXPECT_EQ(t.at(upper + QPoint(tr.width() / 2 - 2, 0)), Red);
    EXPECT_NE(t.at(lower + QPoint(tr.width() / 2 - 2, 0)), Red);
    t.s->SetChecked(true);
    EXPECT_EQ(t.at(lower + QPoint(tr.width() / 2 - 2, 0)), Lime);
    EXPECT_NE(t.at(upper + QPoint(tr.width() / 2 - 2, 0)), Lime);
    EXPECT_EQ(countIn(render(*t.s), t.s->rect(), Red), 0);
}

TEST(ToggleSwitch, TurnedOnItsSideKeepsPositionAndSwapsSides)
{
    Toggle t;
    t.s->SetOrientation(TGvToggleSwitch::boHorizontal);
    EXPECT_EQ(t.s->geometry(), QRect(10, 10, 57, 25));
    EXPECT_FALSE(t.s->Vertical());
    // Off: knob right, so the left half switches it on.
    QTest::mouseClick(t.s, Qt::LeftButton, {}, QPoint(45, 12));
    EXPECT_FALSE(t.s->Checked());
    QTest::mouseClick(t.s, Qt::LeftButton, {}, QPoint(10, 12));
    EXPECT_TRUE(t.s->Checked());
    t.s->SetOrientation(TGvToggleSwitch::boVertical);
    EXPECT_EQ(t.s->geometry(), QRect(10, 10, 25, 57));
}

TEST(ToggleSwitch, HiddenSwitchPaintsNothing)
{
    Toggle t;
    QCoreApplication::processEvents();
    t.s->TakeDirtyRegion();
    t.s->SetChecked(true);
    EXPECT_EQ(t.s->TakeDirtyRegion(), QRegion(t.s->TrackRect())); // the track alone
    t.s->hide();
    t.s->SetChecked(false);
    EXPECT_TRUE(t.s->TakeDirtyRegion().isEmpty());
    EXPECT_EQ(t.statusEvents, 2);
    t.s->SetBtnBevelWidth(-1); // ignored
    EXPECT_EQ(t.s->BtnBevelWidth(), 2);
}
