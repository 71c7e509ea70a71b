#pragma once
// A tool run to its end, with what it wrote.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

struct Finished {
    int exitCode = -1;
    QByteArray out, err;
};

// dir: the working folder (the test's own when empty).
inline Finished run(const char *program, const QStringList &args, const QString &dir = QString())
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(QString::fromLocal8Bit(program), args);
    Finished r;
    if (!p.waitForFinished(30000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}
