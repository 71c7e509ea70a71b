#pragma once
// The values of a span of the journal as CSV: one row per message the value protocol read,
// with the time its last byte arrived, the id, the value and the message as received. The
// bytes go through a framer set like the live one and the panel's own value protocol, so the
// rows are exactly the messages the panel took. Written in steps, so a long span can be
// exported while the window stays responsive.
#include "Journal.h"

#include <QByteArray>
#include <QChar>
#include <QStringView>
#include <functional>
#include <memory>

class TComDataPacket;

namespace tg::app {

// One CSV field: quoted (with doubled quotes) when it holds a quote, a comma, a line break or
// any other control character; UTF-8.
QByteArray csvField(QStringView text);
// A journal time as ISO 8601 UTC with microseconds.
QString isoTime(journal::Micros t);

class ValueExport {
public:
    // Takes the bytes written; false stops the export as failed.
    using Sink = std::function<bool(QByteArrayView bytes)>;

    ValueExport(const journal::Journal &journal, const TComDataPacket &liveFramer, QChar decimalSeparator,
                journal::Micros from, journal::Micros until, Sink sink);
    ~ValueExport();

    // Exports about `budgetBytes` more bytes of the journal; true once the span is done or
    // the sink failed.
    bool Step(size_t budgetBytes);
    bool Failed() const { return failed; }
    // The share of the span's bytes done, 0 to 1.
    double Progress() const;
    uint64_t Rows() const { return rows; }

private:
    bool flush();

    const journal::Journal &journal;
    QChar separator;
    journal::Micros until;
    Sink sink;
    std::unique_ptr<TComDataPacket> framer;
    uint64_t start, next, end;
    journal::Micros recordTime = 0;
    QByteArray out;
    uint64_t rows = 0;
    bool done = false;
    bool failed = false;
};

} // namespace tg::app
