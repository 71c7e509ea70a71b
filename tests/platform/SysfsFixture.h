#pragma once
// A sysfs and /dev laid out as the kernel lays them out for serial devices (USB serial
// converters, USB modems, on-board UARTs), in a temporary folder: the machines the tests run
// on have no USB devices.
#include "SystemRoots.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

struct UsbSerial {
    QString tty;        // ttyUSB0 (a converter, numbered ports) or ttyACM0 (a modem)
    QString controller; // the host controller's path under devices/
    QString device;     // "1-2": bus 1, hub port 2; "1-1.4": port 4 of the hub on port 1
    QString vid, pid;
    QString manufacturer, product, serial; // empty: the device has no such string
    int interface = 0;
};

inline const QString kPci = QStringLiteral("pci0000:00/0000:00:14.0");
inline const QString kSoc = QStringLiteral("platform/soc/3f980000.usb");

struct SysfsFixture {
    QTemporaryDir dir;
    tg::platform::SystemRoots roots;

    SysfsFixture()
    {
        roots.sys = dir.filePath(QStringLiteral("sys"));
        roots.dev = dir.filePath(QStringLiteral("dev"));
        roots.lockDirs = {dir.filePath(QStringLiteral("lock"))};
        for (const QString &d : {roots.sys + QStringLiteral("/class/tty"), roots.dev, roots.lockDirs[0]})
            QDir().mkpath(d);
    }

    static void write(const QString &file, const QString &value)
    {
        QFile f(file);
        if (f.open(QIODevice::WriteOnly))
            f.write(value.toUtf8() + '\n');
    }
    static void link(const QString &target, const QString &link) { QFile::link(target, link); }

    // The tty's class entry (linked from class/tty, with its device link) and its node.
    void addTty(const QString &name, const QString &classDir, const QString &deviceDir)
    {
        QDir().mkpath(classDir);
        link(classDir, roots.sys + QStringLiteral("/class/tty/") + name);
        link(deviceDir, classDir + QStringLiteral("/device"));
        write(roots.dev + u'/' + name, QString());
    }

    void add(const UsbSerial &u)
    {
        // The root hub and any hubs on the way carry USB attributes of their own.
        const QString host = roots.sys + QStringLiteral("/devices/") + u.controller;
        const QString bus = u.device.section(u'-', 0, 0);
        QString path = host + QStringLiteral("/usb") + bus;
        QDir().mkpath(path);
        write(path + QStringLiteral("/idVendor"), QStringLiteral("1d6b"));
        const QStringList hops = u.device.section(u'-', 1).split(u'.');
        for (int i = 0; i < hops.size(); ++i) {
            path += u'/' + bus + u'-' + hops.mid(0, i + 1).join(u'.');
            QDir().mkpath(path);
            write(path + QStringLiteral("/idVendor"), QStringLiteral("05e3"));
        }
        for (const auto &[attr, value] : {std::pair{"idVendor", u.vid}, {"idProduct", u.pid},
                                          {"manufacturer", u.manufacturer}, {"product", u.product}, {"serial", u.serial}})
            if (!value.isEmpty())
                write(path + u'/' + QLatin1String(attr), value);
        const QString interface = path + u'/' + u.device + QStringLiteral(":1.") + QString::number(u.interface);
        QDir().mkpath(interface);
        const QString number = QStringLiteral("%1").arg(u.interface, 2, 16, QLatin1Char('0'));
        write(interface + QStringLiteral("/bInterfaceNumber"), number);
        if (u.tty.startsWith(QLatin1String("ttyUSB"))) {
            // A converter's port is a device of its own under the interface.
            const QString port = interface + u'/' + u.tty;
            QDir().mkpath(port);
            write(port + QStringLiteral("/port_number"), QStringLiteral("0"));
            addTty(u.tty, port + QStringLiteral("/tty/") + u.tty, port);
        } else {
            addTty(u.tty, interface + QStringLiteral("/tty/") + u.tty, interface);
        }
    }

    // An on-board UART; type 0 is an empty legacy slot.
    void addUart(const QString &name, const QString &type)
    {
        const QString device = roots.sys + QStringLiteral("/devices/platform/serial8250");
        const QString classDir = device + QStringLiteral("/tty/") + name;
        addTty(name, classDir, device);
        write(classDir + QStringLiteral("/type"), type);
    }

    QString node(const QString &name) const { return roots.dev + u'/' + name; }
};
