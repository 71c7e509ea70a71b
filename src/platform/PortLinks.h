#pragma once
// Virtual serial ports (the device simulator's pseudo-terminals) are announced as symbolic
// links in one private folder, so the port list can offer them next to real devices. Each link
// has an owner record that its owner keeps locked while it lives: the kernel drops the lock
// when the owner dies, however it dies, so a link left behind is recognised and removed
// before its pty number can lead to somebody else's terminal.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tg::platform {

// The folder of the links, created (mode 0700) when missing; empty when it cannot be made.
QString portLinkFolder();

// The announced ports whose owner still runs and whose link still points at the owner's pty,
// as paths of their links. Announcements whose owner is gone are removed.
QStringList announcedPorts();

// One announcement, withdrawn when the object ends.
class PortAnnouncement {
public:
    PortAnnouncement() = default;
    ~PortAnnouncement();
    PortAnnouncement(const PortAnnouncement &) = delete;
    PortAnnouncement &operator=(const PortAnnouncement &) = delete;

    // Links name (or, for an empty name, the first free "simN") to target. False when the
    // name belongs to a live owner or the folder cannot be used.
    bool announce(const QString &name, const QString &target);
    void withdraw();
    // Points the announced name at another target, keeping the name: an empty target takes
    // the link away (the device is unplugged) while the name stays ours. False when nothing
    // is announced or the link cannot be made.
    bool repoint(const QString &target);
    // The path of the link, also while it is taken away; empty while nothing is announced.
    QString path() const { return QString::fromLocal8Bit(m_link); }

private:
    bool claim(const QString &folder, const QString &name, const QByteArray &target);
    // Records target in the owner record, then links the name to it.
    bool point(int ownerFd, const QByteArray &link, const QByteArray &target);

    int m_ownerFd = -1;
    QByteArray m_link;
    QByteArray m_owner;
    QByteArray m_target;
};

} // namespace tg::platform
