#pragma once
// A process of its own that holds a port the way another program would: it opens the device
// (and locks it) before it becomes the program it runs, which then sleeps.
#include "SystemRoots.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

struct Holder {
    enum Hold { Nothing, Open, Lock };
    QProcess p;

    explicit Holder(const QString &device = QString(), Hold hold = Nothing, const QString &program = QStringLiteral("sleep"))
    {
        const QByteArray path = QFile::encodeName(device);
        p.setChildProcessModifier([path, hold] {
            if (hold == Nothing)
                return;
            const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK); // kept across exec
            if (fd < 0 || (hold == Lock && ::flock(fd, LOCK_EX | LOCK_NB) != 0))
                ::_exit(126);
        });
        p.start(program, {QStringLiteral("600")});
        p.waitForStarted();
    }
    ~Holder()
    {
        p.kill();
        p.waitForFinished();
    }
    pid_t pid() const { return pid_t(p.processId()); }
    QString pidText() const { return QString::number(pid()); }
};

// The pid of a process that has ended.
inline pid_t endedPid()
{
    QProcess p;
    p.start(QStringLiteral("true"), {});
    p.waitForStarted();
    const pid_t pid = pid_t(p.processId());
    p.waitForFinished();
    return pid;
}

// The real system, but lock files in a folder of the test's own.
struct PrivateLocks {
    QTemporaryDir dir;
    tg::platform::SystemRoots roots;
    PrivateLocks() { roots.lockDirs = {dir.path()}; }
};
