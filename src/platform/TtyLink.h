#pragma once
// A local serial device (or pseudo-terminal): opened exclusively (with the UUCP lock file
// that terminal programs look for), set up through termios2 so that any integer rate works,
// modem lines and error counters read from the driver.
#include "DeviceLink.h"
#include "PortLockFile.h"

namespace tg::platform {

class TtyLink : public DeviceLink {
public:
    int open(const QString &port) override;
    int close() override;
    int applyLine(const DeviceControlBlock &dcb) override;
    int purge() override;
    int modemLines(uint32_t &lines) override;
    bool lineErrors(uint32_t &errors) override;

private:
    struct Counters {
        int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    };
    bool readCounters(Counters &c) const;
    Counters m_counters;
    PortLockFile m_lockFile;
};

} // namespace tg::platform
