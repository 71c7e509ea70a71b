#include "TtyLink.h"
#include "PortIdentity.h"

// termios2 (any integer rate through BOTHER) lives in the kernel headers, which clash with
// <termios.h>; this file therefore speaks to the driver through ioctl only.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <asm/termios.h>
#include <cerrno>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <unistd.h>

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;

namespace tg::platform {

namespace {

bool noModemLines(int err) { return err == ENOTTY || err == EINVAL; }

} // namespace

int TtyLink::open(const QString &port)
{
    const QString device = resolvePortPath(SerialDevice::devicePath(port));
    const QByteArray path = device.toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    // TIOCEXCL keeps other users out; root ignores it, so flock decides for everyone. The
    // lock file is for terminal programs that know neither.
    ioctl(fd, TIOCEXCL);
    const int err = flock(fd, LOCK_EX | LOCK_NB) != 0 ? (errno == EWOULDBLOCK ? EBUSY : errno) : m_lockFile.acquire(device);
    if (err) {
        ::close(fd);
        return err;
    }
    m_fd = fd;
    return 0;
}

int TtyLink::close()
{
    if (m_fd >= 0)
        ioctl(m_fd, TIOCNXCL);
    const int err = DeviceLink::close();
    m_lockFile.release();
    return err;
}

int TtyLink::applyLine(const DeviceControlBlock &dcb)
{
    termios2 tio{};
    if (ioctl(m_fd, TCGETS2, &tio) != 0)
        return errno;

    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                     IXANY | INPCK | IGNPAR);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL | CBAUD |
                     (CBAUD << IBSHIFT));
    tio.c_cflag |= CLOCAL | CREAD | BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = tio.c_ospeed = dcb.BaudRate;

    static constexpr tcflag_t kSize[4] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= kSize[dcb.ByteSize - 5];
    switch (dcb.Parity) {
    case 1: tio.c_cflag |= PARENB | PARODD; break;
    case 2: tio.c_cflag |= PARENB; break;
    case 3: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: tio.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    // One and a half stop bits is what a UART does with CSTOPB and 5 data bits.
    if (dcb.StopBits != 0)
        tio.c_cflag |= CSTOPB;
    if (dcb.Flags & dcbParity)
        tio.c_iflag |= INPCK;
    else
        tio.c_iflag |= IGNPAR;
    if ((dcb.Flags & dcbOutxCtsFlow) || (dcb.Flags & dcbRtsMask) == dcbRtsHandshake)
        tio.c_cflag |= CRTSCTS;
    if (dcb.Flags & dcbOutX)
        tio.c_iflag |= IXON;
    if (dcb.Flags & dcbInX)
        tio.c_iflag |= IXOFF;
    tio.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    tio.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (ioctl(m_fd, TCSETS2, &tio) != 0)
        return errno;

    // DTR and RTS as plain line states; a pty has no modem lines, which is not an error.
    auto setLine = [this](int bit, bool on) {
        int bits = bit;
        if (ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &bits) != 0 && !noModemLines(errno))
            return errno;
        return 0;
    };
    const uint32_t dtr = dcb.Flags & dcbDtrMask;
    const uint32_t rts = dcb.Flags & dcbRtsMask;
    if (dtr != dcbDtrHandshake)
        if (int err = setLine(TIOCM_DTR, dtr == dcbDtrEnable))
            return err;
    if (rts == 0 || rts == dcbRtsEnable)
        if (int err = setLine(TIOCM_RTS, rts == dcbRtsEnable))
            return err;
    return 0;
}

int TtyLink::purge()
{
    return ioctl(m_fd, TCFLSH, TCIOFLUSH) == 0 ? 0 : errno;
}

int TtyLink::modemLines(uint32_t &lines)
{
    lines = 0;
    int bits = 0;
    if (ioctl(m_fd, TIOCMGET, &bits) != 0)
        return errno;
    if (bits & TIOCM_CTS) lines |= msCts;
    if (bits & TIOCM_DSR) lines |= msDsr;
    if (bits & TIOCM_RNG) lines |= msRing;
    if (bits & TIOCM_CAR) lines |= msRlsd;
    return 0;
}

bool TtyLink::readCounters(Counters &c) const
{
    serial_icounter_struct ic{};
    if (m_fd < 0 || ioctl(m_fd, TIOCGICOUNT, &ic) != 0)
        return false;
    c = {ic.frame, ic.overrun, ic.parity, ic.brk, ic.buf_overrun};
    return true;
}

bool TtyLink::lineErrors(uint32_t &errors)
{
    errors = 0;
    Counters now;
    if (!readCounters(now))
        return false;
    if (now.frame != m_counters.frame) errors |= errFrame;
    if (now.overrun != m_counters.overrun) errors |= errOverrun;
    if (now.parity != m_counters.parity) errors |= errRxParity;
    if (now.brk != m_counters.brk) errors |= errBreak;
    if (now.bufOverrun != m_counters.bufOverrun) errors |= errRxOver;
    m_counters = now;
    return true;
}

} // namespace tg::platform
