#pragma once
// A drop-down list offering the values of one port setting (the ports present, baud rates,
// data bits, stop bits, parity or flow control). It shows the port's current value and writes
// the value the user picks to the port.
#include "ComPort.h"

#include <QComboBox>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class QFileSystemWatcher;

namespace ComSelect {
Q_NAMESPACE
enum TComProperty { cpNone, cpPort, cpBaudRate, cpDataBits, cpStopBits, cpParity, cpFlowControl };
Q_ENUM_NS(TComProperty)
} // namespace ComSelect

// The list logic: the entries of a property, the value a text stands for and the value held
// until it is written to the port.
class TComSelect {
public:
    using TComProperty = ComSelect::TComProperty;

    explicit TComSelect(QComboBox *items) : m_items(items) {}

    // The entries for the property (the ports as the lister gives them).
    QStringList Entries() const;
    // Fills the list for the property and selects the port's value (entry 0 without a port).
    void Fill();
    // Adds the entries to the list, each port with its description.
    void AddEntries();
    // Selects the entry of the port's current value, none when it is not listed.
    void SelectPortValue();
    // Holds the value the text stands for; with apply and AutoApply writes it to the port.
    void Change(const QString &text, bool apply);
    // Writes the held value of the property to the port.
    void Apply();

    TComProperty ComProperty = ComSelect::cpNone;
    QPointer<TCustomComPort> ComPort;
    bool AutoApply = false;
    std::function<QStringList()> ListPorts;
    std::function<QString(const QString &port)> DescribePort;

    QString PendingPort;
    Com::TBaudRate PendingBaudRate = Com::br9600;
    Com::TDataBits PendingDataBits = Com::dbEight;
    Com::TStopBits PendingStopBits = Com::sbOneStopBit;
    Com::TParityBits PendingParity = Com::prNone;
    Com::TFlowControl PendingFlowControl = Com::fcCustom;

private:
    QString PortValueText() const;
    QComboBox *m_items;
};

class TComComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(TCustomComPort *ComPort READ ComPort WRITE SetComPort STORED false)
    Q_PROPERTY(ComSelect::TComProperty ComProperty READ ComProperty WRITE SetComProperty)
    Q_PROPERTY(bool AutoApply READ AutoApply WRITE SetAutoApply)
    Q_PROPERTY(QString Text READ Text WRITE SetText)
public:
    using TComProperty = ComSelect::TComProperty;

    explicit TComComboBox(QWidget *parent = nullptr);

    TCustomComPort *ComPort() const { return m_select.ComPort; }
    void SetComPort(TCustomComPort *port);
    TComProperty ComProperty() const { return m_select.ComProperty; }
    void SetComProperty(TComProperty value);
    bool AutoApply() const { return m_select.AutoApply; }
    void SetAutoApply(bool value) { m_select.AutoApply = value; }
    QString Text() const { return currentIndex() >= 0 ? currentText() : QString(); }
    void SetText(const QString &text);

    // Where the port list comes from (the machine's serial ports unless replaced).
    void SetPortLister(std::function<QStringList()> lister) { m_select.ListPorts = std::move(lister); }
    // What is shown beside a port in the list (what the device says it is unless replaced).
    void SetPortDescriber(std::function<QString(const QString &)> describer)
    {
        m_select.DescribePort = std::move(describer);
    }
    // Writes the held value to the port (what a pick does at once with AutoApply).
    void ApplySettings() { m_select.Apply(); }

    // The user picked an entry.
    virtual void Change();
    // Lists the ports again when the list opens, so a port plugged in since shows up, and
    // again whenever a device comes or goes while it is open.
    void showPopup() override;
    void hidePopup() override;

    std::function<void(QObject *sender)> OnChange;

private:
    void PortDestroyed();
    void RefreshPorts();
    void StopWatching();

    TComSelect m_select;
    QMetaObject::Connection m_portWatch;
    // Only while the list is open: the folders where device nodes and announced ports appear.
    QFileSystemWatcher *m_deviceWatch = nullptr;
    QTimer m_refreshSoon; // a plugged device makes several changes at once
};
