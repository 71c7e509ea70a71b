#include "JsonLines.h"

#include "IniImage.h"
#include "ValueProtocol.h"

#include <charconv>
#include <cmath>

namespace {

const char kHex[] = "0123456789abcdef";

void appendNumber(QByteArray &out, int64_t v)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr - buf);
}

// Whole units, a point and `digits` digits of the fraction; integer arithmetic, so a time
// since the epoch keeps its microseconds.
void appendFixed(QByteArray &out, int64_t whole, int64_t fraction, int digits)
{
    appendNumber(out, whole);
    out += '.';
    const QByteArray f = QByteArray::number(qlonglong(fraction));
    out += QByteArray(digits - f.size(), '0') + f;
}

void appendTime(QByteArray &out, timespec t)
{
    appendFixed(out, int64_t(t.tv_sec), int64_t(t.tv_nsec / 1000), 6);
}

} // namespace

void appendJsonString(QByteArray &out, QStringView text)
{
    out += '"';
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == '"' || u == '\\') {
            out += '\\';
            out += char(u);
        } else if (u >= 0x20 && u < 0x7F) {
            out += char(u);
        } else {
            // A UTF-16 unit as it stands: a surrogate pair becomes two escapes, as JSON wants.
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += kHex[(u >> shift) & 0xF];
        }
    }
    out += '"';
}

QByteArray messageJson(timespec received, QByteArrayView message)
{
    // "." reads "," too (the protocol's separator swap), and does not depend on the machine.
    const std::optional<tg::app::Packet> p = tg::app::parsePacket(message, QLatin1Char('.'));
    QByteArray out;
    out.reserve(48 + message.size());
    out += "{\"t\":";
    appendTime(out, received);
    out += ",\"id\":";
    if (p)
        appendNumber(out, p->id);
    else
        out += "null";
    out += ",\"value\":";
    // The number is a finite single: its shortest text reads back as the same single.
    if (p && p->converted && std::isfinite(p->number)) {
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, p->number);
        out.append(buf, r.ptr - buf);
    } else {
        out += "null";
    }
    out += ",\"raw\":";
    appendJsonString(out, tg::decodeCp1252(message));
    out += "}\n";
    return out;
}

QByteArray statsJson(const LinkStats &s)
{
    const int64_t ms = std::max<int64_t>(s.milliseconds, 1);
    auto perSecond = [ms](int64_t count) { return int64_t(std::llround(double(count) * 1000.0 / double(ms))); };
    QByteArray out = "{\"t\":";
    appendTime(out, s.end);
    out += ",\"seconds\":";
    appendFixed(out, s.milliseconds / 1000, s.milliseconds % 1000, 3);
    const std::pair<const char *, int64_t> fields[] = {
        {"bytes_per_s", perSecond(s.bytes)},
        {"messages_per_s", perSecond(s.messages)},
        {"bytes", s.bytes},
        {"messages", s.messages},
        {"discarded_bytes", s.discardedBytes},
        {"ignored_messages", s.ignoredMessages},
        {"dropped_bytes", int64_t(std::min<uint64_t>(s.droppedBytes, INT64_MAX))},
    };
    for (const auto &[name, value] : fields) {
        out += ",\"";
        out += name;
        out += "\":";
        appendNumber(out, value);
    }
    out += "}\n";
    return out;
}
