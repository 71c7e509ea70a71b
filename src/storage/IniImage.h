#pragma once
// The memory image of an INI file: sections and keys in the order of their first creation,
// found by name without regard to letter case through hash indexes, so thousands of keys load
// and store in linear time. Reading accepts any bytes; it never fails.
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringView>
#include <vector>

namespace tg {

// Windows-1252, the single-byte encoding of the file. Bytes without a character in that code
// page map to the control character of the same number, so every byte round-trips; characters
// outside the code page are written as "?".
QString decodeCp1252(QByteArrayView bytes);
QByteArray encodeCp1252(QStringView text);

class IniImage {
public:
    struct Entry {
        QString key;
        QString value;
        bool hasValue = true; // false for a line without "="
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
        QHash<QString, int> index; // folded key -> entry
    };

    void clear();
    bool isEmpty() const { return m_sections.empty(); }

    // Replaces the image by the contents of a file. Lines end in CR LF, LF or CR; each line is
    // trimmed; empty lines, ";" comments and lines before the first section are skipped. A
    // section or key that occurs again adds nothing: the first occurrence wins.
    void parse(QByteArrayView data);
    // The file text: each section, its keys, then an empty line; CR LF line ends.
    QByteArray serialize() const;

    // The value of a key, or nullptr when the key is missing or has no "=".
    const QString *value(const QString &section, const QString &key) const;
    // Sets a key, creating the section and the key at the end when they are new.
    void setValue(const QString &section, const QString &key, const QString &value);
    // Removes every key of a section (the section keeps its place).
    void clearSection(const QString &section);

    bool hasSection(const QString &name) const;
    // True when a section is named `path` or lies below it (`path` + "\" ...).
    bool hasSectionOrBelow(const QString &path) const;

    const std::vector<Section> &sections() const { return m_sections; }

private:
    static QString fold(const QString &s) { return s.toLower(); }
    Section *findSection(const QString &name);
    const Section *findSection(const QString &name) const;
    Section &sectionFor(const QString &name);

    std::vector<Section> m_sections;
    QHash<QString, int> m_index; // folded section name -> section
};

// Strict decimal integer: optional sign and digits, nothing else; false on overflow.
bool parseInt64(QStringView text, qint64 &out);
// Strict decimal number with `decimalSeparator`: blanks, sign, digits, one separator, optional
// exponent, blanks. No "nan", "inf", hex or group separators; false when not finite.
bool parseDecimal(QStringView text, QChar decimalSeparator, double &out);

} // namespace tg
