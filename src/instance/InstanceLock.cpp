#include "InstanceLock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kActivate[] = "activate\n";
constexpr char kActivated[] = "activated\n";
constexpr char kStatus[] = "status\n";
constexpr char kRelease[] = "release\n";
constexpr char kReleased[] = "released ";
constexpr char kOpen[] = "open ";
constexpr char kOpened[] = "opened\n";
constexpr int kAnswerMs = 5000;
constexpr int kLookersMs = 2000; // longest wait for others' looks to end; each lasts two calls

} // namespace

InstanceLock::InstanceLock(const QString &name, const QString &folder, QObject *parent)
    : QObject(parent), m_name(name), m_folder(folder.isEmpty() ? runtimeFolder() : folder)
{
}

InstanceLock::~InstanceLock()
{
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString InstanceLock::runtimeFolder()
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

QString InstanceLock::socketName() const
{
    // The abstract namespace leaves no socket file behind a killed copy.
    return m_name + QLatin1Char('-') + QString::number(qHash(m_folder));
}

QByteArray InstanceLock::lockPath() const
{
    return QDir(m_folder).filePath(m_name + QStringLiteral(".lock")).toLocal8Bit();
}

bool InstanceLock::copyRunning() const
{
    const int fd = ::open(lockPath().constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Shared, and let go at once: a copy holds it exclusively, and a look must never be
    // mistaken for a copy by one that starts meanwhile.
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

bool InstanceLock::claim()
{
    if (m_server)
        return true;
    const int fd = ::open(lockPath().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true; // without a lock file every copy runs rather than none
    const QDeadlineTimer lookers(kLookersMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // Taken shared as well, it is held only by looks, which end in a moment.
        const bool onlyLooked = ::flock(fd, LOCK_SH | LOCK_NB) == 0;
        if (onlyLooked)
            ::flock(fd, LOCK_UN);
        if (!onlyLooked || lookers.hasExpired()) {
            ::close(fd);
            m_anotherCopyRunning = true;
            return false;
        }
        QThread::usleep(500);
    }
    m_lockFd = fd;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *s = m_server->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            connect(s, &QLocalSocket::readyRead, this, [this, s] { serve(s); });
            serve(s); // the request may have arrived with the connection
        }
    });
    m_server->listen(socketName());
    return true;
}

void InstanceLock::serve(QLocalSocket *s)
{
    while (s->canReadLine()) {
        const QByteArray request = s->readLine();
        if (request == kStatus) {
            // Answered at once: how long the answer takes is how long the window keeps a user
            // waiting.
            s->write((OnStatus ? OnStatus() : QByteArray("{}")).trimmed() + '\n');
        } else if (request == kRelease) {
            // Answered once the port is closed, so the asker may hand it on at once.
            const QString node = OnRelease ? OnRelease() : QString();
            s->write(kReleased + node.toLocal8Bit() + '\n');
        } else if (request == kActivate || request.startsWith(kOpen)) {
            const bool open = request.startsWith(kOpen);
            const QJsonObject handed =
                open ? QJsonDocument::fromJson(request.mid(qsizetype(sizeof kOpen) - 1)).object() : QJsonObject();
            // After the events already queued: a window still starting up (a restore posts
            // its minimise) is activated in the state it ends up in.
            QMetaObject::invokeMethod(this, [this, s = QPointer<QLocalSocket>(s), handed, open] {
                if (open && OnOpen)
                    OnOpen(handed.value(QStringLiteral("port")).toString(), handed.value(QStringLiteral("baud")).toString(),
                           handed.value(QStringLiteral("connect")).toBool());
                if (OnActivate)
                    OnActivate();
                if (s)
                    s->write(open ? kOpened : kActivated);
            }, Qt::QueuedConnection);
        }
    }
}

bool InstanceLock::activateFirst() const
{
    return ask(kActivate) == kActivated;
}

QByteArray InstanceLock::statusOfFirst() const
{
    return ask(kStatus).trimmed();
}

std::optional<QString> InstanceLock::releaseOfFirst() const
{
    const QByteArray answer = ask(kRelease);
    if (!answer.startsWith(kReleased))
        return std::nullopt;
    return QString::fromLocal8Bit(answer.mid(qsizetype(sizeof kReleased) - 1).trimmed());
}

bool InstanceLock::handOver(const QString &port, const QString &baud, bool connect) const
{
    const QJsonObject handed{{QStringLiteral("port"), port}, {QStringLiteral("baud"), baud},
                             {QStringLiteral("connect"), connect}};
    return ask(kOpen + QJsonDocument(handed).toJson(QJsonDocument::Compact) + '\n') == kOpened;
}

QByteArray InstanceLock::ask(const QByteArray &request) const
{
    // The first copy takes its lock a moment before it listens: a copy started in that moment
    // tries again rather than give up.
    const QDeadlineTimer deadline(kAnswerMs);
    QLocalSocket s;
    s.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    for (;;) {
        s.connectToServer(socketName());
        if (s.waitForConnected(int(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return {};
        QThread::msleep(20);
    }
    s.write(request);
    s.waitForBytesWritten(int(deadline.remainingTime()));
    while (!s.canReadLine() && s.waitForReadyRead(int(deadline.remainingTime()))) {
    }
    const QByteArray answer = s.canReadLine() ? s.readLine() : QByteArray();
    s.disconnectFromServer();
    return answer;
}
