#include "NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

// |v| as decimal digits d1 d2 ... (17 significant, no leading zero) and the position of the
// decimal point: |v| = 0.d1d2... * 10^point. Zero gives no digits.
struct Decimal {
    QByteArray digits;
    int point = 0;
};

Decimal toDecimal(double v)
{
    Decimal d;
    v = std::fabs(v);
    if (v == 0)
        return d;
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 16);
    const std::string_view s(buf, size_t(res.ptr - buf));
    const size_t e = s.find('e');
    for (size_t i = 0; i < e; ++i)
        if (s[i] >= '0' && s[i] <= '9')
            d.digits.append(s[i]);
    d.point = std::atoi(std::string(s.substr(e + 1)).c_str()) + 1;
    return d;
}

// Keeps `keep` significant digits, rounding the rest half away from zero.
void roundDigits(Decimal &d, int keep)
{
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    if (keep >= d.digits.size())
        return;
    const bool up = d.digits[keep] >= '5';
    d.digits.truncate(keep);
    if (up) {
        int i = keep - 1;
        for (; i >= 0; --i) {
            if (d.digits[i] == '9') {
                d.digits[i] = '0';
            } else {
                d.digits[i] = char(d.digits[i] + 1);
                break;
            }
        }
        if (i < 0) {
            d.digits.prepend('1');
            d.point += 1;
            d.digits.truncate(qMax(keep, 1));
        }
    }
    while (!d.digits.isEmpty() && d.digits.endsWith('0'))
        d.digits.chop(1);
    if (d.digits.isEmpty())
        d.point = 0;
}

struct Section {
    int intTotal = 0;   // digit placeholders before the point
    int intMin = 0;     // of these, from the first '0' on
    int fracMin = 0;    // placeholders after the point up to the last '0'
    int fracMax = 0;    // placeholders after the point
    bool thousands = false;
    bool scientific = false;
    int expMin = 0;
    bool anyPlaceholder = false;
};

Section analyse(const QString &f)
{
    Section s;
    bool point = false, sawZero = false;
    QChar quote;
    for (qsizetype i = 0; i < f.size(); ++i) {
        const QChar c = f[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'0' || c == u'#') {
            s.anyPlaceholder = true;
            if (!point) {
                ++s.intTotal;
                if (c == u'0')
                    sawZero = true;
                if (sawZero)
                    ++s.intMin;
            } else {
                ++s.fracMax;
                if (c == u'0')
                    s.fracMin = s.fracMax;
            }
        } else if (c == u'.') {
            point = true;
        } else if (c == u',') {
            if (!point)
                s.thousands = true;
        } else if ((c == u'E' || c == u'e') && i + 1 < f.size() && (f[i + 1] == u'+' || f[i + 1] == u'-')) {
            s.scientific = true;
            i += 2;
            while (i < f.size() && f[i] == u'0') {
                ++s.expMin;
                ++i;
            }
            s.expMin = qMin(s.expMin, 4);
            break; // the rest is literal text
        }
    }
    return s;
}

QStringList splitSections(const QString &format)
{
    QStringList out;
    QString cur;
    QChar quote;
    for (QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u';') {
            out << cur;
            cur.clear();
            continue;
        }
        cur += c;
    }
    out << cur;
    return out;
}

struct Digits {
    QString intPart;   // already padded to intMin
    QString fracPart;  // trailing zeros trimmed down to fracMin
    int exponent = 0;
    bool zero = true;
};

Digits digitsFor(double value, const Section &s)
{
    Digits out;
    Decimal d = toDecimal(value);
    if (s.scientific) {
        const int sig = qMax(1, s.intTotal + s.fracMax);
        roundDigits(d, sig);
        out.zero = d.digits.isEmpty();
        const int intDigits = qMax(1, s.intTotal);
        out.exponent = out.zero ? 0 : d.point - intDigits;
        QByteArray all = d.digits;
        while (all.size() < intDigits)
            all.append('0');
        out.intPart = QString::fromLatin1(all.left(intDigits));
        out.fracPart = QString::fromLatin1(all.mid(intDigits));
    } else {
        roundDigits(d, d.point + s.fracMax);
        out.zero = d.digits.isEmpty();
        if (!out.zero) {
            const QString all = QString::fromLatin1(d.digits);
            if (d.point > 0) {
                out.intPart = all.left(d.point);
                while (out.intPart.size() < d.point)
                    out.intPart += u'0';
                out.fracPart = all.mid(d.point);
            } else {
                out.fracPart = QString(-d.point, u'0') + all;
            }
        }
    }
    while (out.fracPart.size() < s.fracMin)
        out.fracPart += u'0';
    while (out.fracPart.size() > s.fracMin && out.fracPart.endsWith(u'0'))
        out.fracPart.chop(1);
    while (out.intPart.size() > s.intMin && out.intPart.startsWith(u'0'))
        out.intPart.remove(0, 1);
    while (out.intPart.size() < s.intMin)
        out.intPart.prepend(u'0');
    return out;
}

QString render(const QString &f, const Section &s, const Digits &dg, bool minus, const TFormatSettings &fs)
{
    QString out;
    if (minus)
        out += u'-';
    const QString &ip = dg.intPart;
    const qsizetype L = ip.size();
    auto emitInt = [&](qsizetype idx) {
        out += ip[idx];
        const qsizetype rest = L - 1 - idx;
        if (s.thousands && rest > 0 && rest % 3 == 0)
            out += fs.ThousandSeparator;
    };
    int intSeen = 0, fracSeen = 0;
    bool point = false, afterExponent = false;
    QChar quote;
    for (qsizetype i = 0; i < f.size(); ++i) {
        const QChar c = f[i];
        if (afterExponent) {
            // The picture ends with the exponent; what follows is text (as analyse() counted).
            out += c;
            continue;
        }
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out += c;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'0' || c == u'#') {
            if (!point) {
                if (intSeen == 0)
                    for (qsizetype k = 0; k < L - s.intTotal; ++k)
                        emitInt(k);
                const qsizetype idx = L - s.intTotal + intSeen;
                if (idx >= 0 && idx < L)
                    emitInt(idx);
                ++intSeen;
            } else {
                if (fracSeen < dg.fracPart.size())
                    out += dg.fracPart[fracSeen];
                ++fracSeen;
            }
        } else if (c == u'.') {
            if (!point) {
                point = true;
                if (s.intTotal == 0)
                    for (qsizetype k = 0; k < L; ++k)
                        emitInt(k);
                if (!dg.fracPart.isEmpty())
                    out += fs.DecimalSeparator;
            }
        } else if (c == u',') {
            // grouping is applied to the digits; the comma itself is not shown
        } else if ((c == u'E' || c == u'e') && i + 1 < f.size() && (f[i + 1] == u'+' || f[i + 1] == u'-')) {
            out += c;
            const bool plus = f[i + 1] == u'+';
            if (dg.exponent < 0)
                out += u'-';
            else if (plus)
                out += u'+';
            QString e = QString::number(std::abs(dg.exponent));
            while (e.size() < s.expMin)
                e.prepend(u'0');
            out += e;
            i += 2;
            while (i < f.size() && f[i] == u'0')
                ++i;
            --i;
            afterExponent = true;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

QString FormatGeneral(double value, const TFormatSettings &fs)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    Decimal d = toDecimal(value);
    roundDigits(d, 15);
    if (d.digits.isEmpty())
        return QStringLiteral("0");
    QString out = value < 0 ? QStringLiteral("-") : QString();
    const QString digits = QString::fromLatin1(d.digits);
    if (d.point > 15 || d.point < -3) {
        out += digits[0];
        if (digits.size() > 1)
            out += fs.DecimalSeparator + digits.mid(1);
        out += u'E' + QString::number(d.point - 1);
    } else if (d.point <= 0) {
        out += u'0' + QString(fs.DecimalSeparator) + QString(-d.point, u'0') + digits;
    } else {
        QString ip = digits.left(d.point);
        while (ip.size() < d.point)
            ip += u'0';
        out += ip;
        if (digits.size() > d.point)
            out += fs.DecimalSeparator + digits.mid(d.point);
    }
    return out;
}

QString FormatFloat(const QString &format, double value, const TFormatSettings &fs)
{
    if (!std::isfinite(value) || format.isEmpty())
        return FormatGeneral(value, fs);
    const QStringList sections = splitSections(format);
    const bool negative = value < 0;
    QString f = sections[0];
    bool ownSign = false; // the negative section shows no minus of its own
    if (negative && sections.size() > 1 && !sections[1].isEmpty()) {
        f = sections[1];
        ownSign = true;
    }
    Section s = analyse(f);
    // A picture without exponent does not write out huge numbers digit by digit.
    if (!s.scientific && std::fabs(value) >= 1e18)
        return FormatGeneral(value, fs);
    Digits dg = digitsFor(value, s);
    if (dg.zero && sections.size() > 2 && !sections[2].isEmpty()) {
        f = sections[2];
        s = analyse(f);
        return render(f, s, digitsFor(0.0, s), false, fs);
    }
    if (f.isEmpty())
        return FormatGeneral(value, fs);
    return render(f, s, dg, negative && !ownSign && !dg.zero && s.anyPlaceholder, fs);
}
