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
