#pragma once
// The event thread of an open port: it waits on the device and hands each set of events over
// as the port's delivery method says. It ends when stopped or when the device is lost.
#include "ComTypes.h"
#include <thread>

class TCustomComPort;

class TComThread {
public:
    TComThread(TCustomComPort *port, uint32_t eventMask, uint64_t generation);
    ~TComThread();
    TComThread(const TComThread &) = delete;
    TComThread &operator=(const TComThread &) = delete;

    // Signals the stop event; the destructor then waits for the thread to end.
    void Stop();
    bool IsCurrentThread() const { return std::this_thread::get_id() == m_thread.get_id(); }
    Com::TComEvents LastEvents() const { return m_lastEvents; }

    static Com::TComEvents EventsFromMask(uint32_t mask);
    static uint32_t MaskFromEvents(Com::TComEvents events);

private:
    void Execute();

    TCustomComPort *m_port;
    uint32_t m_mask;
    uint64_t m_generation;
    Com::TComEvents m_lastEvents;
    std::thread m_thread;
};
