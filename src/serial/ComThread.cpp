#include "ComThread.h"
#include "ComPort.h"
#include "SerialDevice.h"

#include <QMetaObject>
#include <array>
#include <pthread.h>
#include <utility>

using namespace tg::platform;

namespace {
constexpr std::array<std::pair<Com::TComEvent, uint32_t>, 10> kEventBits = {{
    {Com::evRxChar, evtRxChar},
    {Com::evRxFlag, evtRxFlag},
    {Com::evTxEmpty, evtTxEmpty},
    {Com::evCTS, evtCts},
    {Com::evDSR, evtDsr},
    {Com::evRLSD, evtRlsd},
    {Com::evBreak, evtBreak},
    {Com::evError, evtErr},
    {Com::evRing, evtRing},
    {Com::evRx80Full, evtRx80Full},
}};
} // namespace

Com::TComEvents TComThread::EventsFromMask(uint32_t mask)
{
    Com::TComEvents events;
    for (const auto &[event, bit] : kEventBits)
        if (mask & bit)
            events |= event;
    return events;
}

uint32_t TComThread::MaskFromEvents(Com::TComEvents events)
{
    uint32_t mask = 0;
    for (const auto &[event, bit] : kEventBits)
        if (events & event)
            mask |= bit;
    return mask;
}

TComThread::TComThread(TCustomComPort *port, uint32_t eventMask, uint64_t generation)
    : m_port(port), m_mask(eventMask), m_generation(generation)
{
    m_port->m_handover.reset();
    m_thread = std::thread([this] { Execute(); });
}

TComThread::~TComThread()
{
    Stop();
    if (m_thread.joinable())
        m_thread.join();
}

void TComThread::Stop()
{
    m_port->m_device.stop();
}

void TComThread::Execute()
{
    pthread_setname_np(pthread_self(), "serial-events"); // as tools that list threads show it
    SerialDevice &device = m_port->m_device;
    int error = 0;
    for (;;) {
        uint32_t occurred = 0;
        const auto result = device.waitEvent(m_mask, occurred, error);
        if (result != SerialDevice::WaitResult::Events)
            break;
        m_lastEvents = EventsFromMask(occurred);
        m_port->DeliverEvents(m_lastEvents);
    }
    if (error == 0)
        device.purge(); // clear both queues on a normal stop; a lost device has none
    // Tell the GUI thread the thread is over; a lost device is closed there.
    TCustomComPort *port = m_port;
    const uint64_t generation = m_generation;
    QMetaObject::invokeMethod(port, [port, generation, error] { port->ThreadEnded(generation, error); },
                              Qt::QueuedConnection);
    port->m_handover.markFinished();
}
