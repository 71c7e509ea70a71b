#include "SingleInstanceGuard.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kActivate[] = "activate\n";

} // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString &name, const QString &folder, QObject *parent)
    : QObject(parent), m_name(name), m_folder(folder.isEmpty() ? runtimeFolder() : folder)
{
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString SingleInstanceGuard::runtimeFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QDir(xdg).exists())
        return xdg;
    const QByteArray path = QByteArray("/tmp/tavelgrid-") + QByteArray::number(uint(::getuid()));
    ::mkdir(path.constData(), 0700);
    struct stat st {};
    // Someone else's folder of that name must not be trusted with our lock.
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return QDir::tempPath();
    return QString::fromLocal8Bit(path);
}

QString SingleInstanceGuard::socketName() const
{
    // The abstract namespace leaves no socket file behind a killed copy.
    return m_name + QLatin1Char('-') + QString::number(qHash(m_folder));
}

bool SingleInstanceGuard::claim()
{
    if (m_server)
        return true;
    const QByteArray lockPath = QDir(m_folder).filePath(m_name + QStringLiteral(".lock")).toLocal8Bit();
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true; // without a lock file every copy runs rather than none
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_lockFd = fd;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *s = m_server->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            const auto check = [this, s] {
                if (s->canReadLine() && s->readLine() == kActivate && OnActivate)
                    OnActivate();
            };
            connect(s, &QLocalSocket::readyRead, this, check);
            check(); // the request may have arrived with the connection

        }
    });
    m_server->listen(socketName());
    return true;
}

bool SingleInstanceGuard::activateFirst() const
{
    QLocalSocket s;
    s.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    s.connectToServer(socketName());
    if (!s.waitForConnected(2000))
        return false;
    s.write(kActivate);
    const bool ok = s.waitForBytesWritten(2000);
    s.disconnectFromServer();
    return ok;
}
