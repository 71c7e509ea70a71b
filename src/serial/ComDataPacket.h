#pragma once
// Cuts the bytes a port receives into packets by a start string, a stop string, a fixed size
// or the owner's own conditions, and hands each packet to the owner as one text.
#include "ComLink.h"
#include "ComPort.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <functional>

class TComDataPacket : public QObject {
    Q_OBJECT
    Q_PROPERTY(TCustomComPort *ComPort READ ComPort WRITE SetComPort)
    Q_PROPERTY(bool CaseInsensitive READ CaseInsensitive WRITE SetCaseInsensitive)
    Q_PROPERTY(bool IncludeStrings READ IncludeStrings WRITE SetIncludeStrings)
    Q_PROPERTY(int MaxBufferSize READ MaxBufferSize WRITE SetMaxBufferSize)
    Q_PROPERTY(QByteArray StartString READ StartString WRITE SetStartString)
    Q_PROPERTY(QByteArray StopString READ StopString WRITE SetStopString)
    Q_PROPERTY(int Size READ Size WRITE SetSize)
public:
    using StrEvent = std::function<void(TComDataPacket *sender, const QByteArray &str)>;
    // str is the packet buffer as it stands; pos may be changed by the handler.
    using CustPacketEvent = std::function<void(TComDataPacket *sender, const QByteArray &str, int &pos)>;

    explicit TComDataPacket(QObject *owner = nullptr);
    ~TComDataPacket() override;

    TCustomComPort *ComPort() const { return m_comPort; }
    void SetComPort(TCustomComPort *port);
    bool CaseInsensitive() const { return m_caseInsensitive; }
    void SetCaseInsensitive(bool value);
    bool IncludeStrings() const { return m_includeStrings; }
    void SetIncludeStrings(bool value) { m_includeStrings = value; }
    int32_t MaxBufferSize() const { return m_maxBufferSize; }
    void SetMaxBufferSize(int32_t value) { m_maxBufferSize = value; }
    QByteArray StartString() const { return m_startString; }
    void SetStartString(const QByteArray &value);
    QByteArray StopString() const { return m_stopString; }
    void SetStopString(const QByteArray &value);
    int32_t Size() const { return m_size; }
    void SetSize(int32_t value);

    // Frames as `other` does (markers, size, limits), starting afresh; for framers that replay
    // what another one framed live.
    void CopyFraming(const TComDataPacket &other);
    // Throws away what is buffered (through OnDiscard) and searches for a start again.
    void ResetBuffer();
    // The framing entry: one received chunk.
    void HandleData(QByteArrayView data);
    // Bytes thrown away outside packets since the framer was made.
    uint64_t DiscardedBytes() const { return m_discarded; }
    // What waits for the rest of its packet, as it would be fed again to a fresh framer.
    QByteArrayView Pending() const { return Buffered(); }

    // While the owner is being loaded, changing the markers keeps the buffer.
    void BeginLoading() { m_loading = true; }
    void Loaded() { m_loading = false; }

    StrEvent OnDiscard;
    StrEvent OnPacket;
    CustPacketEvent OnCustomStart;
    CustPacketEvent OnCustomStop;

protected:
    virtual void ProcessBuffer();

private:
    QByteArrayView Buffered() const { return QByteArrayView(m_buffer).sliced(m_head); }
    void LookForStart();
    void LookForEnd();
    void DiscardUpTo(qsizetype pos);
    void CheckOverflow();
    void Compact();
    void MarkersChanged();
    qsizetype Find(QByteArrayView text, QByteArrayView pattern, qsizetype from = 0) const;

    QPointer<TCustomComPort> m_comPort;
    QMetaObject::Connection m_portDestroyed;
    TComLink m_link;
    bool m_caseInsensitive = false;
    bool m_includeStrings = false;
    int32_t m_maxBufferSize = 1024;
    QByteArray m_startString;
    QByteArray m_stopString;
    int32_t m_size = 0;
    bool m_loading = false;

    // The live buffer is m_buffer from m_head on; cut text is dropped once per chunk.
    QByteArray m_buffer;
    qsizetype m_head = 0;
    bool m_inPacket = false;
    QByteArray m_spare;
    // How far a search found nothing: only text appended since can hold a marker.
    qsizetype m_searched = 0;
    uint64_t m_discarded = 0;
};
