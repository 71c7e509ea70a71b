#include "PortLinks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tg::platform {

namespace {

QByteArray ownerPath(const QString &folder, const QString &name)
{
    return QFile::encodeName(folder + QStringLiteral("/.") + name + QStringLiteral(".owner"));
}

QByteArray linkTarget(const QByteArray &link)
{
    char buf[4096];
    const ssize_t n = ::readlink(link.constData(), buf, sizeof buf);
    return n > 0 ? QByteArray(buf, n) : QByteArray();
}

QByteArray readAll(int fd)
{
    QByteArray content;
    char buf[512];
    ssize_t n;
    while ((n = ::pread(fd, buf, sizeof buf, content.size())) > 0)
        content.append(buf, n);
    return content;
}

enum class LinkState { Live, Stale, Unsure };

LinkState inspect(const QByteArray &link, const QByteArray &owner)
{
    const int fd = ::open(owner.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return errno == ENOENT ? LinkState::Stale : LinkState::Unsure; // the record comes first
    LinkState state;
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
        state = LinkState::Stale; // nobody holds it: the owner is gone
    } else if (errno != EWOULDBLOCK) {
        state = LinkState::Unsure;
    } else {
        // The owner lives; its link counts only while it still points at the owner's pty.
        const QByteArray target = linkTarget(link);
        state = !target.isEmpty() && target == readAll(fd) && ::access(target.constData(), F_OK) == 0
                    ? LinkState::Live
                    : LinkState::Unsure;
    }
    ::close(fd); // also drops the shared lock
    return state;
}

} // namespace

QString portLinkFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QString base = runtime.isEmpty()
                             ? QStringLiteral("/tmp/tavelgrid-%1").arg(getuid())
                             : QString::fromLocal8Bit(runtime) + QStringLiteral("/tavelgrid");
    const QString folder = base + QStringLiteral("/ports");
    for (const QString &dir : {base, folder}) {
        const QByteArray path = QFile::encodeName(dir);
        if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
            return QString();
        struct stat st {};
        // A folder under /tmp that someone else made is not ours to trust.
        if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
            return QString();
    }
    return folder;
}

QStringList announcedPorts()
{
    const QString folder = portLinkFolder();
    if (folder.isEmpty())
        return {};
    QStringList ports;
    const QDir dir(folder);
    for (const QFileInfo &info : dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (!info.isSymLink())
            continue;
        const QByteArray link = QFile::encodeName(info.filePath());
        const QByteArray owner = ownerPath(folder, info.fileName());
        switch (inspect(link, owner)) {
        case LinkState::Live:
            ports << info.filePath();
            break;
        case LinkState::Stale:
            ::unlink(link.constData());
            ::unlink(owner.constData());
            break;
        case LinkState::Unsure:
            break;
        }
    }
    return ports;
}

PortAnnouncement::~PortAnnouncement()
{
    withdraw();
}

bool PortAnnouncement::announce(const QString &name, const QString &target)
{
    withdraw();
    const QString folder = portLinkFolder();
    if (folder.isEmpty())
        return false;
    const QByteArray path = QFile::encodeName(target);
    if (!name.isEmpty())
        return claim(folder, name, path);
    for (int n = 0; n < 100; ++n)
        if (claim(folder, QStringLiteral("sim%1").arg(n), path))
            return true;
    return false;
}

bool PortAnnouncement::claim(const QString &folder, const QString &name, const QByteArray &target)
{
    const QByteArray owner = ownerPath(folder, name);
    const QByteArray link = QFile::encodeName(folder + QLatin1Char('/') + name);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(owner.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return false;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd); // a live owner has the name
            return false;
        }
        // A lister may have removed a stale record between the open and the lock.
        struct stat held {}, named {};
        if (::fstat(fd, &held) != 0 || ::stat(owner.constData(), &named) != 0 || held.st_ino != named.st_ino ||
            held.st_dev != named.st_dev) {
            ::close(fd);
            continue;
        }
        // The name is ours: whatever link is left under it is stale.
        if (!point(fd, link, target)) {
            ::unlink(owner.constData());
            ::close(fd);
            return false;
        }
        m_ownerFd = fd;
        m_link = link;
        m_owner = owner;
        m_target = target;
        return true;
    }
    return false;
}

bool PortAnnouncement::point(int ownerFd, const QByteArray &link, const QByteArray &target)
{
    // The link goes first: a lister never sees it point at a target the record does not name.
    if (::unlink(link.constData()) != 0 && errno != ENOENT)
        return false;
    if (::ftruncate(ownerFd, 0) != 0 || ::pwrite(ownerFd, target.constData(), size_t(target.size()), 0) != target.size())
        return false;
    return target.isEmpty() || ::symlink(target.constData(), link.constData()) == 0;
}

bool PortAnnouncement::repoint(const QString &target)
{
    if (m_ownerFd < 0)
        return false;
    const QByteArray path = QFile::encodeName(target);
    if (!point(m_ownerFd, m_link, path))
        return false;
    m_target = path;
    return true;
}

void PortAnnouncement::withdraw()
{
    if (m_ownerFd < 0)
        return;
    // The link first: a link without its record counts as stale.
    if (linkTarget(m_link) == m_target)
        ::unlink(m_link.constData());
    ::unlink(m_owner.constData());
    ::close(m_ownerFd);
    m_ownerFd = -1;
    m_link.clear();
    m_owner.clear();
    m_target.clear();
}

} // namespace tg::platform
