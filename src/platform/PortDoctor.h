#pragma once
// Says in plain words why a port could not be opened and what to do about it: the group to
// join when permission is denied, the processes that hold a port in use (its lock file, the
// kernel's locks, open descriptors) and services known to grab new USB serial devices, the
// ports present when the one asked for does not exist.
#include "SystemRoots.h"

#include <QList>
#include <QString>
#include <sys/types.h>

namespace tg::platform {

// A process that holds a device node, and how.
struct PortHolder {
    enum How { LockFile, KernelLock, OpenFile };
    pid_t pid = 0;
    How how = OpenFile;
};
// The processes that hold the device node, each named once: by the lock file, then the
// kernel's locks, then open descriptors (only those of processes we may look at).
QList<PortHolder> portHolders(const QString &node, const SystemRoots &roots = {});

// The explanation for the system error err of opening port (a name or path as the user gave
// it); lines separated by "\n", no line end at the end.
QString explainOpenFailure(const QString &port, int err, const SystemRoots &roots = {});
// The explanation for an open port that failed with the system error err while in use (the
// device went away or stopped answering); description: what the device was, when known.
QString explainLostDevice(const QString &port, int err, const QString &description = QString(),
                          const SystemRoots &roots = {});
// The same for the line settings a port that did open would not take; empty for a local device,
// whose settings fail only on values the program itself rejects.
QString explainSettingsFailure(const QString &port, int err);

} // namespace tg::platform
