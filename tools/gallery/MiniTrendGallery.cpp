// Gallery states of the mini trend.
#include "Gallery.h"
#include "GvMiniTrend.h"

#include <cmath>

namespace gallery {

namespace {
// Feeds a sine (channel 1) and a slower triangle (channel 2) for n seconds of the stepped clock.
void record(TGvMiniTrend &t, int seconds, QDateTime &now)
{
    for (int i = 0; i < seconds * 4; ++i) {
        const double s = clock().ms / 1000.0;
        t.SetValueCh1(float(50 + 40 * std::sin(s / 5.0)));
        t.SetValueCh2(float(std::fabs(std::fmod(s, 40.0) - 20.0) * 4 + 10));
        const uint32_t until = clock().ms + 250;
        tickUntil([&] { return clock().ms >= until; });
        now = now.addMSecs(250);
    }
}
} // namespace

void miniTrend()
{
    QDateTime now(QDate(2026, 12, 10), QTime(8, 0, 0));
    const auto savedNow = TGvMiniTrend::Now;
    TGvMiniTrend::Now = [&now] { return now; };
    {
        Holder<TGvMiniTrend> h;
        h.w->setObjectName(QStringLiteral("GvMiniTrend1"));
        h.w->loaded();
        save(*h.w, QStringLiteral("minitrend-defaults"));
        record(*h.w, 90, now);
        save(*h.w, QStringLiteral("minitrend-defaults-sine-90s"));
    }
    {
        Holder<TGvMiniTrend> h;
        SetUpPanelMiniTrend(*h.w);
        h.w->move(0, 0);
        h.w->loaded();
        save(*h.w, QStringLiteral("minitrend-instr90"));
        h.w->SetFlow(true);
        record(*h.w, 100, now);
        save(*h.w, QStringLiteral("minitrend-instr90-sine-100s"));
        h.w->SetFlow(false);
        record(*h.w, 20, now);
        save(*h.w, QStringLiteral("minitrend-instr90-frozen"));
        // Grows back when it is on screen (a hidden control is never laid out).
        h.parent.show();
        h.w->resize(100, 60);
        save(*h.w, QStringLiteral("minitrend-instr90-minimum-size"));
    }
    {
        Holder<TGvMiniTrend> h;
        h.w->setObjectName(QStringLiteral("GvMiniTrend2"));
        h.w->SetTimeScale(2);
        h.w->SetCaption(QStringLiteral("Both channels"));
        h.w->loaded();
        record(*h.w, 100, now);
        save(*h.w, QStringLiteral("minitrend-all-options-2min"));
    }
    TGvMiniTrend::Now = savedNow;
}

} // namespace gallery
