// The framer sees whatever arrives on the serial line. Input: one byte of settings, start and
// stop markers (each a length byte and bytes), then the stream; every byte below 8 of the stream
// ends a chunk. Cut by a stop string alone and with no overflow limit, the same stream in one
// piece must give the same packets and discards (chunks pass unchanged without a stop
// condition, and a fixed size may win over a stop string only once enough has arrived).
#include "ComDataPacket.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Run {
    std::vector<std::string> events;
    TComDataPacket framer;
    Run(uint8_t settings, const QByteArray &start, const QByteArray &stop, int32_t maxBuffer)
    {
        framer.SetCaseInsensitive(settings & 1);
        framer.SetIncludeStrings(settings & 2);
        framer.SetSize((settings >> 2) & 7);
        framer.SetMaxBufferSize(maxBuffer);
        framer.SetStartString(start);
        framer.SetStopString(stop);
        framer.OnPacket = [this](TComDataPacket *, const QByteArray &s) { events.push_back("P" + s.toStdString()); };
        framer.OnDiscard = [this](TComDataPacket *, const QByteArray &s) { events.push_back("D" + s.toStdString()); };
    }
};

QByteArray take(const uint8_t *&data, size_t &size)
{
    if (size == 0)
        return {};
    const size_t n = std::min<size_t>(data[0] % 4, size - 1);
    QByteArray out(reinterpret_cast<const char *>(data + 1), qsizetype(n));
    data += n + 1;
    size -= n + 1;
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t settings = data[0];
    ++data;
    --size;
    const QByteArray start = take(data, size);
    const QByteArray stop = take(data, size);
    const QByteArray stream(reinterpret_cast<const char *>(data), qsizetype(size));

    Run chunked(settings, start, stop, 0);
    Run limited(settings, start, stop, 1 + (settings >> 5) * 4);
    qsizetype from = 0;
    for (qsizetype i = 0; i <= stream.size(); ++i) {
        if (i == stream.size() || uint8_t(stream[i]) < 8) {
            const QByteArrayView chunk = QByteArrayView(stream).sliced(from, i - from);
            chunked.framer.HandleData(chunk);
            limited.framer.HandleData(chunk);
            from = i;
        }
    }
    Run whole(settings, start, stop, 0);
    whole.framer.HandleData(stream);
    if (chunked.framer.Size() == 0 && !stop.isEmpty() && chunked.events != whole.events)
        std::abort();
    return 0;
}
