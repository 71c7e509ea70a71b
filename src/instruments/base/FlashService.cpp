#include "FlashService.h"

#include <QCoreApplication>
#include <algorithm>
#include <ctime>

uint32_t TMonotonicClock::Milliseconds() const
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
}

TFlashService::TFlashService(std::shared_ptr<TFlashClock> c, bool autoTick_, QObject *parent)
    : QObject(parent), clock(c ? std::move(c) : std::make_shared<TMonotonicClock>()), autoTick(autoTick_)
{
    // Re-armed after each tick: the tick's own duration adds to the sleep, as intended, and
    // a slow tick can never queue up a backlog. Never early, or a due entry would be missed.
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, [this] {
        counter = armedCounter + uint32_t(armedTicks - 1); // the ticks slept through: nothing was due
        Tick();
        if (running && autoTick)
            arm();
    });
}

int TFlashService::TicksToNextDue() const
{
    const uint32_t now = clock->Milliseconds();
    auto ticksFor = [](int32_t ms) { return ms <= TickMs ? 1 : (ms + TickMs - 1) / TickMs; };
    int best = ticksFor(int32_t(nextSecond - now));
    for (const Entry &e : entries) {
        if (e.control.isNull())
            continue;
        int ticks;
        if (e.interval >= 2 && e.interval <= 6) {
            // The first counter value whose bit differs from the phase last sent.
            const uint32_t next = counter + 1;
            const bool flips = ((next >> e.interval) & 1u) != uint32_t(e.lastPhase);
            ticks = flips ? 1 : int((next | ((1u << e.interval) - 1)) + 1 - counter);
        } else if (e.interval == OncePerSecond) {
            continue; // the second is counted above
        } else {
            ticks = ticksFor(int32_t(e.due - now));
        }
        best = std::min(best, ticks);
    }
    return best;
}

void TFlashService::arm()
{
    armedCounter = counter;
    armedTicks = TicksToNextDue();
    armedAt = clock->Milliseconds();
    timer.start(armedTicks * TickMs);
}

TFlashService::~TFlashService() { timer.stop(); }

void TFlashService::Register(QObject *control, qint64 interval)
{
    if (!control)
        return;
    const uint32_t now = clock->Milliseconds();
    bool found = false;
    for (Entry &e : entries) {
        if (e.control == control) {
            e.interval = interval;
            e.due = uint32_t(now + uint64_t(interval));
            found = true;
        }
    }
    if (!found)
        entries.append(Entry{control, interval, uint32_t(now + uint64_t(interval)), false});
    if (!entries.isEmpty() && !running) {
        start();
    } else if (running && autoTick && !inTick) {
        // The sleeping timer may be due later than the new entry: then count the ticks slept
        // so far and sleep again only as long as every entry allows. A flood of registrations
        // that change nothing leaves the timer alone.
        const uint32_t passed = (now - armedAt) / uint32_t(TickMs);
        const uint32_t kept = counter;
        counter = armedCounter + passed;
        if (int64_t(passed) + TicksToNextDue() < armedTicks)
            arm();
        else
            counter = kept;
    }
}

void TFlashService::Unregister(QObject *control)
{
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries[i].control == control) {
            entries.removeAt(i);
            break;
        }
    }
    if (!inTick)
        stopWhenIdle();
}

bool TFlashService::IsRegistered(const QObject *control) const
{
    for (const Entry &e : entries)
        if (e.control == control)
            return true;
    return false;
}

void TFlashService::start()
{
    running = true;
    nextSecond = clock->Milliseconds() + 1000u;
    if (autoTick)
        arm();
}

void TFlashService::purgeDead()
{
    entries.removeIf([](const Entry &e) { return e.control.isNull(); });
}

void TFlashService::stopWhenIdle()
{
    purgeDead();
    if (entries.isEmpty() && running) {
        running = false;
        timer.stop();
    }
}

void TFlashService::Tick()
{
    ++counter; // wraps from 4294967295 to 0
    const uint32_t t = clock->Milliseconds();
    bool secondPassed = false;
    if (int32_t(t - nextSecond) >= 0) {
        nextSecond += 1000u;
        secondPassed = true;
    }

    inTick = true;
    // Walk by index: handlers may add or remove entries. Stop once the index passes the
    // current count, and never serve more entries than there were when the tick began.
    const qsizetype startCount = entries.size();
    for (qsizetype i = 0; i < startCount && i < entries.size(); ++i) {
        if (QCoreApplication::closingDown())
            break;
        Entry &e = entries[i];
        QObject *target = e.control.data();
        if (!target)
            continue;
        int param;
        if (e.interval >= 2 && e.interval <= 6) {
            const bool phase = (counter >> e.interval) & 1u;
            if (phase == e.lastPhase)
                continue;
            e.lastPhase = phase;
            param = phase ? 1 : 0;
        } else if (e.interval == OncePerSecond) {
            if (!secondPassed)
                continue;
            param = 0;
        } else {
            const int32_t d = int32_t(t - e.due);
            if (d < 0)
                continue;
            const int32_t correction = d <= 1000 ? d : 0;
            e.due = uint32_t(t + uint64_t(e.interval) - uint32_t(correction));
            param = correction;
        }
        // e may be invalid from here on: the handler can change the list.
        TFlashEvent ev(counter, param);
        try {
            QCoreApplication::sendEvent(target, &ev);
        } catch (...) {
            // One failing receiver must not stop the others.
        }
    }
    inTick = false;
    stopWhenIdle();
}

// ---- the program's service ----

namespace {
QPointer<TFlashService> defaultService;
TFlashService *overrideService = nullptr;
} // namespace

TFlashService &FlashService()
{
    if (overrideService)
        return *overrideService;
    if (!defaultService)
        defaultService = new TFlashService({}, true, QCoreApplication::instance());
    return *defaultService;
}

TFlashService *SetFlashService(TFlashService *service)
{
    TFlashService *previous = overrideService ? overrideService : defaultService.data();
    overrideService = service;
    return previous;
}

void FlashUnregister(QObject *control)
{
    if (overrideService)
        overrideService->Unregister(control);
    else if (defaultService)
        defaultService->Unregister(control);
}
