#include "SerialPorts.h"

#include "PortLinks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tg::platform {

namespace {

QByteArray readAttribute(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().trimmed();
}

} // namespace

QStringList listSerialPorts(const QString &sysTty)
{
    QStringList ports;
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
        ports << QStringLiteral("/dev/") + name;
    }
    ports << announcedPorts();
    ports.sort(Qt::CaseInsensitive);
    return ports;
}

} // namespace tg::platform
