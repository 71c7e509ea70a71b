#pragma once
// Where the system folders that describe devices and processes are. The program uses the real
// ones; tests point them at recorded or generated trees.
#include <QString>
#include <QStringList>

namespace tg::platform {

struct SystemRoots {
    QString sys = QStringLiteral("/sys");
    QString dev = QStringLiteral("/dev");
    QString proc = QStringLiteral("/proc");
    // Folders of UUCP lock files; the first one that can be written gets ours. /var/lock is
    // usually a link to /run/lock, but not everywhere.
    QStringList lockDirs = {QStringLiteral("/run/lock"), QStringLiteral("/var/lock")};
};

} // namespace tg::platform
