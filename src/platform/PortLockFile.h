#pragma once
// The UUCP lock file that terminal programs look for before they open a port: "LCK.." and the
// device name in the lock folder, holding the owner's pid as ten ASCII digits and a line end.
// The device name is the node's path after /dev/ with "/" turned into "_" (ttyUSB0, pts_3),
// so a link (a by-id name, an announced port) locks the device it leads to.
#include "SystemRoots.h"

#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace tg::platform {

// "LCK..ttyUSB0" for /dev/ttyUSB0 or any link to it.
QString lockFileName(const QString &devicePath, const SystemRoots &roots = {});

// A lock file of the device whose owner still runs.
struct LockFileOwner {
    pid_t pid = 0; // 0: there is none
    QString file;
};
LockFileOwner lockFileOwner(const QString &devicePath, const SystemRoots &roots = {});

// Whether one of the lock folders can be written, so that a lock file can be taken.
bool canWriteLockFolder(const SystemRoots &roots = {});

// Our lock file for an open port.
class PortLockFile {
public:
    explicit PortLockFile(SystemRoots roots = {}) : m_roots(std::move(roots)) {}
    ~PortLockFile() { release(); }
    PortLockFile(const PortLockFile &) = delete;
    PortLockFile &operator=(const PortLockFile &) = delete;

    // Takes the lock file of the device: 0 when taken, and also when no lock folder can be
    // written (the port is usable all the same); EBUSY when a running process other than
    // this one has it. A lock file whose owner is gone is removed first.
    int acquire(const QString &devicePath);
    // Removes our lock file, if it is still ours.
    void release();
    // The lock file held; empty when none is.
    QString path() const { return m_path; }

private:
    SystemRoots m_roots;
    QString m_path;
};

} // namespace tg::platform
