// Settings that cannot be kept never stop the program: it starts, connects, ends on a signal
// and says once that the settings are not saved.
#include "../serial/Pty.h"
#include "ProgramRun.h"

#include <QDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// Root passes every permission check: as root the program runs as nobody.
std::optional<uid_t> otherUser()
{
    return ::geteuid() == 0 ? std::optional<uid_t>(65534) : std::nullopt;
}

void own(const QString &path, std::optional<uid_t> uid, mode_t mode)
{
    const QByteArray p = QFile::encodeName(path);
    if (uid) {
        ASSERT_EQ(::chown(p.constData(), *uid, gid_t(*uid)), 0) << p.constData();
    }
    ASSERT_EQ(::chmod(p.constData(), mode), 0) << p.constData();
}

int linesWith(const QByteArray &text, const char *needle)
{
    int n = 0;
    for (const QByteArray &line : text.split('\n'))
        n += line.contains(needle) ? 1 : 0;
    return n;
}

} // namespace

TEST(UnwritableSettings, TheProgramRunsAndSaysOnceThatNothingIsSaved)
{
    const std::optional<uid_t> user = otherUser();
    struct Case {
        const char *what;
        bool withFile;
        mode_t fileMode;
    };
    // The folder takes no new file; the file, if there, is not the user's to write or read.
    const Case cases[] = {
        {"no file yet", false, 0},
        {"read-only file", true, 0444},
        {"unreadable file", true, 0000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir top;
        own(top.path(), std::nullopt, 0755);
        const QString folder = top.filePath(QStringLiteral("settings"));
        ASSERT_TRUE(QDir().mkdir(folder));
        const QString file = folder + QStringLiteral("/s.ini");
        const QByteArray before = "[FormMain]\r\nComboBoxBaud_Text=9600\r\n\r\n";
        if (c.withFile) {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(before);
            f.close();
            // Owned by root where the program runs as another user, so that user cannot
            // change its mode; unwritable by mode alone otherwise.
            own(file, std::nullopt, c.fileMode);
        }
        own(folder, user, 0500);
        Pty device;
        own(device.slave, user, 0600);

        ProgramRun r({QStringLiteral("--settings"), file, QStringLiteral("--port"), device.slave,
                      QStringLiteral("--connect")},
                     user, QProcess::SeparateChannels);
        ASSERT_TRUE(r.started());
        EXPECT_TRUE(QTest::qWaitFor([&] { return r.holdsOpen(device.slave); }, 30000));
        device.write("#1M5<#40M1.5<#60M255<");
        EXPECT_TRUE(r.endsNormallyOn(SIGTERM));
        const QByteArray err = r.p.readAllStandardError();
        EXPECT_EQ(linesWith(err, "not saved"), 1) << err.constData();
        EXPECT_EQ(linesWith(err, "Tavelgrid:"), 1) << err.constData();

        own(folder, std::nullopt, 0700);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), c.withFile ? 1 : 0);
        if (c.withFile) {
            own(file, std::nullopt, 0600);
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), before);
        }
    }
}
