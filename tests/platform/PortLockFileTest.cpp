#include "Holder.h"
#include "PortLockFile.h"
#include "Pty.h"
#include "SerialDevice.h"

#include <gtest/gtest.h>

using namespace tg::platform;

namespace {

QByteArray contentOf(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}

void writeFile(const QString &file, const QByteArray &content)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray pidLine(pid_t pid) { return QByteArray::number(pid).rightJustified(10, ' ') + '\n'; }

} // namespace

TEST(PortLockFile, IsNamedAfterTheDeviceNodeWhateverTheNameUsed)
{
    Pty pty;
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("usb-Board-if00"));
    ASSERT_TRUE(QFile::link(pty.slave, link));
    const QString pts = QStringLiteral("LCK..pts_") + pty.slave.section(u'/', -1);
    const struct {
        QString device, name;
    } cases[] = {
        {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("LCK..ttyUSB0")}, // also when it is not there
        {pty.slave, pts},
        {link, pts},
        {QStringLiteral("/srv/ports/ttyX9"), QStringLiteral("LCK..ttyX9")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(lockFileName(c.device), c.name) << qPrintable(c.device);
}

TEST(PortLockFile, IsTakenUnlessALiveProgramHasItAndRemovedWhenDone)
{
    Pty pty;
    PrivateLocks f;
    const QString file = f.dir.filePath(lockFileName(pty.slave));
    {
        PortLockFile lock(f.roots);
        ASSERT_EQ(lock.acquire(pty.slave), 0);
        EXPECT_EQ(lock.path(), file);
        EXPECT_EQ(contentOf(file), pidLine(::getpid())) << "ten ASCII digits and a line end";
    }
    EXPECT_FALSE(QFile::exists(file)) << "removed when let go";

    Holder other;
    const int otherPid = other.pid();
    const QByteArray binary(reinterpret_cast<const char *>(&otherPid), sizeof otherPid);
    const struct {
        const char *what;
        QByteArray content;
        int result;
    } cases[] = {
        {"a running program's", pidLine(other.pid()), EBUSY},
        {"one written as a binary number", binary, EBUSY},
        {"an ended program's", pidLine(endedPid()), 0},
        {"one that holds no pid", "garbage\n", 0},
    };
    for (const auto &c : cases) {
        writeFile(file, c.content);
        PortLockFile lock(f.roots);
        EXPECT_EQ(lock.acquire(pty.slave), c.result) << c.what;
        EXPECT_EQ(lockFileOwner(pty.slave, f.roots).pid, c.result ? other.pid() : ::getpid()) << c.what;
        EXPECT_EQ(contentOf(file), c.result ? c.content : pidLine(::getpid())) << c.what;
        lock.release();
        EXPECT_EQ(QFile::exists(file), c.result != 0) << c.what << ": only our own file is removed";
    }

    // A lock file that another program put in place of ours stays when we let go.
    PortLockFile lock(f.roots);
    ASSERT_EQ(lock.acquire(pty.slave), 0);
    writeFile(file, pidLine(other.pid()));
    lock.release();
    EXPECT_EQ(contentOf(file), pidLine(other.pid()));
}

TEST(PortLockFile, WithoutAWritableLockFolderThePortIsUsableAllTheSame)
{
    Pty pty;
    SystemRoots roots;
    roots.lockDirs = {QStringLiteral("/nonexistent/lock")};
    PortLockFile lock(roots);
    EXPECT_EQ(lock.acquire(pty.slave), 0);
    EXPECT_EQ(lock.path(), QString());
    EXPECT_FALSE(canWriteLockFolder(roots));
}

TEST(PortLockFile, TheSerialDeviceTakesItInTheSystemLockFolder)
{
    const SystemRoots system;
    if (!canWriteLockFolder(system))
        GTEST_SKIP() << "no writable lock folder here";
    Pty pty;
    // Opened through a link, as a by-id name would be: the lock names the device.
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("port"));
    ASSERT_TRUE(QFile::link(pty.slave, link));
    const LockFileOwner none = lockFileOwner(pty.slave);
    ASSERT_EQ(none.pid, 0);
    SerialDevice device;
    ASSERT_EQ(device.open(link), 0);
    const LockFileOwner owner = lockFileOwner(pty.slave);
    EXPECT_EQ(owner.pid, ::getpid());
    EXPECT_EQ(contentOf(owner.file), pidLine(::getpid()));
    device.close();
    EXPECT_FALSE(QFile::exists(owner.file));

    // A terminal program that took the lock file keeps the port to itself.
    Holder other;
    writeFile(owner.file, pidLine(other.pid()));
    EXPECT_EQ(device.open(pty.slave), EBUSY);
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(contentOf(owner.file), pidLine(other.pid()));
    QFile::remove(owner.file);
    EXPECT_EQ(device.open(pty.slave), 0);
}
