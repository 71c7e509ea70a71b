#pragma once
// The window's single-instance component: once the window is read, a later copy of the program
// acts on what the start-up check (InstanceLock) found, in one of three modes, and then ends.
#include <QObject>
#include <functional>
#include <stdexcept>

class InstanceLock;

// Raised when a second guard is created in one process.
class SingleInstanceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SingleInstanceGuard : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(SingleInstanceMode Mode READ Mode WRITE SetMode)

public:
    enum SingleInstanceMode { oiActivateOnly, oiDefaultMessage, oiCustom };
    Q_ENUM(SingleInstanceMode)

    // check: this process's start-up check, made before the window exists.
    explicit SingleInstanceGuard(const InstanceLock &check, QObject *parent = nullptr);
    ~SingleInstanceGuard() override;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool v) { m_enabled = v; }
    SingleInstanceMode Mode() const { return m_mode; }
    void SetMode(SingleInstanceMode v) { m_mode = v; }

    // Replaces the activation in oiCustom mode.
    std::function<void(QObject *sender)> OnCustom;

    // Acts once the window is read: true when another copy runs and this one must end.
    bool Loaded();

private:
    const InstanceLock &m_check;
    bool m_enabled = true;
    SingleInstanceMode m_mode = oiActivateOnly;
};
