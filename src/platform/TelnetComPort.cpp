#include "TelnetComPort.h"

namespace tg::platform {

namespace {

// Telnet commands and options.
constexpr uint8_t kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250, kSe = 240;
constexpr uint8_t kBinary = 0, kSga = 3, kComPortOption = 44;

// Com port commands from the client; the server answers with the same number plus 100.
enum : uint8_t {
    cpSignature = 0,
    cpSetBaudRate = 1,
    cpSetDataSize = 2,
    cpSetParity = 3,
    cpSetStopSize = 4,
    cpSetControl = 5,
    cpNotifyLineState = 6,
    cpNotifyModemState = 7,
    cpSetLineStateMask = 10,
    cpPurgeData = 12,
    cpServer = 100,
};

// SET-CONTROL values.
enum : uint8_t {
    ctlOutNone = 1, ctlOutXonXoff = 2, ctlOutHardware = 3,
    ctlDtrOn = 8, ctlDtrOff = 9, ctlRtsOn = 11, ctlRtsOff = 12,
    ctlInNone = 14, ctlInXonXoff = 15, ctlInHardware = 16,
};

// Line state bits the client wants to hear about, and what they mean to the port.
constexpr uint8_t lsOverrun = 0x02, lsParity = 0x04, lsFraming = 0x08, lsBreak = 0x10;
constexpr uint8_t kLineStateMask = lsOverrun | lsParity | lsFraming | lsBreak;

// A signature is short text; anything longer is not one we want to hold.
constexpr size_t kMaxSubnegotiation = 256;

constexpr char kSignature[] = "Tavelgrid";

void command(std::string &out, uint8_t verb, uint8_t option)
{
    out += char(kIac);
    out += char(verb);
    out += char(option);
}

// One com port command; an IAC byte in the value is doubled, as everywhere in the stream.
void request(std::string &out, uint8_t cmd, std::string_view value)
{
    out += char(kIac);
    out += char(kSb);
    out += char(kComPortOption);
    out += char(cmd);
    for (char c : value) {
        out += c;
        if (uint8_t(c) == kIac)
            out += c;
    }
    out += char(kIac);
    out += char(kSe);
}

void request(std::string &out, uint8_t cmd, uint8_t value)
{
    request(out, cmd, std::string_view(reinterpret_cast<const char *>(&value), 1));
}

bool weWill(uint8_t option) { return option == kBinary || option == kSga || option == kComPortOption; }
bool weLetHim(uint8_t option) { return option == kBinary || option == kSga; }

} // namespace

std::string TelnetComPort::start()
{
    std::string out;
    for (uint8_t option : {kBinary, kSga, kComPortOption})
        ask(out, kWill, option);
    for (uint8_t option : {kBinary, kSga})
        ask(out, kDo, option);
    return out;
}

void TelnetComPort::ask(std::string &out, uint8_t verb, uint8_t option)
{
    Side &side = verb == kWill ? m_us[option] : m_him[option];
    if (side != Side::No)
        return;
    side = Side::WantYes;
    command(out, verb, option);
}

TelnetComPort::Received TelnetComPort::receive(char *buf, size_t n, std::string &reply)
{
    Received r;
    size_t out = 0; // never passes the byte being read, so the data move down in place
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = uint8_t(buf[i]);
        switch (m_parse) {
        case Parse::Cr:
            m_parse = Parse::Data;
            if (b == 0)
                break; // CR NUL stands for a bare CR
            [[fallthrough]];
        case Parse::Data:
            if (b == kIac) {
                m_parse = Parse::Iac;
                break;
            }
            buf[out++] = char(b);
            if (b == '\r' && m_him[kBinary] != Side::Yes)
                m_parse = Parse::Cr;
            break;
        case Parse::Iac:
            afterIac(b, buf, out);
            break;
        case Parse::Verb:
            m_parse = Parse::Data;
            onVerb(m_verb, b, reply, r);
            break;
        case Parse::SbOption:
            m_sbOption = b;
            m_sb.clear();
            m_sbOverlong = false;
            m_parse = Parse::SbData;
            break;
        case Parse::SbData:
            if (b == kIac)
                m_parse = Parse::SbIac;
            else if (m_sb.size() < kMaxSubnegotiation)
                m_sb += char(b);
            else
                m_sbOverlong = true;
            break;
        case Parse::SbIac:
            if (b == kIac) {
                m_parse = Parse::SbData;
                if (m_sb.size() < kMaxSubnegotiation)
                    m_sb += char(b);
                else
                    m_sbOverlong = true;
            } else if (b == kSe) {
                m_parse = Parse::Data;
                if (!m_sbOverlong)
                    onSubnegotiation(reply, r);
            } else {
                // A command inside an unfinished subnegotiation ends it unheard.
                afterIac(b, buf, out);
            }
            break;
        }
    }
    r.data = out;
    return r;
}

void TelnetComPort::afterIac(uint8_t b, char *buf, size_t &out)
{
    if (b == kIac) {
        buf[out++] = char(b);
        m_parse = Parse::Data;
    } else if (b >= kWill) {
        m_verb = b;
        m_parse = Parse::Verb;
    } else if (b == kSb) {
        m_parse = Parse::SbOption;
    } else {
        m_parse = Parse::Data; // NOP, GA, data mark and the like carry nothing for a serial line
    }
}

void TelnetComPort::onVerb(uint8_t verb, uint8_t option, std::string &reply, Received &r)
{
    // Loops are avoided as telnet requires: a side that already is in the asked state is not
    // answered, and a refusal of our own request is not answered either.
    const bool ours = verb == kDo || verb == kDont;
    Side &side = ours ? m_us[option] : m_him[option];
    const bool supported = ours ? weWill(option) : weLetHim(option);
    const uint8_t yes = ours ? kWill : kDo;
    const uint8_t no = ours ? kWont : kDont;
    if (verb == kDo || verb == kWill) {
        if (!supported) {
            command(reply, no, option);
            return;
        }
        if (side == Side::No)
            command(reply, yes, option);
        r.progress |= side != Side::Yes;
        side = Side::Yes;
    } else {
        if (side == Side::Yes)
            command(reply, no, option);
        r.progress |= side != Side::No;
        side = Side::No;
    }
}

void TelnetComPort::onSubnegotiation(std::string &reply, Received &r)
{
    if (m_sbOption != kComPortOption || m_sb.empty())
        return;
    const uint8_t cmd = uint8_t(m_sb[0]);
    const std::string_view value = std::string_view(m_sb).substr(1);
    const auto byte = [&value] { return uint8_t(value[0]); };
    if (cmd == cpServer + cpSignature) {
        if (value.empty()) // a request for ours
            request(reply, cpSignature, std::string_view(kSignature));
        return;
    }
    if (cmd == cpServer + cpSetBaudRate && value.size() >= 4) {
        m_baud = uint32_t(uint8_t(value[0])) << 24 | uint32_t(uint8_t(value[1])) << 16 |
                 uint32_t(uint8_t(value[2])) << 8 | uint32_t(uint8_t(value[3]));
        r.progress = true;
        return;
    }
    if (value.empty())
        return;
    switch (cmd) {
    case cpServer + cpSetDataSize: m_dataSize = byte(); r.progress = true; break;
    case cpServer + cpSetParity: m_parity = byte(); r.progress = true; break;
    case cpServer + cpSetStopSize: m_stopSize = byte(); r.progress = true; break;
    case cpServer + cpNotifyLineState:
        m_lineState |= byte() & kLineStateMask;
        r.lineNews = true;
        break;
    case cpServer + cpNotifyModemState:
        m_modem = byte();
        r.lineNews = true;
        break;
    default:
        // Answers to control and mask requests, purge confirmations and flow control
        // suspend/resume change nothing the port reports.
        break;
    }
}

TelnetComPort::Encoded TelnetComPort::encode(const char *data, size_t n) const
{
    Encoded e;
    e.crStuffed = m_us[kBinary] != Side::Yes;
    e.wire.reserve(n + n / 8 + 2);
    for (size_t i = 0; i < n; ++i) {
        const char c = data[i];
        e.wire += c;
        if (uint8_t(c) == kIac)
            e.wire += c;
        else if (c == '\r' && e.crStuffed)
            e.wire += '\0';
    }
    return e;
}

size_t TelnetComPort::dataSent(const Encoded &e, size_t sent, size_t &rest)
{
    rest = 0;
    size_t count = 0;
    for (size_t p = 0; p < sent;) {
        const char c = e.wire[p];
        const size_t unit = (uint8_t(c) == kIac || (c == '\r' && e.crStuffed)) ? 2 : 1;
        if (p + unit > sent)
            rest = p + unit - sent;
        p += unit;
        ++count;
    }
    return count - (rest ? 1 : 0);
}

std::string TelnetComPort::lineRequests(const DeviceControlBlock &dcb)
{
    static constexpr uint8_t kStopSize[3] = {1, 3, 2}; // one, one and a half, two
    const Line line{dcb.BaudRate, dcb.ByteSize, uint8_t(dcb.Parity + 1), kStopSize[dcb.StopBits % 3]};
    m_asked = line;
    m_baud.reset();
    m_dataSize.reset();
    m_parity.reset();
    m_stopSize.reset();

    std::string out;
    const char baud[4] = {char(line.baud >> 24), char(line.baud >> 16), char(line.baud >> 8), char(line.baud)};
    request(out, cpSetBaudRate, std::string_view(baud, 4));
    request(out, cpSetDataSize, line.dataSize);
    request(out, cpSetParity, line.parity);
    request(out, cpSetStopSize, line.stopSize);
    // Flow control and the DTR and RTS lines as a local line gets them.
    const uint32_t dtr = dcb.Flags & dcbDtrMask;
    const uint32_t rts = dcb.Flags & dcbRtsMask;
    const bool hardware = (dcb.Flags & dcbOutxCtsFlow) || rts == dcbRtsHandshake;
    request(out, cpSetControl, hardware ? ctlOutHardware : (dcb.Flags & dcbOutX) ? ctlOutXonXoff : ctlOutNone);
    request(out, cpSetControl, hardware ? ctlInHardware : (dcb.Flags & dcbInX) ? ctlInXonXoff : ctlInNone);
    if (dtr != dcbDtrHandshake)
        request(out, cpSetControl, dtr == dcbDtrEnable ? ctlDtrOn : ctlDtrOff);
    if (rts == 0 || rts == dcbRtsEnable)
        request(out, cpSetControl, rts == dcbRtsEnable ? ctlRtsOn : ctlRtsOff);
    request(out, cpSetLineStateMask, kLineStateMask);
    return out;
}

std::string TelnetComPort::purgeRequest() const
{
    std::string out;
    request(out, cpPurgeData, uint8_t(3)); // both directions
    return out;
}

TelnetComPort::State TelnetComPort::comPort() const
{
    switch (m_us[kComPortOption]) {
    case Side::Yes: return State::Agreed;
    case Side::WantYes: return State::Pending;
    case Side::No: break;
    }
    return State::Refused;
}

TelnetComPort::State TelnetComPort::lineAnswer() const
{
    if (!m_asked)
        return State::Agreed;
    const Line &a = *m_asked;
    if ((m_baud && *m_baud != a.baud) || (m_dataSize && *m_dataSize != a.dataSize) ||
        (m_parity && *m_parity != a.parity) || (m_stopSize && *m_stopSize != a.stopSize))
        return State::Refused;
    return m_baud && m_dataSize && m_parity && m_stopSize ? State::Agreed : State::Pending;
}

uint32_t TelnetComPort::takeLineErrors()
{
    uint32_t errors = 0;
    if (m_lineState & lsOverrun) errors |= errOverrun;
    if (m_lineState & lsParity) errors |= errRxParity;
    if (m_lineState & lsFraming) errors |= errFrame;
    if (m_lineState & lsBreak) errors |= errBreak;
    m_lineState = 0;
    return errors;
}

} // namespace tg::platform
