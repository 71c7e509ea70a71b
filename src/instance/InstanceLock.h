#pragma once
// Keeps the program to one copy per user: the first copy holds a lock file and listens on a
// local socket; a later copy asks the first to come to the front and then ends. The kernel
// drops the lock when a copy dies, however it dies, so a crash never blocks the next start.
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QLocalServer;

class InstanceLock : public QObject {
public:
    // name: the instance name (the upper-cased program name); folder: where the lock file
    // lives (the user's runtime folder when empty).
    explicit InstanceLock(const QString &name, const QString &folder = QString(), QObject *parent = nullptr);
    ~InstanceLock() override;

    // The start-up check: true when this is the first copy; it then listens for later copies.
    // A lock held only by someone looking (copyRunning) is waited for, not taken for a copy.
    bool claim();
    // Whether a copy holds the lock, found without taking it: a copy starting at that moment
    // still becomes the first (a script polling --status while the program starts).
    bool copyRunning() const;
    // What the check found: another copy holds the lock.
    bool anotherCopyRunning() const { return m_anotherCopyRunning; }
    // Asks the first copy to come to the front and waits until it has; false when none answered.
    bool activateFirst() const;
    // Asks the first copy how it is doing: its one-line answer, empty when none answered.
    QByteArray statusOfFirst() const;
    // Asks the first copy to release its port: the device node it freed (empty when it had
    // none open); nothing when no copy answered.
    std::optional<QString> releaseOfFirst() const;
    // Hands a later start's port and rate (empty: unchanged) and its wish to connect to the
    // first copy, which then comes to the front; false when none answered.
    bool handOver(const QString &port, const QString &baud, bool connect) const;

    // Called in the first copy when a later copy starts.
    std::function<void()> OnActivate;
    // Called in the first copy when a later copy asks for its status; the answer is one line.
    std::function<QByteArray()> OnStatus;
    // Called in the first copy to release its port; returns the device node freed.
    std::function<QString()> OnRelease;
    // Called in the first copy with what a later start hands over, before OnActivate.
    std::function<void(const QString &port, const QString &baud, bool connect)> OnOpen;

    // The user's runtime folder, or a private folder under /tmp when there is none.
    static QString runtimeFolder();

private:
    QString socketName() const;
    QByteArray lockPath() const;
    // Sends one request line to the first copy and returns its answer line (empty: none).
    QByteArray ask(const QByteArray &request) const;
    void serve(class QLocalSocket *s);

    QString m_name;
    QString m_folder;
    int m_lockFd = -1;
    bool m_anotherCopyRunning = false;
    QLocalServer *m_server = nullptr;
};
