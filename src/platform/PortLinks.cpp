#include "PortLinks.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tg::platform {

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
    for (const QFileInfo &info : dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (info.isSymLink() && QFileInfo::exists(info.symLinkTarget()))
            ports << info.filePath();
    return ports;
}

} // namespace tg::platform
