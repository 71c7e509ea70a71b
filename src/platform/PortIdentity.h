#pragma once
// What a serial device says it is, read from sysfs: the USB vendor and product, the serial
// number, and the names udev gives it under /dev/serial/by-id and /dev/serial/by-path. The
// names are computed from the same attributes udev reads, so they work on systems without
// udev as well.
#include "SystemRoots.h"

#include <QList>
#include <QString>

namespace tg::platform {

struct PortIdentity {
    QString device;          // the device node, /dev/ttyUSB0
    QString vid, pid;        // four hex digits each; empty when the device is not on USB
    QString manufacturer, product, serial;
    QString interfaceNumber; // two hex digits, the USB interface the port belongs to
    QString byId, byPath;    // file names under /dev/serial/by-id and /dev/serial/by-path

    bool isUsb() const { return !vid.isEmpty(); }
    // What finds the same device again when it comes back as another ttyUSBn: its by-id name
    // when it has a serial number, else its by-path name (the socket it is plugged into).
    // Empty for devices that are not on USB, whose node name is stable anyway.
    QString key() const;
    // "FTDI FT232R USB UART, serial A50285BI (0403:6001)"; empty when the device says nothing.
    QString description() const;
};

// The identity of one tty (ttyUSB0) from sysfs.
PortIdentity portIdentity(const QString &ttyName, const SystemRoots &roots = {});
// The identities of the serial devices present, sorted by device node.
QList<PortIdentity> listPortIdentities(const SystemRoots &roots = {});
// A /dev/serial/by-id or by-path name turned into the device node it stands for: through the
// link when it exists, else through the names computed from sysfs. Other paths come back as
// they are, and so does a name that no device present has.
QString resolvePortPath(const QString &path, const SystemRoots &roots = {});
// The device node a port name (ttyUSB0, a path, a link) leads to, empty when there is none.
QString portDeviceNode(const QString &port, const SystemRoots &roots = {});
// The device node of the device present whose key() is key; empty when none is.
QString findPortByKey(const QString &key, const SystemRoots &roots = {});
// What to show beside a port in a list: the device's own description, or what kind of port it
// is; empty when nothing is known.
QString describePort(const QString &port, const SystemRoots &roots = {});
// A port with its description, as lists show them.
QString portLabel(const QString &port, const QString &description);

} // namespace tg::platform
