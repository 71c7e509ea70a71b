// The real program started and ended as a user or a service manager would.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

namespace {

// One run of the program on its own settings file and runtime folder (the single-instance
// guard would end a second copy at once).
struct Run {
    QTemporaryDir runtime;
    QProcess p;

    explicit Run(const QString &settings)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(QStringLiteral(TG_APP_PATH), {QStringLiteral("--settings"), settings});
    }
    // The guard's lock exists once the program has set up its signal handling.
    bool started()
    {
        return QTest::qWaitFor([&] { return QFile::exists(runtime.filePath(QStringLiteral("TAVELGRID.lock"))); },
                               30000);
    }
    bool endsNormallyOn(int sig)
    {
        ::kill(pid_t(p.processId()), sig);
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }
};

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
    Run r(settings);
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
