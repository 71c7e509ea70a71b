#include "Reconnect.h"

#include "PortDoctor.h"
#include "PortIdentity.h"
#include "PortLinks.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <unistd.h>

using namespace tg::platform;

namespace {

QString pathOf(const QString &port, const SystemRoots &roots)
{
    return port.contains(u'/') ? port : roots.dev + u'/' + port;
}

// Whether a program other than this one has the device open or locked.
bool heldByOthers(const QString &node, const SystemRoots &roots)
{
    for (const PortHolder &h : portHolders(node, roots))
        if (h.pid != ::getpid())
            return true;
    return false;
}

} // namespace

TDeviceTarget TDeviceTarget::of(const QString &port, const SystemRoots &roots)
{
    TDeviceTarget t;
    t.port = port;
    t.description = describePort(port, roots);
    const QString node = portDeviceNode(port, roots);
    const QString devRoot = QFileInfo(roots.dev).canonicalFilePath();
    if (!node.isEmpty() && !devRoot.isEmpty() && node.startsWith(devRoot + u'/'))
        t.key = portIdentity(node.mid(devRoot.size() + 1), roots).key();
    return t;
}

QString TDeviceTarget::locate(const SystemRoots &roots) const
{
    if (!key.isEmpty()) {
        const QString node = findPortByKey(key, roots);
        if (node.isEmpty())
            return QString();
        // A by-id or by-path name still leads to it; a node name follows it to its new node.
        return portDeviceNode(port, roots) == QFileInfo(node).canonicalFilePath() ? port : node;
    }
    const QString path = pathOf(port, roots);
    // An announced port counts only while its owner has it announced: a link left behind by
    // an owner that died may point at somebody else's terminal by now.
    const QString links = portLinkFolder();
    if (!links.isEmpty() && QFileInfo(path).absolutePath() == links)
        return announcedPorts().contains(path) ? port : QString();
    return portDeviceNode(port, roots).isEmpty() ? QString() : port;
}

QString TDeviceTarget::label() const
{
    return portLabel(port, description);
}

TReconnect::TReconnect(QObject *parent) : QObject(parent)
{
    m_poll.setInterval(kLookMs);
    connect(&m_poll, &QTimer::timeout, this, [this] { look(); });
    m_soon.setSingleShot(true);
    connect(&m_soon, &QTimer::timeout, this, [this] { look(); });
}

TReconnect::~TReconnect() = default;

void TReconnect::Wait(const TDeviceTarget &target, Reason reason)
{
    Stop();
    m_target = target;
    m_reason = reason;
    m_waiting = true;
    m_wasAway = false;
    m_looks = m_opens = 0;
    // Device nodes come and go in /dev; links (by-id names, announced ports) in their folder.
    m_watcher = new QFileSystemWatcher(this);
    QStringList folders{roots.dev};
    const QString folder = QFileInfo(pathOf(target.port, roots)).absolutePath();
    if (folder != roots.dev && QFileInfo(folder).isDir())
        folders << folder;
    m_watcher->addPaths(folders);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { lookSoon(); });
    // As if it had just been opened: the first open comes after a pause.
    m_sinceOpen.start();
    m_poll.start();
}

void TReconnect::Stop()
{
    m_waiting = false;
    m_poll.stop();
    m_soon.stop();
    // Stop may come from a look the watcher started.
    if (m_watcher)
        m_watcher->deleteLater();
    m_watcher = nullptr;
}

QString TReconnect::State() const
{
    if (!m_waiting)
        return QString();
    if (m_reason == Lost)
        return QStringLiteral("lost");
    return m_wasAway ? QStringLiteral("released-away") : QStringLiteral("released");
}

void TReconnect::lookSoon()
{
    // Each change starts the pause again: a device comes with several (node, links).
    if (m_waiting)
        m_soon.start(kSettleMs);
}

void TReconnect::look()
{
    if (!m_waiting || m_looking)
        return;
    ++m_looks;
    const QString name = m_target.locate(roots);
    if (name.isEmpty()) {
        m_wasAway = true;
        return;
    }
    if (m_reason == Released) {
        const bool held = heldByOthers(portDeviceNode(name, roots), roots);
        m_wasAway = m_wasAway || held;
        if (held || !m_wasAway)
            return;
    }
    if (const qint64 since = m_sinceOpen.elapsed(); since < kLookMs) {
        m_soon.start(int(kLookMs - since));
        return;
    }
    m_sinceOpen.start();
    ++m_opens;
    m_looking = true;
    const bool open = OnBack && OnBack(name);
    m_looking = false;
    if (open)
        Stop();
}
