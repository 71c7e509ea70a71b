#pragma once
// A stream from a server fed in pieces to a telnet com port session that opened the way the
// network link opens it, and what the session made of it. The tests and the fuzz target both
// compare the outcomes of different cuts of one stream.
#include "TelnetComPort.h"

#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

struct TelnetOutcome {
    std::string data, reply;
    uint32_t lines = 0, errors = 0;
    tg::platform::TelnetComPort::State comPort = tg::platform::TelnetComPort::State::Pending;
    bool operator==(const TelnetOutcome &) const = default;
};

// For failure messages: the bytes as numbers.
inline std::ostream &operator<<(std::ostream &os, const TelnetOutcome &o)
{
    auto numbers = [&os](const std::string &s) {
        for (unsigned char c : s)
            os << ' ' << int(c);
    };
    os << "data";
    numbers(o.data);
    os << " / reply";
    numbers(o.reply);
    return os << " / lines " << o.lines << " errors " << o.errors << " option " << int(o.comPort);
}

// cuts: where the stream is cut, in rising order.
inline TelnetOutcome feedTelnet(const std::string &stream, const std::vector<size_t> &cuts)
{
    tg::platform::TelnetComPort s;
    s.start();
    TelnetOutcome o;
    size_t from = 0;
    std::vector<size_t> ends = cuts;
    ends.push_back(stream.size());
    for (size_t end : ends) {
        std::string piece = stream.substr(from, end - from);
        const auto r = s.receive(piece.data(), piece.size(), o.reply);
        if (r.data > piece.size())
            std::abort(); // more data than bytes: the session wrote past what it was given
        o.data.append(piece, 0, r.data);
        from = end;
    }
    o.lines = s.modemLines();
    o.errors = s.takeLineErrors();
    o.comPort = s.comPort();
    return o;
}
