// The journal under a device that never pauses: the cost of an append, and the memory it
// holds after ten minutes of a flood (fed directly, with the times a flood would give).
#include "Journal.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

std::string floodChunk(size_t bytes)
{
    std::string s;
    for (int i = 0; s.size() < bytes; ++i)
        s += "#" + std::to_string(1 + i % 10) + "M" + std::to_string(i % 1000) + ".5<";
    return s;
}

// 64 KiB reads, as the port takes them under a flood.
void BM_JournalAppend(benchmark::State &state)
{
    const std::string chunk = floodChunk(64 * 1024);
    tg::journal::Journal journal;
    tg::journal::Micros t = 0;
    for (auto _ : state) {
        journal.append(t, chunk.data(), chunk.size());
        t += 1400;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(chunk.size()));
}
BENCHMARK(BM_JournalAppend);

// Ten minutes at 45 MB/s (five million 9-byte messages a second) in 64 KiB chunks.
void BM_JournalTenMinuteFlood(benchmark::State &state)
{
    const std::string chunk = floodChunk(64 * 1024);
    constexpr double kBytesPerSecond = 45e6;
    const auto step = tg::journal::Micros(double(chunk.size()) / kBytesPerSecond * 1e6);
    const tg::journal::Micros tenMinutes = tg::journal::Micros(600) * 1000 * 1000;
    for (auto _ : state) {
        tg::journal::Journal journal;
        size_t highest = 0;
        for (tg::journal::Micros t = 0; t < tenMinutes; t += step) {
            journal.append(t, chunk.data(), chunk.size());
            highest = std::max(highest, journal.memoryUsed());
        }
        state.counters["MiB at end"] = double(journal.memoryUsed()) / (1 << 20);
        state.counters["MiB highest"] = double(highest) / (1 << 20);
        state.counters["GB fed"] = double(journal.endOffset()) / 1e9;
        state.counters["span kept s"] = double(journal.lastTime() - journal.firstTime()) / 1e6;
    }
}
BENCHMARK(BM_JournalTenMinuteFlood)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
