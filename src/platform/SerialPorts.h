#pragma once
#include "SystemRoots.h"

#include <QByteArray>
#include <QStringList>

namespace tg::platform {

// The serial devices present (as /dev paths, placeholder UARTs and the console left out) and
// the simulator's announced ports, sorted case-insensitively.
QStringList listSerialPorts(const QString &sysTty = QStringLiteral("/sys/class/tty"));
// The same, the devices looked up under roots.
QStringList listSerialPorts(const SystemRoots &roots);

// The names (ttyUSB0) of the serial devices present under a /sys/class/tty folder, unsorted.
QStringList serialTtyNames(const QString &sysTty);

// A sysfs attribute without its line end; empty when it cannot be read.
QByteArray readAttribute(const QString &path);

} // namespace tg::platform
