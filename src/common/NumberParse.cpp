#include "NumberParse.h"

#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

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

namespace {

// One reader for text of either width: Text is read one character at a time, as a QChar.
template <typename Text>
bool readDecimal(Text text, QChar decimalSeparator, double &out, DecimalOverflow overflow)
{
    auto at = [&text](qsizetype k) { return QChar(text[k]); };
    qsizetype i = 0, n = text.size();
    while (i < n && at(i).unicode() <= 0x20)
        ++i;
    while (n > i && at(n - 1).unicode() <= 0x20)
        --n;
    // Short numbers are built on the stack: a received value is read without an allocation.
    QVarLengthArray<char, 64> ascii;
    auto digit = [&](qsizetype k) { return k < n && at(k) >= u'0' && at(k) <= u'9'; };
    const bool negative = i < n && at(i) == u'-';
    if (i < n && (at(i) == u'+' || at(i) == u'-')) {
        if (negative)
            ascii.append('-');
        ++i;
    }
    // The zeros before the first significant digit tell a number too large from one too small.
    qsizetype digits = 0, leadingZeros = 0;
    auto takeDigit = [&] {
        const char c = char(at(i++).unicode());
        if (c == '0' && leadingZeros == digits)
            ++leadingZeros;
        ascii.append(c);
        ++digits;
    };
    while (digit(i))
        takeDigit();
    const qsizetype integerDigits = digits;
    if (i < n && at(i) == decimalSeparator) {
        ascii.append('.');
        ++i;
        while (digit(i))
            takeDigit();
    }
    if (digits == 0)
        return false;
    qint64 exponent = 0;
    if (i < n && (at(i) == u'e' || at(i) == u'E')) {
        ascii.append('e');
        ++i;
        bool negativeExponent = false;
        if (i < n && (at(i) == u'+' || at(i) == u'-')) {
            negativeExponent = at(i) == u'-';
            ascii.append(char(at(i++).unicode()));
        }
        if (!digit(i))
            return false;
        while (digit(i)) {
            exponent = std::min<qint64>(exponent * 10 + (at(i).unicode() - u'0'), 1'000'000'000);
            ascii.append(char(at(i++).unicode()));
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

} // namespace

bool parseDecimal(QStringView text, QChar decimalSeparator, double &out, DecimalOverflow overflow)
{
    return readDecimal(text, decimalSeparator, out, overflow);
}

bool parseDecimal(QLatin1StringView text, QChar decimalSeparator, double &out, DecimalOverflow overflow)
{
    return readDecimal(text, decimalSeparator, out, overflow);
}

} // namespace tg
