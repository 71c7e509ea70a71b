#include "../serial/Pty.h"
#include "InstanceLock.h"
#include "SingleInstanceGuard.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

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
