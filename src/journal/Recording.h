#pragma once
// The recording file: what a journal held, to be replayed later. Little-endian throughout:
//   header  "TGRECORD", uint16 version (1), uint16 header size (16), uint32 reserved (0)
//   records int64 receive time (microseconds since the Unix epoch), uint32 length, the bytes;
//           length 0 marks a new connection.
// Times never go back. A reader takes nothing on trust: a damaged or foreign file gives an
// error naming the byte where it went wrong.
#include "Journal.h"

#include <functional>
#include <string>
#include <string_view>

namespace tg::journal {

constexpr uint16_t kRecordingVersion = 1;
constexpr size_t kRecordingHeaderSize = 16;
// No chunk the program takes from a device comes near this.
constexpr uint32_t kLongestRecord = 16u << 20;

// Writes the journal's records, from its oldest, through sink (which returns false on a
// failed write); false when a write failed.
bool writeRecording(const Journal &journal, const std::function<bool(std::string_view bytes)> &sink);

// Reads a whole recording, handing each record to fn; the error is empty when it was sound.
std::string readRecording(std::string_view file, const std::function<void(const Record &)> &fn);

} // namespace tg::journal
