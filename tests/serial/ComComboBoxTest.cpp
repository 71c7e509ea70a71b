#include "../platform/SysfsFixture.h"
#include "ComComboBox.h"
#include "ComPort.h"
#include "EComPort.h"
#include "PortIdentity.h"
#include "PortItemDelegate.h"
#include "PortLinks.h"
#include "Pty.h"
#include "RuntimeFolder.h"
#include "SerialPorts.h"

#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Com;
using namespace ComSelect;

namespace {

// A /sys/class/tty look-alike: each entry gets a device folder and the attributes given.
void addTty(const QString &root, const QString &name, bool device, const QByteArray &type = "4",
            const QByteArray &console = "N")
{
    QDir(root).mkpath(name);
    const QString dir = root + u'/' + name;
    if (device)
        QDir(dir).mkpath(QStringLiteral("device"));
    for (const auto &[attr, value] : {std::pair{"type", type}, std::pair{"console", console}}) {
        QFile f(dir + u'/' + QLatin1String(attr));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(value + '\n');
    }
}

QStringList items(const QComboBox &c)
{
    QStringList l;
    for (int i = 0; i < c.count(); ++i)
        l << c.itemText(i);
    return l;
}

TEST(ComComboBox, PortListHasRealAndAnnouncedPortsSortedAsText)
{
    ScopedRuntimeFolder runtime;
    QTemporaryDir sys;
    addTty(sys.path(), QStringLiteral("ttyUSB2"), true);
    addTty(sys.path(), QStringLiteral("ttyUSB10"), true);
    addTty(sys.path(), QStringLiteral("ttyACM0"), true);
    addTty(sys.path(), QStringLiteral("ttyS1"), true, "4");
    addTty(sys.path(), QStringLiteral("ttyS0"), true, "0");       // empty legacy UART slot
    addTty(sys.path(), QStringLiteral("ttyS2"), true, "4", "Y");  // the machine's console
    addTty(sys.path(), QStringLiteral("tty3"), false);            // virtual console
    Pty sim;
    tg::platform::PortAnnouncement announced;
    ASSERT_TRUE(announced.announce(QString(), sim.slave));

    TComComboBox box;
    box.SetPortLister([&] { return tg::platform::listSerialPorts(sys.path()); });
    box.SetComProperty(cpPort);
    EXPECT_EQ(items(box), (QStringList{"/dev/ttyACM0", "/dev/ttyS1", "/dev/ttyUSB10", "/dev/ttyUSB2", announced.path()}));
    EXPECT_EQ(box.Text(), QStringLiteral("/dev/ttyACM0")) << "no port attached: the first entry";

    TComPort port;
    box.SetComPort(&port);
    EXPECT_EQ(box.currentIndex(), -1) << "the port's COM1 is not listed";
    EXPECT_EQ(box.Text(), QString());
    box.SetText(QStringLiteral("COM10"));
    EXPECT_EQ(box.currentIndex(), -1) << "a text that is not listed selects nothing";
    box.SetText(QStringLiteral("/DEV/TTYUSB2"));
    EXPECT_EQ(box.Text(), QStringLiteral("/dev/ttyUSB2"));
    EXPECT_EQ(port.Port(), QStringLiteral("COM1")) << "selecting by program does not apply";

    // A port that appears later is offered the next time the list opens; the choice stays.
    addTty(sys.path(), QStringLiteral("ttyUSB0"), true);
    box.showPopup();
    box.hidePopup();
    EXPECT_EQ(box.count(), 6);
    EXPECT_EQ(box.Text(), QStringLiteral("/dev/ttyUSB2"));

    // No ports at all: an empty list, nothing selected, nothing reported.
    announced.withdraw();
    TComComboBox empty;
    empty.SetPortLister([] { return tg::platform::listSerialPorts(QStringLiteral("/nonexistent")); });
    empty.SetComProperty(cpPort);
    EXPECT_EQ(empty.count(), 0);
    EXPECT_EQ(empty.Text(), QString());
}

TEST(ComComboBox, PortsShowWhatTheDeviceIsBesideAnUnchangedName)
{
    ScopedRuntimeFolder runtime;
    SysfsFixture sys;
    sys.add({"ttyUSB0", kPci, "1-2", "0403", "6001", "FTDI", "FT232R USB UART", "A50285BI"});
    sys.add({"ttyACM0", kPci, "1-3", "1209", "2301", "Board Maker (board.example)", "", "85736323838351F0B1A1"});
    sys.addUart(QStringLiteral("ttyS1"), QStringLiteral("4"));
    TComComboBox box;
    box.SetPortLister([&] { return tg::platform::listSerialPorts(sys.roots); });
    box.SetPortDescriber([&](const QString &port) { return tg::platform::describePort(port, sys.roots); });
    box.SetComProperty(cpPort);
    const struct {
        QString port, description;
    } expected[] = {
        {sys.node("ttyACM0"), "Board Maker (board.example), serial 85736323838351F0B1A1 (1209:2301)"},
        {sys.node("ttyS1"), ""},
        {sys.node("ttyUSB0"), "FTDI FT232R USB UART, serial A50285BI (0403:6001)"},
    };
    ASSERT_EQ(box.count(), 3);
    for (int i = 0; i < 3; ++i) {
        const QModelIndex index = box.model()->index(i, 0);
        EXPECT_EQ(box.itemText(i), expected[i].port);
        EXPECT_EQ(box.itemData(i, Qt::ToolTipRole).toString(), expected[i].description);
        const QString label = expected[i].port + QStringLiteral(" \u2014 ") + expected[i].description;
        EXPECT_EQ(PortItemDelegate::Label(index), expected[i].description.isEmpty() ? expected[i].port : label);
    }
    // The list draws the description; what is picked is the name alone.
    box.showPopup();
    const QModelIndex usb = box.model()->index(2, 0);
    EXPECT_GT(box.view()->itemDelegate()->sizeHint(QStyleOptionViewItem(), usb).width(),
              box.fontMetrics().horizontalAdvance(expected[2].port + QStringLiteral(" FTDI FT232R USB UART")));
    EXPECT_GE(box.view()->width(), box.view()->sizeHintForColumn(0)) << "the open list is wide enough for them";
    box.hidePopup();
    TComPort port;
    box.SetComPort(&port);
    box.SetAutoApply(true);
    box.setCurrentIndex(2);
    box.Change();
    EXPECT_EQ(box.Text(), expected[2].port);
    EXPECT_EQ(port.Port(), expected[2].port);
}

TEST(ComComboBox, TheOpenListFollowsPortsThatComeAndGo)
{
    ScopedRuntimeFolder runtime;
    SysfsFixture sys;
    sys.addUart(QStringLiteral("ttyS1"), QStringLiteral("4"));
    TComComboBox box;
    box.SetPortLister([&] { return tg::platform::listSerialPorts(sys.roots); });
    box.SetComProperty(cpPort);
    box.show();
    ASSERT_EQ(items(box), QStringList{sys.node("ttyS1")});
    auto watchers = [&] { return box.findChildren<QFileSystemWatcher *>().size(); };
    EXPECT_EQ(watchers(), 0) << "nothing is watched while the list is closed";

    box.showPopup();
    ASSERT_TRUE(box.view()->isVisible());
    EXPECT_EQ(watchers(), 1);
    Pty sim;
    tg::platform::PortAnnouncement announced;
    ASSERT_TRUE(announced.announce(QString(), sim.slave));
    ASSERT_TRUE(QTest::qWaitFor([&] { return box.count() == 2; })) << "a port that comes while the list is open shows up";
    const int i = box.findText(announced.path());
    ASSERT_GE(i, 0);
    EXPECT_EQ(box.itemData(i, Qt::ToolTipRole).toString(), QStringLiteral("virtual port (pseudo-terminal ") + sim.slave + u')');
    EXPECT_EQ(box.Text(), sys.node("ttyS1")) << "the selection stays";
    EXPECT_TRUE(box.view()->isVisible()) << "the list stays open";
    announced.withdraw();
    EXPECT_TRUE(QTest::qWaitFor([&] { return box.count() == 1; })) << "a port that goes while the list is open goes from it";

    box.hidePopup();
    EXPECT_EQ(watchers(), 0);
}

struct PortPick : ::testing::Test {
    Pty a, b;
    TComPort port;
    TComComboBox box;
    int changes = 0;
    void SetUp() override
    {
        box.SetPortLister([this] { return QStringList{a.slave, b.slave, QStringLiteral("/dev/tavelgrid-missing")}; });
        box.SetComProperty(cpPort);
        port.SetPort(a.slave);
        box.SetComPort(&port);
        box.OnChange = [this](QObject *sender) {
            EXPECT_EQ(sender, &box);
            ++changes;
        };
    }
    void pick(const QString &text)
    {
        box.setCurrentIndex(box.findText(text));
        box.Change();
    }
};

TEST_F(PortPick, WithAutoApplyAnOpenPortMovesToThePickedDevice)
{
    EXPECT_EQ(box.Text(), a.slave);
    box.SetAutoApply(true);
    port.Open();
    ASSERT_TRUE(port.Connected());
    pick(b.slave);
    EXPECT_EQ(port.Port(), b.slave);
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(changes, 1);
    port.WriteText("x");
    EXPECT_EQ(b.read(1), QByteArray("x")) << "the reopened port writes to the picked device";

    // Moving an open port to a missing device fails to the caller of the pick.
    try {
        pick(QStringLiteral("/dev/tavelgrid-missing"));
        ADD_FAILURE() << "no failure reported";
    } catch (const EComPort &e) {
        EXPECT_EQ(e.Code(), 1);
        EXPECT_EQ(e.WinCode(), 2);
    }
    EXPECT_FALSE(port.Connected());
}

TEST_F(PortPick, WithoutAutoApplyThePickIsHeldUntilApplied)
{
    // A real pick through the keyboard, as the user makes it.
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(box.Text(), b.slave);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(port.Port(), a.slave);
    box.ApplySettings();
    EXPECT_EQ(port.Port(), b.slave);
}

TEST_F(PortPick, APortNamedByALinkSelectsItsDeviceAndKeepsItsName)
{
    // A stable name such as /dev/serial/by-id/... is a link to the device the list names.
    QTemporaryDir dir;
    const QString toA = dir.filePath(QStringLiteral("usb-Board_A-if00")), toB = dir.filePath(QStringLiteral("usb-Board_B-if00"));
    ASSERT_TRUE(QFile::link(a.slave, toA) && QFile::link(b.slave, toB));
    TComPort named;
    named.SetPort(toB);
    box.SetComPort(&named);
    EXPECT_EQ(box.Text(), b.slave);
    box.ApplySettings();
    EXPECT_EQ(named.Port(), toB) << "the port keeps the name it was given";

    box.SetText(toA);
    EXPECT_EQ(box.Text(), a.slave);
    box.SetText(QStringLiteral("COM1"));
    EXPECT_EQ(box.Text(), a.slave) << "a name of no device present selects nothing else";
    named.SetPort(dir.filePath(QStringLiteral("usb-Gone-if00")));
    box.SetComPort(&port);
    box.SetComPort(&named);
    EXPECT_EQ(box.currentIndex(), -1);
}

TEST_F(PortPick, TheDestroyedPortIsForgotten)
{
    auto other = std::make_unique<TComPort>();
    box.SetComPort(other.get());
    other.reset();
    EXPECT_EQ(box.ComPort(), nullptr);
    EXPECT_EQ(box.currentIndex(), 0);
    pick(b.slave); // must not touch the gone port
    EXPECT_EQ(port.Port(), a.slave) << "the first port was let go when the second was attached";
}

TEST(ComComboBox, FixedListsFollowAndSetThePortValue)
{
    TComPort port;
    port.SetBaudRate(brCustom);
    port.SetStopBits(sbTwoStopBits);
    port.Parity()->SetBits(prEven);
    port.FlowControl()->SetFlowControl(fcHardware);
    struct Case {
        TComProperty property;
        int entries;
        QString shown, pick;
        std::function<bool()> applied;
    };
    const Case cases[] = {
        {cpBaudRate, 16, "Custom", "57600", [&] { return port.BaudRate() == br57600; }},
        {cpDataBits, 4, "8", "7", [&] { return port.DataBits() == dbSeven; }},
        {cpStopBits, 3, "2", "1.5", [&] { return port.StopBits() == sbOne5StopBits; }},
        {cpParity, 5, "Even", "Mark", [&] { return port.Parity()->Bits() == prMark; }},
        {cpFlowControl, 4, "Hardware", "Software", [&] { return port.FlowControl()->FlowControl() == fcSoftware; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.shown.toStdString());
        TComComboBox box;
        box.SetComPort(&port);
        box.SetAutoApply(true);
        box.SetComProperty(c.property);
        EXPECT_EQ(box.count(), c.entries);
        EXPECT_EQ(box.Text(), c.shown);
        box.setCurrentIndex(box.findText(c.pick));
        box.Change();
        EXPECT_TRUE(c.applied());
    }
    TComComboBox none;
    none.SetComPort(&port);
    none.SetComProperty(cpNone);
    EXPECT_EQ(none.count(), 0);
}

} // namespace
