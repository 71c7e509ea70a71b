#include "ComPort.h"
#include "ApplicationException.h"
#include "ComThread.h"
#include "EComPort.h"

#include <QMetaObject>
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

using namespace Com;
using namespace tg::platform;

namespace {

// Ends an operation after an OnException handler has taken its failure.
struct OperationAborted {};

constexpr std::array<uint32_t, 16> kBaudRates = {0,     110,   300,   600,    1200,   2400,
                                                  4800,  9600,  14400, 19200,  38400,  56000,
                                                  57600, 115200, 128000, 256000};

// The most one event hands on: about as much as the window handles in a few milliseconds, so
// a long queue is taken in turns with painting and input instead of in one long freeze.
constexpr int32_t kReadBlock = 64 * 1024;

// The order in which one set of events is handled.
constexpr std::array<TComEvent, 10> kHandlingOrder = {evError, evRxChar, evTxEmpty, evBreak, evRing,
                                                      evCTS,   evDSR,    evRxFlag,  evRLSD,  evRx80Full};

template <typename F, typename R>
R guarded(F &&f, R aborted)
{
    try {
        return f();
    } catch (const OperationAborted &) {
        return aborted;
    }
}

} // namespace

TCustomComPort::TCustomComPort(QObject *owner)
    : QObject(owner),
      m_handover(this),
      m_parity(new TComParity(this)),
      m_buffer(new TComBuffer(this)),
      m_flowControl(new TComFlowControl(this)),
      m_timeouts(new TComTimeouts(this))
{
}

TCustomComPort::~TCustomComPort()
{
    m_closeQueued = m_reopenQueued = false; // a deferred close cannot wait any longer
    try {
        Close();
    } catch (...) {
        // a destructor never throws; the port is closed all the same
    }
}

[[noreturn]] void TCustomComPort::Fail(TComExceptions e, int winCode)
{
    if (OnException) {
        const int64_t winError = e == CEPortNotOpen ? -24 : std::max(winCode, 0);
        const QString winMessage = winCode > 0 ? QString::fromLocal8Bit(std::strerror(winCode)) : QString();
        OnException(this, e, EComPort::CodeText(ErrorCode(e)), winError, winMessage);
        throw OperationAborted{};
    }
    throw EComPort(e, winCode);
}

bool TCustomComPort::Applying() const
{
    return m_connected && !m_loading;
}

// ---- Open and close --------------------------------------------------------------------

void TCustomComPort::Open()
{
    if (m_closeQueued) {
        m_reopenQueued = true; // after the close that waits for the running handler
        return;
    }
    if (m_connected)
        return;
    guarded([this] {
        if (OnBeforeOpen)
            OnBeforeOpen(this);
        if (int err = m_device.open(m_port))
            Fail(CE_OpenFailed, err);
        m_connected = true;
        try {
            ApplySettings();
            if (m_events) {
                if (int err = m_device.prepareWait())
                    Fail(CE_OpenFailed, err);
                m_thread = std::make_unique<TComThread>(this, EventMask(), ++m_generation);
            }
        } catch (...) {
            m_device.close();
            m_connected = false;
            throw;
        }
        ReportLinks(lsConn, true);
        if (OnAfterOpen)
            OnAfterOpen(this);
        TComEvents none;
        for (TComEvent line : {evCTS, evDSR, evRLSD})
            HandleEvent(line, none);
        return 0;
    }, 0);
}

void TCustomComPort::Close()
{
    if (m_closeQueued) {
        m_reopenQueued = false;
        return;
    }
    if (!m_connected || m_closing)
        return;
    // A handler cannot wait for the thread that is waiting for it: close once it returned.
    if (m_dispatchDepth > 0 || (m_thread && m_thread->IsCurrentThread())) {
        m_closeQueued = true;
        QueueClose();
        return;
    }
    m_closing = true;
    std::exception_ptr handlerError;
    auto step = [&](auto &&fn) {
        try {
            fn();
        } catch (const OperationAborted &) {
        } catch (...) {
            if (!handlerError)
                handlerError = std::current_exception();
        }
    };
    step([this] {
        for (TComLedSignal line : {lsCTS, lsDSR, lsRLSD})
            ReportLinks(line, false);
        for (const SignalEvent *event : {&OnCTSChange, &OnDSRChange, &OnRLSDChange})
            if (*event)
                (*event)(this, false);
    });
    step([this] {
        if (OnBeforeClose)
            OnBeforeClose(this);
    });
    // Every step runs even when one fails, so the port never stays half open.
    const int purgeError = m_device.purge();
    StopThread();
    const int closeError = m_device.close();
    m_connected = false;
    step([this] {
        ReportLinks(lsConn, false);
        if (OnAfterClose)
            OnAfterClose(this);
    });
    m_closing = false;
    if (handlerError)
        std::rethrow_exception(handlerError);
    if (purgeError || closeError)
        guarded([&]() -> int { Fail(CE_PurgeFailed, purgeError ? purgeError : closeError); }, 0);
}

void TCustomComPort::StopThread()
{
    if (!m_thread)
        return;
    m_thread->Stop();
    m_handover.serveUntilFinished();
    m_thread.reset();
    m_device.finishWait();
}

void TCustomComPort::QueueClose()
{
    QMetaObject::invokeMethod(this, [this] { RunQueuedClose(); }, Qt::QueuedConnection);
}

void TCustomComPort::RunQueuedClose()
{
    if (!m_closeQueued)
        return;
    const bool reopen = m_reopenQueued;
    m_closeQueued = m_reopenQueued = false;
    // Close, then open again if a handler asked for that after its close: the same steps as
    // outside a handler.
    try {
        Close();
    } catch (...) {
        tg::handleApplicationException(std::current_exception());
    }
    if (!reopen)
        return;
    try {
        Open();
    } catch (...) {
        tg::handleApplicationException(std::current_exception());
    }
}

void TCustomComPort::ThreadEnded(uint64_t generation, int error)
{
    if (generation != m_generation || !m_connected || error == 0)
        return;
    m_lostError = error;
    // The device is gone: close the normal way first, so that whoever sees the report (and
    // the lamps) already sees the port closed; then say so once.
    try {
        Close();
    } catch (const EComPort &e) {
        if (e.Code() != ErrorCode(CE_PurgeFailed)) // a vanished device cannot be purged
            tg::handleApplicationException(std::current_exception());
    } catch (...) {
        tg::handleApplicationException(std::current_exception());
    }
    try {
        if (OnError)
            OnError(this, ceIO);
        else
            throw EComPort(CE_WaitFailed, error);
    } catch (...) {
        tg::handleApplicationException(std::current_exception());
    }
}

// ---- Properties ------------------------------------------------------------------------

void TCustomComPort::SetConnected(bool value)
{
    if (m_loading) {
        m_storedConnected = value;
        return;
    }
    if (value != WillBeOpen()) {
        if (value)
            Open();
        else
            Close();
    }
}

void TCustomComPort::Loaded()
{
    m_loading = false;
    if (!m_storedConnected)
        return;
    try {
        Open();
    } catch (...) {
        tg::handleApplicationException(std::current_exception());
    }
}

void TCustomComPort::SetPort(const QString &value)
{
    if (m_port == value)
        return;
    m_port = value;
    if (WillBeOpen() && !m_loading) {
        Close();
        Open();
    }
}

bool TCustomComPort::HasRxLink() const
{
    return std::any_of(m_links.begin(), m_links.end(), [](const TComLink *l) { return bool(l->LinkRxBuf); });
}

bool TCustomComPort::TriggersOnRxChar() const
{
    return m_triggersOnRxChar && !HasRxLink();
}

void TCustomComPort::SetTriggersOnRxChar(bool value)
{
    guarded([&] {
        if (HasRxLink())
            Fail(CE_HasLink);
        m_triggersOnRxChar = value;
        return 0;
    }, 0);
}

void TCustomComPort::SetSyncMethod(TSyncMethod value)
{
    guarded([&] {
        if (m_connected)
            Fail(CE_ConnChangeProp);
        m_syncMethod = value;
        return 0;
    }, 0);
}

// ---- Applying settings ------------------------------------------------------------------

DeviceControlBlock TCustomComPort::DeviceControlBlock() const
{
    tg::platform::DeviceControlBlock dcb;
    dcb.BaudRate = m_baudRate == brCustom ? uint32_t(m_customBaudRate) : kBaudRates[size_t(m_baudRate)];
    uint32_t flags = dcbBinary;
    const TComParity &parity = *m_parity;
    const TComFlowControl &flow = *m_flowControl;
    if (parity.Check())
        flags |= dcbParity;
    if (flow.OutCTSFlow())
        flags |= dcbOutxCtsFlow;
    if (flow.OutDSRFlow())
        flags |= dcbOutxDsrFlow;
    flags |= uint32_t(flow.ControlDTR()) << 4;
    if (flow.DSRSensitivity())
        flags |= dcbDsrSensitivity;
    if (flow.TxContinueOnXoff())
        flags |= dcbTxContinueOnXoff;
    if (flow.XonXoffOut())
        flags |= dcbOutX;
    if (flow.XonXoffIn())
        flags |= dcbInX;
    const bool replace = parity.Check() && parity.Replace();
    if (replace)
        flags |= dcbErrorChar;
    if (m_discardNull)
        flags |= dcbNull;
    flags |= uint32_t(flow.ControlRTS()) << 12;
    dcb.Flags = flags;
    dcb.XonLim = dcb.XoffLim = uint16_t(m_buffer->InputSize() / 4);
    dcb.ByteSize = uint8_t(5 + int(m_dataBits));
    dcb.Parity = uint8_t(parity.Bits());
    dcb.StopBits = uint8_t(m_stopBits);
    dcb.XonChar = flow.XonChar();
    dcb.XoffChar = flow.XoffChar();
    dcb.ErrorChar = replace ? parity.ReplaceChar() : 0;
    dcb.EofChar = 0;
    dcb.EvtChar = m_eventChar;
    return dcb;
}

CommTimeouts TCustomComPort::CommTimeouts() const
{
    const TComTimeouts &t = *m_timeouts;
    return {uint32_t(t.ReadInterval()), uint32_t(t.ReadTotalMultiplier()), uint32_t(t.ReadTotalConstant()),
            uint32_t(t.WriteTotalMultiplier()), uint32_t(t.WriteTotalConstant())};
}

uint32_t TCustomComPort::EventMask() const
{
    return TComThread::MaskFromEvents(m_events);
}

void TCustomComPort::ApplyBufferNow()
{
    if (int err = m_device.setQueueSizes(m_buffer->InputSize(), m_buffer->OutputSize()))
        Fail(CE_SetupComFailed, err);
}

void TCustomComPort::ApplyLineNow()
{
    if (int err = m_device.applyLine(DeviceControlBlock()))
        Fail(CE_SetStateFailed, err);
}

void TCustomComPort::ApplyTimeoutsNow()
{
    if (int err = m_device.setTimeouts(CommTimeouts()))
        Fail(CE_TimeoutsFailed, err);
}

void TCustomComPort::ApplySettings()
{
    ApplyBufferNow();
    ApplyLineNow();
    ApplyTimeoutsNow();
}

void TCustomComPort::ApplyBuffer()
{
    if (Applying())
        guarded([this] { ApplyBufferNow(); return 0; }, 0);
}

void TCustomComPort::ApplyLineSettings()
{
    if (Applying())
        guarded([this] { ApplyLineNow(); return 0; }, 0);
}

void TCustomComPort::ApplyTimeouts()
{
    if (Applying())
        guarded([this] { ApplyTimeoutsNow(); return 0; }, 0);
}

// ---- Reading and writing ----------------------------------------------------------------

int32_t TCustomComPort::WriteText(const QByteArray &text)
{
    if (text.isEmpty())
        return 0;
    return guarded([&] {
        if (!m_connected)
            Fail(CEPortNotOpen);
        ReportLinks(lsTx, true);
        int err = 0;
        const ptrdiff_t written = m_device.write(text.constData(), size_t(text.size()), err);
        // Nothing went out, so no queue-empty event will come to switch the Tx signal off.
        if (written <= 0)
            ReportLinks(lsTx, false);
        if (written < 0)
            Fail(CE_WriteFailed, err);
        const int count = int(written);
        CallLinks(&TComLink::LinkTxBuf, text.constData(), count);
        return int32_t(count);
    }, int32_t(0));
}

int32_t TCustomComPort::ReadNow(char *buffer, int32_t count, bool forEvent)
{
    if (!m_connected)
        Fail(CEPortNotOpen);
    if (count <= 0)
        return 0;
    int err = 0;
    // A read for a device event takes what is queued; the event thread reports a lost device.
    const ptrdiff_t got = m_device.read(buffer, size_t(count), err, !forEvent);
    if (got < 0) {
        if (forEvent && SerialDevice::isDeviceGone(err))
            return 0;
        Fail(CE_ReadFailed, err);
    }
    int32_t left = 0;
    if (m_device.pendingInput(left) == 0 && left == 0)
        ReportLinks(lsRx, false);
    return int32_t(got);
}

int32_t TCustomComPort::Read(char *buffer, int32_t count)
{
    return guarded([&] { return ReadNow(buffer, count, false); }, int32_t(0));
}

int32_t TCustomComPort::PendingInput()
{
    return guarded([this] {
        int32_t count = 0;
        if (int err = m_device.pendingInput(count))
            Fail(CE_ClearComFailed, err);
        return count;
    }, int32_t(0));
}

uint32_t TCustomComPort::LineSignals()
{
    return guarded([this] {
        uint32_t lines = 0;
        if (int err = m_device.modemStatus(lines))
            Fail(CE_ModemStatFailed, err);
        return uint32_t(((lines & msCts) ? 1 : 0) | ((lines & msDsr) ? 2 : 0) | ((lines & msRing) ? 4 : 0) |
                        ((lines & msRlsd) ? 8 : 0));
    }, uint32_t(0));
}

// ---- Links ------------------------------------------------------------------------------

void TCustomComPort::AttachLink(TComLink *link)
{
    guarded([&] {
        if (!link || std::find(m_links.begin(), m_links.end(), link) != m_links.end())
            Fail(CE_RegFailed);
        m_links.push_back(link);
        return 0;
    }, 0);
}

void TCustomComPort::DetachLink(TComLink *link)
{
    guarded([&] {
        const auto it = std::find(m_links.begin(), m_links.end(), link);
        if (it == m_links.end())
            Fail(CE_RegFailed);
        m_links.erase(it);
        return 0;
    }, 0);
}

template <typename Slot, typename... Args>
void TCustomComPort::CallLinks(Slot TComLink::*slot, Args... args)
{
    // By index: a handler may detach links while we walk the list.
    for (size_t i = 0; i < m_links.size(); ++i)
        if (const Slot &fn = m_links[i]->*slot)
            fn(this, args...);
}

void TCustomComPort::ReportLinks(TComLedSignal kind, bool onOff)
{
    switch (kind) {
    case lsConn: CallLinks(&TComLink::LinkConn, onOff); break;
    case lsCTS: CallLinks(&TComLink::LinkCTS, onOff); break;
    case lsDSR: CallLinks(&TComLink::LinkDSR, onOff); break;
    case lsRLSD: CallLinks(&TComLink::LinkRLSD, onOff); break;
    case lsRx: CallLinks(&TComLink::LinkRx, onOff); break;
    case lsTx: CallLinks(&TComLink::LinkTx, onOff); break;
    case lsRing: CallLinks(&TComLink::LinkRing); break;
    }
}

// ---- Event delivery ---------------------------------------------------------------------

void TCustomComPort::DeliverEvents(TComEvents events)
{
    switch (m_syncMethod) {
    case smThreadSync:
        m_handover.call([this, events] { HandleEvents(events); });
        break;
    case smWindowSync:
        // One hand-over per event; the thread goes on as soon as the GUI thread took it up.
        for (TComEvent event : kHandlingOrder)
            if (events & event)
                m_handover.call([this, event] { HandleEvents(event); }, true);
        break;
    case smNone:
        HandleEvents(events);
        break;
    }
}

void TCustomComPort::HandleEvents(TComEvents events)
{
    if (!m_connected)
        return;
    const bool onGuiThread = m_syncMethod != smNone;
    if (onGuiThread)
        ++m_dispatchDepth;
    try {
        for (TComEvent event : kHandlingOrder)
            if (events & event)
                HandleEvent(event, events);
    } catch (const OperationAborted &) {
    } catch (...) {
        // A failing handler must not end event delivery; report it on the GUI thread.
        const std::exception_ptr error = std::current_exception();
        if (onGuiThread)
            tg::handleApplicationException(error);
        else
            QMetaObject::invokeMethod(this, [error] { tg::handleApplicationException(error); },
                                      Qt::QueuedConnection);
    }
    if (onGuiThread)
        --m_dispatchDepth;
}

void TCustomComPort::HandleEvent(TComEvent event, TComEvents &events)
{
    switch (event) {
    case evError: {
        uint32_t raw = 0;
        if (int err = m_device.clearErrors(raw))
            Fail(CE_ClearComFailed, err);
        TComErrors errors;
        if (raw & errFrame) errors |= ceFrame;
        if ((raw & errRxParity) && m_parity->Check()) errors |= ceRxParity;
        if (raw & errOverrun) errors |= ceOverrun;
        if (raw & errBreak) errors |= ceBreak;
        if (raw & errRxOver) errors |= ceRxOver;
        if (errors && OnError)
            OnError(this, errors);
        break;
    }
    case evRxChar:
        HandleRxChar();
        // The event character is seen when the data are read.
        if (m_device.takeRxFlag() && (m_events & evRxFlag))
            events |= evRxFlag;
        break;
    case evTxEmpty:
        ReportLinks(lsTx, false);
        CallLinks(&TComLink::LinkTxEmpty);
        if (OnTxEmpty)
            OnTxEmpty(this);
        break;
    case evBreak:
        if (OnBreak)
            OnBreak(this);
        break;
    case evRing:
        CallLinks(&TComLink::LinkRing);
        if (OnRing)
            OnRing(this);
        break;
    case evCTS:
    case evDSR:
    case evRLSD:
        HandleModemLine(event);
        break;
    case evRxFlag:
        CallLinks(&TComLink::LinkRxFlag);
        if (OnRxFlag)
            OnRxFlag(this);
        break;
    case evRx80Full:
        if (OnRx80Full)
            OnRx80Full(this);
        break;
    }
}

void TCustomComPort::HandleModemLine(TComEvent event)
{
    uint32_t lines = 0;
    if (int err = m_device.modemStatus(lines))
        Fail(CE_ModemStatFailed, err);
    if (event == evCTS) {
        ReportLinks(lsCTS, lines & msCts);
        if (OnCTSChange)
            OnCTSChange(this, lines & msCts);
    } else if (event == evDSR) {
        ReportLinks(lsDSR, lines & msDsr);
        if (OnDSRChange)
            OnDSRChange(this, lines & msDsr);
    } else {
        ReportLinks(lsRLSD, lines & msRlsd);
        if (OnRLSDChange)
            OnRLSDChange(this, lines & msRlsd);
    }
}

void TCustomComPort::HandleRxChar()
{
    int32_t count = 0;
    if (int err = m_device.pendingInput(count)) {
        if (SerialDevice::isDeviceGone(err))
            return; // the event thread reports the loss once
        Fail(CE_ClearComFailed, err);
    }
    if (count <= 0)
        return;
    ReportLinks(lsRx, true);
    if (!TriggersOnRxChar() && (HasRxLink() || !m_triggersOnRxChar)) {
        // The queued bytes in one piece, up to a block; what is left comes with the next event.
        // One copy is shared by every link and freed also when a handler throws.
        const int32_t size = std::min(count, kReadBlock);
        const std::unique_ptr<char[]> data(new char[size_t(size)]);
        const int32_t got = ReadNow(data.get(), size, true);
        if (got > 0) {
            if (OnRxBuf)
                OnRxBuf(this, data.get(), got);
            CallLinks(&TComLink::LinkRxBuf, static_cast<const char *>(data.get()), int(got));
        }
        return;
    }
    if (OnRxChar)
        OnRxChar(this, count);
}
