#include "IniImage.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

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

char16_t fromCp1252(unsigned char c)
{
    return c >= 0x80 && c < 0xA0 && kCp1252High[c - 0x80] != 0 ? kCp1252High[c - 0x80] : c;
}

// Each byte's character, case-folded: keys compare without regard to letter case.
const std::array<char16_t, 256> &foldTable()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[size_t(b)] = QChar(fromCp1252(static_cast<unsigned char>(b))).toCaseFolded().unicode();
        return t;
    }();
    return table;
}

quint32 foldedHash(QByteArrayView key)
{
    const auto &fold = foldTable();
    quint32 h = 2166136261u;
    for (char c : key) {
        h ^= fold[static_cast<unsigned char>(c)];
        h *= 16777619u;
    }
    return h;
}

bool foldedEqual(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    const auto &fold = foldTable();
    for (qsizetype i = 0; i < a.size(); ++i)
        if (fold[static_cast<unsigned char>(a[i])] != fold[static_cast<unsigned char>(b[i])])
            return false;
    return true;
}

} // namespace

QString decodeCp1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *d = reinterpret_cast<char16_t *>(out.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        d[i] = fromCp1252(static_cast<unsigned char>(bytes[i]));
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
    m_pool.clear();
    m_garbage = 0;
    m_byteOrderMark = false;
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

IniImage::Slice IniImage::append(QByteArrayView text)
{
    if (m_pool.size() + text.size() > qsizetype(UINT32_MAX))
        throw std::length_error("settings image too large");
    const Slice s{quint32(m_pool.size()), quint32(text.size())};
    m_pool.append(text);
    return s;
}

void IniImage::compactIfWasteful()
{
    // Every store of a changed value leaves the old text behind; copy the live texts once the
    // waste is larger than they are.
    if (m_garbage < (1 << 20) || m_garbage < m_pool.size() / 2)
        return;
    QByteArray fresh;
    fresh.reserve(m_pool.size() - m_garbage);
    auto move = [&](Slice &s) {
        const QByteArrayView text = bytes(s);
        s = Slice{quint32(fresh.size()), s.len};
        fresh.append(text);
    };
    for (Section &sec : m_sections)
        for (Item &item : sec.items) {
            move(item.key);
            move(item.value);
        }
    m_pool = std::move(fresh);
    m_garbage = 0;
}

qint32 IniImage::find(const Section &s, QByteArrayView key) const
{
    if (s.buckets.empty())
        return -1;
    const quint32 hash = foldedHash(key);
    const size_t mask = s.buckets.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Bucket &b = s.buckets[i];
        if (b.item < 0)
            return -1;
        if (b.hash == hash && foldedEqual(bytes(s.items[size_t(b.item)].key), key))
            return b.item;
    }
}

void IniImage::place(Section &s, quint32 hash, qint32 item)
{
    const size_t mask = s.buckets.size() - 1;
    size_t i = hash & mask;
    while (s.buckets[i].item >= 0)
        i = (i + 1) & mask;
    s.buckets[i] = Bucket{hash, item};
}

void IniImage::rehash(Section &s, size_t bucketCount)
{
    std::vector<Bucket> old(bucketCount);
    old.swap(s.buckets);
    for (const Bucket &b : old)
        if (b.item >= 0)
            place(s, b.hash, b.item);
}

void IniImage::addItem(Section &s, const Item &item)
{
    s.items.push_back(item);
    // At most half the buckets in use keeps the probe sequences short.
    if (s.items.size() * 2 > s.buckets.size())
        rehash(s, std::max<size_t>(16, s.buckets.size() * 2));
    place(s, foldedHash(bytes(item.key)), qint32(s.items.size() - 1));
}

void IniImage::parse(QByteArray data)
{
    clear();
    // Slices are 32-bit; the back end refuses files anywhere near that size.
    if (data.size() > qsizetype(UINT32_MAX))
        data.truncate(qsizetype(UINT32_MAX));
    m_pool = std::move(data);
    const QByteArrayView all(m_pool);
    auto sliceOf = [&](QByteArrayView v) {
        return Slice{quint32(v.data() - all.data()), quint32(v.size())};
    };
    Section *current = nullptr;
    // An editor's UTF-8 byte-order mark would hide the first section line.
    m_byteOrderMark = all.startsWith(kByteOrderMark);
    qsizetype pos = m_byteOrderMark ? kByteOrderMark.size() : 0;
    const qsizetype n = all.size();
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && all[end] != '\r' && all[end] != '\n')
            ++end;
        const QByteArrayView line = trimmed(all.sliced(pos, end - pos));
        pos = end;
        if (pos < n && all[pos] == '\r')
            ++pos;
        if (pos < n && all[pos] == '\n')
            ++pos;

        if (line.isEmpty() || line[0] == ';')
            continue;
        if (line.size() >= 2 && line[0] == '[' && line[line.size() - 1] == ']') {
            current = &sectionFor(decodeCp1252(trimmed(line.sliced(1, line.size() - 2))));
            continue;
        }
        if (!current)
            continue;
        Item item;
        const qsizetype eq = line.indexOf('=');
        if (eq >= 0) {
            item.key = sliceOf(trimmed(line.first(eq)));
            const QByteArrayView value = trimmed(line.sliced(eq + 1));
            item.value = value.isEmpty() ? Slice{} : sliceOf(value);
        } else {
            item.key = sliceOf(line);
            item.hasValue = false;
        }
        if (find(*current, bytes(item.key)) < 0)
            addItem(*current, item);
    }
}

QByteArray IniImage::serialize() const
{
    QByteArray out;
    out.reserve(m_pool.size() - m_garbage + qsizetype(m_sections.size()) * 64);
    if (m_byteOrderMark)
        out += kByteOrderMark;
    for (const Section &s : m_sections) {
        out += '[';
        out += encodeCp1252(s.name);
        out += "]\r\n";
        for (const Item &item : s.items) {
            out += bytes(item.key);
            if (item.hasValue) {
                out += '=';
                out += bytes(item.value);
            }
            out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

std::optional<QString> IniImage::value(const QString &section, const QString &key) const
{
    const Section *s = findSection(section);
    if (!s)
        return std::nullopt;
    const qint32 i = find(*s, encodeCp1252(key));
    if (i < 0 || !s->items[size_t(i)].hasValue)
        return std::nullopt;
    return decodeCp1252(bytes(s->items[size_t(i)].value));
}

void IniImage::setValue(const QString &section, const QString &key, const QString &value)
{
    Section &s = sectionFor(section);
    const QByteArray keyBytes = encodeCp1252(key);
    const QByteArray valueBytes = encodeCp1252(value);
    const qint32 i = find(s, keyBytes);
    if (i >= 0) {
        Item &item = s.items[size_t(i)];
        if (item.hasValue && bytes(item.value) == QByteArrayView(valueBytes))
            return;
        release(item.value);
        item.value = append(valueBytes);
        item.hasValue = true;
        compactIfWasteful();
        return;
    }
    Item item;
    item.key = append(keyBytes);
    item.value = append(valueBytes);
    addItem(s, item);
}

void IniImage::clearSection(const QString &section)
{
    if (Section *s = findSection(section)) {
        for (const Item &item : s->items) {
            release(item.key);
            release(item.value);
        }
        s->items.clear();
        s->buckets.clear();
        compactIfWasteful();
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

std::vector<IniImage::Entry> IniImage::entries(qsizetype section) const
{
    std::vector<Entry> out;
    for (const Item &item : m_sections[size_t(section)].items)
        out.push_back(Entry{decodeCp1252(bytes(item.key)), decodeCp1252(bytes(item.value)),
                            item.hasValue});
    return out;
}

} // namespace tg
