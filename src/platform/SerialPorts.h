#pragma once
#include <QStringList>

namespace tg::platform {

// The serial devices present (as /dev paths, placeholder UARTs and the console left out) and
// the simulator's announced ports, sorted case-insensitively.
QStringList listSerialPorts(const QString &sysTty = QStringLiteral("/sys/class/tty"));

} // namespace tg::platform
