#include "PortIdentity.h"
#include "SysfsFixture.h"

#include <gtest/gtest.h>

using namespace tg::platform;

namespace {

struct Known {
    UsbSerial device;
    const char *byId, *byPath, *description;
    bool keyedBySerial;
};

// Devices as they report themselves, with the names udev gives them.
const Known kKnown[] = {
    {{"ttyUSB0", kPci, "1-2", "0403", "6001", "FTDI", "FT232R USB UART", "A50285BI"},
     "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "pci-0000:00:14.0-usb-0:2:1.0-port0",
     "FTDI FT232R USB UART, serial A50285BI (0403:6001)", true},
    // No manufacturer string and no serial number: the vendor id stands in, the socket is the key.
    {{"ttyUSB1", kPci, "1-1.4", "1a86", "7523", "", "USB Serial", ""},
     "usb-1a86_USB_Serial-if00-port0", "pci-0000:00:14.0-usb-0:1.4:1.0-port0", "USB Serial (1a86:7523)", false},
    // A modem: no port number; no product string, so the product id stands in.
    {{"ttyACM0", kPci, "1-3", "1209", "2301", "Board Maker (board.example)", "", "85736323838351F0B1A1"},
     "usb-Board_Maker__board.example__2301_85736323838351F0B1A1-if00", "pci-0000:00:14.0-usb-0:3:1.0",
     "Board Maker (board.example), serial 85736323838351F0B1A1 (1209:2301)", true},
    // The second port of a two-port converter on a controller that is not on PCI.
    {{"ttyUSB2", kSoc, "1-1.2", "0403", "6010", "FTDI", "Dual RS232-HS", "", 1},
     "usb-FTDI_Dual_RS232-HS-if01-port0", "platform-3f980000.usb-usb-0:1.2:1.1-port0",
     "FTDI Dual RS232-HS, interface 1 (0403:6010)", false},
    {{"ttyUSB3", kPci, "1-5", "10c4", "ea60", "  Silicon Labs ", "CP2102 USB to UART Bridge Controller", "0001"},
     "usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0", "pci-0000:00:14.0-usb-0:5:1.0-port0",
     "Silicon Labs CP2102 USB to UART Bridge Controller, serial 0001 (10c4:ea60)", true},
    // udev leaves out a serial number with a comma in it.
    {{"ttyACM1", kPci, "1-6", "1234", "5678", "Maker", "Board", "12,34"},
     "usb-Maker_Board-if00", "pci-0000:00:14.0-usb-0:6:1.0", "Maker Board, serial 12,34 (1234:5678)", false},
};

struct Machine : SysfsFixture {
    Machine()
    {
        for (const Known &k : kKnown)
            add(k.device);
        addUart(QStringLiteral("ttyS0"), QStringLiteral("0"));
        addUart(QStringLiteral("ttyS1"), QStringLiteral("4"));
    }
};

} // namespace

TEST(PortIdentity, ReadsWhatEachDeviceSaysAndTheNamesUdevGivesIt)
{
    Machine m;
    for (const Known &k : kKnown) {
        SCOPED_TRACE(k.byId);
        const PortIdentity id = portIdentity(k.device.tty, m.roots);
        EXPECT_EQ(id.device, m.node(k.device.tty));
        EXPECT_EQ(id.vid, k.device.vid);
        EXPECT_EQ(id.pid, k.device.pid);
        EXPECT_EQ(id.serial, k.device.serial);
        EXPECT_EQ(id.byId, QLatin1String(k.byId));
        EXPECT_EQ(id.byPath, QLatin1String(k.byPath));
        EXPECT_EQ(id.key(), QLatin1String(k.keyedBySerial ? k.byId : k.byPath));
        EXPECT_EQ(id.description(), QLatin1String(k.description));
        EXPECT_EQ(describePort(m.node(k.device.tty), m.roots), QLatin1String(k.description));
    }
    // An on-board UART says nothing about itself and needs no key: its name is stable.
    const PortIdentity uart = portIdentity(QStringLiteral("ttyS1"), m.roots);
    EXPECT_FALSE(uart.isUsb());
    EXPECT_EQ(uart.byId + uart.byPath + uart.key() + uart.description(), QString());

    QStringList listed;
    for (const PortIdentity &id : listPortIdentities(m.roots))
        listed << id.device.mid(m.roots.dev.size() + 1);
    EXPECT_EQ(listed, (QStringList{"ttyACM0", "ttyACM1", "ttyS1", "ttyUSB0", "ttyUSB1", "ttyUSB2", "ttyUSB3"}))
        << "the empty UART slot is left out";
}

TEST(PortIdentity, StableNamesLeadToTheirDeviceWithAndWithoutUdevLinks)
{
    Machine m;
    const QString byId = m.roots.dev + QStringLiteral("/serial/by-id/");
    const QString byPath = m.roots.dev + QStringLiteral("/serial/by-path/");
    // Without /dev/serial the names are worked out from sysfs.
    for (const Known &k : kKnown) {
        EXPECT_EQ(resolvePortPath(byId + QLatin1String(k.byId), m.roots), m.node(k.device.tty)) << k.byId;
        EXPECT_EQ(resolvePortPath(byPath + QLatin1String(k.byPath), m.roots), m.node(k.device.tty)) << k.byPath;
        EXPECT_EQ(portDeviceNode(byId + QLatin1String(k.byId), m.roots), m.node(k.device.tty)) << k.byId;
    }
    const QString unknown = byId + QStringLiteral("usb-FTDI_FT232R_USB_UART_OTHER-if00-port0");
    const struct {
        QString port, resolved, node;
    } others[] = {
        {unknown, unknown, QString()},
        {byId, byId, QString()},
        {m.node(QStringLiteral("ttyUSB0")), m.node(QStringLiteral("ttyUSB0")), m.node(QStringLiteral("ttyUSB0"))},
        {QStringLiteral("ttyUSB1"), QStringLiteral("ttyUSB1"), m.node(QStringLiteral("ttyUSB1"))},
        {QStringLiteral("COM1"), QStringLiteral("COM1"), QString()},
    };
    for (const auto &o : others) {
        EXPECT_EQ(resolvePortPath(o.port, m.roots), o.resolved) << qPrintable(o.port);
        EXPECT_EQ(portDeviceNode(o.port, m.roots), o.node) << qPrintable(o.port);
    }

    // With udev's links present, the link decides.
    QDir().mkpath(byId);
    SysfsFixture::link(m.node(QStringLiteral("ttyUSB3")), byId + QLatin1String(kKnown[0].byId));
    EXPECT_EQ(resolvePortPath(byId + QLatin1String(kKnown[0].byId), m.roots), m.node(QStringLiteral("ttyUSB3")));
    EXPECT_EQ(describePort(byId + QLatin1String(kKnown[0].byId), m.roots), QLatin1String(kKnown[4].description));
}

TEST(PortIdentity, TheKeyFindsTheSameDeviceBackUnderAnotherNode)
{
    const Known &withSerial = kKnown[0], &withoutSerial = kKnown[1];
    QString keys[2];
    {
        Machine before;
        keys[0] = portIdentity(withSerial.device.tty, before.roots).key();
        keys[1] = portIdentity(withoutSerial.device.tty, before.roots).key();
        EXPECT_EQ(findPortByKey(keys[0], before.roots), before.node(withSerial.device.tty));
    }
    // Plugged in again: the one with a serial number into another socket, the other into the
    // same socket, and both got other numbers.
    SysfsFixture after;
    UsbSerial moved = withSerial.device, again = withoutSerial.device;
    moved.tty = QStringLiteral("ttyUSB7");
    moved.device = QStringLiteral("1-9");
    again.tty = QStringLiteral("ttyUSB4");
    after.add(moved);
    after.add(again);
    EXPECT_EQ(findPortByKey(keys[0], after.roots), after.node(QStringLiteral("ttyUSB7")));
    EXPECT_EQ(findPortByKey(keys[1], after.roots), after.node(QStringLiteral("ttyUSB4")));
    // Without a serial number, another socket is another device.
    SysfsFixture elsewhere;
    again.device = QStringLiteral("1-9");
    elsewhere.add(again);
    EXPECT_EQ(findPortByKey(keys[1], elsewhere.roots), QString());
    EXPECT_EQ(findPortByKey(QString(), elsewhere.roots), QString());
}
