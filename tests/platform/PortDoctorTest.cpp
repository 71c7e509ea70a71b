#include "Holder.h"
#include "PortDoctor.h"
#include "PortLockFile.h"
#include "Processes.h"
#include "Pty.h"
#include "RuntimeFolder.h"
#include "SerialDevice.h"
#include "SysfsFixture.h"

#include <gtest/gtest.h>
#include <QTest>
#include <grp.h>
#include <sys/stat.h>

using namespace tg::platform;

namespace {

const UsbSerial kConverter{"ttyUSB0", kPci, "1-2", "0403", "6001", "FTDI", "FT232R USB UART", "A50285BI"};
const UsbSerial kBoard{"ttyACM0", kPci, "1-3", "1209", "2301", "Board Maker (board.example)", "", "85736323838351F0B1A1"};

} // namespace

TEST(PortDoctor, NamesWhoHoldsAPortInUse)
{
    Pty pty;
    PrivateLocks system;
    const QString lockFile = system.dir.filePath(lockFileName(pty.slave));
    const QString line = QStringLiteral("\n- sleep (pid %1) ");
    const struct {
        const char *what;
        Holder::Hold hold;
        bool takesLockFile;
        QString says;
    } cases[] = {
        {"a terminal program's lock file", Holder::Nothing, true, line + QStringLiteral("holds its lock file ") + lockFile},
        {"the kernel's lock", Holder::Lock, false, line + QStringLiteral("holds a lock on it\n")},
        {"an open descriptor", Holder::Open, false, line + QStringLiteral("has it open\n")},
        {"all of them, named once", Holder::Lock, true, line + QStringLiteral("holds its lock file ") + lockFile + u'\n'},
    };
    for (const auto &c : cases) {
        Holder holder(pty.slave, c.hold);
        ASSERT_EQ(holder.p.state(), QProcess::Running) << c.what;
        if (c.takesLockFile) {
            QFile f(lockFile);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray::number(holder.pid()).rightJustified(10, ' ') + '\n');
        }
        if (c.hold == Holder::Lock) {
            SerialDevice device;
            EXPECT_EQ(device.open(pty.slave), EBUSY) << c.what;
        }
        const QString text = explainOpenFailure(pty.slave, EBUSY, system.roots);
        EXPECT_TRUE(text.startsWith(pty.slave + QStringLiteral(" is in use:\n"))) << qPrintable(text);
        EXPECT_TRUE(text.contains(c.says.arg(holder.pid()))) << c.what << "\n" << qPrintable(text);
        EXPECT_EQ(text.count(QStringLiteral("(pid ")), 1) << qPrintable(text);
        EXPECT_TRUE(text.contains(QStringLiteral("Close the port in that program (or end it) and try again."))) << c.what;
        QFile::remove(lockFile);
    }

    // This program itself, through another of its ports.
    {
        SerialDevice mine;
        ASSERT_EQ(mine.open(pty.slave), 0);
        const QString text = explainOpenFailure(pty.slave, EWOULDBLOCK, system.roots);
        const QString self = QStringLiteral("(pid %1, this program) holds a lock on it").arg(::getpid());
        EXPECT_TRUE(text.contains(self)) << qPrintable(text);
    }
    const QString nobody = explainOpenFailure(pty.slave, EBUSY, system.roots);
    EXPECT_TRUE(nobody.contains(QStringLiteral("names itself in no lock file or lock"))) << qPrintable(nobody);
    EXPECT_FALSE(nobody.contains(QStringLiteral("pid")));

    system.roots.lockDirs = {QStringLiteral("/nonexistent/lock")};
    const QString unlocked = explainOpenFailure(pty.slave, EBUSY, system.roots);
    EXPECT_TRUE(unlocked.contains(QStringLiteral("No lock folder (/nonexistent/lock) can be written, so this program "
                                                 "takes no lock file")))
        << qPrintable(unlocked);
}

TEST(PortDoctor, NamesServicesThatGrabNewUsbSerialDevices)
{
    const QStringList services{QStringLiteral("ModemManager"), QStringLiteral("brltty")};
    if (!processesNamed(services).isEmpty())
        GTEST_SKIP() << "these services run on this machine";
    SysfsFixture f;
    f.add(kConverter);
    Pty pty;
    const QString usb = f.node(QStringLiteral("ttyUSB0")), gone = f.node(QStringLiteral("ttyUSB1"));
    auto mentions = [](const QString &text) {
        return QStringList{text.contains(QStringLiteral("ModemManager is running")) ? "ModemManager" : "",
                           text.contains(QStringLiteral("brltty is running")) ? "brltty" : ""}
            .join(u' ')
            .trimmed();
    };
    EXPECT_EQ(mentions(explainOpenFailure(usb, EBUSY, f.roots)), QString());

    // Programs of those names, as the services' processes are named.
    QTemporaryDir bin;
    std::vector<std::unique_ptr<Holder>> running;
    for (const QString &name : services) {
        ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), bin.filePath(name)));
        QFile::setPermissions(bin.filePath(name), QFile::ReadOwner | QFile::ExeOwner);
        running.push_back(std::make_unique<Holder>(QString(), Holder::Nothing, bin.filePath(name)));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return processesNamed(services).size() == 2; }));
    const QString busy = explainOpenFailure(usb, EBUSY, f.roots);
    EXPECT_EQ(mentions(busy), QStringLiteral("ModemManager brltty"));
    EXPECT_TRUE(busy.contains(QStringLiteral("\"sudo systemctl stop ModemManager\""))) << qPrintable(busy);
    EXPECT_TRUE(busy.contains(QStringLiteral("\"sudo apt remove brltty\""))) << qPrintable(busy);
    // Only brltty makes a port go away.
    const QString missing = explainOpenFailure(gone, ENOENT, f.roots);
    EXPECT_EQ(mentions(missing), QStringLiteral("brltty"));
    EXPECT_TRUE(missing.contains(QStringLiteral("and their port disappears"))) << qPrintable(missing);
    // Neither touches a pseudo-terminal.
    EXPECT_EQ(mentions(explainOpenFailure(pty.slave, EBUSY)), QString());
}

TEST(PortDoctor, PermissionDeniedNamesTheGroupToJoinAndTheCommand)
{
    const group *dialout = ::getgrnam("dialout");
    if (::geteuid() != 0 || !dialout)
        GTEST_SKIP() << "needs root to hand a device to the group dialout";
    Pty pty;
    const QByteArray slave = QFile::encodeName(pty.slave);
    ASSERT_EQ(::chown(slave.constData(), 0, dialout->gr_gid), 0);
    const struct {
        mode_t mode;
        QString says;
    } cases[] = {
        {0660, QStringLiteral("Permission denied: %1 belongs to the group \"dialout\" (owner \"root\", group "
                              "\"dialout\", crw-rw----), and the user \"root\" is not in it. Add the user to the group "
                              "with\n    sudo usermod -aG dialout $USER\nthen log out and in again.")},
        {0600, QStringLiteral("Permission denied: only the owner of %1 may open it (owner \"root\", group "
                              "\"dialout\", crw-------).")},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(::chmod(slave.constData(), c.mode), 0);
        EXPECT_EQ(explainOpenFailure(pty.slave, EACCES), c.says.arg(pty.slave));
    }
}

TEST(PortDoctor, AMissingPortListsThePortsPresent)
{
    ScopedRuntimeFolder runtime; // no announced ports
    SysfsFixture f;
    f.add(kConverter);
    f.add(kBoard);
    const QString present =
        QStringLiteral("Ports present:\n"
                       "  %1/ttyACM0 \u2014 Board Maker (board.example), serial 85736323838351F0B1A1 (1209:2301)\n"
                       "  %1/ttyUSB0 \u2014 FTDI FT232R USB UART, serial A50285BI (0403:6001)")
            .arg(f.roots.dev);
    const QString byId = f.roots.dev + QStringLiteral("/serial/by-id/usb-FTDI_FT232R_USB_UART_OTHER-if00-port0");
    const QString known = f.roots.dev + QStringLiteral("/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    const struct {
        QString port;
        int err;
        QString says;
    } cases[] = {
        {QStringLiteral("ttyUSB9"), ENOENT, f.node(QStringLiteral("ttyUSB9")) + QStringLiteral(" does not exist.\n") + present},
        {byId, ENOENT, byId + QStringLiteral(" does not exist.\nNo device plugged in has this name.\n") + present},
        // Another name of a device present is told with the device it stands for.
        {known, ENXIO,
         known + QStringLiteral(" (that is ") + f.node(QStringLiteral("ttyUSB0")) + QStringLiteral("): ") +
             QString::fromLocal8Bit(std::strerror(ENXIO)) + u'.'},
    };
    for (const auto &c : cases)
        EXPECT_EQ(explainOpenFailure(c.port, c.err, f.roots), c.says);

    SysfsFixture empty;
    EXPECT_EQ(explainOpenFailure(QStringLiteral("COM1"), ENOENT, empty.roots),
              empty.node(QStringLiteral("COM1")) +
                  QStringLiteral(" does not exist.\nNo serial port is present: is the device plugged in and switched on?"));
}
