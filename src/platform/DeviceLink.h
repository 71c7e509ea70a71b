#pragma once
// What lies under a serial device: a local tty, or a connection to a server that has the
// device. The serial device keeps everything the two share (the reader thread, the input
// queue, the read and write timeouts, the event wait); a link does only what differs.
#include "SerialDevice.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tg::platform {

// Milliseconds of the monotonic clock.
int64_t monotonicMs();

class DeviceLink {
public:
    // The link a port name calls for.
    static std::unique_ptr<DeviceLink> forPort(const QString &port);

    virtual ~DeviceLink();

    // Both return 0 or the system error number.
    virtual int open(const QString &port) = 0;
    virtual int close();
    // The descriptor the device is read from and written to; -1 while closed.
    int fd() const { return m_fd; }
    bool isSocket() const { return m_socket; }

    // Called by the reader thread with n bytes read from the descriptor; returns how many
    // of them are the device's data, moved to the front of buf.
    virtual size_t received(char *buf, size_t n);
    // Called by the reader thread once the descriptor hung up or failed.
    virtual void lost() {}

    virtual int applyLine(const DeviceControlBlock &dcb) = 0;
    // Drops what waits in the device's queues (not the input queue, which is the caller's).
    virtual int purge() = 0;
    // ModemStatus bits; ENOTTY or EINVAL when the device has no modem lines.
    virtual int modemLines(uint32_t &lines) = 0;
    // CommError bits seen since the last call; false when the device cannot tell.
    virtual bool lineErrors(uint32_t &errors) = 0;
    // Readable once the device reported its modem lines or line errors, so that they need
    // not be polled; -1 when they must be.
    virtual int noticeFd() const { return -1; }

    // Writes until all bytes are out or the deadline (monotonicMs; -1: none) passed; returns
    // the count of bytes written, or -1 with err set.
    virtual ptrdiff_t write(const char *buf, size_t size, int64_t deadline, int &err);
    // Whether bytes of the link's own wait to go out, for the reader thread to send with
    // flushPending() once the descriptor takes them.
    virtual bool pendingOutput() const { return false; }
    virtual void flushPending() {}

protected:
    // The write loop every link uses on its descriptor.
    ptrdiff_t writeUntil(const char *buf, size_t size, int64_t deadline, int &err) const;

    int m_fd = -1;
    bool m_socket = false; // written with send(), which reports a closed peer without SIGPIPE
};

} // namespace tg::platform
