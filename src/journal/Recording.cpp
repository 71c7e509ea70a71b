#include "Recording.h"

#include <cstring>

namespace tg::journal {

namespace {

constexpr char kMagic[8] = {'T', 'G', 'R', 'E', 'C', 'O', 'R', 'D'};
constexpr size_t kRecordHead = 12;

template <typename T>
void put(std::string &out, T v)
{
    for (size_t i = 0; i < sizeof v; ++i)
        out += char(uint8_t(uint64_t(v) >> (8 * i)));
}

template <typename T>
T get(const char *p)
{
    uint64_t v = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        v |= uint64_t(uint8_t(p[i])) << (8 * i);
    return T(v);
}

std::string at(size_t pos)
{
    return " at byte " + std::to_string(pos);
}

} // namespace

bool writeRecording(const Journal &journal, const std::function<bool(std::string_view)> &sink)
{
    std::string head(kMagic, sizeof kMagic);
    put(head, kRecordingVersion);
    put(head, uint16_t(kRecordingHeaderSize));
    put(head, uint32_t(0));
    if (!sink(head))
        return false;
    bool ok = true;
    std::string recordHead;
    journal.forEach(journal.beginOffset(), INT64_MAX, [&](const Record &r) {
        recordHead.clear();
        put(recordHead, int64_t(r.time));
        put(recordHead, uint32_t(r.bytes.size()));
        ok = sink(recordHead) && (r.bytes.empty() || sink(r.bytes));
        return ok;
    });
    return ok;
}

std::string readRecording(std::string_view file, const std::function<void(const Record &)> &fn)
{
    if (file.size() < kRecordingHeaderSize || std::memcmp(file.data(), kMagic, sizeof kMagic) != 0)
        return "not a recording of this program";
    const auto version = get<uint16_t>(file.data() + 8);
    if (version != kRecordingVersion)
        return "recording version " + std::to_string(version) + " is not supported (this program reads version " +
               std::to_string(kRecordingVersion) + ")";
    const auto headerSize = get<uint16_t>(file.data() + 10);
    if (headerSize < kRecordingHeaderSize || headerSize > file.size())
        return "damaged header (size " + std::to_string(headerSize) + ")";
    size_t pos = headerSize;
    uint64_t offset = 0;
    Micros last = INT64_MIN;
    while (pos < file.size()) {
        if (file.size() - pos < kRecordHead)
            return "truncated record" + at(pos);
        const auto time = get<int64_t>(file.data() + pos);
        const auto length = get<uint32_t>(file.data() + pos + 8);
        if (length > kLongestRecord)
            return "record of " + std::to_string(length) + " bytes is too long" + at(pos);
        if (file.size() - pos - kRecordHead < length)
            return "truncated record" + at(pos) + ": " + std::to_string(length) + " bytes announced, " +
                   std::to_string(file.size() - pos - kRecordHead) + " left";
        if (time < last)
            return "time goes back" + at(pos);
        last = time;
        fn(Record{time, offset, file.substr(pos + kRecordHead, length)});
        offset += length;
        pos += kRecordHead + length;
    }
    return {};
}

} // namespace tg::journal
