#pragma once
// What a first start without settings shows on the empty panel: the ports there are (or the
// simulator to try when there is none) with a Connect beside them, and where instruments are
// switched on. Nothing of it is stored; it goes for good once a port is connected or an
// instrument is shown.
#include "ComLink.h"

#include <QFrame>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class TCustomComPort;

class TFirstStartHint : public QFrame {
    Q_OBJECT
public:
    using PortList = std::function<QStringList()>;
    static constexpr int kRefreshMs = 1000;

    // panel: the page it lies on, centred; instruments: those whose showing ends it; port: the
    // port whose opening ends it; ports: the port names to offer, asked again every kRefreshMs
    // (a simulator started later appears).
    TFirstStartHint(QWidget *panel, const std::vector<QWidget *> &instruments, TCustomComPort *port, PortList ports);
    ~TFirstStartHint() override;

    // Connect the named port; the window's own Connect.
    std::function<void(const QString &port)> OnConnect;
    // Show the page where instruments are switched on.
    std::function<void()> OnInstruments;

    void RefreshPorts();
    QComboBox *PortBox() const { return portBox; }
    QPushButton *ConnectButton() const { return connectButton; }
    QString Text() const;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void dismiss();
    void centre();

    QWidget *panel;
    QPointer<TCustomComPort> port;
    TComLink link;
    PortList ports;
    QLabel *portText;
    QLabel *command;
    QComboBox *portBox;
    QPushButton *connectButton;
    QTimer refresh;
};
