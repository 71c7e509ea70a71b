#pragma once
// What /proc tells about the processes of this machine, for saying who holds a port.
#include <QList>
#include <QString>
#include <QStringList>
#include <sys/types.h>

namespace tg::platform {

// The program name of a process ("minicom"); empty when there is no such process.
QString processName(pid_t pid, const QString &proc = QStringLiteral("/proc"));
bool processExists(pid_t pid, const QString &proc = QStringLiteral("/proc"));
// The processes running under one of these names, in pid order.
QList<pid_t> processesNamed(const QStringList &names, const QString &proc = QStringLiteral("/proc"));
// The processes holding a lock (flock or fcntl) on the file with this inode on this file
// system, as the kernel lists them.
QList<pid_t> lockHolders(dev_t fileSystem, ino_t inode, const QString &proc = QStringLiteral("/proc"));
// The processes that have the file open; only those whose descriptors we may look at.
QList<pid_t> processesWithOpen(const QString &path, const QString &proc = QStringLiteral("/proc"));

} // namespace tg::platform
