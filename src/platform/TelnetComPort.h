#pragma once
// The client side of a telnet connection that carries a serial line (the telnet com port
// control option, RFC 2217). It separates the device's data from the server's commands, answers
// the server's option negotiation, escapes outgoing data, builds the requests that set the
// remote line up and keeps what the server reports about the line. It does no I/O: the network
// link feeds it what arrives and sends what it hands back.
#include "SerialDevice.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tg::platform {

class TelnetComPort {
public:
    enum class State { Pending, Agreed, Refused };

    struct Received {
        size_t data = 0;       // data bytes, now at the front of the buffer
        bool lineNews = false; // the server reported the modem lines or line errors
        bool progress = false; // an option was settled or a line setting answered
    };

    // The options the client asks for as the connection opens.
    std::string start();
    // Takes n bytes from the server and moves the data among them to the front of buf; what
    // the session owes the server in return is appended to reply. A command may be split
    // across calls at any byte.
    Received receive(char *buf, size_t n, std::string &reply);

    // Data as they go on the wire: each byte becomes a unit of one or two bytes.
    struct Encoded {
        std::string wire;
        bool crStuffed = false; // CR went out as CR NUL (the server's side is not binary)
    };
    Encoded encode(const char *data, size_t n) const;
    // How many data bytes the first `sent` bytes of e.wire carry whole; rest says how many
    // bytes of a unit cut at `sent` are still to go (0 when no unit is cut).
    static size_t dataSent(const Encoded &e, size_t sent, size_t &rest);

    // Requests that give the remote line these settings (the block must be valid); the
    // answers to them are awaited afresh.
    std::string lineRequests(const DeviceControlBlock &dcb);
    // Asks the server to drop what its buffers hold in both directions.
    std::string purgeRequest() const;

    // Whether the server takes com port control commands.
    State comPort() const;
    // Whether the server has answered the last line requests with the values asked for.
    // A different value is a refusal.
    State lineAnswer() const;
    // The modem lines as last reported, as ModemStatus bits.
    uint32_t modemLines() const { return m_modem & (msCts | msDsr | msRing | msRlsd); }
    // Line errors reported since the last call, as CommError bits.
    uint32_t takeLineErrors();

private:
    enum class Side : uint8_t { No, WantYes, Yes };
    enum class Parse : uint8_t { Data, Cr, Iac, Verb, SbOption, SbData, SbIac };

    void afterIac(uint8_t b, char *buf, size_t &out);
    void onVerb(uint8_t verb, uint8_t option, std::string &reply, Received &r);
    void onSubnegotiation(std::string &reply, Received &r);
    void ask(std::string &out, uint8_t verb, uint8_t option);

    Parse m_parse = Parse::Data;
    uint8_t m_verb = 0;
    uint8_t m_sbOption = 0;
    bool m_sbOverlong = false;
    std::string m_sb;
    std::array<Side, 256> m_us{};  // options on our side (WILL/WONT, asked with DO/DONT)
    std::array<Side, 256> m_him{}; // options on the server's side

    struct Line {
        uint32_t baud;
        uint8_t dataSize, parity, stopSize;
    };
    std::optional<Line> m_asked;
    std::optional<uint32_t> m_baud;
    std::optional<uint8_t> m_dataSize, m_parity, m_stopSize;
    uint8_t m_modem = 0;
    uint8_t m_lineState = 0;
};

} // namespace tg::platform
