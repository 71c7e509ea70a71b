#include "NumberParse.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tg {

bool parseInt64(QStringView text, qint64 &out)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    if (i >= text.size())
        return false;
    // Accumulate as a negative number so that the minimum fits.
    qint64 v = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        const int d = c - u'0';
        if (v < (std::numeric_limits<qint64>::min() + d) / 10)
            return false;
        v = v * 10 - d;
    }
    if (!negative) {
        if (v == std::numeric_limits<qint64>::min())
            return false;
        v = -v;
    }
    out = v;
    return true;
}

bool parseDecimal(QStringView text, QChar decimalSeparator, double &out, DecimalOverflow overflow)
{
    qsizetype i = 0, n = text.size();
    while (i < n && text[i].unicode() <= 0x20)
        ++i;
    while (n > i && text[n - 1].unicode() <= 0x20)
        --n;
    std::string ascii;
    auto digit = [&](qsizetype k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };
    const bool negative = i < n && text[i] == u'-';
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (negative)
            ascii += '-';
        ++i;
    }
    // The zeros before the first significant digit tell a number too large from one too small.
    qsizetype digits = 0, leadingZeros = 0;
    auto takeDigit = [&] {
        const char c = char(text[i++].unicode());
        if (c == '0' && leadingZeros == digits)
            ++leadingZeros;
        ascii += c;
        ++digits;
    };
    while (digit(i))
        takeDigit();
    const qsizetype integerDigits = digits;
    if (i < n && text[i] == decimalSeparator) {
        ascii += '.';
        ++i;
        while (digit(i))
            takeDigit();
    }
    if (digits == 0)
        return false;
    qint64 exponent = 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ascii += 'e';
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            negativeExponent = text[i] == u'-';
            ascii += char(text[i++].unicode());
        }
        if (!digit(i))
            return false;
        while (digit(i)) {
            exponent = std::min<qint64>(exponent * 10 + (text[i].unicode() - u'0'), 1'000'000'000);
            ascii += char(text[i++].unicode());
        }
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != n)
        return false;
    double v = 0;
    const auto res = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
    if (res.ptr != ascii.data() + ascii.size())
        return false;
    if (res.ec == std::errc::result_out_of_range) {
        // The power of ten of the first significant digit.
        const qint64 magnitude = qint64(integerDigits) - 1 - qint64(leadingZeros) + exponent;
        if (magnitude < 0)
            v = negative ? -0.0 : 0.0;
        else if (overflow == DecimalOverflow::Saturate)
            v = negative ? std::numeric_limits<double>::lowest() : std::numeric_limits<double>::max();
        else
            return false;
    } else if (res.ec != std::errc()) {
        return false;
    }
    if (!std::isfinite(v))
        return false;
    out = v;
    return true;
}

} // namespace tg
