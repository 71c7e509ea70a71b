#pragma once
// Virtual serial ports (the device simulator's pseudo-terminals) are announced as symbolic
// links in one private folder, so the port list can offer them next to real devices.
#include <QString>
#include <QStringList>

namespace tg::platform {

// The folder of the links, created (mode 0700) when missing; empty when it cannot be made.
QString portLinkFolder();
// The announced ports whose target still exists, as paths of their links.
QStringList announcedPorts();

} // namespace tg::platform
