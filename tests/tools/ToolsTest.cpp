#include "DemoStream.h"
#include "PortLinks.h"
#include "Printable.h"
#include "Pty.h"
#include "RuntimeFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QProcess>
#include <QTemporaryDir>
#include "Recording.h"
#include <QRegularExpression>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct Finished {
    int exitCode = -1;
    QByteArray out, err;
};

Finished run(const char *program, const QStringList &args)
{
    QProcess p;
    p.start(QString::fromLocal8Bit(program), args);
    Finished r;
    if (!p.waitForFinished(30000))
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// The simulator's closing line: messages sent, dropped and wake-ups.
struct Summary {
    qint64 sent = -1, dropped = -1, wakeups = -1;
};

Summary summaryOf(const QByteArray &err)
{
    static const QRegularExpression line(QStringLiteral("(\\d+) messages sent, (\\d+) dropped, (\\d+) wake-ups"));
    const auto m = line.match(QString::fromLocal8Bit(err));
    if (!m.hasMatch())
        return {};
    return {m.captured(1).toLongLong(), m.captured(2).toLongLong(), m.captured(3).toLongLong()};
}

TEST(Printable, ControlBytesAreEscaped)
{
    EXPECT_EQ(printable("#1M25.5<"), "#1M25.5<");
    EXPECT_EQ(printable(QByteArrayView("#2M\0x<", 6)), "#2M\\0x<");
    EXPECT_EQ(printable("\x1b]0;title\x07\x1b[2J"), "\\x1b]0;title\\x07\\x1b[2J");
    EXPECT_EQ(printable("a\tb\r\nc\\d"), "a\\tb\\r\\nc\\\\d");
    EXPECT_EQ(printable("\x7f\x9b\xff"), "\\x7f\\x9b\\xff");
}

TEST(DemoStream, DrivesEveryInstrumentWithWellFormedSmoothlyChangingValues)
{
    const QList<int> panel = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 35, 36, 40, 41, 42, 43, 44, 60, 90};
    DemoStream stream;
    QSet<int> seen;
    QMap<int, double> last, low, high;
    constexpr double kRate = 50; // the simulator's default
    for (int i = 0; i < int(kRate) * 180; ++i) {
        const double t = i / kRate;
        const QByteArray m = stream.next(t);
        SCOPED_TRACE(m.toStdString());
        // "#", id, "M", value, "<", and nothing that would end or start a message early.
        ASSERT_TRUE(m.startsWith('#') && m.endsWith('<'));
        const qsizetype sep = m.indexOf('M');
        bool ok = false;
        const int id = m.mid(1, sep - 1).toInt(&ok);
        ASSERT_TRUE(ok && sep > 1 && panel.contains(id));
        const QByteArray value = m.mid(sep + 1, m.size() - sep - 2);
        ASSERT_FALSE(value.isEmpty() || value.contains('<') || value.contains('#'));
        seen.insert(id);
        if (id == 35 || id == 36)
            continue;
        const double v = value.toDouble(&ok);
        ASSERT_TRUE(ok);
        if (id == 60) {
            EXPECT_EQ(value, QByteArray::number(int(v)));
            EXPECT_TRUE(v >= 0 && v <= 255);
            continue;
        }
        if (id == 40) {
            EXPECT_TRUE(v > 10 && v < 14);
        } else {
            EXPECT_TRUE(v > -5 && v < 105);
        }
        if (last.contains(id)) {
            EXPECT_LE(std::abs(v - last[id]), 6.0) << "instrument " << id << " jumps";
        }
        last[id] = v;
        low[id] = low.contains(id) ? std::min(low[id], v) : v;
        high[id] = high.contains(id) ? std::max(high[id], v) : v;
    }
    EXPECT_EQ(seen, QSet<int>(panel.begin(), panel.end()));
    for (auto it = low.cbegin(); it != low.cend(); ++it)
        EXPECT_GE(high[it.key()] - it.value(), it.key() == 40 ? 0.5 : 20.0) << "instrument " << it.key() << " hardly moves";
}

TEST(Monitor, ShowsDeviceBytesEscapedAndNamesBadArguments)
{
    Pty pty;
    termios raw{};
    ASSERT_EQ(tcgetattr(pty.master, &raw), 0);
    cfmakeraw(&raw);
    ASSERT_EQ(tcsetattr(pty.master, TCSANOW, &raw), 0);
    // Queued before the monitor opens the port: it reads them at once.
    pty.write(QByteArrayView("#1M\x1b]0;owned\x07<#2M\0x<#3M\\<", 26));
    QProcess monitor;
    monitor.start(QStringLiteral(TG_MONITOR_PATH), {pty.slave, QStringLiteral("115200")});
    ASSERT_TRUE(monitor.waitForStarted());
    QByteArray out;
    ASSERT_TRUE(waitFor([&] {
        out += monitor.readAllStandardOutput();
        return out.contains("#3M");
    }, 10000)) << out.toStdString();
    ::kill(pid_t(monitor.processId()), SIGTERM);
    ASSERT_TRUE(monitor.waitForFinished(10000));
    out += monitor.readAllStandardOutput();
    EXPECT_TRUE(out.startsWith("#1M\\x1b]0;owned\\x07<\n#2M\\0x<\n#3M\\\\<\n")) << out.toStdString();
    EXPECT_FALSE(out.contains('\x1b'));

    Finished r = run(TG_MONITOR_PATH, {pty.slave, QStringLiteral("96x0")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("bad baud rate \"96x0\"")) << r.err.toStdString();
    r = run(TG_MONITOR_PATH, {QStringLiteral("--help")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith("usage:"));
    EXPECT_TRUE(r.err.isEmpty());
}

TEST(Monitor, TakesTheLockFileAndSaysWhyAPortCannotBeOpened)
{
    Pty pty;
    const QString lockFile = QStringLiteral("/run/lock/LCK..pts_") + pty.slave.section(u'/', -1);
    QProcess first;
    first.start(QStringLiteral(TG_MONITOR_PATH), {pty.slave});
    ASSERT_TRUE(first.waitForStarted());
    const QByteArray firstPid = QByteArray::number(first.processId());
    const QDir fds(QStringLiteral("/proc/") + firstPid + QStringLiteral("/fd"));
    auto holdsOpen = [&] {
        for (const QString &fd : fds.entryList(QDir::System | QDir::NoDotAndDotDot))
            if (QFile::symLinkTarget(fds.filePath(fd)) == pty.slave)
                return true;
        return false;
    };
    // Terminal programs see the port taken: the lock file names the monitor.
    auto lockFileNamesIt = [&] {
        QFile f(lockFile);
        return f.open(QIODevice::ReadOnly) && f.readAll() == firstPid.rightJustified(10, ' ') + '\n';
    };
    if (::access("/run/lock", W_OK) == 0)
        ASSERT_TRUE(waitFor(lockFileNamesIt)) << qPrintable(lockFile);
    else
        ASSERT_TRUE(waitFor(holdsOpen));
    const Finished second = run(TG_MONITOR_PATH, {pty.slave});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(second.err.contains(pty.slave.toLocal8Bit() + " is in use:\n- tavelgrid-monitor (pid " + firstPid + ") holds "))
        << second.err.toStdString();
    ::kill(pid_t(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_FALSE(QFile::exists(lockFile)) << "the lock file goes with the monitor";

    const Finished missing = run(TG_MONITOR_PATH, {QStringLiteral("ttyTavelgridNone")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("\n/dev/ttyTavelgridNone does not exist.\n")) << missing.err.toStdString();

    // A user outside the group that may use the device is told which group to join.
    const group *dialout = ::getgrnam("dialout");
    if (::geteuid() != 0 || !dialout)
        GTEST_SKIP() << "needs root to run the monitor as another user";
    const QByteArray slave = QFile::encodeName(pty.slave);
    ASSERT_EQ(::chown(slave.constData(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(slave.constData(), 0660), 0);
    QProcess other;
    other.setChildProcessModifier([] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(126);
    });
    other.start(QStringLiteral(TG_MONITOR_PATH), {pty.slave});
    ASSERT_TRUE(other.waitForFinished(30000));
    const QByteArray err = other.readAllStandardError();
    EXPECT_EQ(other.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains("belongs to the group \"dialout\"")) << err.toStdString();
    EXPECT_TRUE(err.contains("\n    sudo usermod -aG dialout $USER\nthen log out and in again.")) << err.toStdString();
}

TEST(Simulator, NamesWhatIsWrongWithItsOptions)
{
    Finished r = run(TG_SIM_PATH, {QStringLiteral("--rate"), QStringLiteral("fast")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith("tavelgrid-sim: bad value for --rate: \"fast\"\n")) << r.err.toStdString();
    r = run(TG_SIM_PATH, {QStringLiteral("--speed"), QStringLiteral("3")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith("tavelgrid-sim: unknown option --speed\n")) << r.err.toStdString();
    r = run(TG_SIM_PATH, {QStringLiteral("--noise")});
    EXPECT_TRUE(r.err.startsWith("tavelgrid-sim: --noise needs a value\n")) << r.err.toStdString();
    r = run(TG_SIM_PATH, {QStringLiteral("--help")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith("usage:"));
}

TEST(Simulator, SendsOnlyWhileSomebodyHasThePortOpenAndSleepsBetweenMessages)
{
    ScopedRuntimeFolder runtime;
    // Nobody connects: everything is lost, as on a line with no receiver.
    Finished alone = run(TG_SIM_PATH, {QStringLiteral("--rate"), QStringLiteral("200"), QStringLiteral("--duration"),
                                  QStringLiteral("0.5")});
    const Summary unheard = summaryOf(alone.err);
    EXPECT_EQ(unheard.sent, 0) << alone.err.toStdString();
    EXPECT_GT(unheard.dropped, 0);

    // Somebody listens for a while.
    QProcess sim;
    sim.start(QStringLiteral(TG_SIM_PATH), {QStringLiteral("--rate"), QStringLiteral("200"), QStringLiteral("--duration"),
                                            QStringLiteral("1.5"), QStringLiteral("--quiet")});
    ASSERT_TRUE(sim.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return sim.canReadLine(); }, 10000));
    const QByteArray path = sim.readLine().trimmed();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    QByteArray received;
    for (int polls = 0; received.count('<') < 20 && polls < 1000; ++polls) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10) > 0) {
            char buf[4096];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0)
                received.append(buf, n);
        }
    }
    ::close(fd);
    EXPECT_GE(received.count('<'), 20);
    EXPECT_TRUE(received.startsWith('#')) << "the first bytes are a fresh message";
    ASSERT_TRUE(sim.waitForFinished(10000));
    const Summary heard = summaryOf(sim.readAllStandardError());
    EXPECT_GE(heard.sent, 20);
    // Each message costs a wake-up or two, never a spin up to its due time.
    EXPECT_LE(heard.wakeups, 3 * (heard.sent + heard.dropped) + 20);
}

TEST(Simulator, AKilledSimulatorLeavesNoListedPort)
{
    ScopedRuntimeFolder runtime;
    QProcess sim;
    sim.start(QStringLiteral(TG_SIM_PATH), {QStringLiteral("--link"), QStringLiteral("killed")});
    ASSERT_TRUE(sim.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return sim.canReadLine(); }, 10000));
    const QString link = QString::fromLocal8Bit(sim.readLine().trimmed());
    EXPECT_EQ(tg::platform::announcedPorts(), QStringList{link});
    const QString pty = QFileInfo(link).symLinkTarget();
    sim.kill();
    ASSERT_TRUE(sim.waitForFinished(10000));
    // The pty number is free again and the next terminal may well get it.
    Pty next;
    SCOPED_TRACE(("old pty " + pty + ", new " + next.slave).toStdString());
    EXPECT_TRUE(tg::platform::announcedPorts().isEmpty());
    EXPECT_FALSE(QFileInfo(link).isSymLink());

    // The name is free for the next simulator.
    QProcess again;
    again.start(QStringLiteral(TG_SIM_PATH), {QStringLiteral("--link"), QStringLiteral("killed")});
    ASSERT_TRUE(again.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return again.canReadLine(); }, 10000));
    EXPECT_EQ(QString::fromLocal8Bit(again.readLine().trimmed()), link);
    again.terminate();
    EXPECT_TRUE(again.waitForFinished(10000));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

} // namespace

TEST(Simulator, ReplaysTheRecordsOfASavedRecordingAndRefusesADamagedOne)
{
    ScopedRuntimeFolder runtime;
    QTemporaryDir dir;
    tg::journal::Journal journal;
    journal.append(1000, "#1M2<", 5);
    journal.append(9000, "#3M4<", 5);
    QByteArray file;
    tg::journal::writeRecording(journal, [&file](std::string_view b) {
        file.append(b.data(), qsizetype(b.size()));
        return true;
    });
    const QString name = dir.filePath(QStringLiteral("run.tgrec"));
    QFile out(name);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(file.chopped(3));
    out.close();
    Finished damaged = run(TG_SIM_PATH, {QStringLiteral("--replay"), name});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_TRUE(damaged.err.contains("truncated record at byte 33")) << damaged.err.toStdString();

    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(file);
    out.close();
    QProcess sim;
    sim.start(QStringLiteral(TG_SIM_PATH), {QStringLiteral("--replay"), name, QStringLiteral("--rate"), QStringLiteral("0"),
                                            QStringLiteral("--duration"), QStringLiteral("5"), QStringLiteral("--quiet")});
    ASSERT_TRUE(sim.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return sim.canReadLine(); }, 10000));
    const QByteArray path = sim.readLine().trimmed();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    QByteArray received;
    for (int polls = 0; received.size() < 40 && polls < 1000; ++polls) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10) > 0) {
            char buf[4096];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0)
                received.append(buf, n);
        }
    }
    ::close(fd);
    sim.terminate();
    sim.waitForFinished(10000);
    EXPECT_TRUE(received.contains("#1M2<#3M4<#1M2<")) << received.toStdString();
}
