// The window and the program on the device simulator, served over the network by ser2net.
#include "../serial/PortTesting.h"
#include "../serial/Pty.h"
#include "../serial/Ser2net.h"
#include "ComComboBox.h"
#include "ComLed.h"
#include "ComPort.h"
#include "GvVMeter.h"
#include "MainWindow.h"
#include "ProgramRun.h"

#include <QComboBox>
#include <QFileInfo>
#include <QTemporaryDir>
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;

namespace {

// The simulator on a pty of its own, and ser2net serving that pty over telnet.
struct ServedSimulator {
    QTemporaryDir runtime;
    QProcess sim;
    QString pty;
    std::unique_ptr<Ser2net> server;

    ServedSimulator()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path()); // its announcement stays ours
        sim.setProcessEnvironment(env);
        sim.start(QStringLiteral(TG_SIM_PATH), {QStringLiteral("--quiet")});
        if (!sim.waitForStarted() || !waitFor([this] { return sim.canReadLine(); }, 10000))
            return;
        pty = QFileInfo(QString::fromLocal8Bit(sim.readLine()).trimmed()).symLinkTarget();
        server = std::make_unique<Ser2net>(pty);
    }
    ~ServedSimulator()
    {
        server.reset();
        sim.terminate();
        sim.waitForFinished(10000);
    }
    bool ready() const { return !pty.isEmpty() && server && server->listening(); }
    // The rate the pty's line was given, as any opener of it sees it.
    uint32_t speed() const
    {
        const int fd = ::open(QFile::encodeName(pty).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios2 t{};
        const bool ok = fd >= 0 && ioctl(fd, TCGETS2, &t) == 0;
        if (fd >= 0)
            ::close(fd);
        return ok ? t.c_ospeed : 0;
    }
};

} // namespace

TEST(NetworkPort, TheWindowShowsADeviceServedOverTheNetwork)
{
    if (Ser2net::program().isEmpty())
        GTEST_SKIP() << "ser2net is not installed (scripts/deps installs it)";
    ServedSimulator device;
    ASSERT_TRUE(device.ready());
    AppErrors errors;
    TFormMain w;
    QStringList warnings;
    w.showWarning = [&](const QString &t) { warnings << t; };
    w.ComPort1->SetPort(device.server->name());
    w.ComboBoxBaud->setCurrentText(QStringLiteral("57600"));
    w.ButtonConnectComPort1Click();
    ASSERT_TRUE(w.ComPort1->Connected());
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_EQ(w.ComLed2->State(), TComLed::lsOn);
    EXPECT_EQ(device.speed(), 57600u) << "the rate reached the device's line";

    // The simulator's messages arrive through the framer and move the meters.
    auto *meter = qobject_cast<TGvVMeter *>(w.instrument(2));
    const float start = meter->Value();
    EXPECT_TRUE(waitFor([&] { return meter->Value() != start; }, 10000));
    EXPECT_TRUE(w.StatusLine().contains("\"connected\":true")) << w.StatusLine().constData();

    // Connect again at another rate: the line follows.
    w.ComboBoxBaud->setCurrentText(QStringLiteral("115200"));
    w.ButtonConnectComPort1Click();
    ASSERT_TRUE(w.ComPort1->Connected()) << qPrintable(warnings.join(u'\n')) << qPrintable(w.lostNotice.Text());
    EXPECT_EQ(device.speed(), 115200u);

    // The server goes away: one notice in plain words, the port closed and its lamp off, and
    // nothing waited for: the user connects once the server is back.
    device.server->kill();
    ASSERT_TRUE(waitFor([&] { return !w.lostNotice.Text().isEmpty(); }));
    waitFor([] { return false; }, 200); // room for a second report
    EXPECT_TRUE(errors.texts.empty());
    const QString notice = w.lostNotice.Text();
    EXPECT_TRUE(notice.startsWith(QStringLiteral("WaitForEvent method failed (Error: 5)\n\n") + device.server->name() +
                                  QStringLiteral(" stopped working")))
        << qPrintable(notice);
    EXPECT_TRUE(notice.contains(QStringLiteral("The connection to the server dropped"))) << qPrintable(notice);
    EXPECT_TRUE(notice.endsWith(QStringLiteral("Press Connect once it is back."))) << qPrintable(notice);
    EXPECT_FALSE(w.Reconnect1.Waiting());
    EXPECT_FALSE(w.ComPort1->Connected());
    EXPECT_EQ(w.ComLed2->State(), TComLed::lsOff);

    // Nobody serves the port now: Connect warns, and says what to look at.
    w.ButtonConnectComPort1Click();
    EXPECT_FALSE(w.ComPort1->Connected());
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("Nothing takes connections at 127.0.0.1:%1").arg(device.server->port)))
        << warnings[0].toStdString();
}

TEST(NetworkPort, TheProgramConnectsToTheNameOnItsCommandLine)
{
    if (Ser2net::program().isEmpty())
        GTEST_SKIP() << "ser2net is not installed (scripts/deps installs it)";
    ServedSimulator device;
    ASSERT_TRUE(device.ready());
    QTemporaryDir dir;
    ProgramRun r({QStringLiteral("--settings"), dir.filePath(QStringLiteral("s.ini")), QStringLiteral("--port"),
                  device.server->name(), QStringLiteral("--baud"), QStringLiteral("38400"), QStringLiteral("--connect")});
    ASSERT_TRUE(r.started());
    QByteArray answer;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        const auto [code, out] = askStatus(r.p.processEnvironment());
        answer = out;
        return code == 0 && out.contains("\"connected\":true") && !out.contains("\"packets\":0,");
    }, 30000)) << answer.constData();
    EXPECT_TRUE(answer.contains(device.server->name().toUtf8())) << answer.constData();
    EXPECT_EQ(device.speed(), 38400u);
    EXPECT_TRUE(r.endsNormallyOn(SIGTERM));
}
