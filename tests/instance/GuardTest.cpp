#include "../serial/Pty.h"
#include "SingleInstanceGuard.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(SingleInstanceGuard, LaterCopyActivatesTheFirstAndALostLockFreesTheStart)
{
    QTemporaryDir dir;
    const QString name = QStringLiteral("TAVELGRIDTEST%1").arg(QCoreApplication::applicationPid());
    int activations = 0;
    {
        SingleInstanceGuard first(name, dir.path());
        first.OnActivate = [&] { ++activations; };
        ASSERT_TRUE(first.claim());
        SingleInstanceGuard second(name, dir.path());
        EXPECT_FALSE(second.claim());
        // The first copy answers from its event loop, which the wait below runs.
        bool sent = false;
        QMetaObject::invokeMethod(&second, [&] { sent = second.activateFirst(); }, Qt::QueuedConnection);
        EXPECT_TRUE(waitFor([&] { return activations == 1; }));
        EXPECT_TRUE(sent);
    }
    // The lock file stays behind, as after a crash; it must not block the next start.
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(name + QStringLiteral(".lock"))));
    SingleInstanceGuard next(name, dir.path());
    EXPECT_TRUE(next.claim());
    SingleInstanceGuard other(name + QStringLiteral("X"), dir.path());
    EXPECT_TRUE(other.claim());
}
