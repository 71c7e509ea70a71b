#pragma once
// Every byte the device sent, with the time it arrived. The bytes lie in a ring of blocks:
// when the journal outgrows its age or size limit it forgets whole blocks from the front, so
// memory stays flat however long the device talks. An append costs one copy of the bytes and
// at most one small index entry; chunks that arrive within a millisecond share an entry.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace tg::journal {

// Microseconds since the Unix epoch.
using Micros = int64_t;

// The wall time of now, and of a reading of the steady clock (in nanoseconds) as the reader
// thread stamps received bytes with it.
Micros nowMicros();
Micros wallFromSteady(int64_t steadyNs);

struct Record {
    Micros time = 0;        // when the first byte arrived
    uint64_t offset = 0;    // stream position of the first byte
    std::string_view bytes; // empty: a new connection began here
    bool isBreak() const { return bytes.empty(); }
};

struct Limits {
    Micros maxAge = Micros(3600) * 1000 * 1000;
    size_t maxBytes = size_t(64) << 20;
};

class Journal {
public:
    static constexpr size_t kBlockBytes = size_t(1) << 20;
    static constexpr Micros kMergeWithin = 1000;

    explicit Journal(Limits limits = {}, size_t blockBytes = kBlockBytes);
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // Applies at the next append.
    void setLimits(Limits limits) { m_limits = limits; }
    Limits limits() const { return m_limits; }

    // Times earlier than the last one recorded count as the last one.
    void append(Micros time, const char *data, size_t n);
    // A new connection: replay starts its framer afresh here.
    void markBreak(Micros time);
    void clear();

    bool empty() const { return m_blocks.empty(); }
    Micros firstTime() const;
    Micros lastTime() const { return m_lastTime; }
    // Stream positions: bytes forgotten from the front, and every byte ever appended.
    uint64_t beginOffset() const;
    uint64_t endOffset() const { return m_end; }
    // What the journal holds in memory: block storage and index.
    size_t memoryUsed() const;

    // Records from stream position `from` on (the first one cut there) whose time is at most
    // `until`, in order; fn returns false to stop early.
    void forEach(uint64_t from, Micros until, const std::function<bool(const Record &)> &fn) const;
    // The stream position of the first record at time t or later (endOffset() if none).
    uint64_t offsetAt(Micros t) const;

    // Told when a new block begins, before its first record is stored: the stream position
    // and time it starts at. Checkpoints of what the bytes drove are taken here.
    std::function<void(uint64_t offset, Micros time)> OnBlockStart;

private:
    struct Entry {
        uint32_t dt;    // microseconds after the block's first time
        uint32_t start; // where its bytes begin in the block; they end where the next begins
    };
    struct Block {
        std::unique_ptr<char[]> data;
        size_t used = 0;
        uint64_t offset = 0;
        Micros first = 0;
        std::vector<Entry> entries;
        bool lastIsBreak = false;
        Micros timeOf(size_t i) const { return first + Micros(entries[i].dt); }
        size_t endOf(size_t i) const { return i + 1 < entries.size() ? entries[i + 1].start : used; }
    };

    Block &blockFor(Micros time);
    void startBlock(Micros time);
    void trim();
    size_t blockIndexAt(uint64_t offset) const;

    Limits m_limits;
    size_t m_blockBytes;
    std::deque<Block> m_blocks;
    uint64_t m_end = 0;
    Micros m_lastTime = 0;
    size_t m_indexBytes = 0;
};

} // namespace tg::journal
