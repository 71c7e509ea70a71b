// The real window and the device simulator, unplugged and plugged in again: the same device is
// opened again with no click, and a port released for a firmware tool comes back after it.
#include "../platform/Holder.h"
#include "../serial/Pty.h"
#include "../serial/RuntimeFolder.h"
#include "ComPort.h"
#include "ComTerminal.h"
#include "FeatureSettings.h"
#include "MainWindow.h"
#include "PortDoctor.h"
#include "PortLockFile.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <iostream>

namespace {

// The simulator, told on its standard input when to unplug and plug in.
struct Simulator {
    QProcess p;
    QString link;
    explicit Simulator(const QStringList &extra = {})
    {
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral(TG_SIM_PATH), QStringList{QStringLiteral("--control"), QStringLiteral("--quiet")} + extra);
        if (p.waitForStarted() && waitFor([this] { return p.canReadLine(); }, 10000))
            link = QString::fromLocal8Bit(p.readLine().trimmed());
    }
    ~Simulator()
    {
        p.terminate();
        p.waitForFinished();
    }
    void unplug() { p.write("unplug\n"); }
    void plug() { p.write("plug\n"); }
};

struct Rig {
    ScopedRuntimeFolder runtime; // the simulator's announcement, private to the test
    Simulator sim;
    TFormMain w;
    QStringList warnings;
    explicit Rig(const QStringList &simOptions = {}) : sim(simOptions)
    {
        w.showWarning = [this](const QString &t) { warnings << t; };
        w.ComPort1->SetPort(sim.link);
        w.show();
    }
    bool connect()
    {
        w.ButtonConnectComPort1Click();
        return w.ComPort1->Connected();
    }
    qint64 packets() const
    {
        return QJsonDocument::fromJson(w.StatusLine()).object().value(QStringLiteral("packets")).toInteger();
    }
    bool waiting() const { return w.Reconnect1.Waiting() && w.LabelWaiting->isVisible(); }
};

qint64 percentile(std::vector<qint64> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

} // namespace

TEST(Reconnect, TheLostDeviceIsOpenedAgainWhenItIsBackAHundredTimesUnderAFlood)
{
#if defined(__SANITIZE_ADDRESS__)
    // A sanitized window handles a flood too slowly to empty its queue before each loss is
    // seen, so there the device sends at a pace the window keeps up with.
    Rig r({QStringLiteral("--rate"), QStringLiteral("5000")});
#else
    Rig r({QStringLiteral("--rate"), QStringLiteral("0")});
#endif
    ASSERT_FALSE(r.sim.link.isEmpty());
    ASSERT_TRUE(r.connect()) << qPrintable(r.warnings.join(u'\n'));
    EXPECT_FALSE(r.w.LabelWaiting->isVisible()); // nothing over the panel while nothing is lost
    ASSERT_TRUE(waitFor([&] { return r.packets() > 100; }));
    const int descriptors = openDescriptors(), threads = threadCount();

    constexpr int kCycles = 100;
    std::vector<qint64> backMs;
    QElapsedTimer clock;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        SCOPED_TRACE(testing::Message() << "cycle " << cycle);
        clock.start();
        r.sim.unplug();
        ASSERT_TRUE(waitFor([&] { return !r.w.ComPort1->Connected() && r.waiting(); }, 10000));
        if (cycle == 0) {
            // Told without a modal box, the port's own text first, then what happened in words.
            EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
            const QString notice = r.w.lostNotice.Text();
            EXPECT_TRUE(notice.startsWith(QStringLiteral("WaitForEvent method failed (Error: 5)\n\n") + r.sim.link +
                                          QStringLiteral(" (virtual port (pseudo-terminal ")))
                << qPrintable(notice);
            EXPECT_TRUE(notice.contains(QStringLiteral("It is no longer present"))) << qPrintable(notice);
            EXPECT_TRUE(r.w.LabelWaiting->text().startsWith(QStringLiteral("Waiting for ") + r.sim.link))
                << qPrintable(r.w.LabelWaiting->text());
            // While the device is away nothing changes in its folders, and the window looks
            // once per interval.
            waitFor([] { return false; }, 1000);
            EXPECT_LE(r.w.Reconnect1.Looks(), clock.elapsed() / TReconnect::kLookMs + 1);
            EXPECT_EQ(r.w.Reconnect1.Opens(), 0);
        }
        // Plugged in again once the window has seen it away, as a hand at the cable would.
        ASSERT_TRUE(waitFor([&] { return r.w.Reconnect1.Looks() > 0; }));
        clock.start();
        r.sim.plug();
        ASSERT_TRUE(waitFor([&] { return r.w.ComPort1->Connected(); }, 10000));
        backMs.push_back(clock.elapsed());
        EXPECT_FALSE(r.w.LabelWaiting->isVisible());
    }
    // The device is read again, and nothing was left behind by a hundred losses.
    const qint64 before = r.packets();
    EXPECT_TRUE(waitFor([&] { return r.packets() > before + 100; }));
    EXPECT_TRUE(r.warnings.isEmpty()) << qPrintable(r.warnings.join(u'\n'));
    EXPECT_TRUE(r.w.lostNotice.Text().contains(QStringLiteral("is open again."))) << qPrintable(r.w.lostNotice.Text());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(openDescriptors(), descriptors);
    EXPECT_EQ(threadCount(), threads);
    std::cout << "[ figures  ] back after a re-plug over " << kCycles << " cycles: p50 " << percentile(backMs, 0.5)
              << " ms, p99 " << percentile(backMs, 0.99) << " ms, max " << percentile(backMs, 1.0) << " ms\n";
}

TEST(Reconnect, SwitchedOffOrEndedByTheUserTheLostDeviceStaysClosed)
{
    // Each way ends the wait (or keeps it from starting); the device then comes back unopened.
    const struct {
        const char *what;
        std::function<void(Rig &)> after; // run once the device is lost
        bool reconnect;
    } ways[] = {
        {"reconnecting switched off", [](Rig &) {}, false},
        {"switched off while waiting", [](Rig &r) { r.w.ReconnectAutomatically1->trigger(); }, true},
        {"Disconnect while waiting", [](Rig &r) { r.w.ButtonDisConnectComPort1Click(); }, true},
    };
    for (const auto &way : ways) {
        SCOPED_TRACE(way.what);
        Rig r;
        r.w.ReconnectAutomatically1->setChecked(way.reconnect);
        ASSERT_TRUE(r.connect());
        r.sim.unplug();
        ASSERT_TRUE(waitFor([&] { return !r.w.ComPort1->Connected(); }));
        EXPECT_EQ(r.waiting(), way.reconnect);
        // Send String says which port and what to do: wait for it, or connect once it is back.
        r.w.EditTerminalSendString->setText(QStringLiteral("#70M1<"));
        try {
            r.w.ButtonSendStringClick();
            ADD_FAILURE() << "sent to a lost device";
        } catch (const std::exception &e) {
            EXPECT_TRUE(QString::fromUtf8(e.what())
                            .startsWith(QStringLiteral("Port Not Open\n\n") +
                                        (way.reconnect ? QStringLiteral("Waiting for ") + r.sim.link + u' '
                                                       : r.sim.link + QStringLiteral(" is not open: press Connect"))))
                << e.what();
        }
        way.after(r);
        EXPECT_FALSE(r.w.Reconnect1.Waiting());
        EXPECT_FALSE(r.w.LabelWaiting->isVisible());
        EXPECT_TRUE(r.w.lostNotice.Text().startsWith(QStringLiteral("WaitForEvent method failed (Error: 5)\n\n")));
        EXPECT_EQ(r.w.lostNotice.Text().endsWith(QStringLiteral("Press Connect once it is back.")), !way.reconnect);
        r.sim.plug();
        ASSERT_TRUE(waitFor([&] { return QFileInfo(r.sim.link).exists(); }));
        EXPECT_FALSE(waitFor([&] { return r.w.ComPort1->Connected(); }, 4 * TReconnect::kLookMs));
        // Connect opens it as always.
        EXPECT_TRUE(r.connect());
    }
}

TEST(Reconnect, AReleasedPortComesBackAfterTheFirmwareToolWithTheBoardsBootLine)
{
    Rig r;
    ASSERT_TRUE(r.connect());
    r.w.PageControl1->setCurrentWidget(r.w.TabSheetTerminal);
    r.w.ButtonTerminalConnectClick();
    const QString node = QFileInfo(r.sim.link).canonicalFilePath();

    r.w.ReleaseInterface1->trigger();
    r.w.ButtonClearTerminalClick();
    EXPECT_FALSE(r.w.ComPort1->Connected());
    EXPECT_TRUE(r.waiting());
    EXPECT_EQ(r.w.Reconnect1.State(), QStringLiteral("released"));
    EXPECT_TRUE(r.w.LabelWaiting->text().contains(QStringLiteral("released for another program")));
    // Free for the tool: no lock file, no lock, not open here.
    EXPECT_EQ(tg::platform::lockFileOwner(node).pid, 0);
    EXPECT_TRUE(tg::platform::portHolders(node).isEmpty());
    // The device is there and free, but the tool has not had it yet: it stays released.
    EXPECT_FALSE(waitFor([&] { return r.w.ComPort1->Connected(); }, 3 * TReconnect::kLookMs));

    {
        Holder tool(r.sim.link, Holder::Lock); // the firmware tool at work
        ASSERT_EQ(tool.p.state(), QProcess::Running);
        ASSERT_TRUE(waitFor([&] { return r.w.Reconnect1.State() == QLatin1String("released-away"); }));
        EXPECT_FALSE(r.w.ComPort1->Connected());
        // The new firmware resets the board, which comes back as a new device.
        r.sim.unplug();
        r.sim.plug();
    }
    ASSERT_TRUE(waitFor([&] { return r.w.ComPort1->Connected(); }, 10000));
    EXPECT_FALSE(r.w.LabelWaiting->isVisible());
    EXPECT_TRUE(waitFor([&] { return r.w.ComTerminal1->Screen().RowText(1) == "tavelgrid-sim booted"; }))
        << r.w.ComTerminal1->Screen().RowText(1);
    EXPECT_TRUE(r.warnings.isEmpty()) << qPrintable(r.warnings.join(u'\n'));
}

TEST(Reconnect, ADeviceBackThatCannotBeOpenedYetIsTriedFourTimesASecond)
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("board")), notATty = dir.filePath(QStringLiteral("file"));
    QFile(notATty).open(QIODevice::WriteOnly);
    auto device = std::make_unique<Pty>();
    ASSERT_TRUE(QFile::link(device->slave, link));
    TFormMain w;
    w.show();
    w.ComPort1->SetPort(link);
    w.ButtonConnectComPort1Click();
    ASSERT_TRUE(w.ComPort1->Connected());

    // Lost, and back under its name as something that cannot be opened as a port yet.
    QFile::remove(link);
    device->closeMaster();
    ASSERT_TRUE(waitFor([&] { return w.Reconnect1.Waiting(); }));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QFile::link(notATty, link));
    waitFor([] { return false; }, 1500);
    EXPECT_GE(w.Reconnect1.Opens(), 2);
    EXPECT_LE(w.Reconnect1.Opens(), clock.elapsed() / TReconnect::kLookMs + 1);
    EXPECT_FALSE(w.ComPort1->Connected());
    EXPECT_TRUE(w.LabelWaiting->isVisible());

    // The real device behind the name at last.
    device = std::make_unique<Pty>();
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(device->slave, link));
    ASSERT_TRUE(waitFor([&] { return w.ComPort1->Connected(); }));
    EXPECT_FALSE(w.LabelWaiting->isVisible());
    device->write("#1M7<");
    EXPECT_TRUE(waitFor([&] { return w.StatusLine().contains("\"packets\":1"); }));
}
