#pragma once
// The thin Linux layer under the serial port: it takes the device control block, the timeouts
// and the event mask exactly as the port builds them and turns them into POSIX calls, on a
// local tty or, for the names "tcp://host:port" and "rfc2217://host:port", on a connection to
// a server that has the device.
#include "InputQueue.h"

#include <QString>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>

namespace tg::platform {

class DeviceLink;

// Device control block: the line settings as the port computes them (plain data).
struct DeviceControlBlock {
    uint32_t DCBlength = 28;
    uint32_t BaudRate = 0;
    uint32_t Flags = 0;
    uint16_t XonLim = 0;
    uint16_t XoffLim = 0;
    uint8_t ByteSize = 8;
    uint8_t Parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t StopBits = 0; // 0 one, 1 one and a half, 2 two
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
};

// Bits of DeviceControlBlock::Flags.
enum DcbFlag : uint32_t {
    dcbBinary = 0x1,
    dcbParity = 0x2,
    dcbOutxCtsFlow = 0x4,
    dcbOutxDsrFlow = 0x8,
    dcbDtrEnable = 0x10,
    dcbDtrHandshake = 0x20,
    dcbDsrSensitivity = 0x40,
    dcbTxContinueOnXoff = 0x80,
    dcbOutX = 0x100,
    dcbInX = 0x200,
    dcbErrorChar = 0x400,
    dcbNull = 0x800,
    dcbRtsEnable = 0x1000,
    dcbRtsHandshake = 0x2000,
    dcbRtsToggle = 0x3000,
    dcbRtsMask = 0x3000,
    dcbDtrMask = 0x30,
};

struct CommTimeouts {
    uint32_t ReadIntervalTimeout = 0xFFFFFFFFu;
    uint32_t ReadTotalTimeoutMultiplier = 0;
    uint32_t ReadTotalTimeoutConstant = 0;
    uint32_t WriteTotalTimeoutMultiplier = 100;
    uint32_t WriteTotalTimeoutConstant = 1000;
};

// Device event bits, as in the port's event mask table.
enum CommEvent : uint32_t {
    evtRxChar = 0x0001,
    evtRxFlag = 0x0002,
    evtTxEmpty = 0x0004,
    evtCts = 0x0008,
    evtDsr = 0x0010,
    evtRlsd = 0x0020,
    evtBreak = 0x0040,
    evtErr = 0x0080,
    evtRing = 0x0100,
    evtRx80Full = 0x0400,
};

// Modem status bits.
enum ModemStatus : uint32_t { msCts = 0x10, msDsr = 0x20, msRing = 0x40, msRlsd = 0x80 };

// Line error bits, as the port maps them onto its error set.
enum CommError : uint32_t {
    errRxOver = 0x1, errOverrun = 0x2, errRxParity = 0x4, errFrame = 0x8, errBreak = 0x10,
};

class SerialDevice {
public:
    enum class WaitResult { Events, Stopped, Lost };

    SerialDevice();
    ~SerialDevice();
    SerialDevice(const SerialDevice &) = delete;
    SerialDevice &operator=(const SerialDevice &) = delete;

    // Errors that mean the device itself is gone (unplugged, the other side closed).
    static bool isDeviceGone(int err);

    // "/dev/" + name for a bare name, the name itself when it holds a "/".
    static QString devicePath(const QString &port);
    // Whether a line with these settings can exist: a rate of 1 to INT_MAX, 5 to 8 data bits,
    // a known parity and stop bit count.
    static bool validLine(const DeviceControlBlock &dcb);

    // Received bytes wait in a queue of the input size, but never less than this: at a million
    // messages a second it holds almost two seconds of a window that does not read.
    static constexpr size_t kMinInputQueue = 16 * 1024 * 1024;

    // All calls return 0 on success or the system error number.
    int open(const QString &port);
    int close();
    bool isOpen() const { return m_fd >= 0; }

    int setQueueSizes(int32_t input, int32_t output);
    // Bytes dropped because they arrived at a full input queue, since the device was made.
    uint64_t droppedInput() const { return m_input.dropped(); }
    // When the first byte of the last read arrived, on the steady clock in nanoseconds.
    int64_t lastReadTime() const { return m_lastReadTime; }
    int applyLine(const DeviceControlBlock &dcb);
    int setTimeouts(const CommTimeouts &t);
    int purge();
    int pendingInput(int32_t &count) const;
    int modemStatus(uint32_t &lines) const;
    int clearErrors(uint32_t &errors);

    // Reads up to size bytes; zero bytes are dropped with dcbNull. With wait, the read
    // timeouts decide how long it waits for them; without, it takes what is queued. Returns
    // the count (0: nothing came in time), or -1 with err set (EIO when the line hung up).
    ptrdiff_t read(char *buf, size_t size, int &err, bool wait = true);
    // Writes all bytes unless the write-timeout deadline passes first; returns the count
    // written, or -1 with err set when the device refused the write.
    ptrdiff_t write(const char *buf, size_t size, int &err);

    // Event thread side. prepareWait() arms a fresh stop event; waitEvent() blocks until an
    // event in mask occurs, stop() is called, or the device is gone.
    int prepareWait();
    WaitResult waitEvent(uint32_t mask, uint32_t &occurred, int &err);
    void stop();
    void finishWait();
    // True once since the last call when a read saw the event character.
    bool takeRxFlag() { return m_rxFlagSeen.exchange(false); }

private:
    void wake();
    CommTimeouts timeouts() const;
    // The reader thread: moves what the device sends into the input queue until stopped or
    // until the device is gone.
    void startReader();
    void stopReader();
    void readLoop();
    // Whether the device is gone and nothing more will come; err says why.
    bool gone(int &err) const;

    std::unique_ptr<DeviceLink> m_link; // what the device is reached through, while open
    int m_fd = -1;
    InputQueue m_input;
    int64_t m_lastReadTime = 0;
    std::thread m_reader;
    int m_readerStopFd = -1;
    std::atomic<int> m_lostError{0};
    std::atomic<bool> m_overflowed{false};
    int m_stopFd = -1;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_txPending{false};
    std::atomic<bool> m_rxFlagSeen{false};
    // Settings that the GUI thread changes while the event thread (or a read on it) uses them.
    std::atomic<char> m_evtChar{0};
    std::atomic<bool> m_discardNull{false};
    std::atomic<int32_t> m_inputSize{1024};
    std::atomic<uint32_t> m_readInterval{0xFFFFFFFFu}, m_readMultiplier{0}, m_readConstant{0};
    std::atomic<uint32_t> m_writeMultiplier{100}, m_writeConstant{1000};
    mutable std::atomic<bool> m_modemSupported{true};
    bool m_errorsSupported = true;
    uint32_t m_lastModem = 0;
    std::atomic<uint32_t> m_pendingErrors{0};
    int32_t m_unreadRx = 0;
    bool m_rxReported = false;
    std::atomic<bool> m_readSinceReport{false};
};

} // namespace tg::platform
