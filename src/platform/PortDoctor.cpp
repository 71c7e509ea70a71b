#include "PortDoctor.h"

#include "NetLink.h"
#include "PortIdentity.h"
#include "PortLinks.h"
#include "PortLockFile.h"
#include "Processes.h"
#include "SerialPorts.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tg::platform {

namespace {

const QString kModemManager = QStringLiteral("ModemManager");
const QString kBrltty = QStringLiteral("brltty");

QString who(pid_t pid, const SystemRoots &roots)
{
    QString name = processName(pid, roots.proc);
    if (name.isEmpty())
        name = QStringLiteral("a process");
    const QString self = pid == ::getpid() ? QStringLiteral(", this program") : QString();
    return QStringLiteral("%1 (pid %2%3)").arg(name, QString::number(pid), self);
}

QString modeText(mode_t mode)
{
    QString s = S_ISCHR(mode) ? QStringLiteral("c") : S_ISDIR(mode) ? QStringLiteral("d") : QStringLiteral("-");
    const char *const letters = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit)
        s += (mode & (0400 >> bit)) ? QLatin1Char(letters[bit]) : QLatin1Char('-');
    return s;
}

QString groupName(gid_t gid)
{
    const group *g = ::getgrgid(gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString::number(gid);
}

QString userName(uid_t uid)
{
    const passwd *p = ::getpwuid(uid);
    return p ? QString::fromLocal8Bit(p->pw_name) : QString::number(uid);
}

bool processHasGroup(gid_t gid)
{
    if (::getegid() == gid)
        return true;
    const int n = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(size_t(std::max(n, 0)));
    const int got = ::getgroups(n, groups.data());
    for (int i = 0; i < got; ++i)
        if (groups[size_t(i)] == gid)
            return true;
    return false;
}

// Whether the user is a member in the group files, which a new login would give the process.
bool userInGroup(gid_t gid)
{
    const passwd *p = ::getpwuid(::geteuid());
    if (!p)
        return false;
    int n = 64;
    std::vector<gid_t> groups(static_cast<size_t>(n));
    if (::getgrouplist(p->pw_name, p->pw_gid, groups.data(), &n) < 0) {
        groups.resize(size_t(n));
        if (::getgrouplist(p->pw_name, p->pw_gid, groups.data(), &n) < 0)
            return false;
    }
    for (int i = 0; i < n; ++i)
        if (groups[size_t(i)] == gid)
            return true;
    return false;
}

QString permissionDenied(const QString &name, const QString &node)
{
    struct stat st {};
    if (::stat(QFile::encodeName(node).constData(), &st) != 0)
        return QStringLiteral("Permission denied for %1.").arg(name);
    const QString group = groupName(st.st_gid), user = userName(::geteuid());
    const QString facts =
        QStringLiteral(" (owner \"%1\", group \"%2\", %3)").arg(userName(st.st_uid), group, modeText(st.st_mode));
    const bool groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP) && st.st_gid != 0;
    if (!groupMayUse)
        return QStringLiteral("Permission denied: only the owner of %1 may open it%2.").arg(name, facts);
    if (processHasGroup(st.st_gid))
        return QStringLiteral("Permission denied for %1%2, although this program runs with the group \"%3\". Something "
                              "else keeps it out (an access control list or a security module).")
            .arg(name, facts, group);
    if (userInGroup(st.st_gid))
        return QStringLiteral("Permission denied: %1 belongs to the group \"%2\"%3. The user \"%4\" was added to that "
                              "group after this session began: log out and in again (or start the program under "
                              "\"newgrp %2\").")
            .arg(name, group, facts, user);
    return QStringLiteral("Permission denied: %1 belongs to the group \"%2\"%3, and the user \"%4\" is not in it. Add "
                          "the user to the group with\n    sudo usermod -aG %2 $USER\nthen log out and in again.")
        .arg(name, group, facts, user);
}

// Services that take hold of new USB serial devices, with what to do about them.
QStringList grabbingServices(const SystemRoots &roots, bool portGone)
{
    QStringList notes;
    if (!portGone && !processesNamed({kModemManager}, roots.proc).isEmpty())
        notes << QStringLiteral("ModemManager is running: it tries every new USB serial device as a modem and holds "
                                "it for some seconds after it is plugged in. Wait a moment and connect again; if it "
                                "keeps happening, stop it with \"sudo systemctl stop ModemManager\".");
    if (!processesNamed({kBrltty}, roots.proc).isEmpty())
        notes << QStringLiteral("brltty is running: it takes some USB serial adapters for braille displays") +
                     (portGone ? QStringLiteral(", and their port disappears") : QString()) +
                     QStringLiteral(". If no braille display is used here, remove it with \"sudo apt remove brltty\".");
    return notes;
}

QString inUse(const QString &name, const QString &node, bool usb, const SystemRoots &roots)
{
    QStringList lines{name + QStringLiteral(" is in use:")};
    const QList<PortHolder> holders = portHolders(node, roots);
    for (const PortHolder &h : holders) {
        switch (h.how) {
        case PortHolder::LockFile:
            lines << QStringLiteral("- ") + who(h.pid, roots) + QStringLiteral(" holds its lock file ") +
                         lockFileOwner(node, roots).file;
            break;
        case PortHolder::KernelLock: lines << QStringLiteral("- ") + who(h.pid, roots) + QStringLiteral(" holds a lock on it"); break;
        case PortHolder::OpenFile: lines << QStringLiteral("- ") + who(h.pid, roots) + QStringLiteral(" has it open"); break;
        }
    }
    if (holders.isEmpty())
        lines << QStringLiteral("- by a program that names itself in no lock file or lock (the open files of other "
                                "users' programs can be seen only as root)");
    else
        lines << QStringLiteral("Close the port in that program (or end it) and try again.");
    if (usb)
        lines << grabbingServices(roots, false);
    if (!canWriteLockFolder(roots))
        lines << QStringLiteral("No lock folder (%1) can be written, so this program takes no lock file when it "
                                "opens a port, and terminal programs that look for one do not see it.")
                     .arg(roots.lockDirs.join(QStringLiteral(", ")));
    return lines.join(u'\n');
}

QString missing(const QString &name, bool stableName, bool usb, const SystemRoots &roots)
{
    QStringList lines{name + QStringLiteral(" does not exist.")};
    if (stableName)
        lines << QStringLiteral("No device plugged in has this name.");
    const QStringList ports = listSerialPorts(roots);
    if (ports.isEmpty()) {
        lines << QStringLiteral("No serial port is present: is the device plugged in and switched on?");
    } else {
        lines << QStringLiteral("Ports present:");
        for (const QString &port : ports)
            lines << QStringLiteral("  ") + portLabel(port, describePort(port, roots));
    }
    if (usb)
        lines << grabbingServices(roots, true);
    return lines.join(u'\n');
}

} // namespace

QList<PortHolder> portHolders(const QString &node, const SystemRoots &roots)
{
    QList<PortHolder> holders;
    auto add = [&holders](pid_t pid, PortHolder::How how) {
        for (const PortHolder &h : std::as_const(holders))
            if (h.pid == pid)
                return;
        holders.push_back({pid, how});
    };
    if (const LockFileOwner owner = lockFileOwner(node, roots); owner.pid)
        add(owner.pid, PortHolder::LockFile);
    struct stat st {};
    if (::stat(QFile::encodeName(node).constData(), &st) == 0)
        for (pid_t pid : lockHolders(st.st_dev, st.st_ino, roots.proc))
            add(pid, PortHolder::KernelLock);
    for (pid_t pid : processesWithOpen(node, roots.proc))
        add(pid, PortHolder::OpenFile);
    return holders;
}

QString explainLostDevice(const QString &port, int err, const QString &description, const SystemRoots &roots)
{
    const QString given = port.contains(u'/') ? port : roots.dev + u'/' + port;
    const QString what = description.isEmpty() ? given : given + QStringLiteral(" (") + description + u')';
    QStringList lines{QStringLiteral("%1 stopped working while it was open: %2.")
                          .arg(what, QString::fromLocal8Bit(std::strerror(err)))};
    if (NetLink::isNetworkName(port)) {
        lines << QStringLiteral("The connection to the server dropped: the server was stopped or restarted, or the "
                                "network between failed. Check that the server runs and can be reached, then press "
                                "Connect.");
    } else if (portDeviceNode(given, roots).isEmpty()) {
        lines << QStringLiteral("It is no longer present: it was unplugged, switched off or reset, or its USB "
                                "connection dropped. Check the cable and the device's power, then plug it in again.");
        lines << grabbingServices(roots, true);
    } else {
        lines << QStringLiteral("It is still present but stopped answering. Unplug it and plug it in again; if that "
                                "keeps happening, try another cable or USB socket.");
    }
    return lines.join(u'\n');
}

QString explainOpenFailure(const QString &port, int err, const SystemRoots &roots)
{
    if (NetLink::isNetworkName(port))
        return NetLink::explainOpenFailure(port, err);
    const QString given = port.contains(u'/') ? port : roots.dev + u'/' + port;
    const QString node = portDeviceNode(given, roots);
    QString name = given;
    if (!node.isEmpty() && node != given)
        name += QStringLiteral(" (that is ") + node + u')';
    const QString serialFolder = roots.dev + QStringLiteral("/serial/");
    const bool stableName = given.startsWith(serialFolder);
    const QString devRoot = QFileInfo(roots.dev).canonicalFilePath();
    const QString ttyName = node.startsWith(devRoot + u'/') ? node.mid(devRoot.size() + 1) : QFileInfo(given).fileName();
    const bool usb = stableName || ttyName.startsWith(QLatin1String("ttyUSB")) ||
                     ttyName.startsWith(QLatin1String("ttyACM")) || portIdentity(ttyName, roots).isUsb();
    switch (err) {
    case EACCES:
    case EPERM: return permissionDenied(name, node.isEmpty() ? given : node);
    case EBUSY:
    case EWOULDBLOCK: return inUse(name, node.isEmpty() ? given : node, usb, roots);
    case ENOENT: return missing(name, stableName, usb, roots);
    default: return name + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(err)) + u'.';
    }
}

QString explainSettingsFailure(const QString &port, int err)
{
    return NetLink::isNetworkName(port) ? NetLink::explainSettingsFailure(port, err) : QString();
}

} // namespace tg::platform
