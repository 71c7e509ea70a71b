// The real program started and ended as a user or a service manager would.
#include "../serial/Pty.h"
#include "InstanceLock.h"
#include "PortDoctor.h"
#include "PortLockFile.h"
#include "ProgramRun.h"
#include "SerialDevice.h"
#include "SingleInstanceGuard.h"

#include <QApplication>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>
#include <array>
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

void write(const QString &file, const QByteArray &data)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

// The value of a window placement key in the settings file.
QByteArray placement(const QString &settings, const char *key)
{
    const QRegularExpression re(QStringLiteral("\\n%1=([^\\n]*)\\n").arg(QLatin1String(key)));
    return re.match(QString::fromLatin1(text(contents(settings)))).captured(1).toLatin1();
}

// A settings file as the program writes it, with the window's show command changed.
void settingsShowing(const QString &settings, int showCmd)
{
    const QByteArray ini = text(runUntil(settings, SIGTERM));
    ASSERT_TRUE(ini.contains("\nShowCmd=1\n"));
    write(settings, QByteArray(ini).replace("\nShowCmd=1\n", "\nShowCmd=" + QByteArray::number(showCmd) + "\n"));
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

// A signal that comes while the program is still starting, before it could serve one, waits
// and then ends it with its save. Started with the signal blocked and sent at once, it is
// pending from the first instruction on.
TEST(Lifecycle, ASignalAtTheStartEndsTheProgramWithItsSave)
{
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        QTemporaryDir dir;
        const QString settings = dir.filePath(QStringLiteral("s.ini"));
        sigset_t blocked, before;
        sigemptyset(&blocked);
        sigaddset(&blocked, sig);
        ::pthread_sigmask(SIG_BLOCK, &blocked, &before);
        ProgramRun r({QStringLiteral("--settings"), settings});
        ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
        ::kill(pid_t(r.p.processId()), sig);
        EXPECT_TRUE(r.endsNormally()) << "signal " << sig;
        EXPECT_TRUE(text(contents(settings)).startsWith("[FormMain]\n")) << "signal " << sig;
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
    write(file, ini);
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

TEST(Lifecycle, ASecondStartBringsBackOnlyAMinimisedWindow)
{
    const struct {
        int before, after;
    } rows[] = {{3, 3}, {2, 1}, {1, 1}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << "ShowCmd " << row.before);
        QTemporaryDir dir;
        const QString settings = dir.filePath(QStringLiteral("s.ini"));
        settingsShowing(settings, row.before);
        ProgramRun first({QStringLiteral("--settings"), settings});
        ASSERT_TRUE(first.started());
        QProcess second;
        second.setProcessEnvironment(first.p.processEnvironment());
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        second.start(QStringLiteral(TG_APP_PATH), {QStringLiteral("--settings"), settings});
        // It ends once the first copy has answered.
        ASSERT_TRUE(second.waitForFinished(30000));
        EXPECT_EQ(second.exitCode(), 0);
        ASSERT_TRUE(first.endsNormallyOn(SIGTERM));
        EXPECT_EQ(placement(settings, "ShowCmd"), QByteArray::number(row.after));
    }
}

// This test process as the later copy, its guard in each mode, the real program as the first.
TEST(Lifecycle, TheGuardsModesAsALaterCopy)
{
    const QString title = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Panel \"7\""));
    const struct {
        bool enabled;
        SingleInstanceGuard::SingleInstanceMode mode;
        bool withHandler;
        bool ends;
        const char *box;     // the message shown first, if any
        bool handlerRuns;
        int showCmd;         // of the first copy, which runs minimised: 1 once it was brought back
    } rows[] = {
        {true, SingleInstanceGuard::oiActivateOnly, false, true, "", false, 1},
        {true, SingleInstanceGuard::oiDefaultMessage, false, true, "\"Panel \"7\"\" was already started...", false, 1},
        {true, SingleInstanceGuard::oiCustom, true, true, "", true, 2},
        {true, SingleInstanceGuard::oiCustom, false, true, "", false, 1},
        {false, SingleInstanceGuard::oiActivateOnly, false, false, "", false, 2},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << row.mode << (row.enabled ? "" : ", disabled")
                                        << (row.withHandler ? ", with handler" : ""));
        QTemporaryDir dir;
        const QString settings = dir.filePath(QStringLiteral("s.ini"));
        settingsShowing(settings, 2);
        ProgramRun first({QStringLiteral("--settings"), settings});
        ASSERT_TRUE(first.started());

        InstanceLock check(QStringLiteral("TAVELGRID"), first.runtime.path());
        EXPECT_FALSE(check.claim());
        SingleInstanceGuard guard(check);
        guard.SetEnabled(row.enabled);
        guard.SetMode(row.mode);
        int handled = 0;
        if (row.withHandler)
            guard.OnCustom = [&](QObject *sender) {
                EXPECT_EQ(sender, &guard);
                ++handled;
            };
        QStringList boxes;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                boxes << box->text();
                box->accept();
            }
        });
        answer.start(10);
        EXPECT_EQ(guard.Loaded(), row.ends);
        answer.stop();
        EXPECT_EQ(boxes, *row.box ? QStringList{QString::fromUtf8(row.box)} : QStringList());
        EXPECT_EQ(handled, row.handlerRuns ? 1 : 0);
        ASSERT_TRUE(first.endsNormallyOn(SIGTERM));
        EXPECT_EQ(placement(settings, "ShowCmd"), QByteArray::number(row.showCmd));
    }
    QGuiApplication::setApplicationDisplayName(title);
}

// The device lost is reported in a box: open when the signal comes, or opened while the
// signal ends the program (Ctrl+C reaches the device's simulator at the same moment).
TEST(Lifecycle, ASignalEndsTheProgramWithItsSaveWhileABoxIsOpen)
{
    for (bool boxFirst : {true, false})
        for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
            SCOPED_TRACE(testing::Message() << "signal " << sig << (boxFirst ? " to the box" : " before the box"));
            QTemporaryDir dir;
            const QString settings = dir.filePath(QStringLiteral("s.ini"));
            Pty device;
            ProgramRun r({QStringLiteral("--settings"), settings, QStringLiteral("--port"), device.slave,
                          QStringLiteral("--connect")});
            ASSERT_TRUE(r.started());
            ASSERT_TRUE(QTest::qWaitFor([&] { return r.holdsOpen(device.slave); }, 30000));
            if (boxFirst) {
                // The port is closed, then the box that reports it opens.
                device.closeMaster();
                ASSERT_TRUE(QTest::qWaitFor([&] { return !r.holdsOpen(device.slave); }, 30000));
                ::kill(pid_t(r.p.processId()), sig);
            } else {
                ::kill(pid_t(r.p.processId()), sig);
                device.closeMaster();
            }
            EXPECT_TRUE(r.endsNormally());
            EXPECT_TRUE(text(contents(settings)).startsWith("[FormMain]\n"));
        }
}

TEST(Lifecycle, HelpAndVersionNeedNoDisplay)
{
    const struct {
        const char *option;
        const char *says;
    } rows[] = {{"--help", "--settings <FILE>"}, {"-h", "Usage:"}, {"--version", "Tavelgrid " TAVELGRID_VERSION}, {"-v", "Tavelgrid"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.option);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TG_APP_PATH), {QString::fromLatin1(row.option)});
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_TRUE(p.readAllStandardOutput().contains(row.says)) << p.readAllStandardError().constData();
    }
}

TEST(Lifecycle, TheRunningCopyTellsHowItsLinkIsDoing)
{
    QTemporaryDir dir;
    Pty device;
    ProgramRun r({QStringLiteral("--settings"), dir.filePath(QStringLiteral("s.ini")), QStringLiteral("--port"),
                  device.slave, QStringLiteral("--connect")});
    ASSERT_TRUE(r.started());
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.holdsOpen(device.slave); }, 30000));
    device.write(QByteArray("#1M5<#2M7<#3M9<"));
    QByteArray answer;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        const auto [code, out] = askStatus(r.p.processEnvironment());
        answer = out;
        return code == 0 && out.contains("\"packets\":3");
    }, 30000)) << answer.constData();
    EXPECT_TRUE(answer.contains("\"connected\":true")) << answer.constData();
    EXPECT_TRUE(answer.contains("\"dropped\":0")) << answer.constData();
    EXPECT_TRUE(r.endsNormallyOn(SIGTERM));
    // Nobody to ask: a clear failure, not an empty success.
    const auto [code, out] = askStatus(r.p.processEnvironment());
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(out.isEmpty());
}

TEST(Lifecycle, StatusQueriesNeverStopACopyFromStarting)
{
    // Scripts ask at any moment, also while a copy starts: the copy starts every time.
    QTemporaryDir dir;
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        ProgramRun r({QStringLiteral("--settings"), dir.filePath(QStringLiteral("s.ini"))});
        const QByteArray lock = QFile::encodeName(r.runtime.filePath(QStringLiteral("TAVELGRID.lock")));
        const QProcessEnvironment env = withoutDisplay(r.p.processEnvironment());
        std::array<QProcess, 3> askers;
        bool held = false;
        const bool settled = QTest::qWaitFor([&] {
            for (QProcess &a : askers) {
                if (a.state() == QProcess::NotRunning) {
                    a.setProcessEnvironment(env);
                    a.start(QStringLiteral(TG_APP_PATH), {QStringLiteral("--status")});
                }
            }
            return (held = r.holdsLock(lock)) || r.p.state() == QProcess::NotRunning;
        }, 30000);
        for (QProcess &a : askers)
            a.waitForFinished(30000);
        ASSERT_TRUE(settled && held) << "the copy ended with " << r.p.exitCode();
        EXPECT_TRUE(r.endsNormallyOn(SIGTERM));
    }
}

namespace {

// Whether anyone holds the device: its lock file, a lock on it, or an open descriptor.
bool held(const QString &node)
{
    return !tg::platform::portHolders(node).isEmpty();
}

} // namespace

TEST(Lifecycle, ReleaseWaitFreesThePortForAFirmwareToolAndItIsOpenedAgainAfterIt)
{
    QTemporaryDir dir;
    Pty device;
    ProgramRun r({QStringLiteral("--settings"), dir.filePath(QStringLiteral("s.ini")), QStringLiteral("--port"),
                  device.slave, QStringLiteral("--connect")});
    ASSERT_TRUE(r.started());
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.holdsOpen(device.slave); }, 30000));
    ASSERT_TRUE(held(device.slave));

    const QStringList releaseWait{QStringLiteral("--release"), QStringLiteral("--wait")};
    const auto [code, out] = startAgain(r.p.processEnvironment(), releaseWait);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out, device.slave.toLocal8Bit()); // the device freed, for the script
    EXPECT_FALSE(held(device.slave));
    EXPECT_EQ(tg::platform::lockFileOwner(device.slave).pid, 0);
    EXPECT_TRUE(askStatus(r.p.processEnvironment()).second.contains("\"waiting\":\"released\""));

    // The firmware tool has the port, writes and lets go; the program takes it back.
    {
        tg::platform::SerialDevice tool;
        ASSERT_EQ(tool.open(device.slave), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return askStatus(r.p.processEnvironment()).second.contains("\"waiting\":\"released-away\"");
        }, 30000));
        EXPECT_FALSE(r.holdsOpen(device.slave));
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return r.holdsOpen(device.slave); }, 30000));
    device.write("#1M5<");
    EXPECT_TRUE(QTest::qWaitFor([&] { return askStatus(r.p.processEnvironment()).second.contains("\"packets\":1"); },
                                30000));
    EXPECT_TRUE(r.endsNormallyOn(SIGTERM));
    // Nobody to ask.
    EXPECT_EQ(startAgain(r.p.processEnvironment(), releaseWait).first, 1);
}

TEST(Lifecycle, ALaterStartHandsItsPortToTheRunningCopyAndTheNextStartRemembersIt)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("s.ini"));
    Pty device;
    {
        ProgramRun r({QStringLiteral("--settings"), settings});
        ASSERT_TRUE(r.started());
        const auto [code, out] =
            startAgain(r.p.processEnvironment(), {QStringLiteral("--port"), device.slave, QStringLiteral("--baud"),
                                                  QStringLiteral("57600"), QStringLiteral("--connect")});
        EXPECT_EQ(code, 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return r.holdsOpen(device.slave); }, 30000));
        EXPECT_EQ(device.line().speed, 57600u);
        EXPECT_TRUE(r.endsNormallyOn(SIGTERM));
    }
    const QByteArray features = text(contents(dir.filePath(QStringLiteral("s-features.ini"))));
    EXPECT_TRUE(features.contains("[Port]\nLastPort=" + device.slave.toLocal8Bit() + "\nLastBaud=57600\n"))
        << features.constData();

    // The next start shows them, and connects with them once "Connect at Start" is on.
    for (const bool atStart : {false, true}) {
        SCOPED_TRACE(atStart ? "connect at start" : "shown only");
        write(dir.filePath(QStringLiteral("s-features.ini")),
              QByteArray(features).replace("ConnectAtStart=FALSE", atStart ? "ConnectAtStart=TRUE" : "ConnectAtStart=FALSE"));
        ProgramRun r({QStringLiteral("--settings"), settings});
        ASSERT_TRUE(r.started());
        QByteArray status;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            status = askStatus(r.p.processEnvironment()).second;
            return status.contains("\"port\":\"" + device.slave.toLocal8Bit() + '"') &&
                   status.contains(atStart ? "\"connected\":true" : "\"connected\":false");
        }, 30000)) << status.constData();
        EXPECT_TRUE(r.endsNormallyOn(SIGTERM));
        // The main file keeps its own keys only.
        const QByteArray main = text(contents(settings));
        EXPECT_TRUE(main.contains("\nComboBoxBaud_Text=57600\n"));
        for (const char *key : {"LastPort", "LastBaud", "ConnectAtStart", "Reconnect"})
            EXPECT_FALSE(main.contains(key)) << key;
    }
}
