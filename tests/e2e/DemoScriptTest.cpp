// scripts/demo's run, without its install and build step, ended as a user or a desktop ends it.
#include "../instruments/QtPrint.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// The processes of a process group, by pid and command name.
QMap<pid_t, QByteArray> groupMembers(pid_t group)
{
    QMap<pid_t, QByteArray> members;
    if (group <= 1)
        return members; // no group of ours
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const pid_t pid = pid_t(entry.toInt(&isPid));
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!isPid || !stat.open(QIODevice::ReadOnly))
            continue;
        // pid (comm) state ppid pgrp ...; the name may hold blanks and brackets.
        const QByteArray line = stat.readAll();
        const qsizetype open = line.indexOf('('), close = line.lastIndexOf(')');
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (open < 0 || close < open || fields.size() < 3 || fields[0] == "Z")
            continue;
        if (pid_t(fields[2].toInt()) == group)
            members.insert(pid, line.mid(open + 1, close - open - 1));
    }
    return members;
}

bool holdsOpen(pid_t pid, const QString &file)
{
    for (const QFileInfo &fd : QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget() == file)
            return true;
    return false;
}

struct DemoRun {
    QTemporaryDir tmp;
    QTemporaryDir runtime;
    QProcess script;
    pid_t group = 0; // the script's pid, kept after it ended

    explicit DemoRun(bool display)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmp.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("BUILD_DIR"), QStringLiteral(TG_BUILD_DIR));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (display)
            env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":0")); // the panel draws offscreen all the same
        else
            env.remove(QStringLiteral("DISPLAY"));
        script.setProcessEnvironment(env);
        script.setStandardOutputFile(QProcess::nullDevice());
        script.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // A group of its own, as a terminal gives a command it starts.
        script.setChildProcessModifier([] { ::setsid(); });
        script.start(QStringLiteral("bash"), {QStringLiteral(TG_SOURCE_DIR "/scripts/demo"), QStringLiteral("--no-build")});
        if (script.waitForStarted(30000))
            group = pid_t(script.processId());
    }
    // The program the script shows runs and has the port that the simulator announced open.
    bool showing(const QByteArray &program) const
    {
        const QDir links(runtime.filePath(QStringLiteral("tavelgrid/ports")));
        return QTest::qWaitFor([&] {
            const QFileInfoList ports = links.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
            const auto members = groupMembers(group);
            for (auto it = members.begin(); it != members.end(); ++it)
                for (const QFileInfo &port : ports)
                    if (it.value() == program && holdsOpen(it.key(), port.symLinkTarget()))
                        return true;
            return false;
        }, 30000);
    }
};

} // namespace

TEST(DemoScript, ASignalEndsEverythingItStartedAndLeavesNoFilesBehind)
{
    const struct {
        bool display;
        int sig;
        bool wholeGroup; // Ctrl+C in the terminal reaches every process of the group
    } rows[] = {
        {true, SIGTERM, false}, {true, SIGINT, true}, {true, SIGHUP, false},
        {false, SIGTERM, false}, {false, SIGINT, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << (row.display ? "panel" : "monitor") << ", signal " << row.sig
                                        << (row.wholeGroup ? " to the group" : " to the script"));
        DemoRun run(row.display);
        ASSERT_GT(run.group, 1);
        ASSERT_TRUE(run.showing(row.display ? "tavelgrid" : "tavelgrid-monit"));
        ::kill(row.wholeGroup ? -run.group : run.group, row.sig);
        EXPECT_TRUE(run.script.waitForFinished(30000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return groupMembers(run.group).isEmpty(); }, 30000))
            << "still running: " << groupMembers(run.group).values().join(", ").toStdString();
        EXPECT_EQ(QDir(run.tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
        // Whatever is left is not left running.
        for (pid_t pid : groupMembers(run.group).keys())
            ::kill(pid, SIGKILL);
    }
}
