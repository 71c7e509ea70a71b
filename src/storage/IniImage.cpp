#include "IniImage.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tg {

namespace {

// 0x80..0x9F of Windows-1252; 0 where the code page leaves the byte undefined.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool isBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

QByteArrayView trimmed(QByteArrayView v)
{
    qsizetype b = 0, e = v.size();
    while (b < e && isBlank(v[b]))
        ++b;
    while (e > b && isBlank(v[e - 1]))
        --e;
    return v.sliced(b, e - b);
}

} // namespace

QString decodeCp1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *d = reinterpret_cast<char16_t *>(out.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80 && c < 0xA0 && kCp1252High[c - 0x80] != 0)
            d[i] = kCp1252High[c - 0x80];
        else
            d[i] = c;
    }
    return out;
}

QByteArray encodeCp1252(QStringView text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        char b = '?';
        if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) {
            b = char(ch);
        } else if (ch >= 0x80 && ch < 0xA0) {
            if (kCp1252High[ch - 0x80] == 0)
                b = char(ch); // an undefined byte read earlier goes back unchanged
        } else {
            for (int k = 0; k < 32; ++k)
                if (kCp1252High[k] == ch) {
                    b = char(0x80 + k);
                    break;
                }
        }
        out[i] = b;
    }
    return out;
}

void IniImage::clear()
{
    m_sections.clear();
    m_index.clear();
}

IniImage::Section *IniImage::findSection(const QString &name)
{
    const auto it = m_index.constFind(fold(name));
    return it == m_index.cend() ? nullptr : &m_sections[*it];
}

const IniImage::Section *IniImage::findSection(const QString &name) const
{
    const auto it = m_index.constFind(fold(name));
    return it == m_index.cend() ? nullptr : &m_sections[*it];
}

IniImage::Section &IniImage::sectionFor(const QString &name)
{
    if (Section *s = findSection(name))
        return *s;
    m_index.insert(fold(name), int(m_sections.size()));
    m_sections.push_back(Section{name, {}, {}});
    return m_sections.back();
}

void IniImage::parse(QByteArrayView data)
{
    clear();
    Section *current = nullptr;
    qsizetype pos = 0;
    const qsizetype n = data.size();
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && data[end] != '\r' && data[end] != '\n')
            ++end;
        const QByteArrayView line = trimmed(data.sliced(pos, end - pos));
        pos = end;
        if (pos < n && data[pos] == '\r')
            ++pos;
        if (pos < n && data[pos] == '\n')
            ++pos;

        if (line.isEmpty() || line[0] == ';')
            continue;
        if (line.size() >= 2 && line[0] == '[' && line[line.size() - 1] == ']') {
            current = &sectionFor(decodeCp1252(trimmed(line.sliced(1, line.size() - 2))));
            continue;
        }
        if (!current)
            continue;
        Entry entry;
        const qsizetype eq = line.indexOf('=');
        if (eq >= 0) {
            entry.key = decodeCp1252(trimmed(line.first(eq)));
            entry.value = decodeCp1252(trimmed(line.sliced(eq + 1)));
        } else {
            entry.key = decodeCp1252(line);
            entry.hasValue = false;
        }
        const QString folded = fold(entry.key);
        if (current->index.contains(folded))
            continue;
        current->index.insert(folded, int(current->entries.size()));
        current->entries.push_back(std::move(entry));
    }
}

QByteArray IniImage::serialize() const
{
    QByteArray out;
    for (const Section &s : m_sections) {
        out += '[';
        out += encodeCp1252(s.name);
        out += "]\r\n";
        for (const Entry &e : s.entries) {
            out += encodeCp1252(e.key);
            if (e.hasValue) {
                out += '=';
                out += encodeCp1252(e.value);
            }
            out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

const QString *IniImage::value(const QString &section, const QString &key) const
{
    const Section *s = findSection(section);
    if (!s)
        return nullptr;
    const auto it = s->index.constFind(fold(key));
    if (it == s->index.cend())
        return nullptr;
    const Entry &e = s->entries[*it];
    return e.hasValue ? &e.value : nullptr;
}

void IniImage::setValue(const QString &section, const QString &key, const QString &value)
{
    Section &s = sectionFor(section);
    const QString folded = fold(key);
    const auto it = s.index.constFind(folded);
    if (it != s.index.cend()) {
        Entry &e = s.entries[*it];
        e.value = value;
        e.hasValue = true;
        return;
    }
    s.index.insert(folded, int(s.entries.size()));
    s.entries.push_back(Entry{key, value, true});
}

void IniImage::clearSection(const QString &section)
{
    if (Section *s = findSection(section)) {
        s->entries.clear();
        s->index.clear();
    }
}

bool IniImage::hasSection(const QString &name) const
{
    return findSection(name) != nullptr;
}

bool IniImage::hasSectionOrBelow(const QString &path) const
{
    if (hasSection(path))
        return true;
    const QString prefix = fold(path) + QLatin1Char('\\');
    for (auto it = m_index.cbegin(); it != m_index.cend(); ++it)
        if (it.key().startsWith(prefix))
            return true;
    return false;
}

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

bool parseDecimal(QStringView text, QChar decimalSeparator, double &out)
{
    qsizetype i = 0, n = text.size();
    while (i < n && text[i].unicode() <= 0x20)
        ++i;
    while (n > i && text[n - 1].unicode() <= 0x20)
        --n;
    std::string ascii;
    auto digit = [&](qsizetype k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            ascii += '-';
        ++i;
    }
    int digits = 0;
    while (digit(i)) {
        ascii += char(text[i++].unicode());
        ++digits;
    }
    if (i < n && text[i] == decimalSeparator) {
        ascii += '.';
        ++i;
        while (digit(i)) {
            ascii += char(text[i++].unicode());
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    bool negativeExponent = false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ascii += 'e';
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            negativeExponent = text[i] == u'-';
            ascii += char(text[i++].unicode());
        }
        if (!digit(i))
            return false;
        while (digit(i))
            ascii += char(text[i++].unicode());
    }
    if (i != n)
        return false;
    double v = 0;
    const auto res = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
    if (res.ptr != ascii.data() + ascii.size())
        return false;
    if (res.ec == std::errc::result_out_of_range) {
        if (!negativeExponent)
            return false; // too large
        v = ascii[0] == '-' ? -0.0 : 0.0; // too small: underflows to zero
    } else if (res.ec != std::errc()) {
        return false;
    }
    if (!std::isfinite(v))
        return false;
    out = v;
    return true;
}

} // namespace tg
