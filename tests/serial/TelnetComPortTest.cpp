// The telnet com port session on its own: byte streams from a server, split anywhere.
#include "TelnetComPort.h"
#include "TelnetFeed.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace tg::platform;
using State = TelnetComPort::State;

namespace {

constexpr char IAC = char(255), WILL = char(251), WONT = char(252), DO = char(253), DONT = char(254);

std::string cmd(char verb, int option) { return {IAC, verb, char(option)}; }

// A com port subnegotiation as the server sends it (value given already escaped).
std::string sb(int option, int command, const std::string &value)
{
    return std::string{IAC, char(250), char(option), char(command)} + value + std::string{IAC, char(240)};
}

std::string bytes(std::initializer_list<int> b)
{
    std::string s;
    for (int v : b)
        s += char(v);
    return s;
}

using Outcome = TelnetOutcome;

Outcome feed(const std::string &stream, const std::vector<size_t> &cuts)
{
    return feedTelnet(stream, cuts);
}

// The server's usual opening: it offers and asks for binary, suppress-go-ahead and com port
// control, and offers echo, which a serial line must not have.
const std::string kServerHello = cmd(WILL, 3) + cmd(DO, 3) + cmd(WILL, 1) + cmd(DONT, 1) + cmd(DO, 0) + cmd(WILL, 0) + cmd(DO, 44);

} // namespace

TEST(TelnetComPort, StreamsGiveTheSameResultHoweverTheyAreSplit)
{
    const struct Row {
        const char *name;
        std::string stream;
        Outcome expected;
    } rows[] = {
        {"plain data", "#8M25.5<", {"#8M25.5<", "", 0, 0, State::Pending}},
        {"opening of a server: echo refused, the rest agreed", kServerHello + "#1M5<",
         {"#1M5<", cmd(DONT, 1), 0, 0, State::Agreed}},
        {"a doubled IAC is one 0xFF data byte", cmd(WILL, 0) + "a" + bytes({255, 255}) + "b" + bytes({255, 255, 255, 255}),
         {"a\xff" "b\xff\xff", "", 0, 0, State::Pending}},
        {"com port control refused", cmd(DONT, 44) + "x", {"x", "", 0, 0, State::Refused}},
        {"options nobody asked for are refused", cmd(DO, 24) + cmd(WILL, 1) + cmd(DO, 5) + "z",
         {"z", cmd(WONT, 24) + cmd(DONT, 1) + cmd(WONT, 5), 0, 0, State::Pending}},
        {"modem lines: carrier, DSR, CTS", sb(44, 107, bytes({0xb0})), {"", "", msRlsd | msDsr | msCts, 0, State::Pending}},
        {"modem state 0xFF arrives doubled", sb(44, 107, bytes({255, 255})),
         {"", "", msRlsd | msRing | msDsr | msCts, 0, State::Pending}},
        {"line errors: overrun, parity, framing, break", sb(44, 106, bytes({0x1e | 0x01 | 0x60})),
         {"", "", 0, errOverrun | errRxParity | errFrame | errBreak, State::Pending}},
        {"CR NUL is a bare CR while the server does not send binary", std::string("a\r\0b\r\nc\r", 8) + std::string(1, '\0'),
         {"a\rb\r\nc\r", "", 0, 0, State::Pending}},
        {"CR NUL is data once the server sends binary", cmd(WILL, 0) + std::string("a\r\0b", 4),
         {std::string("a\r\0b", 4), "", 0, 0, State::Pending}},
        {"commands between data bytes", "ab" + bytes({255, 241}) + "cd" + cmd(DO, 3) + "ef" + bytes({255, 249}) + "g",
         {"abcdefg", "", 0, 0, State::Pending}},
        {"another option's subnegotiation is ignored", sb(24, 1, "") + "q", {"q", "", 0, 0, State::Pending}},
        {"a command ends an unfinished subnegotiation unheard",
         std::string{IAC, char(250), char(44), char(107), char(0x10)} + cmd(WILL, 1) + "x",
         {"x", cmd(DONT, 1), 0, 0, State::Pending}},
        {"an overlong subnegotiation is dropped whole", sb(44, 107, std::string(300, char(0x10))) + "y",
         {"y", "", 0, 0, State::Pending}},
        {"the server asks for our signature", sb(44, 100, ""),
         {"", std::string{IAC, char(250), char(44), char(0)} + "Tavelgrid" + std::string{IAC, char(240)}, 0, 0,
          State::Pending}},
        {"a server signature needs no answer", sb(44, 100, "ser 1.0") + "s", {"s", "", 0, 0, State::Pending}},
        {"a refused option asked for again is refused again", cmd(DONT, 44) + cmd(DO, 44) + cmd(DONT, 44),
         {"", cmd(WILL, 44) + cmd(WONT, 44), 0, 0, State::Refused}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(feed(row.stream, {}), row.expected);
        for (size_t cut = 1; cut < row.stream.size(); ++cut)
            ASSERT_EQ(feed(row.stream, {cut}), row.expected) << "split after byte " << cut;
        std::vector<size_t> everyByte;
        for (size_t cut = 1; cut < row.stream.size(); ++cut)
            everyByte.push_back(cut);
        EXPECT_EQ(feed(row.stream, everyByte), row.expected) << "one byte at a time";
    }
}

TEST(TelnetComPort, OpensByAskingForWhatASerialLineNeeds)
{
    TelnetComPort s;
    EXPECT_EQ(s.start(), cmd(WILL, 0) + cmd(WILL, 3) + cmd(WILL, 44) + cmd(DO, 0) + cmd(DO, 3));
    EXPECT_EQ(s.comPort(), State::Pending);
    // The server's own requests for the same options cross ours: nothing more to say.
    std::string hello = cmd(DO, 0) + cmd(WILL, 0) + cmd(DO, 3) + cmd(WILL, 3) + cmd(DO, 44), reply;
    s.receive(hello.data(), hello.size(), reply);
    EXPECT_EQ(reply, "");
    EXPECT_EQ(s.comPort(), State::Agreed);
    // A server that takes an option back is told we stopped; asked again we agree again.
    std::string back = cmd(DONT, 0) + cmd(DO, 0) + cmd(WONT, 3);
    s.receive(back.data(), back.size(), reply);
    EXPECT_EQ(reply, cmd(WONT, 0) + cmd(WILL, 0) + cmd(DONT, 3));
}

TEST(TelnetComPort, LineRequestsAndTheirAnswers)
{
    const auto request = [](int command, const std::string &value) {
        return std::string{IAC, char(250), char(44), char(command)} + value + std::string{IAC, char(240)};
    };
    const auto control = [&](int v) { return request(5, bytes({v})); };
    const struct Row {
        const char *name;
        DeviceControlBlock dcb;
        std::string requests;
    } rows[] = {
        {"the program's line: 8N1, no flow control, DTR and RTS off",
         {28, 57600, dcbBinary, 0, 0, 8, 0, 0},
         request(1, bytes({0, 0, 0xe1, 0})) + request(2, "\x08") + request(3, "\x01") + request(4, "\x01") + control(1) +
             control(14) + control(9) + control(12) + request(10, "\x1e")},
        {"a rate with a 0xFF byte, 7E2, XON/XOFF out, DTR and RTS on",
         {28, 0x1ff, dcbBinary | dcbOutX | dcbDtrEnable | dcbRtsEnable, 0, 0, 7, 2, 2},
         request(1, bytes({0, 0, 1, 255, 255})) + request(2, "\x07") + request(3, "\x03") + request(4, "\x02") +
             control(2) + control(14) + control(8) + control(11) + request(10, "\x1e")},
        {"5 bits, mark parity, 1.5 stop bits, RTS handshake, DTR handshake",
         {28, 110, dcbBinary | dcbDtrHandshake | dcbRtsHandshake, 0, 0, 5, 3, 1},
         request(1, bytes({0, 0, 0, 110})) + request(2, "\x05") + request(3, "\x04") + request(4, "\x03") +
             control(3) + control(16) + request(10, "\x1e")},
        {"space parity, CTS flow out, XON/XOFF in, RTS toggle left alone",
         {28, 9600, dcbBinary | dcbOutxCtsFlow | dcbInX | dcbRtsToggle, 0, 0, 8, 4, 0},
         request(1, bytes({0, 0, 0x25, 0x80})) + request(2, "\x08") + request(3, "\x05") + request(4, "\x01") +
             control(3) + control(16) + control(9) + request(10, "\x1e")},
        {"XON/XOFF in only", {28, 9600, dcbBinary | dcbInX, 0, 0, 8, 0, 0},
         request(1, bytes({0, 0, 0x25, 0x80})) + request(2, "\x08") + request(3, "\x01") + request(4, "\x01") +
             control(1) + control(15) + control(9) + control(12) + request(10, "\x1e")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TelnetComPort s;
        EXPECT_EQ(s.lineRequests(row.dcb), row.requests);
        EXPECT_EQ(s.lineAnswer(), State::Pending);
    }

    // Answers: the server names the value it uses; any other than the one asked for refuses.
    const DeviceControlBlock line{28, 57600, dcbBinary, 0, 0, 8, 0, 0};
    const std::string rate = sb(44, 101, bytes({0, 0, 0xe1, 0}));
    const std::string format = sb(44, 102, "\x08") + sb(44, 103, "\x01") + sb(44, 104, "\x01");
    const struct Answer {
        const char *name;
        std::string answers;
        State state;
    } answers[] = {
        {"nothing yet", "", State::Pending},
        {"the rate alone", rate, State::Pending},
        {"everything, in any order", format + rate + sb(44, 105, "\x01"), State::Agreed},
        {"another rate", sb(44, 101, bytes({0, 0, 0x25, 0x80})) + format, State::Refused},
        {"another rate, before the rest came", sb(44, 101, bytes({0, 0, 0x25, 0x80})), State::Refused},
        {"7 bits instead of 8", rate + sb(44, 102, "\x07") + sb(44, 103, "\x01") + sb(44, 104, "\x01"), State::Refused},
        {"a short rate answer does not count", sb(44, 101, bytes({0, 0xe1, 0})) + format, State::Pending},
    };
    for (const Answer &a : answers) {
        SCOPED_TRACE(a.name);
        TelnetComPort s;
        s.lineRequests(line);
        std::string in = a.answers, reply;
        const auto r = s.receive(in.data(), in.size(), reply);
        EXPECT_EQ(r.data, 0u);
        EXPECT_EQ(s.lineAnswer(), a.state);
    }
    // A new request waits for new answers.
    TelnetComPort s;
    s.lineRequests(line);
    std::string in = format + rate, reply;
    s.receive(in.data(), in.size(), reply);
    ASSERT_EQ(s.lineAnswer(), State::Agreed);
    s.lineRequests(line);
    EXPECT_EQ(s.lineAnswer(), State::Pending);
    EXPECT_EQ(s.purgeRequest(), request(12, "\x03"));
}

TEST(TelnetComPort, OutgoingDataAndWhereACutWriteStops)
{
    const std::string data = std::string("a\xff" "b\r", 4) + std::string(1, '\0') + "c";
    TelnetComPort s;
    // Before the server agreed to binary, CR goes out as CR NUL; 0xFF is always doubled.
    TelnetComPort::Encoded e = s.encode(data.data(), data.size());
    EXPECT_EQ(e.wire, std::string("a\xff\xff" "b\r\0\0c", 8));
    std::string reply, agree = cmd(DO, 0);
    s.receive(agree.data(), agree.size(), reply);
    TelnetComPort::Encoded binary = s.encode(data.data(), data.size());
    EXPECT_EQ(binary.wire, std::string("a\xff\xff" "b\r\0c", 7));

    // wire bytes sent -> data bytes whole, bytes of a cut unit still to go
    const struct Cut {
        size_t sent, data, rest;
    } cuts[] = {{0, 0, 0}, {1, 1, 0}, {2, 1, 1}, {3, 2, 0}, {4, 3, 0}, {5, 3, 1}, {6, 4, 0}, {7, 5, 0}, {8, 6, 0}};
    for (const Cut &c : cuts) {
        size_t rest = 99;
        EXPECT_EQ(TelnetComPort::dataSent(e, c.sent, rest), c.data) << c.sent;
        EXPECT_EQ(rest, c.rest) << c.sent;
    }
    size_t rest = 99;
    EXPECT_EQ(TelnetComPort::dataSent(binary, 5, rest), 4u);
    EXPECT_EQ(rest, 0u) << "in binary mode CR NUL is two data bytes";
}
