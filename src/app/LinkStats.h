#pragma once
// What the link delivered, counted as it arrives: packets, packets the value protocol ignored,
// and per id the count, the last, smallest and largest number, the last raw packet and when
// it came; and how long received bytes took to reach a painted frame. Each packet costs a few
// stores, so the counts can run under any flood.
#include "Catalogue.h"
#include "Journal.h"
#include "ValueProtocol.h"

#include <QByteArrayView>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>

namespace tg::app {

struct IdStats {
    uint64_t count = 0;
    float last = 0;
    float min = 0;
    float max = 0;
    journal::Micros firstTime = 0;
    journal::Micros lastTime = 0;
    // The last packet as it came, cut to the first kRawBytes bytes.
    static constexpr size_t kRawBytes = 48;
    std::array<char, kRawBytes> raw{};
    uint8_t rawSize = 0;
    QByteArrayView lastRaw() const { return QByteArrayView(raw.data(), rawSize); }
};

class LinkStats {
public:
    // A packet cut from bytes received at `time`; p is what the value protocol read, empty
    // when it ignored the packet.
    void record(journal::Micros time, QByteArrayView packet, const std::optional<Packet> &p);
    uint64_t packets() const { return m_packets; }
    uint64_t ignored() const { return m_ignored; }
    // Nothing for an id never seen.
    const IdStats *id(int32_t id) const;
    void forEachId(const std::function<void(int32_t id, const IdStats &stats)> &fn) const;
    // The per-id figures count from the last connect, as the inspector shows them.
    void forgetIds();

    // Byte-to-frame latency: bytes that arrived at receivedNs (steady clock) changed an
    // instrument, and a frame was painted at nowNs.
    void valueShown(int64_t receivedNs)
    {
        if (!m_waiting) {
            m_waiting = true;
            m_oldestShown = receivedNs;
        }
    }
    void framePainted(int64_t nowNs);
    // The longest latency of the frames painted in the last second (nanoseconds); empty when
    // none was.
    std::optional<int64_t> latencyLastSecond(int64_t nowNs) const;

private:
    IdStats &slot(int32_t id);

    uint64_t m_packets = 0;
    uint64_t m_ignored = 0;
    std::array<IdStats, kMaxId + 1> m_ids{};
    std::unordered_map<int32_t, IdStats> m_otherIds;
    bool m_waiting = false;
    int64_t m_oldestShown = 0;
    // The longest latency of the second that began at m_secondStart, and of the one before.
    int64_t m_secondStart = 0;
    int64_t m_secondMax = -1;
    int64_t m_previousMax = -1;
};

} // namespace tg::app
