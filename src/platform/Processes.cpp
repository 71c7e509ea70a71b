#include "Processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sys/sysmacros.h>

namespace tg::platform {

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<pid_t> allProcesses(const QString &proc)
{
    QList<pid_t> pids;
    for (const QString &name : QDir(proc).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const int pid = name.toInt(&ok);
        if (ok && pid > 0)
            pids << pid_t(pid);
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

QString procDir(pid_t pid, const QString &proc) { return proc + u'/' + QString::number(pid); }

} // namespace

QString processName(pid_t pid, const QString &proc)
{
    const QString dir = procDir(pid, proc);
    const QString comm = QString::fromUtf8(readFile(dir + QStringLiteral("/comm")).trimmed());
    // The kernel cuts the name to 15 characters; the command line has it whole.
    if (comm.size() == 15) {
        const QByteArray argv0 = readFile(dir + QStringLiteral("/cmdline")).split('\0').value(0);
        const QString program = QString::fromLocal8Bit(argv0.mid(argv0.lastIndexOf('/') + 1));
        if (program.startsWith(comm))
            return program;
    }
    return comm;
}

bool processExists(pid_t pid, const QString &proc)
{
    return pid > 0 && QFileInfo(procDir(pid, proc)).isDir();
}

QList<pid_t> processesNamed(const QStringList &names, const QString &proc)
{
    QList<pid_t> found;
    for (pid_t pid : allProcesses(proc))
        if (names.contains(processName(pid, proc)))
            found << pid;
    return found;
}

QList<pid_t> lockHolders(dev_t fileSystem, ino_t inode, const QString &proc)
{
    // "1: FLOCK  ADVISORY  WRITE 1234 00:05:87 0 EOF", the device numbers in hex; waiting
    // requests ("1: -> FLOCK ...") hold nothing.
    const QByteArray file = QByteArray::number(major(fileSystem), 16).rightJustified(2, '0') + ':' +
                            QByteArray::number(minor(fileSystem), 16).rightJustified(2, '0') + ':' +
                            QByteArray::number(qulonglong(inode));
    QList<pid_t> holders;
    for (const QByteArray &line : readFile(proc + QStringLiteral("/locks")).split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() < 6 || f[1] == "->" || f[5] != file)
            continue;
        const int pid = f[4].toInt();
        if (pid > 0 && !holders.contains(pid))
            holders << pid_t(pid);
    }
    return holders;
}

QList<pid_t> processesWithOpen(const QString &path, const QString &proc)
{
    QList<pid_t> found;
    for (pid_t pid : allProcesses(proc)) {
        const QDir fds(procDir(pid, proc) + QStringLiteral("/fd"));
        for (const QString &fd : fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
            if (QFile::symLinkTarget(fds.filePath(fd)) == path) {
                found << pid;
                break;
            }
        }
    }
    return found;
}

} // namespace tg::platform
