// The monitor as scripts and users run it: the real binary on a pseudo-terminal that plays
// the device.
#include "IniImage.h"
#include "Pty.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <cfloat>
#include <csignal>
#include <grp.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Bytes queued before the monitor opens the port are read at once, unchanged.
void makeRaw(const Pty &pty)
{
    termios raw{};
    ASSERT_EQ(tcgetattr(pty.master, &raw), 0);
    cfmakeraw(&raw);
    ASSERT_EQ(tcsetattr(pty.master, TCSANOW, &raw), 0);
}

// Every line of out as a JSON object, read by a real JSON parser; a line that is not one
// fails the test.
QList<QJsonObject> jsonLines(const QByteArray &out)
{
    QList<QJsonObject> objects;
    QList<QByteArray> lines = out.split('\n');
    EXPECT_TRUE(lines.takeLast().isEmpty()) << "the last line is complete";
    for (const QByteArray &line : lines) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
        EXPECT_TRUE(error.error == QJsonParseError::NoError && doc.isObject())
            << qPrintable(error.errorString()) << ": " << line.toStdString();
        objects += doc.object();
    }
    return objects;
}

QStringList withPort(QStringList args, const QString &port)
{
    args.replaceInStrings(QStringLiteral("PTY"), port);
    return args;
}

TEST(Monitor, ShowsDeviceBytesEscapedAndNamesBadArguments)
{
    Pty pty;
    makeRaw(pty);
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
    EXPECT_EQ(second.exitCode, 3);
    EXPECT_TRUE(second.err.contains(pty.slave.toLocal8Bit() + " is in use:\n- tavelgrid-monitor (pid " + firstPid + ") holds "))
        << second.err.toStdString();
    ::kill(pid_t(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_FALSE(QFile::exists(lockFile)) << "the lock file goes with the monitor";

    const Finished missing = run(TG_MONITOR_PATH, {QStringLiteral("ttyTavelgridNone")});
    EXPECT_EQ(missing.exitCode, 3);
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
    EXPECT_EQ(other.exitCode(), 3) << err.toStdString();
    EXPECT_TRUE(err.contains("belongs to the group \"dialout\"")) << err.toStdString();
    EXPECT_TRUE(err.contains("\n    sudo usermod -aG dialout $USER\nthen log out and in again.")) << err.toStdString();
}

TEST(Monitor, ExitStatusTellsUsageUnopenablePortAndDoneApart)
{
    Pty pty;
    struct Case {
        QStringList args; // PTY stands for the pseudo-terminal
        int exitCode;
        const char *err; // in standard error
        int lines;       // on standard output, each a JSON object
    };
    const auto s = [](const char *text) { return QString::fromLatin1(text); };
    const Case cases[] = {
        {{s("--json")}, 2, "no port given", 0},
        {{s("--json"), s("PTY"), s("--for")}, 2, "--for needs a value", 0},
        {{s("--json"), s("--for"), s("-1"), s("PTY")}, 2, "bad value for --for: \"-1\"", 0},
        {{s("--json"), s("--for"), s("9e9"), s("PTY")}, 2, "bad value for --for: \"9e9\"", 0},
        {{s("--json"), s("--count"), s("0"), s("PTY")}, 2, "bad value for --count: \"0\"", 0},
        {{s("--json"), s("--count"), s("2.5"), s("PTY")}, 2, "bad value for --count: \"2.5\"", 0},
        {{s("--stats"), s("PTY")}, 2, "--stats goes with --json", 0},
        {{s("--quiet"), s("--json"), s("PTY")}, 2, "with --json use --stats", 0},
        {{s("--jsn"), s("PTY")}, 2, "unknown option --jsn", 0},
        {{s("--json"), s("ttyTavelgridNone")}, 3, "\n/dev/ttyTavelgridNone does not exist.\n", 0},
        // A silent device: --for ends the run, with nothing to say but the closing statistics.
        {{s("--json"), s("--for"), s("0.2"), s("PTY")}, 0, "", 0},
        {{s("--json"), s("--stats"), s("--for"), s("0.2"), s("PTY")}, 0, "", 1},
        {{s("--for"), s("0"), s("PTY"), s("115200")}, 0, "", 0},
    };
    for (const Case &c : cases) {
        const QStringList args = withPort(c.args, pty.slave);
        SCOPED_TRACE(args.join(u' ').toStdString());
        const Finished r = run(TG_MONITOR_PATH, args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
        EXPECT_EQ(r.err.contains("usage: tavelgrid-monitor"), c.exitCode == 2);
        EXPECT_EQ(jsonLines(r.out).size(), c.lines) << r.out.toStdString();
    }
}

TEST(Monitor, JsonLinesStayValidWhateverTheDeviceSends)
{
    QByteArray everyByte = "#1M";
    for (int b = 0; b < 256; ++b)
        if (b != '<')
            everyByte += char(b);
    everyByte += '<';
    struct Message {
        QByteArray raw;
        QVariant id, value; // null where the monitor writes null
    };
    const QVariant null = QVariant::fromValue(nullptr);
    const Message messages[] = {
        {everyByte, 1, null},
        {"#2M\"\\\x7f\"<", 2, null},
        {"#3Mabc<", 3, null},             // the panel reads it as 1.0; there is no number
        {"#35MH\xe9llo \x80\x81\x9d<", 35, null}, // a label's text
        {"#4M-2,5<", 4, -2.5},
        {"#$1FM3.4028235e38<", 31, double(FLT_MAX)},
        {"#5M0.1<", 5, double(0.1f)},
        {"#4M1e39<", null, null},         // beyond the single range: ignored
        {"#99999999999M1<", null, null},  // no valid id: ignored
        {"#x<", null, null},
    };
    QByteArray sent = "noise\x01\xff";
    for (const Message &m : messages)
        sent += m.raw;
    Pty pty;
    makeRaw(pty);
    pty.write(sent);
    const double before = double(QDateTime::currentMSecsSinceEpoch()) / 1000;
    const Finished r = run(TG_MONITOR_PATH, {QStringLiteral("--json"), QStringLiteral("--count"),
                                             QString::number(std::size(messages)), pty.slave});
    const double after = double(QDateTime::currentMSecsSinceEpoch()) / 1000;
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const char c : r.out)
        ASSERT_TRUE((c >= 0x20 && c < 0x7F) || c == '\n') << "not plain ASCII: " << int(c);
    const QList<QJsonObject> lines = jsonLines(r.out);
    ASSERT_EQ(lines.size(), qsizetype(std::size(messages))) << r.out.toStdString();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Message &m = messages[i];
        const QJsonObject &o = lines[i];
        SCOPED_TRACE(m.raw.toStdString());
        EXPECT_EQ(o.keys(), (QStringList{"id", "raw", "t", "value"}));
        // The raw text gives back the device's bytes.
        EXPECT_EQ(tg::encodeCp1252(o.value("raw").toString()), m.raw);
        EXPECT_EQ(o.value("id").toVariant(), m.id);
        if (m.value.isNull()) {
            EXPECT_TRUE(o.value("value").isNull());
        } else {
            EXPECT_EQ(float(o.value("value").toDouble()), float(m.value.toDouble()));
        }
        const double t = o.value("t").toDouble();
        EXPECT_TRUE(t >= before - 0.001 && t <= after + 0.001) << t;
        if (i > 0) {
            EXPECT_GE(t, lines[i - 1].value("t").toDouble());
        }
    }
}

TEST(Monitor, StatsCountEveryByteMessageAndDiscard)
{
    Pty pty;
    makeRaw(pty);
    const QByteArray sent = "junk#1M1<#2Mx<#77777777777M1<xx#3M3<";
    pty.write(sent);
    const Finished r = run(TG_MONITOR_PATH, {QStringLiteral("--json"), QStringLiteral("--stats"), QStringLiteral("--count"),
                                             QStringLiteral("4"), pty.slave});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QList<QJsonObject> lines = jsonLines(r.out);
    ASSERT_FALSE(lines.isEmpty());
    qint64 bytes = 0, messages = 0;
    for (const QJsonObject &o : lines) {
        bytes += o.value("bytes").toInteger(-1);
        messages += o.value("messages").toInteger(-1);
        for (const char *key : {"t", "seconds", "bytes_per_s", "messages_per_s", "dropped_bytes"})
            EXPECT_TRUE(o.value(QLatin1String(key)).isDouble()) << key;
    }
    EXPECT_EQ(bytes, sent.size());
    EXPECT_EQ(messages, 4);
    EXPECT_EQ(lines.last().value("discarded_bytes").toInteger(), 6); // "junk", "xx"
    EXPECT_EQ(lines.last().value("ignored_messages").toInteger(), 1);
}

TEST(Monitor, SendsTextAndEndsWithFourWhenTheDeviceIsLost)
{
    Pty pty;
    makeRaw(pty);
    QProcess monitor;
    // As the Terminal page sends it: no escapes, Windows-1252, "?" for what it cannot carry.
    monitor.start(QStringLiteral(TG_MONITOR_PATH), {QStringLiteral("--json"), QStringLiteral("--send"),
                                                    QStringLiteral("hi\\n\u0001\u00e9\u20ac\u4e00"),
                                                    QStringLiteral("--send"), QStringLiteral("-!"), pty.slave});
    ASSERT_TRUE(monitor.waitForStarted());
    const QByteArray expected = "hi\\n\x01\xe9\x80?-!";
    EXPECT_EQ(pty.read(expected.size(), 10000), expected);
    pty.write("#7M3<");
    QByteArray out;
    ASSERT_TRUE(waitFor([&] {
        out += monitor.readAllStandardOutput();
        return out.endsWith('\n');
    }, 10000)) << out.toStdString();
    pty.closeMaster();
    ASSERT_TRUE(monitor.waitForFinished(10000));
    EXPECT_EQ(monitor.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(monitor.exitCode(), 4);
    EXPECT_TRUE(monitor.readAllStandardError().contains("the device is gone"));
    const QList<QJsonObject> lines = jsonLines(out + monitor.readAllStandardOutput());
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].value("value").toDouble(), 3.0);
}

TEST(Monitor, EndsWithZeroOnASignalOrWhenTheReaderGoes)
{
    Pty pty;
    makeRaw(pty);
    for (const int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig);
        QProcess monitor;
        monitor.start(QStringLiteral(TG_MONITOR_PATH), {QStringLiteral("--json"), pty.slave});
        ASSERT_TRUE(monitor.waitForStarted());
        pty.write("#1M1<");
        ASSERT_TRUE(waitFor([&] { return monitor.canReadLine(); }, 10000));
        ::kill(pid_t(monitor.processId()), sig);
        ASSERT_TRUE(monitor.waitForFinished(10000));
        EXPECT_EQ(monitor.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(monitor.exitCode(), 0);
        EXPECT_EQ(jsonLines(monitor.readAllStandardOutput()).size(), 1);
    }

    // "| head -n 1": the device goes on talking after the reader has gone.
    QProcess pipeline;
    pipeline.start(QStringLiteral("bash"), {QStringLiteral("-c"), QStringLiteral("set -o pipefail; \"$0\" --json \"$1\" | head -n 1"),
                                            QStringLiteral(TG_MONITOR_PATH), pty.slave});
    ASSERT_TRUE(pipeline.waitForStarted());
    for (int i = 0; i < 2000 && !pipeline.waitForFinished(10); ++i)
        pty.write("#1M1<");
    ASSERT_EQ(pipeline.state(), QProcess::NotRunning);
    EXPECT_EQ(pipeline.exitCode(), 0) << pipeline.readAllStandardError().toStdString();
    EXPECT_EQ(jsonLines(pipeline.readAllStandardOutput()).size(), 1);
}

} // namespace
