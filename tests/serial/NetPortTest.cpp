// The port on a device that a server on the network has, against a server the test plays.
#include "ComPort.h"
#include "ComServer.h"
#include "PortTesting.h"
#include "Pty.h"

#include <QDir>
#include <QFile>
#include <arpa/inet.h>
#include <cerrno>
#include <gtest/gtest.h>
#include <atomic>
#include <netinet/in.h>
#include <thread>
#include <sys/socket.h>
#include <unistd.h>

using namespace Com;

namespace {

QByteArray sb(int command, const QByteArray &value)
{
    return QByteArray("\xff\xfa\x2c", 3) + char(command) + value + QByteArray("\xff\xf0", 2);
}

// Every byte value, 0xFF also in the middle: an unescaped one would be taken as a command.
QByteArray allBytes()
{
    QByteArray b;
    for (int i = 0; i < 256; ++i)
        b += char(i);
    return b + "\xff" "end\r\n" + QByteArray("\r\0", 2);
}

QByteArray escaped(QByteArray data)
{
    return data.replace("\xff", "\xff\xff");
}

// A port whose received bytes and events are collected.
struct NetRig {
    TComLink link;
    QByteArray received;
    Log log;
    TComPort port; // closed first: its last reports still reach the log
    explicit NetRig(const QString &name)
    {
        link.LinkRxBuf = [this](TCustomComPort *, const char *b, int n) { received.append(b, n); };
        port.AttachLink(&link);
        port.OnCTSChange = [this](TCustomComPort *, bool on) { log.push_back(on ? "CTS+" : "CTS-"); };
        port.OnDSRChange = [this](TCustomComPort *, bool on) { log.push_back(on ? "DSR+" : "DSR-"); };
        port.OnRLSDChange = [this](TCustomComPort *, bool on) { log.push_back(on ? "RLSD+" : "RLSD-"); };
        port.OnRing = [this](TCustomComPort *) { log.push_back("Ring"); };
        port.OnBreak = [this](TCustomComPort *) { log.push_back("Break"); };
        port.OnError = [this](TCustomComPort *p, TComErrors e) {
            log.push_back("Error " + std::to_string(e.toInt()) + (p->Connected() ? " open" : " closed"));
        };
        port.SetPort(name);
        port.SetBaudRate(brCustom);
        port.SetCustomBaudRate(57600);
    }
};

// The last com port request of that kind the server got, or an empty value.
QByteArray lastRequest(const ComServer &server, int command)
{
    QByteArray value;
    for (const auto &c : server.commands())
        if (c.command == command)
            value = c.value;
    return value;
}

QByteArray rate(uint32_t r)
{
    const char b[4] = {char(r >> 24), char(r >> 16), char(r >> 8), char(r)};
    return QByteArray(b, 4);
}

// Voluntary context switches of this process's threads of that name: how often they woke.
long wakeUps(const char *threadName)
{
    long sum = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(tid + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != threadName)
            continue;
        QFile status(tasks.filePath(tid + QStringLiteral("/status")));
        status.open(QIODevice::ReadOnly);
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:"))
                sum += line.mid(24).trimmed().toLong();
    }
    return sum;
}

// The message of the port error that opening raised, and the explanation the window adds.
std::pair<std::string, QString> openFailure(NetRig &r)
{
    try {
        r.port.Open();
    } catch (const EComPort &e) {
        return {e.what(), e.Explanation(r.port.Port())};
    }
    return {"no failure", QString()};
}

} // namespace

TEST(NetPort, ConnectionFailuresCarryTheSystemError)
{
    // A listener whose backlog is full lets a further connection wait for ever.
    const int full = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ASSERT_EQ(::bind(full, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(full, 0), 0);
    ASSERT_EQ(::getsockname(full, reinterpret_cast<sockaddr *>(&a), &len), 0);
    const int first = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_EQ(::connect(first, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);

    const struct Row {
        QString port;
        int err;
        const char *explained; // the start of what the Connect warning adds
    } rows[] = {
        {QStringLiteral("rfc2217://127.0.0.1:%1").arg(unusedPort()), ECONNREFUSED, "Nothing takes connections at 127.0.0.1:"},
        {QStringLiteral("tcp://127.0.0.1:%1").arg(unusedPort()), ECONNREFUSED, "Nothing takes connections at 127.0.0.1:"},
        {QStringLiteral("rfc2217://127.0.0.1:%1").arg(ntohs(a.sin_port)), ETIMEDOUT, "127.0.0.1:"},
        {QStringLiteral("tcp://host..example:4000"), EHOSTUNREACH, "The host of tcp://host..example:4000 cannot be found"},
        {QStringLiteral("tcp://127.0.0.1"), EINVAL, "tcp://127.0.0.1 is not a network port name."},
        {QStringLiteral("rfc2217://:2217"), EINVAL, "rfc2217://:2217 is not"},
        {QStringLiteral("tcp://127.0.0.1:70000"), EINVAL, "tcp://127.0.0.1:70000 is not"},
        {QStringLiteral("tcp://127.0.0.1:+80"), EINVAL, "tcp://127.0.0.1:+80 is not"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.port.toStdString());
        NetRig r(row.port);
        bool afterOpen = false;
        r.port.OnAfterOpen = [&](TCustomComPort *) { afterOpen = true; };
        const auto [failure, why] = openFailure(r);
        EXPECT_EQ(failure, "Unable to open com port (Error: " + std::to_string(row.err) + ")");
        EXPECT_TRUE(why.startsWith(QString::fromUtf8(row.explained))) << why.toStdString();
        EXPECT_FALSE(r.port.Connected());
        EXPECT_FALSE(afterOpen);
    }
    ::close(first);
    ::close(full);
}

TEST(NetPort, ClosingWaitsForTheServerToEndItsSide)
{
    // A server that serves one client at a time turns away a connection that comes before it
    // saw the last one end; so Close ends in order and returns once the server closed too.
    int port = 0;
    const int listener = listenOnLoopback(port);
    NetRig r(QStringLiteral("tcp://127.0.0.1:%1").arg(port));
    r.port.Open();
    ASSERT_TRUE(r.port.Connected());
    std::atomic<bool> closed{false};
    ssize_t endSeen = -2;
    bool closedBeforeServer = true;
    std::thread server([&] {
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        char buf[16];
        endSeen = ::recv(client, buf, sizeof buf, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // room for an early return
        closedBeforeServer = closed;
        ::close(client);
    });
    r.port.Close();
    closed = true;
    server.join();
    EXPECT_EQ(endSeen, 0) << "an orderly end, not a reset";
    EXPECT_FALSE(closedBeforeServer);
    ::close(listener);
}

TEST(NetPort, LineSettingsGoToTheServerAndMustBeAnswered)
{
    ComServer server(ComServer::Mode::Answer);
    NetRig r(server.name());
    r.port.Open();
    ASSERT_TRUE(r.port.Connected());
    EXPECT_TRUE(server.optionsSeen().contains(QByteArray("\xfb\x2c", 2))) << "WILL com port control";
    const std::vector<std::pair<int, QByteArray>> opening = {
        {1, rate(57600)}, {2, "\x08"}, {3, "\x01"}, {4, "\x01"}, {5, "\x01"}, {5, "\x0e"}, {5, "\x09"}, {5, "\x0c"},
        {10, "\x1e"}};
    const auto commands = server.commands();
    ASSERT_GE(commands.size(), opening.size());
    for (size_t i = 0; i < opening.size(); ++i) {
        EXPECT_EQ(commands[i].command, opening[i].first) << i;
        EXPECT_EQ(commands[i].value, opening[i].second) << i;
    }

    // Every change while open goes out at once, and is answered before the setter returns.
    r.port.SetCustomBaudRate(250000);
    EXPECT_EQ(lastRequest(server, 1), rate(250000));
    r.port.SetDataBits(dbSeven);
    EXPECT_EQ(lastRequest(server, 2), "\x07");
    r.port.Parity()->SetBits(prEven);
    EXPECT_EQ(lastRequest(server, 3), "\x03");
    r.port.SetStopBits(sbTwoStopBits);
    EXPECT_EQ(lastRequest(server, 4), "\x02");
    r.port.FlowControl()->SetControlDTR(dtrEnable);
    EXPECT_EQ(lastRequest(server, 5), "\x0c") << "RTS comes after DTR";
    EXPECT_EQ(server.commands()[server.commands().size() - 3].value, "\x08") << "DTR on";
    EXPECT_EQ(failureOf([&] { r.port.SetCustomBaudRate(0); }), "SetCommState function failed (Error: 22)");
    EXPECT_EQ(lastRequest(server, 1), rate(250000)) << "an impossible rate is not sent";

    // Closing asks the server to drop what it holds.
    const size_t before = server.commands().size();
    r.port.Close();
    ASSERT_TRUE(waitFor([&] { return !server.connected(); }));
    const auto after = server.commands();
    ASSERT_GT(after.size(), before);
    EXPECT_EQ(after.back().command, 12);
    EXPECT_EQ(after.back().value, "\x03");
}

TEST(NetPort, AServerThatRefusesFailsTheSettingsLikeALocalDevice)
{
    const struct Row {
        ComServer::Mode mode;
        const char *failure;
        const char *explained; // what the Connect warning adds, after the server's address
    } rows[] = {
        {ComServer::Mode::RefuseOption, "SetCommState function failed (Error: 93)", " does not let the line be set up"},
        {ComServer::Mode::AnswerOther, "SetCommState function failed (Error: 22)", " did not take the line settings"},
        {ComServer::Mode::Silent, "SetCommState function failed (Error: 110)", " did not answer the line settings"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.failure);
        ComServer server(row.mode);
        NetRig r(server.name());
        const auto [failure, why] = openFailure(r);
        EXPECT_EQ(failure, row.failure);
        const QString address = server.name().mid(server.name().indexOf(QLatin1String("://")) + 3);
        EXPECT_TRUE(why.startsWith(QStringLiteral("The server at ") + address + QString::fromUtf8(row.explained)))
            << why.toStdString();
        EXPECT_FALSE(r.port.Connected());
        EXPECT_TRUE(waitFor([&] { return !server.connected(); })) << "the connection was closed again";
    }

    // A rate the server takes opens; one it answers differently leaves the port open on the old.
    ComServer server(ComServer::Mode::AnswerOther);
    NetRig r(server.name());
    r.port.SetCustomBaudRate(9600);
    r.port.Open();
    ASSERT_TRUE(r.port.Connected());
    EXPECT_EQ(failureOf([&] { r.port.SetCustomBaudRate(115200); }), "SetCommState function failed (Error: 22)");
    EXPECT_TRUE(r.port.Connected());
}

TEST(NetPort, EveryByteValuePassesBothWays)
{
    const QByteArray bytes = allBytes();
    for (auto mode : {ComServer::Mode::Answer, ComServer::Mode::Raw}) {
        const bool telnet = mode == ComServer::Mode::Answer;
        SCOPED_TRACE(telnet ? "rfc2217" : "tcp");
        ComServer server(mode);
        NetRig r(server.name());
        r.port.Open();
        ASSERT_TRUE(r.port.Connected());

        // From the device, in pieces cut inside the escapes, with a report among the data.
        const QByteArray wire = telnet ? escaped(bytes.left(200)) + sb(107, "\x10") + escaped(bytes.mid(200)) : bytes;
        for (qsizetype at = 0; at < wire.size(); at += 7)
            server.send(wire.mid(at, 7));
        EXPECT_TRUE(waitFor([&] { return r.received.size() >= bytes.size(); }));
        EXPECT_EQ(r.received, bytes);

        ASSERT_TRUE(waitFor([&] { return !telnet || server.commands().size() >= 9; })) << "the opening is in";
        const qsizetype before = server.wire().size();
        EXPECT_EQ(r.port.WriteText(bytes), bytes.size());
        EXPECT_TRUE(waitFor([&] { return server.data().size() >= bytes.size(); }));
        EXPECT_EQ(server.data(), bytes);
        EXPECT_EQ(server.wire().mid(before), telnet ? escaped(bytes) : bytes);
        // Over plain TCP the settings have nowhere to go; they are taken, and no lines show.
        r.port.SetCustomBaudRate(1200);
        EXPECT_TRUE(r.port.Connected());
        if (!telnet) {
            EXPECT_EQ(r.port.LineSignals(), 0u);
            EXPECT_EQ(server.wire(), bytes) << "nothing but the data went out";
        }
    }
}

TEST(NetPort, ModemLinesAndLineErrorsFromTheServerWakeTheEventThread)
{
    ComServer server(ComServer::Mode::Answer);
    NetRig r(server.name());
    r.port.Parity()->SetCheck(true);
    r.port.Open();
    ASSERT_TRUE(r.port.Connected());
    EXPECT_EQ(r.log, (Log{"CTS-", "DSR-", "RLSD-"})) << "the lines start off";
    r.log.clear();

    // Waiting for reports costs nothing: the event thread sleeps until one comes.
    const long woke = wakeUps("serial-events");
    waitFor([] { return false; }, 300);
    EXPECT_LE(wakeUps("serial-events") - woke, 2);

    server.send(sb(107, "\xb0")); // carrier, DSR, CTS
    ASSERT_TRUE(waitFor([&] { return r.log.size() >= 3; }));
    EXPECT_EQ(r.log, (Log{"CTS+", "DSR+", "RLSD+"}));
    EXPECT_EQ(r.port.LineSignals(), 1u | 2u | 8u);
    r.log.clear();
    server.send(sb(107, "\x40")); // ring, the rest off
    ASSERT_TRUE(waitFor([&] { return r.log.size() >= 3; }));
    EXPECT_EQ(r.port.LineSignals(), 4u);
    server.send(sb(107, QByteArray(1, 0)));
    EXPECT_TRUE(waitFor([&] { return r.log.size() >= 4; }));
    EXPECT_EQ(r.log, (Log{"CTS-", "DSR-", "RLSD-", "Ring"}));
    r.log.clear();

    server.send(sb(106, "\x0c")); // framing and parity
    ASSERT_TRUE(waitFor([&] { return !r.log.empty(); }));
    server.send(sb(106, "\x12")); // break and overrun
    ASSERT_TRUE(waitFor([&] { return r.log.size() >= 3; }));
    const auto error = [](TComErrors e) { return "Error " + std::to_string(e.toInt()) + " open"; };
    EXPECT_EQ(r.log, (Log{error(TComErrors(ceFrame) | ceRxParity), error(TComErrors(ceOverrun) | ceBreak), "Break"}));
}

TEST(NetPort, AServerThatGoesAwayIsALostDeviceReportedOnce)
{
    ComServer server(ComServer::Mode::Answer);
    for (bool reset : {false, true}) {
        SCOPED_TRACE(reset ? "connection reset" : "connection closed");
        NetRig r(server.name());
        r.port.Open();
        ASSERT_TRUE(r.port.Connected());
        r.log.clear();
        server.send("#1M");
        ASSERT_TRUE(waitFor([&] { return r.received == "#1M"; })) << "what came before the end is delivered";
        server.hangUp(reset);
        ASSERT_TRUE(waitFor([&] { return !r.port.Connected(); }));
        waitFor([] { return false; }, 200); // room for a second report or a spinning thread
        EXPECT_EQ(r.log, (Log{"CTS-", "DSR-", "RLSD-", "Error " + std::to_string(TComErrors(ceIO).toInt()) + " closed"}));
        EXPECT_EQ(r.port.LostError(), EIO);

        // The server is back: connect again.
        r.port.Open();
        ASSERT_TRUE(r.port.Connected());
        server.send("#2M7<");
        EXPECT_TRUE(waitFor([&] { return r.received.endsWith("#2M7<"); }));
    }

    // Without an OnError handler the loss reaches the error box once, the port closed.
    TComPort port;
    bool connectedAtReport = true;
    AppErrors errors([&] { connectedAtReport = port.Connected(); });
    port.SetPort(server.name());
    port.Open();
    ASSERT_TRUE(waitFor([&] { return server.connected(); }));
    server.hangUp();
    ASSERT_TRUE(waitFor([&] { return !errors.texts.empty(); }));
    waitFor([] { return false; }, 200);
    EXPECT_EQ(errors.texts, (Log{"WaitForEvent method failed (Error: 5)"}));
    EXPECT_FALSE(connectedAtReport);
}
