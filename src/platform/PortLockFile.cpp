#include "PortLockFile.h"

#include "Processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tg::platform {

namespace {

// The pid in a lock file: ASCII as is the custom, or a binary int as very old programs wrote
// it; 0 when the file cannot be read or holds neither.
pid_t lockPid(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray content = f.read(64);
    bool ok = false;
    const int pid = content.trimmed().toInt(&ok);
    if (ok)
        return pid > 0 ? pid_t(pid) : 0;
    if (content.size() == int(sizeof(int))) {
        int binary = 0;
        memcpy(&binary, content.constData(), sizeof binary);
        return binary > 0 ? pid_t(binary) : 0;
    }
    return 0;
}

bool writable(const QString &dir)
{
    return ::access(QFile::encodeName(dir).constData(), W_OK | X_OK) == 0;
}

} // namespace

QString lockFileName(const QString &devicePath, const SystemRoots &roots)
{
    const QString node = QFileInfo(devicePath).canonicalFilePath();
    const QString path = node.isEmpty() ? devicePath : node;
    const QString dev = roots.dev + u'/';
    QString name = path.startsWith(dev) ? path.mid(dev.size()) : QFileInfo(path).fileName();
    return QStringLiteral("LCK..") + name.replace(u'/', u'_');
}

LockFileOwner lockFileOwner(const QString &devicePath, const SystemRoots &roots)
{
    const QString name = lockFileName(devicePath, roots);
    for (const QString &dir : roots.lockDirs) {
        const QString file = QDir(dir).filePath(name);
        const pid_t pid = lockPid(file);
        if (processExists(pid, roots.proc))
            return {pid, file};
    }
    return {};
}

bool canWriteLockFolder(const SystemRoots &roots)
{
    for (const QString &dir : roots.lockDirs)
        if (writable(dir))
            return true;
    return false;
}

int PortLockFile::acquire(const QString &devicePath)
{
    release();
    const QString name = lockFileName(devicePath, m_roots);
    const pid_t self = ::getpid();
    const LockFileOwner owner = lockFileOwner(devicePath, m_roots);
    if (owner.pid != 0 && owner.pid != self)
        return EBUSY;
    for (const QString &dir : m_roots.lockDirs) {
        if (!writable(dir))
            continue;
        const QString file = QDir(dir).filePath(name);
        const QByteArray path = QFile::encodeName(file);
        // Written aside and linked into place, so that nobody ever reads a half-written file.
        const QByteArray temp = QFile::encodeName(QDir(dir).filePath(QStringLiteral("LTMP.%1.%2").arg(self).arg(name)));
        const QByteArray content = QByteArray::number(self).rightJustified(10, ' ') + '\n';
        const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return 0;
        const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
        ::close(fd);
        // What is left is stale: its owner is gone (or it is our own from before).
        ::unlink(path.constData());
        const bool linked = written && ::link(temp.constData(), path.constData()) == 0;
        ::unlink(temp.constData());
        if (linked) {
            m_path = file;
            return 0;
        }
        // Somebody was quicker, or the stale file is another user's and stays: only a live
        // owner keeps the port from us, else we go without a lock file.
        const pid_t now = lockFileOwner(devicePath, m_roots).pid;
        return now != 0 && now != self ? EBUSY : 0;
    }
    return 0;
}

void PortLockFile::release()
{
    if (m_path.isEmpty())
        return;
    if (lockPid(m_path) == ::getpid())
        QFile::remove(m_path);
    m_path.clear();
}

} // namespace tg::platform
