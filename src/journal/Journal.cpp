#include "Journal.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>

namespace tg::journal {

namespace {

// An entry keeps its time as 32-bit microseconds after its block's first.
constexpr Micros kLongestBlockSpan = Micros(std::numeric_limits<uint32_t>::max());

// later - earlier, saturated: times read from a file may lie anywhere.
Micros span(Micros later, Micros earlier)
{
    Micros d;
    return __builtin_sub_overflow(later, earlier, &d) ? std::numeric_limits<Micros>::max() : d;
}

} // namespace

Micros nowMicros()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

Micros wallFromSteady(int64_t steadyNs)
{
    using namespace std::chrono;
    // Taken once, so that times stay in the order the steady clock gave them.
    static const int64_t offsetNs = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count() -
                                    duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
    return (steadyNs + offsetNs) / 1000;
}

Journal::Journal(Limits limits, size_t blockBytes) : m_limits(limits), m_blockBytes(std::max<size_t>(blockBytes, 1)) {}

Journal::~Journal() = default;

Micros Journal::firstTime() const
{
    return m_blocks.empty() ? 0 : m_blocks.front().first;
}

uint64_t Journal::beginOffset() const
{
    return m_blocks.empty() ? m_end : m_blocks.front().offset;
}

size_t Journal::memoryUsed() const
{
    return m_blocks.size() * (m_blockBytes + sizeof(Block)) + m_indexBytes;
}

void Journal::clear()
{
    m_blocks.clear();
    m_indexBytes = 0;
}

void Journal::startBlock(Micros time)
{
    if (OnBlockStart)
        OnBlockStart(m_end, time);
    Block b;
    b.data.reset(new char[m_blockBytes]);
    b.offset = m_end;
    b.first = time;
    m_blocks.push_back(std::move(b));
}

Journal::Block &Journal::blockFor(Micros time)
{
    if (m_blocks.empty() || m_blocks.back().used >= m_blockBytes ||
        span(time, m_blocks.back().first) > kLongestBlockSpan)
        startBlock(time);
    return m_blocks.back();
}

void Journal::append(Micros time, const char *data, size_t n)
{
    time = m_blocks.empty() ? time : std::max(time, m_lastTime);
    while (n > 0) {
        Block &b = blockFor(time);
        const size_t piece = std::min(n, m_blockBytes - b.used);
        const bool merge = !b.entries.empty() && !b.lastIsBreak && span(time, b.timeOf(b.entries.size() - 1)) < kMergeWithin;
        if (!merge) {
            const size_t before = b.entries.capacity();
            b.entries.push_back({uint32_t(time - b.first), uint32_t(b.used)});
            m_indexBytes += (b.entries.capacity() - before) * sizeof(Entry);
            b.lastIsBreak = false;
        }
        std::memcpy(b.data.get() + b.used, data, piece);
        b.used += piece;
        m_end += piece;
        data += piece;
        n -= piece;
    }
    m_lastTime = time;
    trim();
}

void Journal::markBreak(Micros time)
{
    time = m_blocks.empty() ? time : std::max(time, m_lastTime);
    Block &b = blockFor(time);
    const size_t before = b.entries.capacity();
    b.entries.push_back({uint32_t(time - b.first), uint32_t(b.used)});
    m_indexBytes += (b.entries.capacity() - before) * sizeof(Entry);
    b.lastIsBreak = true;
    m_lastTime = time;
    trim();
}

void Journal::trim()
{
    // The newest block stays, whatever the limits, so the latest bytes are always there. A block
    // goes once all it holds is older than the age limit: a span too long to count reads as the
    // largest, which the largest limit still keeps.
    while (m_blocks.size() > 1 &&
           (span(m_lastTime, m_blocks[1].first) > m_limits.maxAge || memoryUsed() > m_limits.maxBytes)) {
        m_indexBytes -= m_blocks.front().entries.capacity() * sizeof(Entry);
        m_blocks.pop_front();
    }
}

size_t Journal::blockIndexAt(uint64_t offset) const
{
    const auto after = std::upper_bound(m_blocks.begin(), m_blocks.end(), offset,
                                        [](uint64_t o, const Block &b) { return o < b.offset; });
    return after == m_blocks.begin() ? 0 : size_t(after - m_blocks.begin() - 1);
}

void Journal::forEach(uint64_t from, Micros until, const std::function<bool(const Record &)> &fn) const
{
    if (m_blocks.empty())
        return;
    from = std::max(from, beginOffset());
    for (size_t bi = blockIndexAt(from); bi < m_blocks.size(); ++bi) {
        const Block &b = m_blocks[bi];
        const size_t cut = from > b.offset ? size_t(std::min<uint64_t>(from - b.offset, b.used)) : 0;
        // The first entry starting at the cut, or the one the cut falls inside.
        size_t i = size_t(std::lower_bound(b.entries.begin(), b.entries.end(), cut,
                                           [](const Entry &e, size_t c) { return e.start < c; }) -
                          b.entries.begin());
        if (i > 0 && b.endOf(i - 1) > cut)
            --i;
        for (; i < b.entries.size(); ++i) {
            const Micros time = b.timeOf(i);
            if (time > until)
                return;
            const size_t end = b.endOf(i);
            const size_t start = std::max<size_t>(b.entries[i].start, cut);
            if (start == end && b.entries[i].start != end)
                continue; // cut away entirely
            const Record r{time, b.offset + start, std::string_view(b.data.get() + start, end - start)};
            if (!fn(r))
                return;
        }
    }
}

uint64_t Journal::offsetAt(Micros t) const
{
    // The block before the first that starts at t or later may still hold records at t.
    auto it = std::lower_bound(m_blocks.begin(), m_blocks.end(), t,
                               [](const Block &b, Micros time) { return b.first < time; });
    if (it != m_blocks.begin())
        --it;
    for (; it != m_blocks.end(); ++it) {
        const Block &b = *it;
        const auto e = std::lower_bound(b.entries.begin(), b.entries.end(), t,
                                        [&b](const Entry &x, Micros time) { return b.first + Micros(x.dt) < time; });
        if (e != b.entries.end())
            return b.offset + e->start;
    }
    return m_end;
}

} // namespace tg::journal
