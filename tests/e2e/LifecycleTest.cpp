// The real program started and ended as a user or a service manager would.
#include "ProgramRun.h"

#include <gtest/gtest.h>

namespace {

QByteArray contents(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The file's text with its CR LF line ends read as LF.
QByteArray text(QByteArray raw)
{
    return raw.replace("\r\n", "\n");
}

// One run from start to the given signal; the settings file as it was left.
QByteArray runUntil(const QString &settings, int sig)
{
    ProgramRun r({QStringLiteral("--settings"), settings});
    EXPECT_TRUE(r.started());
    EXPECT_TRUE(r.endsNormallyOn(sig)) << "signal " << sig;
    return contents(settings);
}

} // namespace

TEST(Lifecycle, EverySignalEndsTheProgramWithTheSave)
{
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        QTemporaryDir dir;
        const QByteArray ini = text(runUntil(dir.filePath(QStringLiteral("s.ini")), sig));
        EXPECT_TRUE(ini.startsWith("[FormMain]\n")) << "signal " << sig;
        for (const char *key : {"ComboBoxBaud_Text=115200", "Instr1_Visible=FALSE", "Instr90_TimeScale=",
                                "CheckBox36_Checked=FALSE", "BackgroundFill1_FillObject]"})
            EXPECT_TRUE(ini.contains(key)) << key << " after signal " << sig;
    }
}

TEST(Lifecycle, TheLayoutSurvivesARestartAndASecondSaveWritesTheSameBytes)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("s.ini"));
    QByteArray ini = text(runUntil(file, SIGTERM));
    ASSERT_TRUE(ini.contains("Instr8_Left=112\n"));
    // The user's layout, as a hand edit: meter 8 moved and switched on, the baud rate typed.
    ini.replace("Instr8_Left=112\n", "Instr8_Left=420\n")
        .replace("Instr8_Visible=FALSE\n", "Instr8_Visible=TRUE\n")
        .replace("CheckBox8_Checked=FALSE\n", "CheckBox8_Checked=TRUE\n")
        .replace("ComboBoxBaud_Text=115200\n", "ComboBoxBaud_Text=250000\n");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(ini);
    }
    const QByteArray second = runUntil(file, SIGTERM);
    for (const char *kept : {"Instr8_Left=420\n", "Instr8_Visible=TRUE\n", "CheckBox8_Checked=TRUE\n",
                             "ComboBoxBaud_Text=250000\n"})
        EXPECT_TRUE(text(second).contains(kept)) << kept;
    EXPECT_EQ(runUntil(file, SIGINT), second);
}

TEST(Lifecycle, ASecondCopyEndsAtOnceAndACrashedCopyDoesNotBlockTheNext)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("s.ini"));
    ProgramRun first({QStringLiteral("--settings"), settings});
    ASSERT_TRUE(first.started());

    // The second copy hands over to the first and ends before it has a window to save.
    QProcess second;
    QProcessEnvironment env = first.p.processEnvironment();
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(TG_APP_PATH), {QStringLiteral("--settings"), settings});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.p.state(), QProcess::Running);
    EXPECT_FALSE(QFile::exists(settings));

    // A copy killed outright leaves its lock file behind; the next start is not blocked by it.
    ::kill(pid_t(first.p.processId()), SIGKILL);
    ASSERT_TRUE(first.p.waitForFinished(30000));
    QProcess next;
    next.setProcessEnvironment(env);
    next.setProcessChannelMode(QProcess::ForwardedChannels);
    next.start(QStringLiteral(TG_APP_PATH), {QStringLiteral("--settings"), settings});
    ASSERT_TRUE(next.waitForStarted(30000));
    // Still running after the second copy's hand-over time means it took the lock itself.
    EXPECT_FALSE(next.waitForFinished(3000));
    ::kill(pid_t(next.processId()), SIGTERM);
    ASSERT_TRUE(next.waitForFinished(30000));
    EXPECT_EQ(next.exitCode(), 0);
    EXPECT_TRUE(text(contents(settings)).startsWith("[FormMain]\n"));
}
