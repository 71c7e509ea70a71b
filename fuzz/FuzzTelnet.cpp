// The telnet com port session reads whatever a server on the network sends. Input: one byte
// that says where the stream is cut, then the stream. Fed whole, cut there, or one byte at a
// time, a session must find the same data, send the same replies and report the same line
// state; its data bytes never outnumber the stream's. The data it found, escaped for the wire
// and read back by a session with binary on, must come back unchanged.
#include "TelnetComPort.h"
#include "TelnetFeed.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using tg::platform::TelnetComPort;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const std::string stream(reinterpret_cast<const char *>(data + 1), size - 1);
    const size_t cut = stream.empty() ? 0 : data[0] % (stream.size() + 1);

    const TelnetOutcome whole = feedTelnet(stream, {});
    if (!(feedTelnet(stream, {cut}) == whole))
        std::abort();
    std::vector<size_t> everyByte;
    for (size_t i = 1; i < stream.size() && stream.size() <= 512; ++i)
        everyByte.push_back(i);
    if (!(feedTelnet(stream, everyByte) == whole))
        std::abort();

    // Escaping round trip, with binary agreed both ways.
    TelnetComPort out, in;
    std::string ignored, binary = "\xff\xfd"; // IAC DO BINARY
    binary += '\0';
    out.receive(binary.data(), binary.size(), ignored);
    std::string will = "\xff\xfb"; // IAC WILL BINARY
    will += '\0';
    in.receive(will.data(), will.size(), ignored);
    TelnetComPort::Encoded e = out.encode(whole.data.data(), whole.data.size());
    size_t rest = 0;
    if (TelnetComPort::dataSent(e, e.wire.size(), rest) != whole.data.size() || rest != 0)
        std::abort();
    std::string wire = e.wire;
    const auto r = in.receive(wire.data(), wire.size(), ignored);
    if (wire.compare(0, r.data, whole.data) != 0 || r.data != whole.data.size())
        std::abort();
    return 0;
}
