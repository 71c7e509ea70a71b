#include "../serial/Pty.h"
#include "InstanceLock.h"
#include "SingleInstanceGuard.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

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

TEST(SingleInstanceGuard, ACopyThatOnlyAsksNeverStopsAStart)
{
    QTemporaryDir dir;
    const QString name = QStringLiteral("TAVELGRIDASK%1").arg(QCoreApplication::applicationPid());
    // Someone holds the lock for a moment without listening, as a copy that only asks: a
    // start meanwhile waits for it to let go and runs.
    const int asker = ::open(QFile::encodeName(dir.filePath(name + QStringLiteral(".lock"))).constData(),
                             O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(asker, LOCK_EX | LOCK_NB), 0);
    std::thread letGo([asker] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the asker's moment
        ::close(asker);
    });
    InstanceLock start(name, dir.path());
    EXPECT_TRUE(start.claim());
    letGo.join();
    EXPECT_FALSE(start.anotherCopyRunning());

    // Asking finds the copy that runs, and with none running leaves the lock free.
    EXPECT_TRUE(InstanceLock(name, dir.path()).firstCopyRuns());
    EXPECT_FALSE(InstanceLock(name + QStringLiteral("X"), dir.path()).firstCopyRuns());
    EXPECT_TRUE(InstanceLock(name + QStringLiteral("X"), dir.path()).claim());
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
