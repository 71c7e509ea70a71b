#include "IniFileStorage.h"

#include "Color.h"
#include "Extended80.h"
#include "Font.h"
#include "NumberParse.h"
#include "StoredObject.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMetaEnum>
#include <QMetaProperty>
#include <cfloat>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using tg::IniImage;

class IniFileStorage::Op {
public:
    explicit Op(IniFileStorage &s) : m_s(s) { m_s.BeginBatch(); }
    ~Op() { m_s.EndBatch(); }
    Op(const Op &) = delete;
    Op &operator=(const Op &) = delete;

private:
    IniFileStorage &m_s;
};

namespace {

QString errorText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

void warn(const QString &line)
{
    const QByteArray bytes = (QStringLiteral("Tavelgrid: ") + line + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

[[noreturn]] void convertError(const QString &path, const QString &text, const char *what)
{
    throw EStorageError(QStringLiteral("'%1' is not a valid %2 value (%3)")
                            .arg(text, QLatin1String(what), path)
                            .toStdString());
}

// A path without dots or empty elements is already its own normal form, as nearly every path the
// program reads and writes is; only the others need splitting and joining.
bool isPlainPath(QStringView p)
{
    return !p.isEmpty() && !p.contains(u'.') && !p.startsWith(u'\\') && !p.endsWith(u'\\') &&
           !p.contains(u"\\\\");
}

// The published property of that name: exact match first, then without regard to case.
QMetaProperty findProperty(const QObject *obj, const QString &name)
{
    const QMetaObject *mo = obj->metaObject();
    const QByteArray latin = name.toLatin1();
    int idx = mo->indexOfProperty(latin.constData());
    if (idx < 0) {
        for (int i = 0; i < mo->propertyCount(); ++i)
            if (QLatin1String(mo->property(i).name()).compare(name, Qt::CaseInsensitive) == 0) {
                idx = i;
                break;
            }
    }
    if (idx < 0)
        throw EStorageError(QStringLiteral("%1 has no property %2")
                                .arg(obj->objectName(), name)
                                .toStdString());
    return mo->property(idx);
}

// The integer behind an enumeration or set value, whatever its storage size.
qint64 enumToInt(const QVariant &v)
{
    bool ok = false;
    const qint64 r = v.toLongLong(&ok);
    if (ok)
        return r;
    const void *d = v.constData();
    switch (v.metaType().sizeOf()) {
    case 1: return *static_cast<const qint8 *>(d);
    case 2: return *static_cast<const qint16 *>(d);
    case 4: return *static_cast<const qint32 *>(d);
    case 8: return *static_cast<const qint64 *>(d);
    default: return 0;
    }
}

QVariant intToEnum(QMetaType mt, qint64 value)
{
    switch (mt.sizeOf()) {
    case 1: { const qint8 x = qint8(value); return QVariant(mt, &x); }
    case 2: { const qint16 x = qint16(value); return QVariant(mt, &x); }
    case 8: return QVariant(mt, &value);
    default: { const qint32 x = qint32(value); return QVariant(mt, &x); }
    }
}

bool isObjectType(QMetaType mt)
{
    return mt.flags().testFlag(QMetaType::PointerToQObject);
}

// Range of the integer property types; false for anything else.
bool integerRange(QMetaType mt, qint64 &lo, qint64 &hi)
{
    switch (mt.id()) {
    case QMetaType::Int: lo = INT32_MIN; hi = INT32_MAX; return true;
    case QMetaType::UInt: lo = 0; hi = UINT32_MAX; return true;
    case QMetaType::Long: lo = LONG_MIN; hi = LONG_MAX; return true;
    case QMetaType::ULong: lo = 0; hi = sizeof(long) == 8 ? INT64_MAX : qint64(UINT32_MAX); return true;
    case QMetaType::LongLong: lo = INT64_MIN; hi = INT64_MAX; return true;
    case QMetaType::ULongLong: lo = 0; hi = INT64_MAX; return true;
    case QMetaType::Short: lo = INT16_MIN; hi = INT16_MAX; return true;
    case QMetaType::UShort: lo = 0; hi = UINT16_MAX; return true;
    case QMetaType::Char:
    case QMetaType::SChar: lo = INT8_MIN; hi = INT8_MAX; return true;
    case QMetaType::UChar: lo = 0; hi = UINT8_MAX; return true;
    default: return false;
    }
}

// Whether the property has a text form in the file (objects and pictures have none).
bool hasEncoding(const QMetaProperty &p)
{
    const QMetaType mt = p.metaType();
    qint64 lo = 0, hi = 0;
    if (p.isFlagType() || p.isEnumType() || integerRange(mt, lo, hi)
        || mt == QMetaType::fromType<TColor>() || mt == QMetaType::fromType<TFontCharset>())
        return true;
    switch (mt.id()) {
    case QMetaType::Bool:
    case QMetaType::Float:
    case QMetaType::Double:
    case QMetaType::QString:
    case QMetaType::QStringList:
        return true;
    default:
        return false;
    }
}

QVariant integerVariant(QMetaType mt, qint64 v)
{
    QVariant out = QVariant::fromValue(v);
    out.convert(mt);
    return out;
}

QString stripLineBreaks(QString s)
{
    // A CR or LF would split the line in the file and corrupt the next read.
    for (QChar &c : s)
        if (c == u'\r' || c == u'\n')
            c = u' ';
    return s;
}

// Objects that refer back to an owner would otherwise recurse without end.
class DepthGuard {
public:
    DepthGuard(int &depth, const QString &path) : m_depth(depth)
    {
        if (++m_depth > 32) {
            --m_depth;
            throw EStorageError(QStringLiteral("objects nested too deeply at %1").arg(path).toStdString());
        }
    }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard &) = delete;
    DepthGuard &operator=(const DepthGuard &) = delete;

private:
    int &m_depth;
};

} // namespace

IniFileStorage::IniFileStorage(const QString &fileName, QObject *parent)
    : QObject(parent), m_fileName(fileName)
{
    const QString dp = QLocale::system().decimalPoint();
    DecimalSeparator = dp.isEmpty() ? QChar(u'.') : dp.at(0);
    LoadFile();
}

IniFileStorage::~IniFileStorage()
{
    if (FlushOnDestroy && m_loaded) {
        try {
            SaveFile();
        } catch (...) {
            // Nothing may leave a destructor; SaveFile reports its own failures.
        }
    }
}

QString IniFileStorage::defaultFileName()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Tavelgrid.ini");
}

QString IniFileStorage::ConcatPaths(const QStringList &paths)
{
    if (paths.size() == 1 && isPlainPath(paths.front()))
        return paths.front();
    QStringList elements;
    for (const QString &p : paths) {
        for (const QString &el : p.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
            bool dotsOnly = true;
            for (QChar c : el)
                if (c != u'.') {
                    dotsOnly = false;
                    break;
                }
            if (!dotsOnly) {
                elements << el;
                continue;
            }
            for (qsizetype k = 1; k < el.size() && !elements.isEmpty(); ++k)
                elements.removeLast();
        }
    }
    return elements.join(QLatin1Char('\\'));
}

IniFileStorage::FileStamp IniFileStorage::stamp() const
{
    FileStamp s;
    struct stat st {};
    const QByteArray native = QFile::encodeName(m_fileName);
    if (m_fileName.isEmpty())
        return s;
    if (::stat(native.constData(), &st) != 0) {
        s.error = errno;
        return s;
    }
    s.exists = true;
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.size = qint64(st.st_size);
    s.inode = quint64(st.st_ino);
    return s;
}

void IniFileStorage::refuseFile(const QString &reason)
{
    // A file that could not be read whole is never written: its settings would be lost.
    m_unreadable = true;
    m_readOnly = true;
    if (!m_warnedUnreadable)
        warn(QStringLiteral("cannot read settings file %1 (%2): it is left unchanged, and "
                            "settings are not saved in this run")
                 .arg(m_fileName, reason));
    m_warnedUnreadable = true;
}

void IniFileStorage::LoadFile()
{
    m_loaded = true;
    m_stamp = stamp();
    m_readOnly = m_unreadable;
    if (!m_stamp.exists) {
        // Only a file that is not there counts as missing (a plain file in the path, too);
        // any other failure to look at it must not lead to a save over it.
        if (m_fileName.isEmpty() || m_stamp.error == ENOENT || m_stamp.error == ENOTDIR) {
            if (!m_unreadable)
                m_image.clear();
            return;
        }
        refuseFile(errorText(m_stamp.error));
        return;
    }
    QByteArray data;
    const QString error = readSettingsFile(data);
    if (!error.isEmpty()) {
        refuseFile(error);
        return;
    }
    if (m_unreadable)
        return;
    const QByteArray native = QFile::encodeName(m_fileName);
    struct stat st {};
    m_readOnly = ::stat(native.constData(), &st) != 0 || (st.st_mode & 0222) == 0
                 || ::access(native.constData(), W_OK) != 0;
    m_image.parse(std::move(data));
}

QString IniFileStorage::readSettingsFile(QByteArray &data) const
{
    const QByteArray native = QFile::encodeName(m_fileName);
    // Non-blocking, so that a FIFO in the file's place cannot stall the start.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errorText(errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return errorText(errno);
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("not a regular file");
    if (st.st_size > kMaxFileSize)
        return QStringLiteral("larger than %1 MiB").arg(kMaxFileSize >> 20);
    // One byte more than the limit tells a file that grew past it while being read.
    data.resize(qsizetype(st.st_size) + 1);
    qsizetype total = 0;
    for (;;) {
        if (total == data.size()) {
            if (total > kMaxFileSize)
                return QStringLiteral("larger than %1 MiB").arg(kMaxFileSize >> 20);
            data.resize(std::min<qsizetype>(total * 2 + 4096, kMaxFileSize + 1));
        }
        const ssize_t n = ::read(fd, data.data() + total, size_t(data.size() - total));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errorText(errno);
        }
        if (n == 0)
            break;
        total += n;
    }
    if (total < st.st_size)
        return QStringLiteral("read %1 of %2 bytes").arg(total).arg(qint64(st.st_size));
    data.truncate(total);
    return QString();
}

void IniFileStorage::reloadIfChanged()
{
    if (AutoReload && m_loaded && !(stamp() == m_stamp))
        LoadFile();
}

void IniFileStorage::BeginBatch()
{
    if (m_batch == 0)
        reloadIfChanged();
    ++m_batch;
}

void IniFileStorage::EndBatch()
{
    if (m_batch > 0)
        --m_batch;
}

namespace {

// The file a symbolic link finally points to, so that saving replaces the target and keeps the
// link. A path that is no link is returned unchanged; so is the end of a dangling chain.
QByteArray resolveLinks(QByteArray path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        QByteArray target(qsizetype(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(path.constData(), target.data(), size_t(target.size()));
        if (n < 0 || n >= target.size())
            return path;
        target.truncate(n);
        if (!target.startsWith('/')) {
            const qsizetype slash = path.lastIndexOf('/');
            target = (slash < 0 ? QByteArray() : path.left(slash + 1)) + target;
        }
        path = target;
    }
    return path;
}

bool writeAll(int fd, const QByteArray &data, int &err)
{
    const char *p = data.constData();
    qint64 left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        if (n == 0) {
            err = ENOSPC;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// Overwrites the file itself: the way left when its folder takes no new files. Not atomic,
// so used only then.
QString writeInPlace(const QByteArray &target, const QByteArray &data)
{
    const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return errorText(errno);
    int err = 0;
    if (!writeAll(fd, data, err) || ::ftruncate(fd, off_t(data.size())) != 0
        || ::fsync(fd) != 0) {
        if (err == 0)
            err = errno;
        ::close(fd);
        return errorText(err);
    }
    if (::close(fd) != 0)
        return errorText(errno);
    return QString();
}

} // namespace

// Writes `data` to a temporary file next to `target`, flushes it to disk and renames it over
// `target`: a crash or a full disk leaves either the old or the new file, never a mix. The new
// file keeps the old one's owner, group and permissions. When the folder takes no temporary
// file, the file is overwritten in place. Returns an empty string on success, else the reason.
QString IniFileStorage::writeAtomically(const QByteArray &target, const QByteArray &data)
{
    struct stat st {};
    const bool exists = ::stat(target.constData(), &st) == 0;
    QByteArray tmpl = target + ".tmp-XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        const int err = errno;
        if (!exists || (err != EACCES && err != EPERM))
            return errorText(err);
        if (!m_saidInPlace)
            warn(QStringLiteral("no temporary file possible beside %1 (%2): saving it in place")
                     .arg(QFile::decodeName(target), errorText(err)));
        m_saidInPlace = true;
        return writeInPlace(target, data);
    }
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(tmpl.constData());
        return errorText(err);
    };
    mode_t mode = 0;
    if (exists) {
        mode = st.st_mode & 07777;
        // Keep the owner, so that a save by another user (root) does not take the file away
        // from its user. Only root may give a file away; anyone may set one of their groups.
        if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid())
            && ::fchown(fd, st.st_uid, st.st_gid) != 0)
            (void)::fchown(fd, uid_t(-1), st.st_gid);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0)
        return fail(errno);
    int err = 0;
    if (!writeAll(fd, data, err))
        return fail(err);
    if (::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        err = errno;
        ::unlink(tmpl.constData());
        return errorText(err);
    }
    if (::rename(tmpl.constData(), target.constData()) != 0) {
        err = errno;
        ::unlink(tmpl.constData());
        return errorText(err);
    }
    // Make the rename itself durable.
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(target)).absolutePath());
    const int dfd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return QString();
}

namespace {

// Removes temporaries of earlier saves that were killed half-way. Only old ones: a young one
// may belong to a save still running in another process.
void removeStaleTemporaries(const QString &path)
{
    const QFileInfo info(path);
    QDir dir = info.absoluteDir();
    const QDateTime limit = QDateTime::currentDateTimeUtc().addSecs(-600);
    const QStringList names =
        dir.entryList({info.fileName() + QStringLiteral(".tmp-??????")}, QDir::Files | QDir::Hidden);
    for (const QString &name : names)
        if (QFileInfo(dir.filePath(name)).lastModified().toUTC() < limit)
            dir.remove(name);
}

} // namespace

bool IniFileStorage::SaveFile()
{
    if (m_fileName.isEmpty())
        return true;
    if (m_readOnly) {
        // An unreadable file was reported when it was read.
        if (!m_unreadable)
            warn(QStringLiteral("settings not saved: %1 is not writable").arg(m_fileName));
        return false;
    }
    const QByteArray target = resolveLinks(QFile::encodeName(m_fileName));
    const QString targetName = QFile::decodeName(target);
    const QString dir = QFileInfo(targetName).absolutePath();
    if (!QDir().mkpath(dir)) {
        warn(QStringLiteral("settings not saved: cannot create folder %1").arg(dir));
        return false;
    }
    const QString error = writeAtomically(target, m_image.serialize());
    if (!error.isEmpty()) {
        warn(QStringLiteral("settings not saved to %1: %2").arg(targetName, error));
        return false;
    }
    removeStaleTemporaries(targetName);
    return true;
}

void IniFileStorage::splitPath(const QString &path, QString &section, QString &key) const
{
    const QString norm = ConcatPaths({path});
    const qsizetype cut = norm.lastIndexOf(QLatin1Char('\\'));
    if (norm.isEmpty())
        throw EStorageError(QStringLiteral("empty storage path").toStdString());
    key = norm.mid(cut + 1);
    section = cut < 0 ? ConcatPaths({DefaultSection}) : norm.left(cut);
    if (section.isEmpty())
        throw EStorageError(QStringLiteral("storage path %1 has no section").arg(path).toStdString());
}

std::optional<QString> IniFileStorage::rawValue(const QString &path)
{
    QString section, key;
    splitPath(path, section, key);
    return m_image.value(section, key);
}

void IniFileStorage::storeRaw(const QString &path, const QString &text)
{
    QString section, key;
    splitPath(path, section, key);
    m_image.setValue(section, key, text);
}

bool IniFileStorage::HasValue(const QString &path)
{
    Op op(*this);
    return rawValue(path).has_value();
}

bool IniFileStorage::HasSection(const QString &path)
{
    Op op(*this);
    return m_image.hasSectionOrBelow(ConcatPaths({path}));
}

void IniFileStorage::StoreInt(const QString &path, qint64 value)
{
    Op op(*this);
    storeRaw(path, QString::number(value));
}

qint64 IniFileStorage::LoadInt(const QString &path, qint64 defaultValue)
{
    Op op(*this);
    const std::optional<QString> t = rawValue(path);
    if (!t)
        return defaultValue;
    qint64 v = 0;
    if (!tg::parseInt64(*t, v))
        convertError(path, *t, "integer");
    return v;
}

void IniFileStorage::StoreText(const QString &path, const QString &value)
{
    Op op(*this);
    storeRaw(path, stripLineBreaks(value));
}

QString IniFileStorage::LoadText(const QString &path, const QString &defaultValue)
{
    Op op(*this);
    const std::optional<QString> t = rawValue(path);
    return t ? *t : defaultValue;
}

void IniFileStorage::StoreBool(const QString &path, bool value)
{
    Op op(*this);
    const QStringList &texts = value ? BooleanStringTrueValues : BooleanStringFalseValues;
    storeRaw(path, texts.isEmpty() ? QString::number(value ? 1 : 0) : texts.first().trimmed());
}

bool IniFileStorage::textToBool(const QString &text, const QString &path) const
{
    for (const QString &t : BooleanStringTrueValues)
        if (text.compare(t.trimmed(), Qt::CaseInsensitive) == 0)
            return true;
    for (const QString &t : BooleanStringFalseValues)
        if (text.compare(t.trimmed(), Qt::CaseInsensitive) == 0)
            return false;
    qint64 v = 0;
    if (!tg::parseInt64(text, v))
        convertError(path, text, "boolean");
    return v != 0;
}

bool IniFileStorage::LoadBool(const QString &path, bool defaultValue)
{
    Op op(*this);
    const std::optional<QString> t = rawValue(path);
    return t ? textToBool(*t, path) : defaultValue;
}

QString IniFileStorage::floatToText(double v)
{
    static const char hex[] = "0123456789ABCDEF";
    const tg::Extended80 bytes = tg::doubleToExtended(v);
    QString out;
    out.reserve(20);
    for (std::uint8_t b : bytes) {
        out += QLatin1Char(hex[b >> 4]);
        out += QLatin1Char(hex[b & 15]);
    }
    return out;
}

bool IniFileStorage::textToFloat(const QString &text, QChar decimalSeparator, double &out,
                                 bool &present)
{
    auto hexDigit = [](QChar c) -> int {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            return u - u'0';
        if (u >= u'A' && u <= u'F')
            return u - u'A' + 10;
        if (u >= u'a' && u <= u'f')
            return u - u'a' + 10;
        return -1;
    };
    bool allHex = true;
    for (QChar c : text)
        if (hexDigit(c) < 0) {
            allHex = false;
            break;
        }
    present = true;
    if (!allHex) {
        double v = 0;
        if (!tg::parseDecimal(text, decimalSeparator, v))
            return false;
        out = v;
        return true;
    }
    // An odd count of digits gets a "0" in front.
    const QString digits = (text.size() % 2) ? QLatin1Char('0') + text : text;
    if (digits.size() < 20) {
        // Too short for the binary form: a number typed by hand such as "2" or "1234".
        // When it is no decimal number either, the target keeps its value.
        double v = 0;
        present = tg::parseDecimal(text, decimalSeparator, v);
        if (present)
            out = v;
        return true;
    }
    tg::Extended80 bytes{};
    for (int i = 0; i < 10; ++i)
        bytes[i] = std::uint8_t(hexDigit(digits[2 * i]) * 16 + hexDigit(digits[2 * i + 1]));
    const auto v = tg::extendedToDouble(bytes);
    if (!v)
        return false;
    out = *v;
    return true;
}

void IniFileStorage::StoreFloat(const QString &path, double value)
{
    Op op(*this);
    storeRaw(path, floatToText(value));
}

double IniFileStorage::LoadFloat(const QString &path, double defaultValue)
{
    Op op(*this);
    const std::optional<QString> t = rawValue(path);
    if (!t)
        return defaultValue;
    double v = 0;
    bool present = false;
    if (!textToFloat(*t, DecimalSeparator, v, present))
        convertError(path, *t, "floating-point");
    return present ? v : defaultValue;
}

void IniFileStorage::StoreStringList(const QString &path, const QStringList &value)
{
    Op op(*this);
    const QString section = ConcatPaths({path});
    m_image.clearSection(section);
    StoreInt(section + QStringLiteral("\\Count"), value.size());
    for (qsizetype i = 0; i < value.size(); ++i)
        StoreText(section + QStringLiteral("\\Item%1").arg(i), value[i]);
}

QStringList IniFileStorage::LoadStringList(const QString &path, const QStringList &defaultValue)
{
    Op op(*this);
    const QString section = ConcatPaths({path});
    if (!m_image.hasSection(section))
        return defaultValue;
    const qint64 count = LoadInt(section + QStringLiteral("\\Count"), 0);
    QStringList out;
    for (qint64 i = 0; i < count; ++i) {
        const std::optional<QString> t = rawValue(section + QStringLiteral("\\Item%1").arg(i));
        if (!t)
            break; // a damaged count must not drive a loop over items that do not exist
        out << *t;
    }
    return out;
}

QMetaProperty IniFileStorage::ResolveProperty(const QObject *obj, const QString &propName)
{
    const QMetaProperty p = findProperty(obj, propName);
    if (!p.isWritable() && hasEncoding(p))
        throw EStorageError(QStringLiteral("%1.%2 is read-only").arg(obj->objectName(), propName).toStdString());
    return p;
}

void IniFileStorage::StoreProperty(const QString &path, QObject *obj, const QString &propName)
{
    Op op(*this);
    storeProp(path, obj, findProperty(obj, propName));
}

void IniFileStorage::LoadProperty(const QString &path, QObject *obj, const QString &propName)
{
    Op op(*this);
    loadProp(path, obj, findProperty(obj, propName));
}

void IniFileStorage::StoreObject(const QString &path, QObject *obj)
{
    Op op(*this);
    storeObj(path, obj);
}

void IniFileStorage::LoadObject(const QString &path, QObject *obj)
{
    Op op(*this);
    loadObj(path, obj);
}

template <typename F>
void IniFileStorage::forEachStored(const QString &path, QObject *obj, F &&each)
{
    if (!obj)
        return;
    DepthGuard depth(m_depth, path);
    const QMetaObject *mo = obj->metaObject();
    // objectName is the component's name, not one of its settings; a widget's own geometry and
    // window properties belong to the form, which lists the ones it keeps.
    int first = QObject::staticMetaObject.propertyCount();
    for (const QMetaObject *m = mo; m; m = m->superClass())
        if (obj->isWidgetType() && qstrcmp(m->className(), "QWidget") == 0)
            first = m->propertyCount();
    for (int i = first; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (p.isStored())
            each(path + QLatin1Char('\\') + QLatin1String(p.name()), p);
    }
}

namespace {
// Qt 6 has no per-object STORED functions: an object that stores a property only in some
// states answers through an invokable Is<Property>Stored().
bool storedNow(QObject *obj, const QMetaProperty &p)
{
    const QByteArray sig = "Is" + QByteArray(p.name()) + "Stored()";
    const int i = obj->metaObject()->indexOfMethod(sig.constData());
    if (i < 0)
        return true;
    bool stored = true;
    obj->metaObject()->method(i).invoke(obj, Qt::DirectConnection, Q_RETURN_ARG(bool, stored));
    return stored;
}
} // namespace

void IniFileStorage::storeObj(const QString &path, QObject *obj)
{
    // One property that cannot be stored must not cost the others of the object.
    std::exception_ptr failure;
    forEachStored(path, obj, [&](const QString &key, const QMetaProperty &p) {
        if (!storedNow(obj, p))
            return;
        try {
            storeProp(key, obj, p);
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    });
    if (failure)
        std::rethrow_exception(failure);
}

void IniFileStorage::loadObj(const QString &path, QObject *obj)
{
    // Objects whose properties check one another see the whole object read before they check.
    struct LoadBracket {
        TStoredObject *stored;
        explicit LoadBracket(QObject *o) : stored(dynamic_cast<TStoredObject *>(o))
        {
            if (stored)
                stored->BeginLoad();
        }
        ~LoadBracket()
        {
            if (stored)
                stored->EndLoad();
        }
        LoadBracket(const LoadBracket &) = delete;
        LoadBracket &operator=(const LoadBracket &) = delete;
    } bracket(obj);
    forEachStored(path, obj, [&](const QString &key, const QMetaProperty &p) { loadProp(key, obj, p); });
}

void IniFileStorage::storeProp(const QString &path, QObject *obj, const QMetaProperty &p)
{
    const QVariant v = p.read(obj);
    const QMetaType mt = p.metaType();
    if (!p.isWritable() && hasEncoding(p))
        throw EStorageError(
            QStringLiteral("%1 is read-only and could not be read back").arg(path).toStdString());

    if (p.isFlagType()) {
        const QMetaEnum e = p.enumerator();
        const qint64 bits = enumToInt(v);
        for (int k = 0; k < e.keyCount(); ++k) {
            const qint64 member = e.value(k);
            if (member != 0)
                StoreBool(path + QLatin1Char('\\') + QLatin1String(e.key(k)), (bits & member) == member);
        }
        return;
    }
    if (p.isEnumType()) {
        const qint64 n = enumToInt(v);
        const char *key = p.enumerator().valueToKey(int(n));
        storeRaw(path, key ? QString::fromLatin1(key) : QString::number(n));
        return;
    }
    if (isObjectType(mt)) {
        storeObj(path, v.value<QObject *>());
        return;
    }
    if (mt == QMetaType::fromType<TColor>()) {
        storeRaw(path, colorToString(v.value<TColor>()));
        return;
    }
    if (mt == QMetaType::fromType<TFontCharset>()) {
        storeRaw(path, charsetToString(v.value<TFontCharset>()));
        return;
    }
    qint64 lo = 0, hi = 0;
    if (integerRange(mt, lo, hi)) {
        storeRaw(path, mt.id() == QMetaType::ULongLong ? QString::number(v.toULongLong())
                                                       : QString::number(v.toLongLong()));
        return;
    }
    switch (mt.id()) {
    case QMetaType::Bool:
        StoreBool(path, v.toBool());
        return;
    case QMetaType::Float:
    case QMetaType::Double:
        storeRaw(path, floatToText(v.toDouble()));
        return;
    case QMetaType::QString:
        storeRaw(path, stripLineBreaks(v.toString()));
        return;
    case QMetaType::QStringList:
        StoreStringList(path, v.toStringList());
        return;
    default:
        // A value without stored properties of its own (a picture): nothing is written.
        return;
    }
}

void IniFileStorage::loadProp(const QString &path, QObject *obj, const QMetaProperty &p)
{
    const QMetaType mt = p.metaType();

    auto write = [&](const QVariant &value) {
        if (!p.write(obj, value))
            throw EStorageError(QStringLiteral("cannot set %1").arg(path).toStdString());
    };

    if (isObjectType(mt)) {
        loadObj(path, p.read(obj).value<QObject *>());
        return;
    }

    if (p.isFlagType()) {
        const QString section = ConcatPaths({path});
        if (!m_image.hasSection(section))
            return;
        const QMetaEnum e = p.enumerator();
        qint64 bits = enumToInt(p.read(obj));
        for (int k = 0; k < e.keyCount(); ++k) {
            const qint64 member = e.value(k);
            if (member == 0)
                continue;
            const QString memberPath = section + QLatin1Char('\\') + QLatin1String(e.key(k));
            const std::optional<QString> t = rawValue(memberPath);
            if (!t)
                continue;
            if (textToBool(*t, memberPath))
                bits |= member;
            else
                bits &= ~member;
        }
        write(intToEnum(mt, bits));
        return;
    }
    if (mt.id() == QMetaType::QStringList) {
        const QString section = ConcatPaths({path});
        if (m_image.hasSection(section))
            write(LoadStringList(section, {}));
        return;
    }

    const std::optional<QString> t = rawValue(path);
    if (!t)
        return;
    const QString &text = *t;

    if (p.isEnumType()) {
        const QMetaEnum e = p.enumerator();
        for (int k = 0; k < e.keyCount(); ++k)
            if (text.compare(QLatin1String(e.key(k)), Qt::CaseInsensitive) == 0) {
                write(intToEnum(mt, e.value(k)));
                return;
            }
        // An ordinal is accepted only when it names a member.
        qint64 n = 0;
        if (!tg::parseInt64(text, n) || n < INT32_MIN || n > INT32_MAX || !e.valueToKey(int(n)))
            convertError(path, text, "enumeration");
        write(intToEnum(mt, n));
        return;
    }
    if (mt == QMetaType::fromType<TColor>()) {
        const auto c = colorFromString(text);
        if (!c)
            convertError(path, text, "colour");
        write(QVariant::fromValue(*c));
        return;
    }
    if (mt == QMetaType::fromType<TFontCharset>()) {
        const auto c = charsetFromString(text);
        if (!c)
            convertError(path, text, "character set");
        write(QVariant::fromValue(*c));
        return;
    }
    qint64 lo = 0, hi = 0;
    if (integerRange(mt, lo, hi)) {
        qint64 n = 0;
        if (!tg::parseInt64(text, n) || n < lo || n > hi)
            convertError(path, text, "integer");
        write(integerVariant(mt, n));
        return;
    }
    switch (mt.id()) {
    case QMetaType::Bool:
        write(QVariant(textToBool(text, path)));
        return;
    case QMetaType::Float:
    case QMetaType::Double: {
        double d = 0;
        bool present = false;
        if (!textToFloat(text, DecimalSeparator, d, present))
            convertError(path, text, "floating-point");
        if (!present)
            return;
        if (mt.id() == QMetaType::Float) {
            if (std::fabs(d) > double(FLT_MAX))
                convertError(path, text, "single-precision");
            write(QVariant(float(d)));
        } else {
            write(QVariant(d));
        }
        return;
    }
    case QMetaType::QString:
        write(QVariant(text));
        return;
    default:
        return;
    }
}
