// A recording file may come from anywhere. Whatever it holds, the reader either accepts it
// with every record inside the file and times that never go back, or names what is wrong; a
// sound file read back and written again gives the same bytes.
#include "Recording.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view file(reinterpret_cast<const char *>(data), size);
    tg::journal::Journal journal(tg::journal::Limits{INT64_MAX, SIZE_MAX});
    tg::journal::Micros last = INT64_MIN;
    const std::string error = tg::journal::readRecording(file, [&](const tg::journal::Record &r) {
        if (r.time < last || r.bytes.data() < file.data() || r.bytes.data() + r.bytes.size() > file.data() + size)
            std::abort();
        last = r.time;
        if (r.isBreak())
            journal.markBreak(r.time);
        else
            journal.append(r.time, r.bytes.data(), r.bytes.size());
    });
    if (!error.empty())
        return 0;
    std::string again;
    tg::journal::writeRecording(journal, [&again](std::string_view b) {
        again += b;
        return true;
    });
    // Records within a millisecond merge in the journal, so only the bytes must agree.
    std::string bytesIn, bytesOut;
    auto collect = [](std::string &out) {
        return [&out](const tg::journal::Record &r) { out += r.bytes; };
    };
    if (!tg::journal::readRecording(again, collect(bytesOut)).empty())
        std::abort();
    tg::journal::readRecording(file, collect(bytesIn));
    if (bytesIn != bytesOut)
        std::abort();
    return 0;
}
