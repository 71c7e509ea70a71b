#pragma once
// A real X server with a window manager, for what only a managed window has: a frame drawn
// around it and a manager that places it by the rules it asks for.
#include <QDir>
#include <QFile>
#include <QMargins>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <unistd.h>

struct Desktop {
    QTemporaryDir dir;
    QProcess server;
    QProcess manager;
    QString display; // ":N" once started

    QString tool(const QString &program, const QStringList &args) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        p.setProcessEnvironment(env);
        p.start(program, args);
        p.waitForFinished(30000);
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    }

    // False when the X server, the window manager or the X tools are not installed, or the
    // server or the manager does not come up.
    bool start(const QString &screen = QStringLiteral("1600x1000x24"))
    {
        for (const char *tool : {"Xvfb", "openbox", "xwininfo", "xprop"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                return false;
        // The server picks a free display and names it on a pipe once it accepts clients.
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return false;
        server.setChildProcessModifier([w = fds[1]] {
            if (::dup2(w, 3) < 0 || ::fcntl(3, F_SETFD, 0) != 0)
                ::_exit(126);
        });
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("3"), QStringLiteral("-screen"),
                                              QStringLiteral("0"), screen, QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        ::close(fds[1]);
        QByteArray number;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (::poll(&p, 1, 30000) == 1 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (number.isEmpty())
            return false;
        display = QLatin1Char(':') + QString::fromLatin1(number);

        // The manager runs its start-up command once it manages the screen.
        const QString ready = dir.filePath(QStringLiteral("ready"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("HOME"), dir.path()); // its caches stay in the test's folder
        manager.setProcessEnvironment(env);
        manager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        manager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable"), QStringLiteral("--startup"),
                                                  QStringLiteral("touch ") + ready});
        return QTest::qWaitFor([&] { return QFile::exists(ready); }, 30000);
    }

    // The outer frame of the window of that title as the manager drew it, once it is on screen.
    std::optional<QRect> frameOf(const QString &title) const
    {
        const QString client = tool(QStringLiteral("xwininfo"), {QStringLiteral("-name"), title});
        const QString extents = tool(QStringLiteral("xprop"), {QStringLiteral("-name"), title, QStringLiteral("_NET_FRAME_EXTENTS")});
        auto number = [&](const QString &label) {
            const QRegularExpressionMatch m = QRegularExpression(label + QStringLiteral(":\\s*(-?\\d+)")).match(client);
            return m.hasMatch() ? std::optional<int>(m.captured(1).toInt()) : std::nullopt;
        };
        const auto x = number(QStringLiteral("Absolute upper-left X")), y = number(QStringLiteral("Absolute upper-left Y")),
                   w = number(QStringLiteral("Width")), h = number(QStringLiteral("Height"));
        // left, right, top, bottom
        const QRegularExpressionMatch e =
            QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)")).match(extents);
        if (!client.contains(QLatin1String("IsViewable")) || !x || !y || !w || !h || !e.hasMatch())
            return std::nullopt;
        return QRect(*x, *y, *w, *h).marginsAdded(
            QMargins(e.captured(1).toInt(), e.captured(3).toInt(), e.captured(2).toInt(), e.captured(4).toInt()));
    }

    ~Desktop()
    {
        for (QProcess *p : {&manager, &server}) {
            p->terminate();
            if (!p->waitForFinished(10000))
                p->kill();
        }
    }
};
