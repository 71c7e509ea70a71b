#pragma once
// The program-wide flash service: a 16 ms tick on the GUI thread drives every blinking and
// every timed repetition of the instruments; ticks at which nothing is due are slept through. A control registers with an interval:
//   2 ... 6  flash at the rate of bit 2 ... 6 of the tick counter (on for 2^k ticks, off for 2^k),
//   32       once a second,
//   other    a period in milliseconds (late firing is made up, long stalls are not).
// Each due control receives a TFlashEvent through sendEvent (synchronously, on the GUI thread).
#include "GvTypes.h"

#include <QEvent>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <memory>

// The millisecond counter the service runs on; wraps at 2^32 like the system counter.
class TFlashClock {
public:
    virtual ~TFlashClock() = default;
    virtual uint32_t Milliseconds() const = 0;
};

// CLOCK_MONOTONIC in milliseconds, truncated to 32 bits.
class TMonotonicClock : public TFlashClock {
public:
    uint32_t Milliseconds() const override;
};

// The flash message: the tick counter and, for flash entries, the new phase (1 on, 0 off); for
// period entries the lateness in ms (0 ... 1000); for the once-a-second tick 0.
class TFlashEvent : public QEvent {
public:
    static constexpr QEvent::Type Type = QEvent::Type(QEvent::User + 100);
    TFlashEvent(uint32_t counter, int param) : QEvent(Type), Counter(counter), Param(param) {}
    uint32_t Counter;
    int Param;
};

class TFlashService : public QObject {
    Q_OBJECT
public:
    static constexpr int TickMs = 16;
    static constexpr qint64 OncePerSecond = 32;
    static constexpr qint64 FlashInterval(gv::TFlashFreq f) { return qint64(f) + 2; }

    // clock: the time source (the monotonic clock when empty). autoTick: drive the ticks by a
    // GUI-thread timer; tests pass false and call Tick() themselves.
    explicit TFlashService(std::shared_ptr<TFlashClock> clock = {}, bool autoTick = true,
                           QObject *parent = nullptr);
    ~TFlashService() override;

    // Gives every entry of the control the interval and the due time now + interval, or
    // appends an entry. Registering again changes the rate or restarts the period.
    void Register(QObject *control, qint64 interval);
    // Removes the first entry of the control, if any.
    void Unregister(QObject *control);
    bool IsRegistered(const QObject *control) const;
    int Count() const { return int(entries.size()); }

    // One tick: counter + 1, then every due entry gets its message. Handlers may register and
    // unregister controls (themselves or others) while this runs.
    void Tick();

    uint32_t Counter() const { return counter; }
    void SetCounter(uint32_t c) { counter = c; } // tests: start near the wrap
    // True while ticks are scheduled (only while something is registered).
    bool Running() const { return running; }
    // Ticks from now until the first one at which some entry is due (at least 1). The timer
    // sleeps through the ticks before it, so a quiet panel is not woken 60 times a second.
    int TicksToNextDue() const;
    // How long the timer sleeps now (0 when it is not armed).
    int SleepMs() const { return timer.isActive() ? timer.interval() : 0; }
    const TFlashClock &Clock() const { return *clock; }

private:
    struct Entry {
        QPointer<QObject> control;
        qint64 interval;
        uint32_t due;
        bool lastPhase;
    };
    void start();
    void arm();
    void stopWhenIdle();
    void purgeDead();

    std::shared_ptr<TFlashClock> clock;
    bool autoTick;
    QTimer timer;
    QList<Entry> entries;
    uint32_t counter = 0;
    uint32_t nextSecond = 0;
    // The ticks the armed timer stands for, the counter and the time when it was armed.
    int armedTicks = 1;
    uint32_t armedCounter = 0;
    uint32_t armedAt = 0;
    bool running = false;
    bool inTick = false;
};

// The program's one service (created on first use, owned by the application object).
TFlashService &FlashService();
// Replaces the program's service (tests); returns the previous one. nullptr restores the default.
TFlashService *SetFlashService(TFlashService *service);

inline void FlashRegister(QObject *control, qint64 interval) { FlashService().Register(control, interval); }
// Does not create the service: controls call it from their destructors, also at shutdown.
void FlashUnregister(QObject *control);
