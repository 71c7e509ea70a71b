#pragma once
// The real program in a process of its own, on its own runtime folder (the single-instance
// guard would end a second copy at once), as this user or as another one.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <grp.h>
#include <optional>
#include <utility>
#include <sys/types.h>
#include <unistd.h>

// The environment of a script over SSH: no display.
inline QProcessEnvironment withoutDisplay(QProcessEnvironment env)
{
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    return env;
}

// The program started again while one runs (its exit code, what it printed), without a display
// as a script over SSH starts it.
inline std::pair<int, QByteArray> startAgain(const QProcessEnvironment &base, const QStringList &args)
{
    QProcess p;
    p.setProcessEnvironment(withoutDisplay(base));
    p.start(QStringLiteral(TG_APP_PATH), args);
    if (!p.waitForFinished(30000))
        return {-1, QByteArray()};
    return {p.exitCode(), p.readAllStandardOutput().trimmed()};
}

// What a running copy answers to --status: the JSON line.
inline std::pair<int, QByteArray> askStatus(const QProcessEnvironment &base)
{
    return startAgain(base, {QStringLiteral("--status")});
}

struct ProgramRun {
    QTemporaryDir runtime;
    QProcess p;

    // With a uid the program runs as that user (root passes every permission check, so
    // "cannot write" needs another user); the runtime folder is handed to it. With a display
    // it shows on that X server, offscreen otherwise.
    explicit ProgramRun(const QStringList &args, std::optional<uid_t> uid = std::nullopt,
                        QProcess::ProcessChannelMode channels = QProcess::ForwardedChannels,
                        const QString &display = QString())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), display.isEmpty() ? QStringLiteral("offscreen") : QStringLiteral("xcb"));
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(channels);
        if (uid) {
            const uid_t u = *uid;
            [[maybe_unused]] const int rc = ::chown(QFile::encodeName(runtime.path()).constData(), u, gid_t(u));
            p.setChildProcessModifier([u] {
                if (::setgroups(0, nullptr) != 0 || ::setgid(gid_t(u)) != 0 || ::setuid(u) != 0)
                    ::_exit(126);
            });
        }
        p.start(QStringLiteral(TG_APP_PATH), args);
    }
    // The guard's lock is held once the program has set up its signal handling; the file
    // alone exists a moment before that. Looked up in the kernel's list of locks, so that the
    // look never takes the lock from the program. False at once when the program ended.
    bool started()
    {
        const QByteArray lock = QFile::encodeName(runtime.filePath(QStringLiteral("TAVELGRID.lock")));
        return QTest::qWaitFor([&] { return holdsLock(lock) || p.state() == QProcess::NotRunning; }, 30000) &&
               holdsLock(lock);
    }
    // Whether the program holds the lock on that file.
    bool holdsLock(const QByteArray &lock) const
    {
        struct stat st {};
        if (::stat(lock.constData(), &st) != 0)
            return false;
        QFile locks(QStringLiteral("/proc/locks"));
        if (!locks.open(QIODevice::ReadOnly))
            return false;
        const QByteArray pid = QByteArray::number(p.processId());
        const QByteArray inode = ':' + QByteArray::number(qulonglong(st.st_ino));
        for (const QByteArray &line : locks.readAll().split('\n')) {
            const QList<QByteArray> f = line.simplified().split(' ');
            if (f.size() > 5 && f[1] == "FLOCK" && f[4] == pid && f[5].endsWith(inode))
                return true;
        }
        return false;
    }
    // Whether the program holds the file open (a port it connected to).
    bool holdsOpen(const QString &file) const
    {
        const QString fds = QStringLiteral("/proc/%1/fd").arg(p.processId());
        for (const QFileInfo &fd : QDir(fds).entryInfoList(QDir::System | QDir::NoDotAndDotDot))
            if (fd.symLinkTarget() == file)
                return true;
        return false;
    }
    bool endsNormally() { return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0; }
    bool endsNormallyOn(int sig)
    {
        ::kill(pid_t(p.processId()), sig);
        return endsNormally();
    }
};
