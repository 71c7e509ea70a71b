#include "ValueExport.h"

#include "ComDataPacket.h"
#include "IniImage.h"
#include "ValueProtocol.h"

#include <QDateTime>
#include <charconv>

namespace tg::app {

QByteArray csvField(QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    bool quote = false;
    for (char c : utf8)
        quote = quote || c == '"' || c == ',' || uchar(c) < 0x20 || c == 0x7f;
    if (!quote)
        return utf8;
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

QString isoTime(journal::Micros t)
{
    const journal::Micros ms = t >= 0 ? t / 1000 : (t - 999) / 1000;
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
    return at.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QString::number(t - ms * 1000).rightJustified(3, QLatin1Char('0')) +
           QLatin1Char('Z');
}

ValueExport::ValueExport(const journal::Journal &journal, const TComDataPacket &liveFramer, QChar decimalSeparator,
                         journal::Micros from, journal::Micros until, Sink sink)
    : journal(journal), separator(decimalSeparator), until(until), sink(std::move(sink)),
      framer(std::make_unique<TComDataPacket>()), start(journal.offsetAt(from)), next(start),
      end(until == INT64_MAX ? journal.endOffset() : journal.offsetAt(until + 1))
{
    framer->CopyFraming(liveFramer);
    framer->OnPacket = [this](TComDataPacket *, const QByteArray &packet) {
        const std::optional<Packet> p = parsePacket(packet, separator);
        if (!p)
            return;
        QByteArray value;
        if (p->converted) {
            // The shortest text that reads back as the same single.
            char buf[32];
            const auto [endOfNumber, ec] = std::to_chars(buf, buf + sizeof buf, p->number);
            value = ec == std::errc() ? QByteArray(buf, int(endOfNumber - buf)) : QByteArray();
        }
        else
            value = csvField(p->text());
        out += isoTime(recordTime).toLatin1();
        out += ',';
        out += QByteArray::number(p->id);
        out += ',';
        out += value;
        out += ',';
        out += csvField(decodeCp1252(packet));
        out += "\r\n";
        ++rows;
    };
    out = "time,id,value,raw\r\n";
}

ValueExport::~ValueExport() = default;

bool ValueExport::flush()
{
    if (!out.isEmpty() && !failed)
        failed = !sink(out);
    out.clear();
    return !failed;
}

bool ValueExport::Step(size_t budgetBytes)
{
    if (done)
        return true;
    size_t used = 0;
    bool stopped = false;
    journal.forEach(next, until, [&](const journal::Record &r) {
        recordTime = r.time;
        if (r.isBreak()) {
            framer->ResetBuffer();
            return true;
        }
        framer->HandleData(QByteArrayView(r.bytes.data(), qsizetype(r.bytes.size())));
        next = r.offset + r.bytes.size();
        used += r.bytes.size();
        stopped = used >= budgetBytes;
        return !stopped;
    });
    const bool written = flush();
    done = !stopped || !written;
    return done;
}

double ValueExport::Progress() const
{
    if (done || end <= start)
        return 1.0;
    return double(std::min(next, end) - start) / double(end - start);
}

} // namespace tg::app
