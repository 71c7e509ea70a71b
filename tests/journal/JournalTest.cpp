#include "Journal.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

using tg::journal::Journal;
using tg::journal::Limits;
using tg::journal::Micros;
using tg::journal::Record;

namespace {

struct Seen {
    Micros time;
    uint64_t offset;
    std::string bytes;
    bool operator==(const Seen &) const = default;
};

std::vector<Seen> all(const Journal &j, uint64_t from = 0, Micros until = INT64_MAX)
{
    std::vector<Seen> out;
    j.forEach(from, until, [&out](const Record &r) {
        out.push_back({r.time, r.offset, std::string(r.bytes)});
        return true;
    });
    return out;
}

std::string bytesOf(const Journal &j, uint64_t from = 0)
{
    std::string s;
    for (const Seen &r : all(j, from))
        s += r.bytes;
    return s;
}

void add(Journal &j, Micros t, const std::string &s)
{
    j.append(t, s.data(), s.size());
}

} // namespace

TEST(Journal, GivesBackChunksWithTheirTimesAcrossBlocks)
{
    Journal j(Limits{}, 8);
    add(j, 1000, "#1M2<");
    add(j, 1500, "#3M4<");        // within a millisecond: shares the record before
    add(j, 5000, "#5M6<#7M8<");   // spans two blocks
    j.markBreak(6000);
    add(j, 4000, "#9M1<");        // a clock step back counts as the last time
    EXPECT_EQ(all(j), (std::vector<Seen>{{1000, 0, "#1M2<#3M"},
                                         {1500, 8, "4<"},
                                         {5000, 10, "#5M6<#"},
                                         {5000, 16, "7M8<"},
                                         {6000, 20, ""},
                                         {6000, 20, "#9M1"},
                                         {6000, 24, "<"}}));
    EXPECT_EQ(j.firstTime(), 1000);
    EXPECT_EQ(j.lastTime(), 6000);
    EXPECT_EQ(j.endOffset(), 25u);
    EXPECT_TRUE(all(j)[4].bytes.empty());
}

TEST(Journal, ReadsFromAPositionUntilATime)
{
    Journal j(Limits{}, 8);
    add(j, 1000, "abcdef");
    add(j, 3000, "ghijkl");
    add(j, 5000, "mnop");
    // A position inside a record cuts it there; one at a block edge starts the next block.
    EXPECT_EQ(all(j, 3), (std::vector<Seen>{{1000, 3, "def"}, {3000, 6, "gh"}, {3000, 8, "ijkl"}, {5000, 12, "mnop"}}));
    EXPECT_EQ(all(j, 8, 3000), (std::vector<Seen>{{3000, 8, "ijkl"}}));
    EXPECT_EQ(all(j, 0, 2999), (std::vector<Seen>{{1000, 0, "abcdef"}}));
    EXPECT_TRUE(all(j, 16).empty());
    // The first record at a time or later.
    EXPECT_EQ(j.offsetAt(0), 0u);
    EXPECT_EQ(j.offsetAt(1001), 6u);
    EXPECT_EQ(j.offsetAt(3000), 6u);
    EXPECT_EQ(j.offsetAt(4000), 12u);
    EXPECT_EQ(j.offsetAt(5001), j.endOffset());
    int calls = 0;
    j.forEach(0, INT64_MAX, [&calls](const Record &) { return ++calls < 2; });
    EXPECT_EQ(calls, 2);
}

TEST(Journal, ForgetsWholeBlocksBeyondItsLimitsAndStaysFlat)
{
    constexpr size_t kBlock = 1024;
    Journal bySize(Limits{Micros(3600) * 1000000, 16 * kBlock}, kBlock);
    std::string expected;
    size_t highest = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string m = "#" + std::to_string(i % 100) + "M" + std::to_string(i) + "<";
        add(bySize, Micros(i) * 2000, m);
        expected += m;
        highest = std::max(highest, bySize.memoryUsed());
    }
    EXPECT_LE(highest, 16 * kBlock);
    EXPECT_GT(bySize.beginOffset(), 0u);
    // What is left is exactly the newest bytes, from the first kept block on.
    EXPECT_EQ(bytesOf(bySize), expected.substr(bySize.beginOffset()));
    EXPECT_EQ(all(bySize).front().offset, bySize.beginOffset());

    Journal byAge(Limits{10000, size_t(1) << 30}, 4);
    for (Micros t = 0; t <= 100000; t += 2000)
        add(byAge, t, "abcd");
    // Only blocks that hold nothing younger than the age limit go.
    EXPECT_GE(byAge.firstTime(), 100000 - 10000 - 2000);
    EXPECT_LE(byAge.firstTime(), 100000 - 10000);
    EXPECT_EQ(byAge.lastTime(), 100000);

    // The largest limit keeps everything, also times too far apart for their span to count.
    constexpr Micros most = std::numeric_limits<Micros>::max();
    Journal unlimited(Limits{most, SIZE_MAX}, 4);
    add(unlimited, -most / 2, "old.");
    add(unlimited, -most / 2 + 10, "mid.");
    add(unlimited, most / 2 + 1000, "new.");
    EXPECT_EQ(bytesOf(unlimited), "old.mid.new.");
}

TEST(Journal, AnnouncesEachBlockBeforeItsFirstByte)
{
    Journal j(Limits{}, 4);
    std::vector<std::pair<uint64_t, Micros>> starts;
    j.OnBlockStart = [&](uint64_t offset, Micros time) {
        EXPECT_EQ(j.endOffset(), offset);
        starts.emplace_back(offset, time);
    };
    add(j, 10, "abc");
    add(j, 20, "defgh");
    j.markBreak(30);
    add(j, 40, "ijkl");
    EXPECT_EQ(starts, (std::vector<std::pair<uint64_t, Micros>>{{0, 10}, {4, 20}, {8, 30}}));
}
