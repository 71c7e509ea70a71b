#include "ApplicationException.h"
#include "ComDataPacket.h"
#include "ComPort.h"
#include "EComPort.h"
#include "IniFileStorage.h"
#include "PortTesting.h"
#include "Pty.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <asm/termbits.h>
#include <atomic>
#include <cerrno>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace Com;

namespace {

// Records open/close events and link calls in one log.
void record(TComPort &port, TComLink &link, Log &log)
{
    port.OnBeforeOpen = [&](TCustomComPort *) { log.push_back("BeforeOpen"); };
    port.OnAfterOpen = [&](TCustomComPort *) { log.push_back("AfterOpen"); };
    port.OnBeforeClose = [&](TCustomComPort *) { log.push_back("BeforeClose"); };
    port.OnAfterClose = [&](TCustomComPort *) { log.push_back("AfterClose"); };
    port.OnCTSChange = [&](TCustomComPort *, bool on) { log.push_back(on ? "CTS+" : "CTS-"); };
    port.OnDSRChange = [&](TCustomComPort *, bool on) { log.push_back(on ? "DSR+" : "DSR-"); };
    port.OnRLSDChange = [&](TCustomComPort *, bool on) { log.push_back(on ? "RLSD+" : "RLSD-"); };
    link.LinkConn = [&](TCustomComPort *, bool on) { log.push_back(on ? "link:Conn+" : "link:Conn-"); };
    link.LinkCTS = [&](TCustomComPort *, bool on) { log.push_back(on ? "link:CTS+" : "link:CTS-"); };
    link.LinkDSR = [&](TCustomComPort *, bool on) { log.push_back(on ? "link:DSR+" : "link:DSR-"); };
    link.LinkRLSD = [&](TCustomComPort *, bool on) { log.push_back(on ? "link:RLSD+" : "link:RLSD-"); };
    port.AttachLink(&link);
}

TEST(ComPort, DefaultsAndDeviceControlBlock)
{
    TComPort port;
    EXPECT_EQ(port.BaudRate(), br9600);
    EXPECT_EQ(port.CustomBaudRate(), 9600);
    EXPECT_EQ(port.Port(), "COM1");
    EXPECT_EQ(port.DataBits(), dbEight);
    EXPECT_EQ(port.StopBits(), sbOneStopBit);
    EXPECT_EQ(port.Parity()->Bits(), prNone);
    EXPECT_EQ(port.FlowControl()->FlowControl(), fcNone);
    EXPECT_EQ(port.Events(), allComEvents);
    EXPECT_EQ(port.StoredProps(), TStoredProps(spBasic));
    EXPECT_TRUE(port.TriggersOnRxChar());
    const auto t = port.CommTimeouts();
    EXPECT_EQ(t.ReadIntervalTimeout, 4294967295u);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 100u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 1000u);
    auto dcb = port.DeviceControlBlock();
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.Flags, 1u);
    EXPECT_EQ(dcb.XonLim, 256);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.XonChar, 17);
    EXPECT_EQ(dcb.XoffChar, 19);
    EXPECT_EQ(port.EventMask(), 0x05FFu);

    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(921600);
    port.Buffer()->SetInputSize(4097);
    EXPECT_EQ(port.Buffer()->InputSize(), 4096);
    port.Parity()->SetCheck(true);
    port.Parity()->SetReplace(true);
    port.Parity()->SetReplaceChar('?');
    port.FlowControl()->SetControlDTR(dtrEnable);
    port.FlowControl()->SetControlRTS(rtsToggle);
    port.SetDiscardNull(true);
    dcb = port.DeviceControlBlock();
    EXPECT_EQ(dcb.BaudRate, 921600u);
    EXPECT_EQ(dcb.XonLim, 1024);
    EXPECT_EQ(dcb.XoffLim, 1024);
    EXPECT_EQ(dcb.Flags, 0x1u | 0x2u | 0x10u | 0x400u | 0x800u | 0x3000u);
    EXPECT_EQ(dcb.ErrorChar, '?');
}

TEST(ComPort, DerivedFlowControl)
{
    TComPort port;
    TComFlowControl &fc = *port.FlowControl();
    fc.SetFlowControl(fcHardware);
    EXPECT_EQ(fc.ControlRTS(), rtsHandshake);
    EXPECT_TRUE(fc.OutCTSFlow());
    EXPECT_EQ(fc.FlowControl(), fcHardware);
    fc.SetOutDSRFlow(true);
    EXPECT_EQ(fc.FlowControl(), fcHardware);
    fc.SetXonXoffIn(true);
    EXPECT_EQ(fc.FlowControl(), fcCustom);
    fc.SetFlowControl(fcSoftware);
    EXPECT_EQ(fc.ControlRTS(), rtsDisable);
    EXPECT_FALSE(fc.OutCTSFlow());
    EXPECT_EQ(fc.FlowControl(), fcSoftware);
    fc.SetFlowControl(fcNone);
    EXPECT_EQ(fc.FlowControl(), fcNone);
}

TEST(ComPort, FailureMessages)
{
    TComPort port;
    Log log;
    port.OnBeforeOpen = [&](TCustomComPort *) { log.push_back("BeforeOpen"); };
    port.OnAfterOpen = [&](TCustomComPort *) { log.push_back("AfterOpen"); };
    port.SetPort("ttyNoSuchDevice42");
    try {
        port.Open();
        FAIL() << "open of a missing device succeeded";
    } catch (const EComPort &e) {
        EXPECT_STREQ(e.what(), "Unable to open com port (Error: 2)");
        EXPECT_EQ(e.Code(), 1);
        EXPECT_EQ(e.WinCode(), ENOENT);
    }
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(log, (Log{"BeforeOpen"}));

    EXPECT_EQ(port.WriteText(""), 0);
    EXPECT_EQ(failureOf([&] { port.WriteText("#70M1<"); }), "Port Not Open");
    char buf[4];
    EXPECT_EQ(failureOf([&] { port.Read(buf, 4); }), "Port Not Open");

    TComLink link;
    port.AttachLink(&link);
    EXPECT_EQ(failureOf([&] { port.AttachLink(&link); }), "Link (un)registration failed");
    port.DetachLink(&link);
    EXPECT_EQ(failureOf([&] { port.DetachLink(&link); }), "Link (un)registration failed");

    TComDataPacket framer;
    framer.SetComPort(&port);
    EXPECT_FALSE(port.TriggersOnRxChar());
    EXPECT_EQ(failureOf([&] { port.SetTriggersOnRxChar(true); }), "A component is linked to OnRxBuf event");

    Pty pty;
    port.SetPort(pty.slave);
    port.Open();
    EXPECT_EQ(failureOf([&] { port.SetSyncMethod(smNone); }), "Cannot set property while connected");
    EXPECT_EQ(port.SyncMethod(), smThreadSync);
}

TEST(ComPort, ExceptionHandlerEndsTheFailedOperation)
{
    TComPort port;
    std::vector<std::tuple<TComExceptions, QString, int64_t, QString>> seen;
    port.OnException = [&](TCustomComPort *, TComExceptions e, const QString &msg, int64_t win, const QString &winMsg) {
        seen.emplace_back(e, msg, win, winMsg);
    };
    bool afterOpen = false;
    port.OnAfterOpen = [&](TCustomComPort *) { afterOpen = true; };
    port.SetPort("/dev/ttyNoSuchDevice42");
    EXPECT_NO_THROW(port.Open());
    EXPECT_FALSE(port.Connected());
    EXPECT_FALSE(afterOpen);
    char buf[8];
    EXPECT_EQ(port.Read(buf, 8), 0);
    EXPECT_EQ(port.WriteText("#70M1<"), 0);
    ASSERT_EQ(seen.size(), 3u);
    // The handler gets the ordinal, counted from 0; the error code is one more.
    EXPECT_EQ(int(std::get<0>(seen[0])), 0);
    EXPECT_EQ(int(std::get<0>(seen[1])), 23);
    EXPECT_EQ(std::get<0>(seen[0]), CE_OpenFailed);
    EXPECT_EQ(std::get<1>(seen[0]), "Unable to open com port");
    EXPECT_EQ(std::get<2>(seen[0]), ENOENT);
    EXPECT_FALSE(std::get<3>(seen[0]).isEmpty());
    EXPECT_EQ(std::get<0>(seen[1]), CEPortNotOpen);
    EXPECT_EQ(std::get<2>(seen[1]), -24);
}

TEST(ComPort, OpenAndCloseReportInOrder)
{
    Pty pty;
    TComPort port;
    TComLink link;
    Log log;
    record(port, link, log);
    port.SetPort(pty.slave);
    port.Open();
    EXPECT_TRUE(port.Connected());
    // A pseudo-terminal has no modem lines: they are reported off.
    EXPECT_EQ(log, (Log{"BeforeOpen", "link:Conn+", "AfterOpen", "link:CTS-", "CTS-", "link:DSR-", "DSR-",
                        "link:RLSD-", "RLSD-"}));
    log.clear();
    port.Open();
    EXPECT_TRUE(log.empty()) << "open on an open port does nothing";
    port.Close();
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(log, (Log{"link:CTS-", "link:DSR-", "link:RLSD-", "CTS-", "DSR-", "RLSD-", "BeforeClose",
                        "link:Conn-", "AfterClose"}));
    log.clear();
    port.Close();
    EXPECT_TRUE(log.empty()) << "close on a closed port does nothing";
    port.DetachLink(&link);
}

TEST(ComPort, LineSettingsReachTheDevice)
{
    Pty pty;
    TComPort port;
    port.SetPort(pty.slave);
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(921600);
    port.Open();
    EXPECT_EQ(pty.line().speed, 921600u);
    EXPECT_EQ(pty.line().cflag & CSIZE, unsigned(CS8));
    EXPECT_FALSE(pty.line().cflag & (PARENB | CSTOPB | CRTSCTS));

    for (int rate : {250000, 3000000, 12345}) { // applied while open
        port.SetCustomBaudRate(rate);
        EXPECT_EQ(pty.line().speed, uint32_t(rate));
    }
    port.SetBaudRate(br57600);
    EXPECT_EQ(pty.line().speed, 57600u);

    // A pty forces CS8 and clears PARENB itself; the other parity and stop bits stay visible.
    port.Parity()->SetBits(prMark);
    port.SetDataBits(dbFive);
    port.SetStopBits(sbOne5StopBits);
    auto line = pty.line();
    EXPECT_EQ(line.cflag & (PARODD | CMSPAR), unsigned(PARODD | CMSPAR));
    EXPECT_TRUE(line.cflag & CSTOPB);
    EXPECT_EQ(port.DeviceControlBlock().ByteSize, 5);
    EXPECT_EQ(port.DeviceControlBlock().Parity, 3);
    EXPECT_EQ(port.DeviceControlBlock().StopBits, 1);
    port.Parity()->SetBits(prSpace);
    EXPECT_EQ(pty.line().cflag & (PARODD | CMSPAR), unsigned(CMSPAR));
    port.Parity()->SetBits(prOdd);
    EXPECT_EQ(pty.line().cflag & (PARODD | CMSPAR), unsigned(PARODD));

    port.FlowControl()->SetFlowControl(fcHardware);
    EXPECT_TRUE(pty.line().cflag & CRTSCTS);
    port.FlowControl()->SetFlowControl(fcSoftware);
    line = pty.line();
    EXPECT_FALSE(line.cflag & CRTSCTS);
    EXPECT_EQ(line.iflag & (IXON | IXOFF), unsigned(IXON | IXOFF));

    // A refused rate leaves the port open with the old settings.
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(4800);
    EXPECT_EQ(failureOf([&] { port.SetCustomBaudRate(0); }), "SetCommState function failed (Error: 22)");
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(pty.line().speed, 4800u);
}

TEST(ComPort, RefusedRateFailsTheOpen)
{
    Pty pty;
    TComPort port;
    port.SetPort(pty.slave);
    port.SetBaudRate(brCustom);
    for (int rate : {0, -9600}) {
        port.SetCustomBaudRate(rate);
        EXPECT_EQ(failureOf([&] { port.Open(); }), "SetCommState function failed (Error: 22)");
        EXPECT_FALSE(port.Connected());
    }
    port.SetCustomBaudRate(9600);
    EXPECT_NO_THROW(port.Open()) << "the device was released after the failed open";
}

TEST(ComPort, SecondOpenerIsRefused)
{
    Pty pty;
    TComPort first, second;
    first.SetPort(pty.slave);
    second.SetPort(pty.slave);
    first.Open();
    try {
        second.Open();
        FAIL() << "second open succeeded";
    } catch (const EComPort &e) {
        EXPECT_EQ(e.Code(), 1);
        EXPECT_EQ(e.WinCode(), EBUSY);
    }
    first.Close();
    EXPECT_NO_THROW(second.Open());
}

TEST(ComPort, ReceivedDataReachFramerOnGuiThreadInOrder)
{
    Pty pty;
    TComPort port;
    port.SetPort(pty.slave);
    TComDataPacket framer;
    framer.SetComPort(&port);
    framer.SetStartString("#");
    framer.SetStopString("<");
    framer.SetIncludeStrings(true);
    std::vector<QByteArray> packets;
    bool offThread = false;
    framer.OnPacket = [&](TComDataPacket *, const QByteArray &p) {
        offThread |= QThread::currentThread() != qApp->thread();
        packets.push_back(p);
    };
    Log rx;
    TComLink lamp;
    lamp.LinkRx = [&](TCustomComPort *, bool on) { if (rx.empty() || rx.back() != (on ? "+" : "-")) rx.push_back(on ? "+" : "-"); };
    port.AttachLink(&lamp);
    port.Open();

    QByteArray stream;
    const int count = 20000;
    for (int i = 0; i < count; ++i)
        stream += "#" + QByteArray::number(i % 100) + "M" + QByteArray::number(i) + "<";
    pty.write(stream);
    ASSERT_TRUE(waitFor([&] { return packets.size() == size_t(count); }, 20000)) << packets.size();
    EXPECT_FALSE(offThread);
    for (int i = 0; i < count; i += 997)
        EXPECT_EQ(packets[size_t(i)], "#" + QByteArray::number(i % 100) + "M" + QByteArray::number(i) + "<");
    ASSERT_GE(rx.size(), 2u);
    EXPECT_EQ(rx.front(), "+");
    EXPECT_EQ(rx.back(), "-") << "the Rx lamp goes off once the queue is read empty";
    port.DetachLink(&lamp);
}

TEST(ComPort, WriteReportsTransmitAndQueueEmpty)
{
    Pty pty;
    TComPort port;
    port.SetPort(pty.slave);
    TComLink link;
    Log log;
    link.LinkTx = [&](TCustomComPort *, bool on) { log.push_back(on ? "Tx+" : "Tx-"); };
    link.LinkTxBuf = [&](TCustomComPort *, const char *b, int n) { log.push_back("TxBuf:" + std::string(b, size_t(n))); };
    link.LinkTxEmpty = [&](TCustomComPort *) { log.push_back("TxEmpty"); };
    port.OnTxEmpty = [&](TCustomComPort *) { log.push_back("OnTxEmpty"); };
    port.AttachLink(&link);
    port.Open();
    EXPECT_EQ(port.WriteText("#70M1<"), 6);
    EXPECT_EQ(pty.read(6), "#70M1<");
    ASSERT_TRUE(waitFor([&] { return log.size() >= 5; }));
    EXPECT_EQ(log, (Log{"Tx+", "TxBuf:#70M1<", "Tx-", "TxEmpty", "OnTxEmpty"}));
    port.DetachLink(&link);
}

TEST(ComPort, ReadHonoursTheReadTimeouts)
{
    using namespace std::chrono_literals;
    Pty pty;
    TComPort port;
    port.SetEvents({}); // no event thread: only Read takes the data
    port.SetPort(pty.slave);
    port.Open();
    char buf[16];
    auto deviceSends = [&](std::vector<QByteArray> pieces) {
        return std::thread([&pty, pieces] {
            for (const QByteArray &piece : pieces) {
                std::this_thread::sleep_for(30ms);
                pty.write(piece);
            }
        });
    };

    // The defaults: at once with what is queued; an empty queue is not a failure.
    EXPECT_EQ(port.Read(buf, 16), 0);
    pty.write("ab");
    ASSERT_TRUE(waitFor([&] { return port.PendingInput() == 2; }));
    EXPECT_EQ(port.Read(buf, 16), 2);

    // A total timeout waits for every byte asked for.
    port.Timeouts()->SetReadInterval(0);
    port.Timeouts()->SetReadTotalConstant(20000);
    std::thread device = deviceSends({"abc", "de"});
    EXPECT_EQ(port.Read(buf, 5), 5);
    EXPECT_EQ(QByteArray(buf, 5), "abcde");
    device.join();

    // Nothing comes: the read ends at its deadline, with nothing and without a failure.
    port.Timeouts()->SetReadTotalConstant(200);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(port.Read(buf, 5), 0);
    EXPECT_GE(clock.elapsed(), 190);

    // Infinite interval and multiplier with a constant: back as soon as anything is there.
    port.Timeouts()->SetReadInterval(-1);
    port.Timeouts()->SetReadTotalMultiplier(-1);
    port.Timeouts()->SetReadTotalConstant(20000);
    device = deviceSends({"xyz"});
    EXPECT_EQ(port.Read(buf, 16), 3);
    device.join();

    // A hang-up is told from "nothing yet": it fails at once instead of waiting.
    port.Timeouts()->SetReadInterval(0);
    port.Timeouts()->SetReadTotalMultiplier(0);
    pty.closeMaster();
    EXPECT_EQ(failureOf([&] { port.Read(buf, 5); }), "ReadFile function failed (Error: 5)");
    EXPECT_EQ(failureOf([&] { port.Close(); }), "PurgeComm function failed (Error: 5)");
}

TEST(ComPort, FailedWriteSwitchesTransmitOff)
{
    Pty pty;
    TComPort port;
    port.SetEvents({}); // no event thread: only the write sees the lost line
    port.SetPort(pty.slave);
    TComLink link;
    Log log;
    link.LinkTx = [&](TCustomComPort *, bool on) { log.push_back(on ? "Tx+" : "Tx-"); };
    port.AttachLink(&link);
    port.Open();
    pty.closeMaster();
    EXPECT_EQ(failureOf([&] { port.WriteText("#70M1<"); }), "WriteFile function failed (Error: 5)");
    EXPECT_EQ(log, (Log{"Tx+", "Tx-"}));
    // The lost line cannot be purged; the port is closed all the same.
    EXPECT_EQ(failureOf([&] { port.Close(); }), "PurgeComm function failed (Error: 5)");
    EXPECT_FALSE(port.Connected());
    port.DetachLink(&link);
}

TEST(ComPort, WritesThatDoNotFitWaitUntilTheDeadline)
{
    Pty pty;
    TComPort port;
    port.SetPort(pty.slave);
    port.Timeouts()->SetWriteTotalMultiplier(0);
    port.Timeouts()->SetWriteTotalConstant(300);
    port.Open();
    const QByteArray big(1 << 20, 'x');
    const int32_t written = port.WriteText(big); // nobody reads: the deadline ends the write
    EXPECT_GT(written, 0);
    EXPECT_LT(written, big.size());

    // With a reader on the other side, every byte goes out.
    std::atomic<qsizetype> received{0};
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        char buf[65536];
        while (!stop) {
            const ssize_t n = ::read(pty.master, buf, sizeof buf);
            if (n > 0)
                received += n;
            else
                std::this_thread::yield();
        }
    });
    port.Timeouts()->SetWriteTotalConstant(0); // no deadline at all
    EXPECT_EQ(port.WriteText(big), big.size());
    stop = true;
    reader.join();
}

TEST(ComPort, FailingHandlerIsReportedAndDeliveryGoesOn)
{
    AppErrors errors;
    Pty pty;
    TComPort port;
    port.SetPort(pty.slave);
    QByteArray received;
    int calls = 0;
    TComLink link;
    link.LinkRxBuf = [&](TCustomComPort *, const char *b, int n) {
        if (++calls == 1)
            throw std::runtime_error("link handler failed");
        received.append(b, n);
    };
    port.AttachLink(&link);
    port.Open();
    pty.write("first");
    ASSERT_TRUE(waitFor([&] { return !errors.texts.empty(); }));
    EXPECT_EQ(errors.texts, (Log{"link handler failed"}));
    pty.write("second");
    EXPECT_TRUE(waitFor([&] { return received == "second"; })) << received.toStdString();
    EXPECT_TRUE(port.Connected());
    port.DetachLink(&link);
}

TEST(ComPort, VanishedDeviceIsReportedOnceAndClosed)
{
    const int fdsBefore = openDescriptors();
    Log log;
    {
        auto pty = std::make_unique<Pty>();
        TComPort port;
        TComLink link;
        link.LinkConn = [&](TCustomComPort *, bool on) { log.push_back(on ? "Conn+" : "Conn-"); };
        port.OnError = [&](TCustomComPort *p, TComErrors e) {
            log.push_back(e == TComErrors(ceIO) ? "ceIO" : "other");
            log.push_back(p->Connected() ? "reported while connected" : "reported closed");
        };
        port.AttachLink(&link);
        port.SetPort(pty->slave);
        port.Open();
        pty->write("#1M");
        pty->closeMaster(); // the cable is pulled
        ASSERT_TRUE(waitFor([&] { return !port.Connected(); }));
        // Give a spinning thread or a second report the chance to show up.
        waitFor([] { return false; }, 200);
        EXPECT_EQ(log, (Log{"Conn+", "Conn-", "ceIO", "reported closed"}));

        Pty back; // the device is back under another name
        port.SetPort(back.slave);
        EXPECT_NO_THROW(port.Open());
        bool arrived = false;
        port.OnRxChar = [&](TCustomComPort *, int) { arrived = true; };
        back.write("x");
        EXPECT_TRUE(waitFor([&] { return arrived; }));
        port.Close();
        port.DetachLink(&link);
    }
    EXPECT_EQ(openDescriptors(), fdsBefore);

    // Without an OnError handler the loss reaches the error box, when the port is closed.
    Pty pty;
    TComPort port;
    bool connectedAtReport = true;
    AppErrors errors([&] { connectedAtReport = port.Connected(); });
    port.SetPort(pty.slave);
    port.Open();
    pty.closeMaster();
    ASSERT_TRUE(waitFor([&] { return !errors.texts.empty(); }));
    ASSERT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(errors.texts[0], "WaitForEvent method failed (Error: 5)");
    EXPECT_FALSE(connectedAtReport);
}

TEST(ComPort, HandlerThatDisconnectsDoesNotDeadlock)
{
    Pty pty;
    TComPort port;
    port.SetPort(pty.slave);
    int closes = 0;
    port.OnAfterClose = [&](TCustomComPort *) { ++closes; };
    port.OnRxBuf = [&](TCustomComPort *p, const char *, int) { p->SetConnected(false); };
    port.SetTriggersOnRxChar(false);
    port.Open();
    pty.write("bye");
    EXPECT_TRUE(waitFor([&] { return !port.Connected(); }));
    EXPECT_EQ(closes, 1);
}

TEST(ComPort, ReopenFromInsideAHandlerEndsAsOutsideOne)
{
    Pty first, second;
    TComPort port;
    port.SetPort(first.slave);
    Log log;
    port.OnAfterOpen = [&](TCustomComPort *p) { log.push_back("open " + p->Port().toStdString()); };
    port.OnAfterClose = [&](TCustomComPort *) { log.push_back("closed"); };
    port.OnRxBuf = [&](TCustomComPort *p, const char *b, int n) {
        const QByteArray command(b, n);
        if (command == "switch") {
            p->SetPort(second.slave);
        } else if (command == "cycle") {
            p->SetConnected(false);
            p->SetConnected(true);
        } else if (command == "stop") {
            p->SetConnected(false);
            p->SetPort(first.slave); // a closed port stays closed on its new name
        }
    };
    port.SetTriggersOnRxChar(false);
    const std::string one = "open " + first.slave.toStdString(), two = "open " + second.slave.toStdString();
    port.Open();
    first.write("switch");
    ASSERT_TRUE(waitFor([&] { return log.size() >= 3; }));
    EXPECT_EQ(log, (Log{one, "closed", two}));
    EXPECT_TRUE(port.Connected());

    log.clear();
    second.write("cycle");
    ASSERT_TRUE(waitFor([&] { return log.size() >= 2; }));
    EXPECT_EQ(log, (Log{"closed", two}));
    EXPECT_TRUE(port.Connected());

    log.clear();
    second.write("stop");
    ASSERT_TRUE(waitFor([&] { return !log.empty(); }));
    waitFor([] { return false; }, 100); // room for a wrong reopen to show
    EXPECT_EQ(log, (Log{"closed"}));
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.Port(), first.slave);
}

TEST(ComPort, DestroyedWhileACloseIsDeferred)
{
    Pty pty;
    std::atomic<bool> asked{false};
    int closes = 0;
    {
        TComPort port;
        port.SetSyncMethod(smNone); // the handler runs on the event thread, so its close waits
        port.SetPort(pty.slave);
        port.OnAfterClose = [&](TCustomComPort *) { ++closes; };
        port.OnRxBuf = [&](TCustomComPort *p, const char *, int) {
            p->SetConnected(false);
            asked = true;
        };
        port.SetTriggersOnRxChar(false);
        port.Open();
        pty.write("x");
        for (int i = 0; i < 10000 && !asked; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_TRUE(asked);
    } // gone before the deferred close had its turn
    EXPECT_EQ(closes, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(closes, 1);
}

TEST(ComPort, CloseRunsADispatchThatIsAlreadyWaiting)
{
    Pty pty;
    TComPort port;
    port.SetPort(pty.slave);
    Log log;
    port.OnTxEmpty = [&](TCustomComPort *p) { log.push_back(p->Connected() ? "TxEmpty(open)" : "TxEmpty(closed)"); };
    port.OnAfterClose = [&](TCustomComPort *) { log.push_back("AfterClose"); };
    port.Open();
    port.WriteText("x");
    // Keep the GUI thread from its event loop while the event thread hands the queue-empty
    // event over and waits; Close must run that hand-over instead of waiting for it forever.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    port.Close();
    EXPECT_EQ(log, (Log{"TxEmpty(open)", "AfterClose"}));
    QCoreApplication::processEvents(); // the stale hand-over post is harmless
    EXPECT_EQ(log.size(), 2u);
}

TEST(ComPort, OtherDeliveryMethods)
{
    for (TSyncMethod method : {smWindowSync, smNone}) {
        AppErrors errors;
        Pty pty;
        TComPort port;
        port.SetSyncMethod(method);
        port.SetPort(pty.slave);
        std::atomic<int> bytes{0};
        std::atomic<bool> onGui{false};
        std::atomic<int> calls{0};
        port.OnRxBuf = [&](TCustomComPort *, const char *, int n) {
            onGui = QThread::currentThread() == qApp->thread();
            bytes += n;
            if (++calls == 1)
                throw std::runtime_error("first delivery failed");
        };
        port.SetTriggersOnRxChar(false);
        port.Open();
        pty.write("abc");
        ASSERT_TRUE(waitFor([&] { return bytes == 3 && !errors.texts.empty(); })) << method;
        pty.write("defg");
        ASSERT_TRUE(waitFor([&] { return bytes == 7; })) << method;
        EXPECT_EQ(onGui, method == smWindowSync);
        EXPECT_EQ(errors.texts, (Log{"first delivery failed"}));
    }
}

TEST(ComPort, SlowHandlerMissesNoEventInAnyDeliveryMethod)
{
    for (TSyncMethod method : {smThreadSync, smWindowSync, smNone}) {
        Pty pty;
        TComPort port;
        port.SetSyncMethod(method);
        port.SetPort(pty.slave);
        port.Buffer()->SetInputSize(2); // every arrival fills the queue past 80 %
        std::atomic<int> bytes{0}, reads{0}, full{0};
        port.OnRxBuf = [&](TCustomComPort *, const char *, int n) {
            std::this_thread::sleep_for(std::chrono::milliseconds(15)); // slower than the device
            bytes += n;
            ++reads;
        };
        port.OnRx80Full = [&](TCustomComPort *) { ++full; };
        port.SetTriggersOnRxChar(false);
        port.Open();
        constexpr int kChunks = 40;
        std::thread device([&] {
            for (int i = 0; i < kChunks; ++i) {
                ASSERT_EQ(::write(pty.master, "#1M2.5<\n", 8), 8);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        // Each set of events that carried data also carried the 80 % mark: both must arrive.
        const bool settled = waitFor([&] { return bytes == 8 * kChunks && full >= reads; }, 15000);
        device.join();
        EXPECT_TRUE(settled) << method;
        EXPECT_EQ(bytes, 8 * kChunks) << method;
        EXPECT_GE(full, reads) << method;
        EXPECT_GT(reads, 1) << method;
    }
}

TEST(ComPort, TheDeviceIsReadWhileTheWindowIsBusy)
{
    // More than the smallest queue holds: that one drops the rest and says so; a queue of a
    // large enough input size keeps every byte.
    constexpr qsizetype kSent = 24 * 1024 * 1024;
    QByteArray sent(kSent, Qt::Uninitialized);
    for (qsizetype i = 0; i < kSent; ++i)
        sent[i] = char((i * 7) % 251);
    for (int32_t inputSize : {1024, 64 * 1024 * 1024}) {
        Pty pty;
        TComPort port;
        port.SetPort(pty.slave);
        port.Buffer()->SetInputSize(inputSize);
        QByteArray received;
        TComErrors errors;
        port.OnRxBuf = [&](TCustomComPort *, const char *b, int n) { received.append(b, n); };
        port.OnError = [&](TCustomComPort *, TComErrors e) { errors |= e; };
        port.SetTriggersOnRxChar(false);
        port.Open();
        // The window's thread looks at no event while the device sends.
        qsizetype written = 0;
        std::thread device([&] {
            QDeadlineTimer deadline(60000);
            while (written < kSent && !deadline.hasExpired()) {
                const ssize_t n = ::write(pty.master, sent.constData() + written, size_t(kSent - written));
                if (n > 0)
                    written += n;
                pollfd p{pty.master, POLLOUT, 0};
                ::poll(&p, 1, 10);
            }
        });
        device.join();
        ASSERT_EQ(written, kSent) << "the device was held up by a busy window";
        ASSERT_TRUE(waitFor([&] { return qint64(received.size() + port.DroppedInput()) >= kSent; }, 60000));
        EXPECT_EQ(qint64(received.size() + port.DroppedInput()), kSent) << inputSize;
        // What the full queue held arrives unchanged and in order.
        const qsizetype held = std::min(kSent, qsizetype(std::max<size_t>(inputSize, tg::platform::SerialDevice::kMinInputQueue)));
        ASSERT_GE(received.size(), held);
        EXPECT_TRUE(received.first(held) == sent.first(held)) << inputSize;
        EXPECT_EQ(port.DroppedInput() > 0, inputSize < kSent) << inputSize;
        EXPECT_EQ(bool(errors & ceRxOver), inputSize < kSent) << inputSize;
        port.Close();
    }
}

TEST(InputQueue, KeepsOrderAcrossWrapGrowthAndTheCapacity)
{
    tg::platform::InputQueue q;
    q.setCapacity(300 * 1024);
    std::string in, out;
    uint32_t next = 0;
    auto put = [&](size_t n) {
        std::string piece;
        for (size_t i = 0; i < n; ++i)
            piece += char(next++ * 2654435761u >> 24);
        const size_t taken = q.push(piece.data(), piece.size());
        in += piece.substr(0, taken);
        return taken;
    };
    auto take = [&](size_t n) {
        std::string buf(n, '\0');
        out += buf.substr(0, q.pop(buf.data(), n));
    };
    // Pushes and pops of uneven sizes walk the ring round many times while it grows.
    for (int round = 0; round < 200; ++round) {
        put(size_t(round * 977 % 5000 + 1));
        take(size_t(round * 331 % 4000 + 1));
    }
    const size_t room = 300 * 1024 - q.size();
    EXPECT_EQ(put(400 * 1024), room) << "only what fits is taken";
    EXPECT_EQ(q.size(), 300u * 1024);
    EXPECT_GT(q.dropped(), 0u);
    take(q.size());
    EXPECT_EQ(out, in);
    EXPECT_EQ(q.size(), 0u);
}

TEST(ComPort, SettingsChangedWhileTheEventThreadRuns)
{
    Pty pty;
    TComPort port;
    port.SetPort(pty.slave);
    std::atomic<int> bytes{0}, full{0};
    port.OnRxBuf = [&](TCustomComPort *, const char *, int n) { bytes += n; };
    port.OnRx80Full = [&](TCustomComPort *) { ++full; };
    port.SetTriggersOnRxChar(false);
    port.Open();
    std::atomic<bool> stop{false};
    std::thread device([&] {
        while (!stop) {
            [[maybe_unused]] const ssize_t n = ::write(pty.master, "#1M2.5<", 7);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    // The GUI thread changes what the event thread and the reads use, while both run.
    for (int i = 0; i < 2000; ++i) {
        port.Buffer()->SetInputSize(i % 2 ? 2 : 1 << 20);
        port.Timeouts()->SetReadTotalConstant(i % 3);
        port.SetEventChar(char(i));
        QCoreApplication::processEvents();
    }
    stop = true;
    device.join();
    // The loop may end before a hand-over came round: what was sent arrives all the same.
    EXPECT_TRUE(waitFor([&] { return bytes > 0; }));

    // The event thread sees the size last set.
    port.Buffer()->SetInputSize(1 << 20);
    ASSERT_TRUE(waitFor([&] { return port.PendingInput() == 0; }));
    QCoreApplication::processEvents();
    full = 0;
    int before = bytes;
    pty.write("#1M2.5<");
    // Bytes of the flood still handed over may come first; on a busy machine they do.
    ASSERT_TRUE(waitFor([&] { return bytes >= before + 7; }));
    EXPECT_EQ(full, 0);
    port.Buffer()->SetInputSize(2);
    before = bytes;
    pty.write("#1M2.5<");
    ASSERT_TRUE(waitFor([&] { return bytes >= before + 7 && full >= 1; }));
}

TEST(ComPort, NullBytesAndEventCharacter)
{
    Pty pty;
    TComPort port;
    port.SetPort(pty.slave);
    port.SetDiscardNull(true);
    port.SetEventChar('!');
    QByteArray got;
    int flags = 0;
    port.OnRxBuf = [&](TCustomComPort *, const char *b, int n) { got.append(b, n); };
    port.OnRxFlag = [&](TCustomComPort *) { ++flags; };
    port.SetTriggersOnRxChar(false);
    port.Open();
    pty.write(QByteArrayView("a\0b!c", 5));
    ASSERT_TRUE(waitFor([&] { return got.size() >= 4; }));
    EXPECT_EQ(got, "ab!c");
    EXPECT_EQ(flags, 1);
}

TEST(ComPort, ThousandOpenCloseCyclesUnderFlood)
{
    QProcess sim;
    sim.start(QStringLiteral(TG_SIM_PATH), {QStringLiteral("--rate"), QStringLiteral("0"),
                                           QStringLiteral("--link"), QStringLiteral("test-flood")});
    ASSERT_TRUE(sim.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return sim.canReadLine(); }));
    const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
    ASSERT_FALSE(path.isEmpty());

    TComPort port;
    port.SetPort(path);
    TComDataPacket framer;
    framer.SetStartString("#");
    framer.SetStopString("<");
    framer.SetComPort(&port);
    qint64 packets = 0;
    framer.OnPacket = [&](TComDataPacket *, const QByteArray &) { ++packets; };
    port.Open();
    port.Close(); // settle the descriptors the first open creates
    const int fds = openDescriptors();
    const int threads = threadCount();
    for (int i = 0; i < 1000; ++i) {
        port.Open();
        QCoreApplication::processEvents();
        port.Close();
    }
    EXPECT_EQ(openDescriptors(), fds);
    EXPECT_EQ(threadCount(), threads);
    port.Open();
    EXPECT_TRUE(waitFor([&] { return packets > 1000; })) << "data still flow after the cycles";
    port.Close();
    sim.terminate();
    EXPECT_TRUE(sim.waitForFinished(5000));
    EXPECT_FALSE(QFileInfo::exists(path)) << "the simulator removes its link when it ends";
}

} // namespace

namespace {

TEST(ComPortSettingsStore, RoundTripAndHandEditedSection)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("port.ini"));
    {
        IniFileStorage ini(file);
        TComPort port;
        port.setObjectName(QStringLiteral("ComPort1"));
        port.SetStoredProps(TStoredProps::fromInt(0x3F));
        port.SetPort(QStringLiteral("ttyUSB3"));
        port.SetBaudRate(brCustom);
        port.SetCustomBaudRate(250000);
        port.SetStopBits(sbOne5StopBits);
        port.SetDataBits(dbSeven);
        port.Parity()->SetBits(prMark);
        port.Parity()->SetCheck(true);
        port.Parity()->SetReplaceChar('\r');
        port.FlowControl()->SetFlowControl(fcHardware);
        port.SetEventChar('!');
        port.Timeouts()->SetReadInterval(25);
        port.Buffer()->SetInputSize(4096);
        port.StoreIniFile(ini);
        ASSERT_TRUE(ini.SaveFile());

        TComPort copy;
        copy.setObjectName(QStringLiteral("ComPort1"));
        copy.SetStoredProps(TStoredProps::fromInt(0x3F));
        copy.LoadIniFile(ini);
        EXPECT_EQ(copy.Port(), "ttyUSB3");
        EXPECT_EQ(copy.DeviceControlBlock().BaudRate, 250000u);
        EXPECT_EQ(copy.StopBits(), sbOne5StopBits);
        EXPECT_EQ(copy.DataBits(), dbSeven);
        EXPECT_EQ(copy.Parity()->Bits(), prMark);
        EXPECT_TRUE(copy.Parity()->Check());
        EXPECT_EQ(copy.Parity()->ReplaceChar(), '\r');
        EXPECT_EQ(copy.FlowControl()->FlowControl(), fcHardware);
        EXPECT_EQ(copy.EventChar(), '!');
        EXPECT_EQ(copy.Timeouts()->ReadInterval(), 25);
        EXPECT_EQ(copy.Buffer()->InputSize(), 4096);
    }
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray text = saved.readAll();
    for (const char *line : {"[ComPort1]\r\n", "BaudRate=Custom\r\n", "StopBits=1.5\r\n", "Parity=Mark\r\n",
                             "FlowControl=Hardware\r\n", "Parity.Check=Yes\r\n", "Parity.ReplaceChar=#13\r\n",
                             "FlowControl.ControlRTS=Handshake\r\n", "FlowControl.XonChar=#17\r\n"})
        EXPECT_TRUE(text.contains(line)) << line;

    QFile edited(dir.filePath(QStringLiteral("edited.ini")));
    ASSERT_TRUE(edited.open(QIODevice::WriteOnly));
    edited.write("[ComPort1]\r\nBaudRate=custom\r\nDataBits=9\r\nParity=even\r\nEventChar=abc\r\n"
                 "DiscardNull=yes\r\nParity.ReplaceChar=#x\r\nBuffer.InputSize=lots\r\n");
    edited.close();
    IniFileStorage ini(edited.fileName());
    TComPort port;
    port.setObjectName(QStringLiteral("ComPort1"));
    port.SetStoredProps(TStoredProps::fromInt(0x3F));
    port.SetStopBits(sbTwoStopBits);
    port.Parity()->SetReplaceChar('?');
    port.LoadIniFile(ini);
    EXPECT_EQ(port.BaudRate(), brCustom);
    EXPECT_EQ(port.CustomBaudRate(), 9600) << "a missing custom rate falls back to 9600";
    EXPECT_EQ(port.DataBits(), dbEight) << "an unknown text gives the default";
    EXPECT_EQ(port.Parity()->Bits(), prEven);
    EXPECT_EQ(port.StopBits(), sbTwoStopBits) << "a missing key keeps the value";
    EXPECT_EQ(port.EventChar(), 'a');
    EXPECT_TRUE(port.DiscardNull());
    EXPECT_EQ(port.Parity()->ReplaceChar(), 0);
    EXPECT_EQ(port.Buffer()->InputSize(), 1024) << "a malformed number keeps the value";
}

} // namespace
