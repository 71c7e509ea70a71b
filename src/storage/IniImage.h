#pragma once
// The memory image of an INI file: sections and keys in the order of their first creation,
// found by name without regard to letter case through hash indexes, so thousands of keys load
// and store in linear time. Reading accepts any bytes; it never fails.
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace tg {

// Windows-1252, the single-byte encoding of the file. Bytes without a character in that code
// page map to the control character of the same number, so every byte round-trips; characters
// outside the code page are written as "?".
QString decodeCp1252(QByteArrayView bytes);
QByteArray encodeCp1252(QStringView text);

class IniImage {
public:
    // A key with its value, decoded (for walking the image; lookups use value()).
    struct Entry {
        QString key;
        QString value;
        bool hasValue = true; // false for a line without "="
    };

    void clear();
    bool isEmpty() const { return m_sections.empty(); }

    // Replaces the image by the contents of a file. Lines end in CR LF, LF or CR; each line is
    // trimmed; empty lines, ";" comments and lines before the first section are skipped. A
    // section or key that occurs again adds nothing: the first occurrence wins. A UTF-8
    // byte-order mark at the very start is no part of the first line. The bytes are kept as
    // they are, and keys and values refer into them, so the image costs little more than the
    // file.
    void parse(QByteArray data);
    // The file text: each section, its keys, then an empty line; CR LF line ends. A file read
    // with a byte-order mark gets it back at its start.
    QByteArray serialize() const;

    // The value of a key; nothing when the key is missing or has no "=".
    std::optional<QString> value(const QString &section, const QString &key) const;
    // Sets a key, creating the section and the key at the end when they are new. Names and
    // values are kept in the file's single-byte encoding.
    void setValue(const QString &section, const QString &key, const QString &value);
    // Removes every key of a section (the section keeps its place).
    void clearSection(const QString &section);

    bool hasSection(const QString &name) const;
    // True when a section is named `path` or lies below it (`path` + "\" ...).
    bool hasSectionOrBelow(const QString &path) const;

    qsizetype sectionCount() const { return qsizetype(m_sections.size()); }
    QString sectionName(qsizetype i) const { return m_sections[size_t(i)].name; }
    std::vector<Entry> entries(qsizetype section) const;

private:
    // Bytes of the pool.
    struct Slice {
        quint32 pos = 0, len = 0;
    };
    struct Item {
        Slice key, value;
        bool hasValue = true;
    };
    struct Bucket {
        quint32 hash = 0;
        qint32 item = -1;
    };
    struct Section {
        QString name;
        std::vector<Item> items;
        // Open addressing over the items by case-folded key; item -1 is a free bucket.
        std::vector<Bucket> buckets;
    };

    static QString fold(const QString &s) { return s.toLower(); }
    QByteArrayView bytes(Slice s) const { return QByteArrayView(m_pool).sliced(s.pos, s.len); }
    Slice append(QByteArrayView text);
    void release(Slice s) { m_garbage += s.len; }
    void compactIfWasteful();
    // The item of that key, or -1.
    qint32 find(const Section &s, QByteArrayView key) const;
    void addItem(Section &s, const Item &item);
    static void rehash(Section &s, size_t bucketCount);
    static void place(Section &s, quint32 hash, qint32 item);
    Section *findSection(const QString &name);
    const Section *findSection(const QString &name) const;
    Section &sectionFor(const QString &name);

    // Every key and value as bytes of the file's encoding: the file as read, then texts set
    // since. Replaced texts stay until the pool is compacted.
    QByteArray m_pool;
    qsizetype m_garbage = 0;
    static constexpr QByteArrayView kByteOrderMark{"\xEF\xBB\xBF"};
    bool m_byteOrderMark = false;
    std::vector<Section> m_sections;
    QHash<QString, int> m_index; // folded section name -> section
};

} // namespace tg
