#pragma once
// Brings a lost or released device back with no click: watches for the same device to come
// back (the same USB identity, also under another ttyUSBn; the same announced name; else the
// same node) and hands the name to open it by to the window. It looks only while it waits:
// soon after a change in the device folders, and four times a second. It opens at most four
// times a second, so a device that fails as soon as it is open is not opened again and again.
#include "SystemRoots.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

class QFileSystemWatcher;

// A device as it can be found again.
struct TDeviceTarget {
    QString port;        // the name it was opened by
    QString key;         // its USB identity (by-id, else by-path name); empty when not on USB
    QString description; // what the device says it is; empty when it says nothing

    static TDeviceTarget of(const QString &port, const tg::platform::SystemRoots &roots = {});
    // The name to open it by now; empty while it is not there.
    QString locate(const tg::platform::SystemRoots &roots = {}) const;
    // The port with its description, for messages.
    QString label() const;
};

class TReconnect : public QObject {
public:
    // Lost: opened as soon as it is back. Released: given up for another program (a firmware
    // tool), opened once it has been gone or in another program's hands and is free again.
    enum Reason { Lost, Released };
    static constexpr int kLookMs = 250;  // between looks without a change; between two opens at least
    static constexpr int kSettleMs = 20; // after a change, for the links of a new device to be made

    explicit TReconnect(QObject *parent = nullptr);
    ~TReconnect() override;

    void Wait(const TDeviceTarget &target, Reason reason);
    void Stop();
    bool Waiting() const { return m_waiting; }
    Reason WaitReason() const { return m_reason; }
    const TDeviceTarget &Target() const { return m_target; }
    // What it waits for, in one word for scripts: "lost", "released", "released-away" (the
    // released device has been gone or in another program's hands); empty when not waiting.
    QString State() const;
    // Looks taken and opens tried during the current or last wait.
    int Looks() const { return m_looks; }
    int Opens() const { return m_opens; }

    // Asked to open the device by name; true when it is open, which ends the wait.
    std::function<bool(const QString &name)> OnBack;

    tg::platform::SystemRoots roots;

private:
    void lookSoon();
    void look();

    TDeviceTarget m_target;
    Reason m_reason = Lost;
    bool m_waiting = false;
    bool m_looking = false;
    bool m_wasAway = false; // Released: gone or held by another program since the release
    int m_looks = 0;
    int m_opens = 0;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer m_poll;
    QTimer m_soon;
    QElapsedTimer m_sinceOpen;
};
