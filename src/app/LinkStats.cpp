#include "LinkStats.h"

#include <algorithm>
#include <cstring>

namespace tg::app {

namespace {

constexpr int64_t kSecondNs = 1000000000;

} // namespace

IdStats &LinkStats::slot(int32_t id)
{
    return id >= 0 && id <= kMaxId ? m_ids[size_t(id)] : m_otherIds[id];
}

void LinkStats::record(journal::Micros time, QByteArrayView packet, const std::optional<Packet> &p)
{
    ++m_packets;
    if (!p) {
        ++m_ignored;
        return;
    }
    IdStats &s = slot(p->id);
    if (s.count++ == 0) {
        s.firstTime = time;
        s.min = s.max = p->number;
    }
    s.last = p->number;
    s.min = std::min(s.min, p->number);
    s.max = std::max(s.max, p->number);
    s.lastTime = time;
    s.rawSize = uint8_t(std::min<qsizetype>(packet.size(), IdStats::kRawBytes));
    std::memcpy(s.raw.data(), packet.data(), s.rawSize);
}

const IdStats *LinkStats::id(int32_t id) const
{
    if (id >= 0 && id <= kMaxId)
        return m_ids[size_t(id)].count ? &m_ids[size_t(id)] : nullptr;
    const auto it = m_otherIds.find(id);
    return it == m_otherIds.end() ? nullptr : &it->second;
}

void LinkStats::forEachId(const std::function<void(int32_t, const IdStats &)> &fn) const
{
    for (size_t id = 0; id < m_ids.size(); ++id)
        if (m_ids[id].count)
            fn(int32_t(id), m_ids[id]);
    for (const auto &[id, s] : m_otherIds)
        fn(id, s);
}

void LinkStats::forgetIds()
{
    m_ids.fill(IdStats{});
    m_otherIds.clear();
}

void LinkStats::framePainted(int64_t nowNs)
{
    if (!m_waiting)
        return;
    m_waiting = false;
    if (nowNs - m_secondStart >= kSecondNs) {
        m_previousMax = nowNs - m_secondStart < 2 * kSecondNs ? m_secondMax : -1;
        m_secondStart = nowNs;
        m_secondMax = -1;
    }
    m_secondMax = std::max(m_secondMax, nowNs - m_oldestShown);
}

std::optional<int64_t> LinkStats::latencyLastSecond(int64_t nowNs) const
{
    int64_t worst = -1;
    if (nowNs - m_secondStart < kSecondNs)
        worst = std::max(m_secondMax, m_previousMax);
    else if (nowNs - m_secondStart < 2 * kSecondNs)
        worst = m_secondMax;
    return worst < 0 ? std::nullopt : std::optional<int64_t>(worst);
}

} // namespace tg::app
