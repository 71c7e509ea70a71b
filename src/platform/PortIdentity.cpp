#include "PortIdentity.h"

#include "SerialPorts.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace tg::platform {

namespace {

QString parentOf(const QString &path) { return path.left(std::max<qsizetype>(path.lastIndexOf(u'/'), 0)); }
QString nameOf(const QString &path) { return path.mid(path.lastIndexOf(u'/') + 1); }
QString attribute(const QString &dir, const char *name)
{
    return QString::fromUtf8(readAttribute(dir + u'/' + QLatin1String(name)));
}
bool hasAttribute(const QString &dir, const char *name)
{
    return QFileInfo::exists(dir + u'/' + QLatin1String(name));
}

// A text as udev puts it into a device name: blanks joined into one "_", anything outside
// letters, digits and "#+-.:=@_" replaced by "_" (other than ASCII is kept).
QString udevSafe(const QString &text)
{
    static const QString allowed = QStringLiteral("#+-.:=@_");
    QString out;
    bool blank = false;
    for (const QChar c : text.trimmed()) {
        if (c.isSpace()) {
            blank = true;
            continue;
        }
        if (blank)
            out += u'_';
        blank = false;
        const bool plain = c.unicode() > 127 || (c.unicode() < 128 && c.isLetterOrNumber()) || allowed.contains(c);
        out += plain ? c : QChar(u'_');
    }
    return out;
}

// udev leaves out serial numbers with control or non-ASCII characters or commas.
bool usableSerial(const QString &serial)
{
    auto plain = [](QChar c) { return c.unicode() >= 0x20 && c.unicode() <= 0x7f && c != u','; };
    return !serial.isEmpty() && std::all_of(serial.begin(), serial.end(), plain);
}

// The part of the by-path name that names the USB host controller: "pci-0000:00:14.0" or
// "platform-3f980000.usb"; empty when it is neither.
QString controllerPath(const QString &usbDevice, const QString &sysRoot)
{
    static const QRegularExpression pci(QStringLiteral("^[0-9a-f]{4}:[0-9a-f]{2}:[0-9a-f]{2}\\.[0-9a-f]$"));
    QString d = parentOf(usbDevice);
    while (d.size() > sysRoot.size() && hasAttribute(d, "idVendor")) // hubs, the root hub
        d = parentOf(d);
    if (pci.match(nameOf(d)).hasMatch())
        return QStringLiteral("pci-") + nameOf(d);
    if (d.startsWith(sysRoot + QStringLiteral("/devices/platform/")))
        return QStringLiteral("platform-") + nameOf(d);
    return QString();
}

} // namespace

QString PortIdentity::key() const
{
    return usableSerial(serial) ? byId : byPath;
}

QString PortIdentity::description() const
{
    if (!isUsb())
        return QString();
    QStringList parts;
    const QString name = QStringList{manufacturer, product}.join(u' ').trimmed();
    parts << (name.isEmpty() ? QStringLiteral("USB device") : name);
    if (!serial.isEmpty())
        parts << QStringLiteral("serial ") + serial;
    if (!interfaceNumber.isEmpty() && interfaceNumber != QLatin1String("00"))
        parts << QStringLiteral("interface ") + QString::number(interfaceNumber.toInt(nullptr, 16));
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" (") + vid + u':' + pid + u')';
}

PortIdentity portIdentity(const QString &ttyName, const SystemRoots &roots)
{
    PortIdentity id;
    id.device = roots.dev + u'/' + ttyName;
    const QString sysRoot = QFileInfo(roots.sys).canonicalFilePath();
    const QString entry = roots.sys + QStringLiteral("/class/tty/") + ttyName;
    const QString device = QFileInfo(entry + QStringLiteral("/device")).canonicalFilePath();
    if (sysRoot.isEmpty() || device.isEmpty())
        return id;
    // Up from the port's device: the USB interface it belongs to, then the USB device.
    QString interface, usb;
    for (QString d = device; d.size() > sysRoot.size() && usb.isEmpty(); d = parentOf(d)) {
        if (interface.isEmpty() && hasAttribute(d, "bInterfaceNumber"))
            interface = d;
        else if (hasAttribute(d, "idVendor"))
            usb = d;
    }
    if (usb.isEmpty())
        return id;
    id.vid = attribute(usb, "idVendor");
    id.pid = attribute(usb, "idProduct");
    id.manufacturer = attribute(usb, "manufacturer");
    id.product = attribute(usb, "product");
    id.serial = attribute(usb, "serial");
    if (interface.isEmpty())
        return id;
    id.interfaceNumber = attribute(interface, "bInterfaceNumber");
    // USB serial converters number the ports of one interface; modems (ttyACM) have none.
    const QString port = attribute(device, "port_number");
    const QString portSuffix = port.isEmpty() ? QString() : QStringLiteral("-port") + port;

    const QString vendor = udevSafe(id.manufacturer);
    const QString model = udevSafe(id.product);
    QString serialName = (vendor.isEmpty() ? id.vid : vendor) + u'_' + (model.isEmpty() ? id.pid : model);
    if (usableSerial(id.serial))
        serialName += u'_' + udevSafe(id.serial);
    id.byId = QStringLiteral("usb-") + serialName + QStringLiteral("-if") + id.interfaceNumber + portSuffix;

    // The interface "1-2.4:1.0" sits on bus 1, hub ports 2.4, configuration 1, interface 0.
    const QString controller = controllerPath(usb, sysRoot);
    const QString place = nameOf(interface);
    if (!controller.isEmpty() && place.contains(u'-'))
        id.byPath = controller + QStringLiteral("-usb-0:") + place.mid(place.indexOf(u'-') + 1) + portSuffix;
    return id;
}

QList<PortIdentity> listPortIdentities(const SystemRoots &roots)
{
    QList<PortIdentity> list;
    for (const QString &name : serialTtyNames(roots.sys + QStringLiteral("/class/tty")))
        list << portIdentity(name, roots);
    std::sort(list.begin(), list.end(), [](const PortIdentity &a, const PortIdentity &b) { return a.device < b.device; });
    return list;
}

QString resolvePortPath(const QString &path, const SystemRoots &roots)
{
    for (const bool byId : {true, false}) {
        const QString folder = roots.dev + (byId ? QStringLiteral("/serial/by-id/") : QStringLiteral("/serial/by-path/"));
        if (!path.startsWith(folder))
            continue;
        const QFileInfo link(path);
        if (link.exists())
            return link.canonicalFilePath();
        const QString name = path.mid(folder.size());
        for (const PortIdentity &id : listPortIdentities(roots))
            if (!name.isEmpty() && name == (byId ? id.byId : id.byPath))
                return id.device;
    }
    return path;
}

QString portDeviceNode(const QString &port, const SystemRoots &roots)
{
    if (port.isEmpty())
        return QString();
    const QString path = port.contains(u'/') ? port : roots.dev + u'/' + port;
    return QFileInfo(resolvePortPath(path, roots)).canonicalFilePath();
}

QString findPortByKey(const QString &key, const SystemRoots &roots)
{
    if (key.isEmpty())
        return QString();
    for (const PortIdentity &id : listPortIdentities(roots))
        if (id.key() == key)
            return id.device;
    return QString();
}

QString describePort(const QString &port, const SystemRoots &roots)
{
    const QString node = portDeviceNode(port, roots);
    const QString devRoot = QFileInfo(roots.dev).canonicalFilePath();
    if (node.isEmpty() || devRoot.isEmpty() || !node.startsWith(devRoot + u'/'))
        return QString();
    const QString name = node.mid(devRoot.size() + 1);
    if (name.startsWith(QLatin1String("pts/")))
        return QStringLiteral("virtual port (pseudo-terminal ") + roots.dev + u'/' + name + u')';
    return portIdentity(name, roots).description();
}

QString portLabel(const QString &port, const QString &description)
{
    return description.isEmpty() ? port : port + QStringLiteral(" \u2014 ") + description;
}

} // namespace tg::platform
