#include "Ser2net.h"
#include "ComServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include "Pty.h"

QString Ser2net::program()
{
    return QStandardPaths::findExecutable(QStringLiteral("ser2net"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
}

bool listensOnLoopback(int port)
{
    // The kernel's socket table: local address 127.0.0.1 (0100007F) and the port, state 0A.
    const QByteArray local = "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() > 3 && f[1] == local && f[3] == "0A")
            return true;
    }
    return false;
}

Ser2net::Ser2net(const QString &device, const QString &accepter)
    : scheme(accepter.isEmpty() ? QStringLiteral("tcp") : QStringLiteral("rfc2217"))
{
    // What the server says goes to a log beside its configuration, for a look after a failure.
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardOutputFile(dir.filePath(QStringLiteral("ser2net.log")));
    // A port found free may be taken before the server binds it: then try another.
    for (int attempt = 0; attempt < 3 && port == 0; ++attempt) {
        const int candidate = unusedPort();
        const QString config = dir.filePath(QStringLiteral("ser2net.yaml"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return;
        const QString stack = accepter.isEmpty() ? QStringLiteral("tcp") : accepter + QStringLiteral(",tcp");
        file.write(QStringLiteral("%YAML 1.1\n---\n"
                                  "connection: &device\n"
                                  "    accepter: %1,127.0.0.1,%2\n"
                                  "    connector: serialdev,%3,9600n81,local\n")
                       .arg(stack)
                       .arg(candidate)
                       .arg(device)
                       .toUtf8());
        file.close();
        // -n: in the foreground; -u: no UUCP lock files in the system's lock folder.
        process.start(program(), {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), config});
        if (!process.waitForStarted(10000))
            return;
        if (waitFor([&] { return listensOnLoopback(candidate) || process.state() != QProcess::Running; }, 10000) &&
            listensOnLoopback(candidate)) {
            port = candidate;
            return;
        }
        kill();
    }
}

Ser2net::~Ser2net()
{
    kill();
}

bool Ser2net::holds(const QString &device) const
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(process.processId()));
    for (const QFileInfo &fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget() == device)
            return true;
    return false;
}

QString Ser2net::name() const
{
    return QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(port);
}

void Ser2net::kill()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished(10000);
}
