#pragma once
// A private flash service on a clock the test steps by hand, installed for the life of a test.
#include "FlashService.h"

#include <memory>

class SteppedClock : public TFlashClock {
public:
    uint32_t Milliseconds() const override { return ms; }
    uint32_t ms = 5000;
};

struct ManualFlash {
    std::shared_ptr<SteppedClock> clock = std::make_shared<SteppedClock>();
    TFlashService service{clock, false};
    ManualFlash() { SetFlashService(&service); }
    ~ManualFlash() { SetFlashService(nullptr); }
    ManualFlash(const ManualFlash &) = delete;
    ManualFlash &operator=(const ManualFlash &) = delete;
    // n ticks of the service, each one tick period later.
    void tick(int n)
    {
        for (int i = 0; i < n; ++i) {
            clock->ms += TFlashService::TickMs;
            service.Tick();
        }
    }
    // Ticks until at least ms milliseconds have passed.
    void advance(int ms) { tick((ms + TFlashService::TickMs - 1) / TFlashService::TickMs); }
};
