#include "ComDataPacket.h"

#include <gtest/gtest.h>
#include <QRandomGenerator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Records what the framer hands out, in order: "P:" packets and "D:" discards.
struct Recorder {
    std::vector<std::string> events;
    void attach(TComDataPacket &f)
    {
        f.OnPacket = [this](TComDataPacket *, const QByteArray &s) { events.push_back("P:" + s.toStdString()); };
        f.OnDiscard = [this](TComDataPacket *, const QByteArray &s) { events.push_back("D:" + s.toStdString()); };
    }
};

// The settings the panel's framer runs with.
void usePanelMarkers(TComDataPacket &f)
{
    f.SetStartString("#");
    f.SetStopString("<");
    f.SetIncludeStrings(true);
}

struct PanelFramer : ::testing::Test {
    TComDataPacket framer;
    Recorder rec;
    void SetUp() override
    {
        usePanelMarkers(framer);
        rec.attach(framer);
    }
    void feed(const char *s) { framer.HandleData(QByteArrayView(s)); }
    using Ev = std::vector<std::string>;
};

TEST_F(PanelFramer, CutsMessagesAsTheDeviceSendsThem)
{
    feed("#12M3.5<");
    EXPECT_EQ(rec.events, (Ev{"P:#12M3.5<"}));

    rec.events.clear();
    feed("#12M");
    EXPECT_TRUE(rec.events.empty());
    feed("3.5<");
    EXPECT_EQ(rec.events, (Ev{"P:#12M3.5<"}));

    rec.events.clear();
    feed("#1M2<#3M4<");
    EXPECT_EQ(rec.events, (Ev{"P:#1M2<", "P:#3M4<"}));

    rec.events.clear();
    feed("xx#1M2<");
    EXPECT_EQ(rec.events, (Ev{"D:xx", "P:#1M2<"}));

    rec.events.clear();
    feed("#1M2#3M4<"); // a second start inside a packet does not restart it
    EXPECT_EQ(rec.events, (Ev{"P:#1M2#3M4<"}));

    rec.events.clear();
    feed("<#1M2<");
    EXPECT_EQ(rec.events, (Ev{"D:<", "P:#1M2<"}));
}

TEST_F(PanelFramer, OverflowAndResetThrowTextAway)
{
    const std::string noise1023(1023, 'x');
    feed(noise1023.c_str());
    EXPECT_TRUE(rec.events.empty()) << "1023 characters stay";
    feed("y");
    ASSERT_EQ(rec.events.size(), 1u);
    EXPECT_EQ(rec.events[0], "D:" + noise1023 + "y");

    rec.events.clear();
    feed("#1M");
    framer.ResetBuffer();
    EXPECT_EQ(rec.events, (Ev{"D:#1M"}));
    feed("2<"); // no start any more: stays as text
    EXPECT_EQ(rec.events.size(), 1u);
    framer.ResetBuffer();
    EXPECT_EQ(rec.events.back(), "D:2<");

    rec.events.clear();
    framer.SetMaxBufferSize(0);
    const std::string big(5000, 'z');
    feed(big.c_str());
    EXPECT_TRUE(rec.events.empty()) << "no limit keeps everything";
}

TEST_F(PanelFramer, SameStreamInAnyChunkingGivesSamePackets)
{
    QRandomGenerator rng(42);
    QByteArray stream;
    for (int i = 0; i < 300; ++i) {
        const int kind = int(rng.bounded(10));
        if (kind == 0)
            stream += "noise";
        else if (kind == 1)
            stream += "<";
        else
            stream += "#" + QByteArray::number(int(rng.bounded(100))) + "M" +
                      QByteArray::number(rng.bounded(1000.0), 'f', 2) + "<";
    }
    framer.HandleData(stream);
    const Ev whole = rec.events;
    ASSERT_GT(whole.size(), 250u);

    for (int cut = 1; cut < 40; ++cut) { // every boundary of a short prefix, one cut at a time
        TComDataPacket f;
        usePanelMarkers(f);
        Recorder r;
        r.attach(f);
        f.HandleData(QByteArrayView(stream).first(cut));
        f.HandleData(QByteArrayView(stream).sliced(cut));
        EXPECT_EQ(r.events, whole) << "cut at " << cut;
    }
    for (int round = 0; round < 20; ++round) { // random chunkings of the whole stream
        TComDataPacket f;
        usePanelMarkers(f);
        Recorder r;
        r.attach(f);
        for (qsizetype pos = 0; pos < stream.size();) {
            const qsizetype n = std::min<qsizetype>(1 + rng.bounded(20), stream.size() - pos);
            f.HandleData(QByteArrayView(stream).sliced(pos, n));
            pos += n;
        }
        EXPECT_EQ(r.events, whole) << "round " << round;
    }
}

TEST_F(PanelFramer, LargeChunkOfShortPacketsIsCutWithoutRecursion)
{
    QByteArray chunk;
    while (chunk.size() < 4 * 1024 * 1024)
        chunk += "#1M2<";
    int packets = 0;
    framer.OnPacket = [&](TComDataPacket *, const QByteArray &) { ++packets; };
    framer.HandleData(chunk);
    EXPECT_EQ(packets, chunk.size() / 5);
}

TEST_F(PanelFramer, HandlerFailureLosesOnlyItsPacket)
{
    int calls = 0;
    framer.OnPacket = [&](TComDataPacket *, const QByteArray &s) {
        rec.events.push_back("P:" + s.toStdString());
        if (++calls == 1)
            throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(feed("#1M2<#3M4<#5M"), std::runtime_error);
    EXPECT_EQ(rec.events, (Ev{"P:#1M2<"}));
    feed("6<"); // the rest stayed buffered
    EXPECT_EQ(rec.events, (Ev{"P:#1M2<", "P:#3M4<", "P:#5M6<"}));
}

TEST_F(PanelFramer, ChangingMarkersInsidePacketHandlerEmptiesTheBuffer)
{
    framer.OnPacket = [&](TComDataPacket *f, const QByteArray &s) {
        rec.events.push_back("P:" + s.toStdString());
        f->SetStartString("$");
    };
    feed("#1M2<#3M4<");
    EXPECT_EQ(rec.events, (Ev{"P:#1M2<", "D:#3M4<"}));
}

TEST(Framer, OtherSettings)
{
    using Ev = std::vector<std::string>;
    {
        TComDataPacket f;
        Recorder r;
        r.attach(f);
        f.SetStartString("#");
        f.SetStopString("<");
        f.HandleData("#1M2<");
        EXPECT_EQ(r.events, (Ev{"P:1M2"})) << "markers stripped";
    }
    {
        TComDataPacket f;
        Recorder r;
        r.attach(f);
        f.SetStartString("$");
        f.SetStopString("$");
        f.SetIncludeStrings(true);
        f.HandleData("$abc$");
        EXPECT_EQ(r.events, (Ev{"P:$abc$"})) << "stop search skips the start";
    }
    {
        TComDataPacket f;
        Recorder r;
        r.attach(f);
        f.SetCaseInsensitive(true);
        f.SetStartString("ab");
        f.SetStopString("yz");
        f.SetIncludeStrings(true);
        f.HandleData("xxABcdYZ");
        EXPECT_EQ(r.events, (Ev{"D:xx", "P:ABcdYZ"}));
    }
    {
        TComDataPacket f;
        Recorder r;
        r.attach(f);
        f.SetStartString("#");
        f.HandleData("noise#1<");
        EXPECT_EQ(r.events, (Ev{"P:noise#1<"})) << "no stop condition: chunks pass unchanged";
    }
    {
        TComDataPacket f;
        Recorder r;
        r.attach(f);
        f.SetStopString("<");
        f.SetSize(6);
        f.SetIncludeStrings(true);
        f.HandleData("#ab<");
        f.HandleData("#ab<cdef");
        EXPECT_EQ(r.events, (Ev{"P:#ab<", "P:#ab<cd"})) << "size wins over an earlier stop";
        f.ResetBuffer();
        EXPECT_EQ(r.events.back(), "D:ef");
    }
    {
        TComDataPacket f;
        Recorder r;
        r.attach(f);
        f.SetStopString(";");
        f.SetIncludeStrings(true);
        f.HandleData("a;b;");
        EXPECT_EQ(r.events, (Ev{"P:a;", "P:b;"})) << "empty start: nothing discarded";
    }
    {
        TComDataPacket f;
        Recorder r;
        r.attach(f);
        f.SetIncludeStrings(true);
        f.OnCustomStart = [](TComDataPacket *, const QByteArray &s, int &pos) { pos = int(s.indexOf('S')) + 1; if (pos == 0) pos = -2; };
        f.OnCustomStop = [](TComDataPacket *, const QByteArray &s, int &pos) { if (s.size() >= 3) pos = 3; };
        f.HandleData("xxSabSc");
        EXPECT_EQ(r.events, (Ev{"D:xx", "P:Sab"}));
    }
}

} // namespace
