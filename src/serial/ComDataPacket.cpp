#include "ComDataPacket.h"
#include "ComPort.h"

#include <algorithm>
#include <cstring>

namespace {
char upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
} // namespace

inline qsizetype TComDataPacket::Find(QByteArrayView text, QByteArrayView pattern, qsizetype from) const
{
    if (pattern.isEmpty())
        return -1;
    // Markers are short and usually close: a plain scan beats a library search call here.
    const char *t = text.data();
    const char *p = pattern.data();
    const qsizetype n = pattern.size();
    auto scan = [&](auto fold) -> qsizetype {
        const char first = fold(p[0]);
        const qsizetype last = text.size() - n;
        for (qsizetype i = from; i <= last; ++i) {
            if (fold(t[i]) != first)
                continue;
            qsizetype k = 1;
            while (k < n && fold(t[i + k]) == fold(p[k]))
                ++k;
            if (k == n)
                return i;
        }
        return -1;
    };
    return m_caseInsensitive ? scan(upper) : scan([](char c) { return c; });
}

TComDataPacket::TComDataPacket(QObject *owner) : QObject(owner)
{
    m_link.LinkRxBuf = [this](TCustomComPort *, const char *buffer, int count) {
        HandleData(QByteArrayView(buffer, count));
    };
}

TComDataPacket::~TComDataPacket()
{
    SetComPort(nullptr);
}

void TComDataPacket::SetComPort(TCustomComPort *port)
{
    if (port == m_comPort)
        return;
    if (m_comPort) {
        disconnect(m_portDestroyed);
        m_comPort->DetachLink(&m_link);
    }
    m_comPort = port;
    if (port) {
        // A port being destroyed has already dropped its links.
        m_portDestroyed = connect(port, &QObject::destroyed, this, [this] { m_comPort = nullptr; });
        port->AttachLink(&m_link);
    }
}

void TComDataPacket::SetCaseInsensitive(bool value)
{
    if (m_caseInsensitive != value) {
        m_caseInsensitive = value;
        MarkersChanged();
    }
}

void TComDataPacket::SetStartString(const QByteArray &value)
{
    if (m_startString != value) {
        m_startString = value;
        MarkersChanged();
    }
}

void TComDataPacket::SetStopString(const QByteArray &value)
{
    if (m_stopString != value) {
        m_stopString = value;
        MarkersChanged();
    }
}

void TComDataPacket::SetSize(int32_t value)
{
    if (m_size != value) {
        m_size = value;
        MarkersChanged();
    }
}

void TComDataPacket::MarkersChanged()
{
    m_searched = 0;
    if (!m_loading)
        ResetBuffer();
}

void TComDataPacket::CopyFraming(const TComDataPacket &other)
{
    SetStartString(other.StartString());
    SetStopString(other.StopString());
    SetIncludeStrings(other.IncludeStrings());
    SetCaseInsensitive(other.CaseInsensitive());
    SetMaxBufferSize(other.MaxBufferSize());
    SetSize(other.Size());
    ResetBuffer();
}

void TComDataPacket::ResetBuffer()
{
    if (Buffered().isEmpty())
        return;
    const QByteArray content = Buffered().toByteArray();
    m_discarded += uint64_t(content.size());
    m_buffer.clear();
    m_head = 0;
    m_inPacket = false;
    m_searched = 0;
    if (OnDiscard)
        OnDiscard(this, content);
}

void TComDataPacket::HandleData(QByteArrayView data)
{
    const bool hasStop = m_size > 0 || !m_stopString.isEmpty() || OnCustomStop;
    if (!hasStop) {
        if (OnPacket)
            OnPacket(this, data.toByteArray());
        return;
    }
    m_buffer.append(data);
    ProcessBuffer();
}

void TComDataPacket::ProcessBuffer()
{
    // Every complete packet is cut before returning; the overflow check then sees only what
    // is left, also when a handler threw.
    try {
        for (;;) {
            if (!m_inPacket)
                LookForStart();
            if (!m_inPacket)
                break;
            LookForEnd();
            if (m_inPacket)
                break;
        }
    } catch (...) {
        Compact();
        CheckOverflow();
        throw;
    }
    Compact();
    CheckOverflow();
}

void TComDataPacket::Compact()
{
    if (m_head > 0) {
        m_buffer.remove(0, m_head);
        m_head = 0;
    }
}

void TComDataPacket::CheckOverflow()
{
    if (m_maxBufferSize > 0 && Buffered().size() >= m_maxBufferSize)
        ResetBuffer();
}

void TComDataPacket::DiscardUpTo(qsizetype pos)
{
    m_inPacket = true;
    m_searched = 0;
    const qsizetype count = std::min(pos - 1, Buffered().size());
    if (count <= 0)
        return;
    const QByteArray discarded = Buffered().first(count).toByteArray();
    m_discarded += uint64_t(count);
    m_head += count;
    if (OnDiscard)
        OnDiscard(this, discarded);
}

void TComDataPacket::LookForStart()
{
    int pos = -1;
    if (OnCustomStart)
        OnCustomStart(this, Buffered().toByteArray(), pos);
    if (pos > 0) {
        DiscardUpTo(pos);
        return;
    }
    if (pos != -1)
        return;
    if (m_startString.isEmpty()) {
        m_inPacket = true;
        m_searched = 0;
        return;
    }
    const QByteArrayView buffered = Buffered();
    const qsizetype from = std::max<qsizetype>(0, m_searched - (m_startString.size() - 1));
    const qsizetype found = Find(buffered, m_startString, from);
    if (found == 0) {
        m_inPacket = true; // nothing to discard
        m_searched = 0;
    } else if (found > 0) {
        DiscardUpTo(found + 1);
    }
    else
        m_searched = buffered.size();
}

void TComDataPacket::LookForEnd()
{
    int pos = -1;
    if (OnCustomStop)
        OnCustomStop(this, Buffered().toByteArray(), pos);
    const QByteArrayView buffered = Buffered();
    qsizetype length = 0;
    if (pos > 0) {
        length = std::min<qsizetype>(pos, buffered.size());
    } else if (pos == -1) {
        if (m_size > 0 && buffered.size() >= m_size) {
            length = m_size;
        } else {
            // The stop string is looked for after the start string.
            const qsizetype skip = m_startString.size();
            const qsizetype from = std::max<qsizetype>(skip, m_searched - (m_stopString.size() - 1));
            const qsizetype found = Find(buffered, m_stopString, from);
            if (found >= 0)
                length = found + m_stopString.size();
            else
                m_searched = buffered.size();
        }
    }
    if (length <= 0)
        return;
    m_inPacket = false;
    m_searched = 0;
    // The packet text reuses one allocation; a handler that keeps a copy makes it detach.
    QByteArray packet = std::move(m_spare);
    packet.resize(length);
    std::memcpy(packet.data(), buffered.data(), size_t(length));
    m_head += length;
    if (!m_includeStrings) {
        if (!m_startString.isEmpty() && Find(packet, m_startString) == 0)
            packet.remove(0, m_startString.size());
        const qsizetype stop = Find(packet, m_stopString);
        if (stop >= 0 && stop + m_stopString.size() == packet.size())
            packet.chop(m_stopString.size());
    }
    if (OnPacket)
        OnPacket(this, packet);
    m_spare = std::move(packet);
}
