#include "DemoStream.h"
#include "PortLinks.h"
#include "Printable.h"
#include "Pty.h"
#include "RuntimeFolder.h"
#include "ToolRun.h"

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
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

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

TEST(Gallery, AnOptionIsNeverTakenForTheOutputFolder)
{
    QTemporaryDir cwd;
    const struct Row {
        QStringList args;
        int exitCode;
        const char *says; // the start of what it prints (on stdout for help, else stderr)
    } rows[] = {
        {{QStringLiteral("--help")}, 0, "usage: tavelgrid-gallery"},
        {{QStringLiteral("-h")}, 0, "usage: tavelgrid-gallery"},
        {{QStringLiteral("--ratio"), QStringLiteral("2"), QStringLiteral("--help")}, 0, "usage: tavelgrid-gallery"},
        {{QStringLiteral("--colour")}, 2, "tavelgrid-gallery: unknown option --colour\nusage:"},
        {{QStringLiteral("out"), QStringLiteral("-x")}, 2, "tavelgrid-gallery: unknown option -x\nusage:"},
        {{QStringLiteral("out"), QStringLiteral("more")}, 2, "tavelgrid-gallery: one output folder only"},
        {{QStringLiteral("--ratio")}, 2, "tavelgrid-gallery: --ratio needs a value"},
        {{}, 2, "tavelgrid-gallery: no output folder given"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.args.join(u' ').toStdString());
        const Finished r = run(TG_GALLERY_PATH, row.args, cwd.path());
        EXPECT_EQ(r.exitCode, row.exitCode);
        EXPECT_TRUE((row.exitCode == 0 ? r.out : r.err).startsWith(row.says)) << r.out.constData() << r.err.constData();
        EXPECT_TRUE(QDir(cwd.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) << "nothing written";
    }
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
