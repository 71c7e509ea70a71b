#pragma once
// The settings back end: the whole INI file in memory, values addressed by "\"-separated
// storage paths (last element = key, the rest = section), typed values turned into text and
// back, the file re-read when it changed on disk and written atomically.
#include "IniImage.h"

#include <QMetaProperty>
#include <QObject>
#include <QString>
#include <QStringList>
#include <stdexcept>

class QMetaProperty;

// A value that cannot be converted, or a path that names no key. Callers that restore many
// entries catch it per entry.
class EStorageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IniFileStorage : public QObject {
    Q_OBJECT

public:
    // Loads `fileName` at once (a missing file gives an empty image).
    explicit IniFileStorage(const QString &fileName, QObject *parent = nullptr);
    // Writes the file when FlushOnDestroy is set.
    ~IniFileStorage() override;

    // $XDG_CONFIG_HOME/Tavelgrid.ini, ~/.config/Tavelgrid.ini when the variable is unset.
    static QString defaultFileName();

    // Joins paths with one "\" between elements: empty elements are dropped, an element of
    // only dots is not copied (".." steps back one element, "..." two, ...).
    static QString ConcatPaths(const QStringList &paths);

    QString FileName() const { return m_fileName; }

    // Configuration (fixed at creation in the program).
    bool AutoReload = true;
    bool FlushOnDestroy = true;
    QString DefaultSection;
    QStringList BooleanStringTrueValues = {QStringLiteral("TRUE"), QStringLiteral("YES"),
                                           QStringLiteral("Y")};
    QStringList BooleanStringFalseValues = {QStringLiteral("FALSE"), QStringLiteral("NO"),
                                            QStringLiteral("N")};
    // Decimal separator of the decimal fallback for floating-point values (from the system
    // locale at creation).
    QChar DecimalSeparator;

    // Published properties of objects. Loading a property whose key (or, for objects and
    // sets, whose section) is missing leaves it unchanged; a malformed value throws
    // EStorageError. Objects are walked in declaration order; sub-properties loaded before a
    // failure keep their new values.
    void StoreProperty(const QString &path, QObject *obj, const QString &propName);
    void LoadProperty(const QString &path, QObject *obj, const QString &propName);
    void StoreObject(const QString &path, QObject *obj);
    void LoadObject(const QString &path, QObject *obj);
    // The property StoreProperty and LoadProperty use for a name (exact, else ignoring case);
    // throws EStorageError when there is none or its value could not be read back.
    static QMetaProperty ResolveProperty(const QObject *obj, const QString &propName);

    // Plain values. A missing key gives the default; a malformed one throws.
    void StoreInt(const QString &path, qint64 value);
    qint64 LoadInt(const QString &path, qint64 defaultValue);
    void StoreText(const QString &path, const QString &value);
    QString LoadText(const QString &path, const QString &defaultValue);
    void StoreBool(const QString &path, bool value);
    bool LoadBool(const QString &path, bool defaultValue);
    void StoreFloat(const QString &path, double value);
    double LoadFloat(const QString &path, double defaultValue);
    void StoreStringList(const QString &path, const QStringList &value);
    QStringList LoadStringList(const QString &path, const QStringList &defaultValue);

    bool HasValue(const QString &path);
    bool HasSection(const QString &path);

    // Inside a bracket the file is not re-read; brackets nest.
    void BeginBatch();
    void EndBatch();
    int BatchDepth() const { return m_batch; }

    // Re-reads the file into memory. Only a missing file gives an empty image. A file that
    // cannot be read whole (no right, an I/O error, more than kMaxFileSize bytes) makes the
    // storage read-only for the rest of the run, with one warning.
    void LoadFile();
    static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
    // Writes the memory image (atomically, through a symbolic link to its target). Skipped for
    // an empty file name, a read-only file and a file that could not be read. On failure or a
    // skip the old file and the memory image stay and one line goes to stderr (none for an
    // unreadable file, which was reported when read). Returns false when nothing was written.
    bool SaveFile();
    bool ReadOnly() const { return m_readOnly; }
    // The file is there but could not be read whole: nothing is saved in this run.
    bool Unreadable() const { return m_unreadable; }

    // Replaces the memory image by the given file text, without touching the file.
    void LoadImage(QByteArrayView text) { m_image.parse(text.toByteArray()); }
    // The image as it would be written (for diagnostics and tests).
    QByteArray ImageText() const { return m_image.serialize(); }
    const tg::IniImage &Image() const { return m_image; }

    // Text encodings of single values, shared with anyone who needs the same forms.
    static QString floatToText(double v);
    // Ten or more bytes of hex pairs are the binary form; anything else is read as a decimal
    // number. False for a malformed text; `present` false for a text too short for the binary
    // form that is no decimal number either (the target is then left unchanged).
    static bool textToFloat(const QString &text, QChar decimalSeparator, double &out, bool &present);

private:
    struct FileStamp {
        bool exists = false;
        qint64 mtimeNs = 0;
        qint64 size = -1;
        quint64 inode = 0;
        int error = 0; // errno of the failed look-up
        bool operator==(const FileStamp &) const = default;
    };
    FileStamp stamp() const;
    QString readSettingsFile(QByteArray &data) const;
    void refuseFile(const QString &reason);
    QString writeAtomically(const QByteArray &target, const QByteArray &data);
    void reloadIfChanged();
    void splitPath(const QString &path, QString &section, QString &key) const;
    std::optional<QString> rawValue(const QString &path);
    void storeRaw(const QString &path, const QString &text);
    bool textToBool(const QString &text, const QString &path) const;

    void storeProp(const QString &path, QObject *obj, const QMetaProperty &p);
    void loadProp(const QString &path, QObject *obj, const QMetaProperty &p);
    template <typename F>
    void forEachStored(const QString &path, QObject *obj, F &&each);
    void storeObj(const QString &path, QObject *obj);
    void loadObj(const QString &path, QObject *obj);

    // RAII bracket used by each operation so one operation re-reads at most once.
    class Op;

    QString m_fileName;
    tg::IniImage m_image;
    FileStamp m_stamp;
    bool m_loaded = false;
    bool m_readOnly = false;
    bool m_unreadable = false; // sticky for the run
    bool m_warnedUnreadable = false;
    bool m_saidInPlace = false;
    int m_batch = 0;
    int m_depth = 0;
};
