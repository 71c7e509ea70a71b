#include "PortLinks.h"
#include "Pty.h"
#include "RuntimeFolder.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

using namespace tg::platform;

namespace {

bool isLink(const QString &path) { return QFileInfo(path).isSymLink(); }

TEST(PortLinks, LiveAnnouncementsAreListedUntilWithdrawn)
{
    ScopedRuntimeFolder runtime;
    Pty first, second;
    PortAnnouncement a, b, c;
    ASSERT_TRUE(a.announce(QString(), first.slave));
    ASSERT_TRUE(b.announce(QString(), second.slave));
    EXPECT_TRUE(a.path().endsWith(QStringLiteral("/sim0")));
    EXPECT_TRUE(b.path().endsWith(QStringLiteral("/sim1")));
    EXPECT_FALSE(c.announce(QStringLiteral("sim0"), second.slave)) << "a live owner keeps its name";
    EXPECT_EQ(announcedPorts(), (QStringList{a.path(), b.path()}));
    EXPECT_EQ(QFileInfo(a.path()).symLinkTarget(), first.slave);

    const QString gone = a.path();
    a.withdraw();
    EXPECT_FALSE(isLink(gone));
    EXPECT_EQ(announcedPorts(), QStringList{b.path()});
    ASSERT_TRUE(c.announce(QStringLiteral("sim0"), second.slave)) << "a withdrawn name is free again";
}

TEST(PortLinks, LinksOfADeadOwnerAreRemovedEvenWhenTheirPtyExists)
{
    ScopedRuntimeFolder runtime;
    const QString folder = portLinkFolder();
    ASSERT_FALSE(folder.isEmpty());
    // What a killed simulator leaves: its record, no longer locked by anyone, and a link whose
    // pty number now belongs to somebody else's terminal.
    Pty someoneElses;
    const QString link = folder + QStringLiteral("/sim0");
    QFile record(folder + QStringLiteral("/.sim0.owner"));
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    record.write(QFile::encodeName(someoneElses.slave));
    record.close();
    ASSERT_EQ(::symlink(QFile::encodeName(someoneElses.slave).constData(), QFile::encodeName(link).constData()), 0);
    // And a link from before owner records existed.
    const QString orphan = folder + QStringLiteral("/old");
    ASSERT_EQ(::symlink(QFile::encodeName(someoneElses.slave).constData(), QFile::encodeName(orphan).constData()), 0);

    EXPECT_TRUE(announcedPorts().isEmpty());
    EXPECT_FALSE(isLink(link));
    EXPECT_FALSE(isLink(orphan));
    EXPECT_FALSE(record.exists());

    PortAnnouncement fresh;
    ASSERT_TRUE(fresh.announce(QStringLiteral("sim0"), someoneElses.slave));
    EXPECT_EQ(announcedPorts(), QStringList{fresh.path()});
}

TEST(PortLinks, ALinkThatNoLongerPointsAtItsOwnersPtyIsNotListed)
{
    ScopedRuntimeFolder runtime;
    Pty mine, other;
    PortAnnouncement announcement;
    ASSERT_TRUE(announcement.announce(QStringLiteral("bench"), mine.slave));
    const QByteArray link = QFile::encodeName(announcement.path());
    ASSERT_EQ(::unlink(link.constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(other.slave).constData(), link.constData()), 0);
    EXPECT_TRUE(announcedPorts().isEmpty());
    const QString path = announcement.path();
    EXPECT_TRUE(isLink(path)) << "a live owner's link is left to its owner";
    announcement.withdraw(); // leaves the link that is not its own ...
    EXPECT_TRUE(isLink(path));
    EXPECT_TRUE(announcedPorts().isEmpty()); // ... which the next listing removes
    EXPECT_FALSE(isLink(path));
}

} // namespace
