#pragma once
// Says in plain words why a port could not be opened and what to do about it: the group to
// join when permission is denied, the processes that hold a port in use (its lock file, the
// kernel's locks, open descriptors) and services known to grab new USB serial devices, the
// ports present when the one asked for does not exist.
#include "SystemRoots.h"

#include <QString>

namespace tg::platform {

// The explanation for the system error err of opening port (a name or path as the user gave
// it); lines separated by "\n", no line end at the end.
QString explainOpenFailure(const QString &port, int err, const SystemRoots &roots = {});
// The same for the line settings a port that did open would not take; empty for a local device,
// whose settings fail only on values the program itself rejects.
QString explainSettingsFailure(const QString &port, int err);

} // namespace tg::platform
