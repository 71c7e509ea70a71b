#include "ValueProtocol.h"

#include "IniImage.h"
#include "NumberParse.h"
#include "Numeric.h"

#include <charconv>
#include <cstring>
#include <cmath>
#include <limits>

namespace tg::app {

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// One reader for ids of either width.
template <typename Text>
std::optional<int32_t> readId(Text text)
{
    auto at = [&text](qsizetype k) { return QChar(text[k]); };
    qsizetype i = 0;
    while (i < text.size() && at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (at(i) == QLatin1Char('+') || at(i) == QLatin1Char('-'))) {
        negative = at(i) == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < text.size() && at(i) == QLatin1Char('$')) {
        base = 16;
        ++i;
    } else if (i < text.size() && (at(i) == QLatin1Char('x') || at(i) == QLatin1Char('X'))) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && at(i) == QLatin1Char('0') &&
               (at(i + 1) == QLatin1Char('x') || at(i + 1) == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return std::nullopt;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        const int d = hexDigit(at(i));
        if (d < 0 || d >= base)
            return std::nullopt;
        v = v * base + d;
        if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        v = -v;
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return int32_t(v);
}

// The value of a packet, read from its bytes with the separator swap; no copy unless the swap
// changes a byte of a long value.
std::optional<double> readValue(QByteArrayView bytes, QChar decimalSeparator)
{
    // A separator outside single-byte text is compared after decoding.
    if (decimalSeparator.unicode() > 0x7F)
        return parseValue(decodeCp1252(bytes), decimalSeparator);
    const bool dot = decimalSeparator == QLatin1Char('.');
    const qsizetype k = bytes.indexOf(dot ? ',' : '.');
    char small[64];
    QByteArray large;
    QLatin1StringView text(bytes.data(), bytes.size());
    if (k >= 0) {
        char *copy = small;
        if (bytes.size() > qsizetype(sizeof small)) {
            large = bytes.toByteArray();
            copy = large.data();
        } else {
            std::memcpy(small, bytes.data(), size_t(bytes.size()));
        }
        copy[k] = char(decimalSeparator.unicode());
        text = QLatin1StringView(copy, bytes.size());
    }
    double v = 0;
    if (!parseDecimal(text, decimalSeparator, v, DecimalOverflow::Saturate))
        return std::nullopt;
    return v;
}

} // namespace

std::optional<int32_t> parseId(QStringView text)
{
    return readId(text);
}

std::optional<double> parseValue(QString text, QChar decimalSeparator)
{
    if (decimalSeparator == QLatin1Char('.')) {
        const qsizetype k = text.indexOf(QLatin1Char(','));
        if (k >= 0)
            text[k] = QLatin1Char('.');
    } else {
        const qsizetype k = text.indexOf(QLatin1Char('.'));
        if (k >= 0)
            text[k] = decimalSeparator;
    }
    double v = 0;
    if (!parseDecimal(text, decimalSeparator, v, DecimalOverflow::Saturate))
        return std::nullopt;
    return v;
}

double factorFromHint(const QString &hint, QChar decimalSeparator)
{
    return parseValue(hint, decimalSeparator).value_or(1.0);
}

std::optional<Packet> parsePacket(QByteArrayView packet, QChar decimalSeparator)
{
    const qsizetype len = packet.size();
    if (len <= 4 || packet[0] != '#')
        return std::nullopt;
    const QByteArrayView body = packet.sliced(1);
    const qsizetype m = body.indexOf('M');
    if (m < 0)
        return std::nullopt;
    const std::optional<int32_t> id = readId(QLatin1StringView(body.first(m)));
    if (!id)
        return std::nullopt;
    Packet p;
    p.id = *id;
    p.value = body.sliced(m + 1).chopped(1);
    if (!isTextId(p.id)) {
        if (const std::optional<double> v = readValue(p.value, decimalSeparator)) {
            const std::optional<float> number = toSingle(*v);
            if (!number)
                return std::nullopt;
            p.number = *number;
            p.converted = true;
        }
    }
    return p;
}

QString Packet::text() const
{
    return decodeCp1252(value);
}

std::optional<QString> sevenSegCaption(double value, int width, int decimals, int cells,
                                       QChar decimalSeparator)
{
    if (decimals < 0 || !std::isfinite(value))
        return std::nullopt;
    decimals = std::min(decimals, 18);
    const bool padRight = width < 0;
    const int w = std::min(std::abs(std::max(width, -64)), 64);

    char buf[128];
    // Numbers beyond the buffer cannot fit any display; every cell shows the overflow.
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc())
        return QString(std::max(cells, 0), QLatin1Char('-'));
    QString text = QString::fromLatin1(buf, r.ptr - buf);
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        text[dot] = decimalSeparator;
    if (text.size() < w) {
        const QString pad(w - text.size(), QLatin1Char(' '));
        text = padRight ? text + pad : pad + text;
    }
    qsizetype integerCells = text.indexOf(decimalSeparator);
    if (integerCells < 0)
        integerCells = text.size() - (padRight ? text.size() - text.trimmed().size() : 0);
    if (integerCells > cells)
        return QString(std::max(cells, 0), QLatin1Char('-'));
    return text;
}

std::optional<uint8_t> ledByte(float number)
{
    if (number > -1.0f && number < 256.0f)
        return uint8_t(number);
    return std::nullopt;
}

} // namespace tg::app
