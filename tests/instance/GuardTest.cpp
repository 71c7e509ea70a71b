#include "../serial/Pty.h"
#include "InstanceLock.h"
#include "SingleInstanceGuard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

// How many descriptors of this process are open on path.
int openedHere(const QString &path)
{
    int n = 0;
    for (const QFileInfo &fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::Files | QDir::System))
        n += fd.symLinkTarget() == path;
    return n;
}

} // namespace

TEST(SingleInstanceGuard, LaterCopyActivatesTheFirstAndALostLockFreesTheStart)
{
    QTemporaryDir dir;
    const QString name = QStringLiteral("TAVELGRIDTEST%1").arg(QCoreApplication::applicationPid());
    int activations = 0;
    {
        InstanceLock first(name, dir.path());
        first.OnActivate = [&] { ++activations; };
        ASSERT_TRUE(first.claim());
        EXPECT_FALSE(first.anotherCopyRunning());
        InstanceLock second(name, dir.path());
        EXPECT_FALSE(second.claim());
        EXPECT_TRUE(second.anotherCopyRunning());
        // The later copy waits for the first to answer from its event loop, which runs here.
        bool answered = false;
        std::unique_ptr<QThread> later(QThread::create([&] { answered = second.activateFirst(); }));
        later->start();
        EXPECT_TRUE(waitFor([&] { return later->isFinished(); }));
        EXPECT_TRUE(answered);
        EXPECT_EQ(activations, 1);
    }
    // The lock file stays behind, as after a crash; it must not block the next start.
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(name + QStringLiteral(".lock"))));
    InstanceLock next(name, dir.path());
    EXPECT_TRUE(next.claim());
    InstanceLock other(name + QStringLiteral("X"), dir.path());
    EXPECT_TRUE(other.claim());
    // Nobody listens under a name without a first copy.
    EXPECT_FALSE(InstanceLock(name + QStringLiteral("Y"), dir.path()).activateFirst());
}

// A later start asking the running copy (--status) looks at the lock; a copy that starts in
// that moment must still become the first, not end as if another copy ran.
TEST(SingleInstanceGuard, ALookForARunningCopyNeverEndsACopyStartingMeanwhile)
{
    QTemporaryDir dir;
    const QString name = QStringLiteral("TAVELGRIDTEST");
    const QString lock = dir.filePath(name + QStringLiteral(".lock"));
    InstanceLock copy(name, dir.path());
    EXPECT_FALSE(copy.copyRunning());
    // A look caught in the act: held until the starting copy has come to the lock.
    const int look = ::open(QFile::encodeName(lock).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(look, 0);
    ASSERT_EQ(::flock(look, LOCK_SH), 0);
    std::atomic<bool> claimed{false};
    std::thread lookEnds([&] {
        while (!claimed && openedHere(lock) < 2)
            QThread::usleep(100);
        ::close(look);
    });
    EXPECT_TRUE(copy.claim());
    claimed = true;
    lookEnds.join();
    EXPECT_FALSE(copy.anotherCopyRunning());
    // The copy is found by a look, which leaves its lock alone; a later copy still defers to it.
    EXPECT_TRUE(InstanceLock(name, dir.path()).copyRunning());
    InstanceLock later(name, dir.path());
    EXPECT_FALSE(later.claim());
}

TEST(SingleInstanceGuard, OneGuardPerProcess)
{
    QTemporaryDir dir;
    InstanceLock check(QStringLiteral("TAVELGRIDTEST"), dir.path());
    {
        SingleInstanceGuard guard(check);
        EXPECT_TRUE(guard.Enabled());
        EXPECT_EQ(guard.Mode(), SingleInstanceGuard::oiActivateOnly);
        try {
            SingleInstanceGuard second(check);
            ADD_FAILURE() << "a second guard was created";
        } catch (const SingleInstanceError &e) {
            EXPECT_STREQ(e.what(), "SingleInstanceGuard:\rAlready one SingleInstanceGuard control in this project!");
        }
    }
    // Once the first is gone another may be made; a first copy's guard does not end it.
    SingleInstanceGuard again(check);
    ASSERT_TRUE(check.claim());
    EXPECT_FALSE(again.Loaded());
}
