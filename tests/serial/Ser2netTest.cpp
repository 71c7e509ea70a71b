// The port on a pty that a real ser2net serves: the test holds the pty's device side.
#include "ComPort.h"
#include "PortTesting.h"
#include "Pty.h"
#include "Ser2net.h"

#include <asm/termbits.h>
#include <gtest/gtest.h>

using namespace Com;

namespace {

// Every byte value, and the sequences telnet treats specially.
QByteArray awkwardBytes()
{
    QByteArray b;
    for (int i = 0; i < 256; ++i)
        b += char(i);
    return b + "\xff\xff" "end\r\n" + QByteArray("\r\0\xff\xfa\x2c", 5) + "<";
}

struct Served {
    Pty device;
    Ser2net server;
    QByteArray received;
    Log log;
    TComLink link;
    TComPort port; // closed first: its last reports still reach the log

    explicit Served(const QString &accepter) : server(device.slave, accepter)
    {
        link.LinkRxBuf = [this](TCustomComPort *, const char *b, int n) { received.append(b, n); };
        port.AttachLink(&link);
        port.OnError = [this](TCustomComPort *p, TComErrors e) {
            log.push_back("Error " + std::to_string(e.toInt()) + (p->Connected() ? " open" : " closed"));
        };
        port.SetPort(server.name());
        port.SetBaudRate(brCustom);
        port.SetCustomBaudRate(57600);
    }
};

} // namespace

TEST(Ser2net, DataPassUnchangedOverTelnetAndPlainTcp)
{
    if (Ser2net::program().isEmpty())
        GTEST_SKIP() << "ser2net is not installed (scripts/deps installs it)";
    const QByteArray bytes = awkwardBytes();
    for (const QString &accepter : {QStringLiteral("telnet(rfc2217)"), QString()}) {
        SCOPED_TRACE(accepter.isEmpty() ? "tcp" : "rfc2217");
        Served s(accepter);
        ASSERT_TRUE(s.server.listening());
        s.port.Open();
        ASSERT_TRUE(s.port.Connected());
        // ser2net opens the device when a client comes; a device has no memory for what it
        // sent while nobody listened.
        ASSERT_TRUE(waitFor([&] { return s.server.holds(s.device.slave); }));
        s.device.write(bytes);
        EXPECT_TRUE(waitFor([&] { return s.received.size() >= bytes.size(); }));
        EXPECT_EQ(s.received, bytes);
        EXPECT_EQ(s.port.WriteText(bytes), bytes.size());
        EXPECT_EQ(s.device.read(bytes.size()), bytes);
    }
}

TEST(Ser2net, LineSettingsReachTheDeviceAndALostServerIsReportedOnce)
{
    if (Ser2net::program().isEmpty())
        GTEST_SKIP() << "ser2net is not installed (scripts/deps installs it)";
    Served s(QStringLiteral("telnet(rfc2217)"));
    ASSERT_TRUE(s.server.listening());
    s.port.Open();
    ASSERT_TRUE(s.port.Connected());
    EXPECT_EQ(s.device.line().speed, 57600u) << "applied before the open returned";
    for (int rate : {115200, 12345, 3000000}) {
        s.port.SetCustomBaudRate(rate);
        EXPECT_EQ(s.device.line().speed, uint32_t(rate));
    }
    s.port.SetStopBits(sbTwoStopBits);
    EXPECT_TRUE(s.device.line().cflag & CSTOPB);
    s.port.Parity()->SetBits(prOdd);
    EXPECT_EQ(s.device.line().cflag & (PARODD | CMSPAR), unsigned(PARODD));

    // ser2net does not answer a setting it cannot make: refused, the line stays as it was.
    EXPECT_EQ(failureOf([&] { s.port.SetStopBits(sbOne5StopBits); }), "SetCommState function failed (Error: 110)");
    EXPECT_TRUE(s.port.Connected());
    EXPECT_TRUE(s.device.line().cflag & CSTOPB);
    EXPECT_EQ(s.device.line().speed, 3000000u);

    s.server.kill();
    ASSERT_TRUE(waitFor([&] { return !s.port.Connected(); }));
    waitFor([] { return false; }, 200); // room for a second report or a spinning thread
    EXPECT_EQ(s.log, (Log{"Error " + std::to_string(TComErrors(ceIO).toInt()) + " closed"}));
}
