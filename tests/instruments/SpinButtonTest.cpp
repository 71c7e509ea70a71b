#include "FlashService.h"
#include "SpinButton.h"

#include "QtPrint.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>
#include <memory>

namespace {
struct Clock : TFlashClock {
    uint32_t now = 0;
    uint32_t Milliseconds() const override { return now; }
};

void mouse(QWidget *w, QEvent::Type t, QPoint p)
{
    QMouseEvent e(t, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton,
                  t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
} // namespace

TEST(SpinButton, AutoRepeatStartsAfterTheDelayAndEndsOnRelease)
{
    auto clock = std::make_shared<Clock>();
    TFlashService svc(clock, false);
    TFlashService *prev = SetFlashService(&svc);
    {
        TGvSpinButton spin;
        spin.resize(15, 24);
        spin.show();
        EXPECT_EQ(spin.UpButton()->geometry(), QRect(0, 0, 15, 12));
        EXPECT_EQ(spin.DownButton()->geometry(), QRect(0, 12, 15, 12));
        int ups = 0, downs = 0;
        spin.OnUpClick = [&](QObject *s) { EXPECT_EQ(s, &spin); ++ups; };
        spin.OnDownClick = [&](QObject *) { ++downs; };
        spin.SetInterval(20); // too short: ignored
        EXPECT_EQ(spin.Interval(), 100);
        spin.SetStartDelay(500);

        mouse(spin.UpButton(), QEvent::MouseButtonPress, {5, 5});
        EXPECT_TRUE(svc.IsRegistered(spin.UpButton()));
        for (int i = 0; i < 7; ++i) { // 100 ... 700 ms
            clock->now += 100;
            svc.Tick();
        }
        EXPECT_EQ(ups, 3); // at 500, 600, 700
        mouse(spin.UpButton(), QEvent::MouseButtonRelease, {5, 5});
        EXPECT_FALSE(svc.IsRegistered(spin.UpButton()));
        EXPECT_EQ(ups, 4); // the release is a click of its own
        clock->now += 100;
        svc.Tick();
        EXPECT_EQ(ups, 4);

        // Without the timer a press repeats nothing.
        spin.DownButton()->SetTimerEnabled(false);
        mouse(spin.DownButton(), QEvent::MouseButtonPress, {5, 5});
        EXPECT_FALSE(svc.IsRegistered(spin.DownButton()));
        mouse(spin.DownButton(), QEvent::MouseButtonRelease, {5, 5});
        EXPECT_EQ(downs, 1);

        QKeyEvent k(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(&spin, &k);
        EXPECT_EQ(downs, 2);

        // Narrower than 15 is not allowed; the up button takes height div 2.
        spin.resize(5, 31);
        EXPECT_EQ(spin.width(), 15);
        EXPECT_EQ(spin.UpButton()->height(), 15);
        EXPECT_EQ(spin.DownButton()->height(), 16);

        // A button destroyed while held leaves the flash list.
        mouse(spin.UpButton(), QEvent::MouseButtonPress, {5, 5});
        EXPECT_EQ(svc.Count(), 1);
    }
    EXPECT_EQ(svc.Count(), 0);
    SetFlashService(prev);
}

namespace {
TEST(SpinButton, ShowsTheBuiltInGlyphsUntilTheUserGivesOne)
{
    TGvSpinButton spin;
    for (TGvTimerSpeedBtn *b : {spin.UpButton(), spin.DownButton()}) {
        EXPECT_EQ(b->arrowType(), Qt::NoArrow);
        EXPECT_EQ(b->iconSize(), QSize(9, 5)) << "the first of the two states";
    }
    const QImage up = spin.UpButton()->icon().pixmap(9, 5).toImage();
    const QImage down = spin.DownButton()->icon().pixmap(9, 5).toImage();
    EXPECT_NE(up, down);

    QPixmap mine(12, 6);
    mine.fill(Qt::red);
    spin.SetUpGlyph(mine);
    EXPECT_EQ(spin.UpButton()->iconSize(), QSize(12, 6)) << "one state by default";
    EXPECT_EQ(spin.UpButton()->icon().pixmap(12, 6).toImage().pixelColor(3, 3), QColor(Qt::red));
}
} // namespace
