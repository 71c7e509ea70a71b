#pragma once
// A serial port: opens the device, applies the line settings, runs an event thread that waits
// for the device and hands each set of events to the GUI thread, reads received data and
// passes it to the owner's events and to the attached links.
#include "ComLink.h"
#include "ComSettings.h"
#include "ComTypes.h"
#include "SerialDevice.h"
#include "ThreadHandover.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class IniFileStorage;
class TComThread;

class TCustomComPort : public QObject {
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(TCustomComPort *sender)>;
    using RxCharEvent = std::function<void(TCustomComPort *sender, int count)>;
    using RxBufEvent = std::function<void(TCustomComPort *sender, const char *buffer, int count)>;
    using SignalEvent = std::function<void(TCustomComPort *sender, bool onOff)>;
    using ErrorEvent = std::function<void(TCustomComPort *sender, Com::TComErrors errors)>;
    using ExceptionEvent = std::function<void(TCustomComPort *sender, Com::TComExceptions exception,
                                              const QString &comportMessage, int64_t winError,
                                              const QString &winMessage)>;

    explicit TCustomComPort(QObject *owner = nullptr);
    ~TCustomComPort() override;

    void Open();
    void Close();

    bool Connected() const { return m_connected; }
    void SetConnected(bool value);
    Com::TBaudRate BaudRate() const { return m_baudRate; }
    void SetBaudRate(Com::TBaudRate value) { SetLine(m_baudRate, value); }
    int32_t CustomBaudRate() const { return m_customBaudRate; }
    void SetCustomBaudRate(int32_t value) { SetLine(m_customBaudRate, value); }
    QString Port() const { return m_port; }
    void SetPort(const QString &value);
    TComParity *Parity() const { return m_parity; }
    void SetParity(const TComParity *value) { m_parity->Assign(*value); }
    Com::TStopBits StopBits() const { return m_stopBits; }
    void SetStopBits(Com::TStopBits value) { SetLine(m_stopBits, value); }
    Com::TDataBits DataBits() const { return m_dataBits; }
    void SetDataBits(Com::TDataBits value) { SetLine(m_dataBits, value); }
    bool DiscardNull() const { return m_discardNull; }
    void SetDiscardNull(bool value) { SetLine(m_discardNull, value); }
    char EventChar() const { return m_eventChar; }
    void SetEventChar(char value) { SetLine(m_eventChar, value); }
    Com::TComEvents Events() const { return m_events; }
    void SetEvents(Com::TComEvents value) { m_events = value; }
    TComBuffer *Buffer() const { return m_buffer; }
    void SetBuffer(const TComBuffer *value) { m_buffer->Assign(*value); }
    TComFlowControl *FlowControl() const { return m_flowControl; }
    void SetFlowControl(const TComFlowControl *value) { m_flowControl->Assign(*value); }
    TComTimeouts *Timeouts() const { return m_timeouts; }
    void SetTimeouts(const TComTimeouts *value) { m_timeouts->Assign(*value); }
    Com::TStoredProps StoredProps() const { return m_storedProps; }
    void SetStoredProps(Com::TStoredProps value) { m_storedProps = value; }
    bool TriggersOnRxChar() const;
    void SetTriggersOnRxChar(bool value);
    Com::TSyncMethod SyncMethod() const { return m_syncMethod; }
    void SetSyncMethod(Com::TSyncMethod value);

    int32_t WriteText(const QByteArray &text);
    int32_t Read(char *buffer, int32_t count);
    int32_t PendingInput();
    // Received bytes dropped at a full input queue, since the port was made.
    uint64_t DroppedInput() const { return m_device.droppedInput(); }
    // When the first byte of the data being delivered arrived from the device (steady clock,
    // nanoseconds), for the links that keep or time what they receive.
    int64_t ReceiveTime() const { return m_device.lastReadTime(); }
    // Why the device was lost, for an OnError handler told of it (ceIO).
    int LostError() const { return m_lostError; }
    uint32_t LineSignals();

    void AttachLink(TComLink *link);
    void DetachLink(TComLink *link);

    // The groups named by StoredProps, in the INI section named after the port.
    void StoreIniFile(IniFileStorage &ini);
    void LoadIniFile(IniFileStorage &ini);

    // While the owner is being loaded, Connected is only stored; Loaded() then opens a port
    // that was stored connected.
    void BeginLoading() { m_loading = true; }
    void Loaded();

    // The device settings as they are handed to the device (plain data, for inspection).
    tg::platform::DeviceControlBlock DeviceControlBlock() const;
    tg::platform::CommTimeouts CommTimeouts() const;
    uint32_t EventMask() const;

    // Re-apply one settings group (the settings groups call these).
    void ApplyBuffer();
    void ApplyLineSettings();
    void ApplyTimeouts();

    NotifyEvent OnAfterOpen, OnAfterClose, OnBeforeOpen, OnBeforeClose;
    RxCharEvent OnRxChar;
    RxBufEvent OnRxBuf;
    NotifyEvent OnTxEmpty, OnBreak, OnRing, OnRxFlag, OnRx80Full;
    SignalEvent OnCTSChange, OnDSRChange, OnRLSDChange;
    ErrorEvent OnError;
    ExceptionEvent OnException;

private:
    friend class TComThread;

    [[noreturn]] void Fail(Com::TComExceptions e, int winCode = 0);
    template <typename T>
    void SetLine(T &field, T value)
    {
        if (field == value)
            return;
        field = value;
        ApplyLineSettings();
    }
    bool Applying() const;
    void ApplySettings();
    void ApplyBufferNow();
    void ApplyLineNow();
    void ApplyTimeoutsNow();
    int32_t ReadNow(char *buffer, int32_t count, bool forEvent);
    bool HasRxLink() const;
    template <typename Slot, typename... Args>
    void CallLinks(Slot TComLink::*slot, Args... args);
    void ReportLinks(Com::TComLedSignal kind, bool onOff);
    void StopThread();
    void QueueClose();
    void RunQueuedClose();
    // The state the port is in once a close deferred by a running handler has been done.
    bool WillBeOpen() const { return m_closeQueued ? m_reopenQueued : m_connected; }

    // GUI-thread side of the event thread.
    void DeliverEvents(Com::TComEvents events);
    void HandleEvents(Com::TComEvents events);
    void HandleEvent(Com::TComEvent event, Com::TComEvents &events);
    void HandleRxChar();
    void HandleModemLine(Com::TComEvent event);
    void ThreadEnded(uint64_t generation, int error);

    tg::platform::SerialDevice m_device;
    ThreadHandover m_handover;
    std::unique_ptr<TComThread> m_thread;
    std::vector<TComLink *> m_links;

    bool m_connected = false;
    bool m_storedConnected = false;
    bool m_loading = false;
    bool m_closing = false;
    bool m_closeQueued = false;
    bool m_reopenQueued = false;
    int m_dispatchDepth = 0;
    uint64_t m_generation = 0;
    int m_lostError = 0;

    Com::TBaudRate m_baudRate = Com::br9600;
    int32_t m_customBaudRate = 9600;
    QString m_port = QStringLiteral("COM1");
    TComParity *m_parity;
    Com::TStopBits m_stopBits = Com::sbOneStopBit;
    Com::TDataBits m_dataBits = Com::dbEight;
    bool m_discardNull = false;
    char m_eventChar = 0;
    Com::TComEvents m_events = Com::allComEvents;
    TComBuffer *m_buffer;
    TComFlowControl *m_flowControl;
    TComTimeouts *m_timeouts;
    Com::TStoredProps m_storedProps = Com::spBasic;
    bool m_triggersOnRxChar = true;
    Com::TSyncMethod m_syncMethod = Com::smThreadSync;
};

// The published face of the port.
class TComPort : public TCustomComPort {
    Q_OBJECT
    Q_PROPERTY(bool Connected READ Connected WRITE SetConnected)
    Q_PROPERTY(Com::TBaudRate BaudRate READ BaudRate WRITE SetBaudRate)
    Q_PROPERTY(QString Port READ Port WRITE SetPort)
    Q_PROPERTY(TComParity *Parity READ Parity)
    Q_PROPERTY(Com::TStopBits StopBits READ StopBits WRITE SetStopBits)
    Q_PROPERTY(Com::TDataBits DataBits READ DataBits WRITE SetDataBits)
    Q_PROPERTY(bool DiscardNull READ DiscardNull WRITE SetDiscardNull)
    Q_PROPERTY(char EventChar READ EventChar WRITE SetEventChar)
    Q_PROPERTY(Com::TComEvents Events READ Events WRITE SetEvents)
    Q_PROPERTY(TComBuffer *Buffer READ Buffer)
    Q_PROPERTY(TComFlowControl *FlowControl READ FlowControl)
    Q_PROPERTY(TComTimeouts *Timeouts READ Timeouts)
    Q_PROPERTY(Com::TStoredProps StoredProps READ StoredProps WRITE SetStoredProps)
    Q_PROPERTY(bool TriggersOnRxChar READ TriggersOnRxChar WRITE SetTriggersOnRxChar)
    Q_PROPERTY(Com::TSyncMethod SyncMethod READ SyncMethod WRITE SetSyncMethod)
public:
    using TCustomComPort::TCustomComPort;
};
