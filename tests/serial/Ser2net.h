#pragma once
// ser2net (the Debian package) serving a device path on a free loopback port, in the
// foreground, for as long as the object lives.
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

struct Ser2net {
    // Where the program is; empty when it is not installed.
    static QString program();

    // accepter: "telnet(rfc2217)" for the com port control option, "" for plain TCP.
    explicit Ser2net(const QString &device, const QString &accepter = QStringLiteral("telnet(rfc2217)"));
    ~Ser2net();
    Ser2net(const Ser2net &) = delete;
    Ser2net &operator=(const Ser2net &) = delete;

    bool listening() const { return port > 0; }
    // The port name a client connects with.
    QString name() const;
    // Whether the server has the device open (it opens it when a client comes).
    bool holds(const QString &device) const;
    // Ends the server at once, as a crash or a pulled network cable would.
    void kill();

    QTemporaryDir dir;
    QProcess process;
    QString scheme;
    int port = 0;
};

// Whether something listens on that loopback TCP port.
bool listensOnLoopback(int port);
