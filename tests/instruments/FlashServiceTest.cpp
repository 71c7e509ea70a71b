#include "BaseControls.h"
#include "FlashService.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include "QtPrint.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

struct SteppedClock : TFlashClock {
    uint32_t now = 0;
    uint32_t Milliseconds() const override { return now; }
};

struct Msg {
    uint32_t counter;
    int param;
    uint32_t at;
};

class Receiver : public QObject {
public:
    explicit Receiver(const SteppedClock *c = nullptr) : clock(c) {}
    std::vector<Msg> got;
    std::function<void()> onMessage;
    bool event(QEvent *e) override
    {
        if (e->type() != TFlashEvent::Type)
            return QObject::event(e);
        auto *f = static_cast<TFlashEvent *>(e);
        got.push_back({f->Counter, f->Param, clock ? clock->now : 0});
        if (onMessage)
            onMessage();
        return true;
    }
    const SteppedClock *clock;
};

struct Fixture {
    std::shared_ptr<SteppedClock> clock = std::make_shared<SteppedClock>();
    TFlashService svc{clock, false};
    void tick(int n = 1, uint32_t step = TFlashService::TickMs)
    {
        for (int i = 0; i < n; ++i) {
            clock->now += step;
            svc.Tick();
        }
    }
};

} // namespace

TEST(FlashService, EachRateTogglesOnItsBitOfTheCounter)
{
    Fixture f;
    Receiver r[5];
    for (int k = 2; k <= 6; ++k)
        f.svc.Register(&r[k - 2], k);
    f.tick(256);
    for (int k = 2; k <= 6; ++k) {
        const auto &got = r[k - 2].got;
        const uint32_t half = 1u << k;
        ASSERT_EQ(got.size(), 256u / half) << "interval " << k;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].counter, half * uint32_t(i + 1)) << "interval " << k;
            EXPECT_EQ(got[i].param, i % 2 == 0 ? 1 : 0) << "interval " << k;
        }
    }
    EXPECT_EQ(TFlashService::FlashInterval(gv::ff8Hz), 2);
    EXPECT_EQ(TFlashService::FlashInterval(gv::ff05Hz), 6);
}

TEST(FlashService, SameRateBlinksInStepAndReRegisteringReplaces)
{
    Fixture f;
    Receiver a, b;
    f.svc.Register(&a, 5);
    f.tick(40);
    f.svc.Register(&b, 5);
    f.tick(100);
    // b catches up with the current phase at once, then changes phase on a's ticks.
    ASSERT_GE(b.got.size(), 2u);
    for (size_t i = 1; i < b.got.size(); ++i) {
        bool found = false;
        for (const Msg &m : a.got)
            if (m.counter == b.got[i].counter && m.param == b.got[i].param)
                found = true;
        EXPECT_TRUE(found) << "b changed phase alone at tick " << b.got[i].counter;
    }

    f.svc.Register(&a, 3); // a changes its rate, no second entry
    EXPECT_EQ(f.svc.Count(), 2);
    // Interval 3 is the 4 Hz rate, not a 3 ms period.
    f.tick(1); // may catch up with the new rate's phase at once
    a.got.clear();
    f.tick(64);
    EXPECT_EQ(a.got.size(), 8u);
}

TEST(FlashService, OncePerSecond)
{
    Fixture f;
    Receiver r;
    f.svc.Register(&r, TFlashService::OncePerSecond);
    f.tick(200); // 3200 ms
    ASSERT_EQ(r.got.size(), 3u);
    for (const Msg &m : r.got)
        EXPECT_EQ(m.param, 0);
}

TEST(FlashService, PeriodsMakeUpLatenessButNeverBurst)
{
    Fixture f;
    Receiver r(f.clock.get());
    f.svc.Register(&r, 100);
    f.tick(25); // 16 ... 400 ms
    ASSERT_GE(r.got.size(), 4u);
    // Due at 100, 200, 300, 400: fired at the first tick at or after each, lateness reported.
    EXPECT_EQ(r.got[0].at, 112u);
    EXPECT_EQ(r.got[0].param, 12);
    EXPECT_EQ(r.got[1].at, 208u);
    EXPECT_EQ(r.got[1].param, 8);
    EXPECT_EQ(r.got[2].at, 304u);
    EXPECT_EQ(r.got[3].at, 400u);
    EXPECT_EQ(r.got[3].param, 0);

    // A step 30 ms late fires next at t + 70.
    f.svc.Register(&r, 100); // due now + 100
    r.got.clear();
    f.tick(1, 130);
    ASSERT_EQ(r.got.size(), 1u);
    EXPECT_EQ(r.got[0].param, 30);
    f.tick(1, 69);
    EXPECT_EQ(r.got.size(), 1u);
    f.tick(1, 1);
    EXPECT_EQ(r.got.size(), 2u);

    // A stall of seconds fires once, with no correction, and restarts the period.
    r.got.clear();
    f.tick(1, 5000);
    ASSERT_EQ(r.got.size(), 1u);
    EXPECT_EQ(r.got[0].param, 0);
    f.tick(6);
    EXPECT_EQ(r.got.size(), 1u);
    f.tick(1);
    EXPECT_EQ(r.got.size(), 2u);
}

TEST(FlashService, PeriodAcrossTheMillisecondWrap)
{
    Fixture f;
    f.clock->now = 0xFFFFFFFFu - 40;
    Receiver r(f.clock.get());
    f.svc.Register(&r, 100); // due 59 after the wrap
    f.tick(1);
    f.tick(1);
    f.tick(1);
    EXPECT_TRUE(r.got.empty()); // not fired early by the wrap
    f.tick(4);
    ASSERT_EQ(r.got.size(), 1u);
    EXPECT_LT(r.got[0].at, 200u);
    EXPECT_EQ(r.got[0].param, int(r.got[0].at - 59));

    // The tick counter wraps as well; phases follow its bits.
    f.svc.SetCounter(0xFFFFFFFFu);
    f.tick(1);
    EXPECT_EQ(f.svc.Counter(), 0u);
}

TEST(FlashService, HandlersMayRegisterAndUnregisterInsideATick)
{
    Fixture f;
    Receiver a, b, c, late;
    // a leaves on its first message, b adds `late` and removes c.
    a.onMessage = [&] { f.svc.Unregister(&a); };
    b.onMessage = [&] {
        f.svc.Register(&late, 0);
        f.svc.Unregister(&c);
    };
    f.svc.Register(&a, 0);
    f.svc.Register(&b, 0);
    f.svc.Register(&c, 0);
    f.tick(3);
    EXPECT_EQ(a.got.size(), 1u);
    EXPECT_FALSE(f.svc.IsRegistered(&a));
    EXPECT_FALSE(b.got.empty());
    EXPECT_FALSE(f.svc.IsRegistered(&c));
    EXPECT_TRUE(f.svc.IsRegistered(&late));
    EXPECT_FALSE(late.got.empty());
    EXPECT_EQ(f.svc.Count(), 2);
}

TEST(FlashService, DestroyedReceiversAreSkippedAndControlsUnregister)
{
    auto clock = std::make_shared<SteppedClock>();
    TFlashService svc(clock, false);
    TFlashService *previous = SetFlashService(&svc);
    {
        // A control destroyed inside another's handler.
        auto *led = new TGvBinGControl;
        led->SetFlashing(true);
        led->SetChecked(true);
        EXPECT_TRUE(svc.IsRegistered(led));
        Receiver killer;
        killer.onMessage = [&] { delete led; led = nullptr; };
        svc.Register(&killer, 0);
        svc.Register(led, 0); // after the killer in the list
        clock->now += 16;
        svc.Tick();
        EXPECT_EQ(led, nullptr);
        EXPECT_EQ(svc.Count(), 1);

        // A plain object destroyed without unregistering is skipped and dropped.
        auto *plain = new Receiver;
        svc.Register(plain, 0);
        delete plain;
        clock->now += 16;
        svc.Tick();
        EXPECT_EQ(svc.Count(), 1);
        svc.Unregister(&killer);
    }
    EXPECT_EQ(svc.Count(), 0);
    SetFlashService(previous);
}

TEST(FlashService, TicksOnlyWhileSomethingIsRegistered)
{
    TFlashService svc; // real clock and timer
    EXPECT_FALSE(svc.Running());
    Receiver r;
    svc.Register(&r, 20);
    EXPECT_TRUE(svc.Running());
    QElapsedTimer t;
    t.start();
    while (r.got.empty() && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(r.got.empty());
    svc.Unregister(&r);
    EXPECT_FALSE(svc.Running());
    const uint32_t counter = svc.Counter();
    QElapsedTimer t2;
    t2.start();
    while (t2.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(svc.Counter(), counter);
}

TEST(FlashService, SleepsThroughTicksAtWhichNothingIsDue)
{
    auto clock = std::make_shared<SteppedClock>();
    TFlashService svc{clock, true};
    Receiver slow, blink;
    svc.Register(&slow, 500);
    EXPECT_EQ(svc.SleepMs(), 32 * TFlashService::TickMs) << "a half-second period needs no tick before it";
    svc.Register(&blink, 2);
    EXPECT_EQ(svc.SleepMs(), 4 * TFlashService::TickMs) << "the fastest blink decides";
    // The ticks slept through still count: the blink changes phase at every fourth tick.
    QElapsedTimer t;
    t.start();
    while (blink.got.size() < 4 && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(blink.got.size(), 4u);
    for (size_t i = 0; i < blink.got.size(); ++i) {
        EXPECT_EQ(blink.got[i].counter, 4 * (i + 1));
        EXPECT_EQ(blink.got[i].param, i % 2 == 0 ? 1 : 0);
    }
    EXPECT_TRUE(slow.got.empty()) << "its time has not come on the stepped clock";
}

TEST(FlashService, RegisteringAgainAndAgainDoesNotHoldTheTicksBack)
{
    auto clock = std::make_shared<SteppedClock>();
    TFlashService svc{clock, true};
    Receiver blink, other;
    svc.Register(&blink, 2);
    // A control that registers at every value, as an alarm under a fast device does.
    QElapsedTimer t;
    t.start();
    while (blink.got.size() < 3 && t.elapsed() < 5000) {
        svc.Register(&other, 3);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    ASSERT_EQ(blink.got.size(), 3u);
    for (size_t i = 0; i < blink.got.size(); ++i)
        EXPECT_EQ(blink.got[i].counter, 4 * (i + 1));
}
