#include "SerialPorts.h"

#include "PortLinks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tg::platform {

QByteArray readAttribute(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().trimmed();
}

QStringList serialTtyNames(const QString &sysTty)
{
    QStringList names;
    const QDir dir(sysTty);
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System)) {
        const QString entry = dir.filePath(name);
        // Only entries backed by hardware have a device link; virtual consoles and ptys do not.
        if (!QFileInfo::exists(entry + QStringLiteral("/device")))
            continue;
        // Legacy UART slots without a chip report type 0.
        if (readAttribute(entry + QStringLiteral("/type")) == "0")
            continue;
        if (readAttribute(entry + QStringLiteral("/console")) == "Y")
            continue;
        names << name;
    }
    return names;
}

namespace {

QStringList listPorts(const QString &sysTty, const QString &dev)
{
    QStringList ports;
    for (const QString &name : serialTtyNames(sysTty))
        ports << dev + u'/' + name;
    ports << announcedPorts();
    ports.sort(Qt::CaseInsensitive);
    return ports;
}

} // namespace

QStringList listSerialPorts(const QString &sysTty)
{
    return listPorts(sysTty, QStringLiteral("/dev"));
}

QStringList listSerialPorts(const SystemRoots &roots)
{
    return listPorts(roots.sys + QStringLiteral("/class/tty"), roots.dev);
}

} // namespace tg::platform
