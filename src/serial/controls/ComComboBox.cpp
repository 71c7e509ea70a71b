#include "ComComboBox.h"

#include "PortIdentity.h"
#include "PortItemDelegate.h"
#include "PortLinks.h"
#include "SerialPorts.h"

#include <QAbstractItemView>
#include <QFileSystemWatcher>
#include <QStyle>

using namespace Com;
using namespace ComSelect;

namespace {

// Texts in the order of their enumeration values.
const QStringList &FixedEntries(TComProperty property)
{
    static const QStringList none;
    static const QStringList baud = {"Custom", "110",   "300",   "600",    "1200",   "2400",   "4800",   "9600",
                                     "14400",  "19200", "38400", "56000",  "57600",  "115200", "128000", "256000"};
    static const QStringList dataBits = {"5", "6", "7", "8"};
    static const QStringList stopBits = {"1", "1.5", "2"};
    static const QStringList parity = {"None", "Odd", "Even", "Mark", "Space"};
    static const QStringList flow = {"Hardware", "Software", "None", "Custom"};
    switch (property) {
    case cpBaudRate: return baud;
    case cpDataBits: return dataBits;
    case cpStopBits: return stopBits;
    case cpParity: return parity;
    case cpFlowControl: return flow;
    default: return none;
    }
}

// The value a text stands for; fallback when the text is not an entry.
template <typename E>
E FromText(TComProperty property, const QString &text, E fallback)
{
    const QStringList &entries = FixedEntries(property);
    for (int i = 0; i < entries.size(); ++i)
        if (entries[i].compare(text, Qt::CaseInsensitive) == 0)
            return E(i);
    return fallback;
}

int IndexOf(const QComboBox &items, const QString &text, Qt::CaseSensitivity cs)
{
    return items.findText(text, cs == Qt::CaseSensitive ? Qt::MatchFixedString | Qt::MatchCaseSensitive
                                                        : Qt::MatchFixedString);
}

// The entry of a port: the one with its name, else the one that leads to the same device (the
// port may be named by a link such as /dev/serial/by-id/..., the list names device nodes).
int PortIndex(const QComboBox &items, const QString &port, Qt::CaseSensitivity cs)
{
    const int i = IndexOf(items, port, cs);
    const QString node = i < 0 ? tg::platform::portDeviceNode(port) : QString();
    if (node.isEmpty())
        return i;
    for (int j = 0; j < items.count(); ++j)
        if (tg::platform::portDeviceNode(items.itemText(j)) == node)
            return j;
    return -1;
}

} // namespace

QStringList TComSelect::Entries() const
{
    if (ComProperty != cpPort)
        return FixedEntries(ComProperty);
    return ListPorts ? ListPorts() : tg::platform::listSerialPorts();
}

void TComSelect::AddEntries()
{
    const QStringList entries = Entries();
    m_items->addItems(entries);
    if (ComProperty != cpPort)
        return;
    for (int i = 0; i < entries.size(); ++i) {
        const QString description = DescribePort ? DescribePort(entries[i]) : tg::platform::describePort(entries[i]);
        m_items->setItemData(i, description, PortItemDelegate::DescriptionRole);
        m_items->setItemData(i, description, Qt::ToolTipRole);
    }
}

void TComSelect::Fill()
{
    m_items->clear();
    AddEntries();
    if (m_items->count() == 0)
        return;
    if (ComPort)
        SelectPortValue();
    else
        m_items->setCurrentIndex(0);
}

QString TComSelect::PortValueText() const
{
    switch (ComProperty) {
    case cpPort: return ComPort->Port();
    case cpBaudRate: return FixedEntries(ComProperty).value(int(ComPort->BaudRate()));
    case cpDataBits: return FixedEntries(ComProperty).value(int(ComPort->DataBits()));
    case cpStopBits: return FixedEntries(ComProperty).value(int(ComPort->StopBits()));
    case cpParity: return FixedEntries(ComProperty).value(int(ComPort->Parity()->Bits()));
    case cpFlowControl: return FixedEntries(ComProperty).value(int(ComPort->FlowControl()->FlowControl()));
    case cpNone: break;
    }
    return QString();
}

void TComSelect::SelectPortValue()
{
    if (!ComPort || ComProperty == cpNone)
        return;
    const QString text = PortValueText();
    // Device paths differ by case; the fixed entries do not.
    const int i = ComProperty == cpPort ? PortIndex(*m_items, text, Qt::CaseSensitive)
                                        : IndexOf(*m_items, text, Qt::CaseInsensitive);
    m_items->setCurrentIndex(i);
    // A port keeps the name it was given, also when the entry names its device otherwise.
    if (i >= 0)
        Change(ComProperty == cpPort ? text : m_items->itemText(i), false);
}

void TComSelect::Change(const QString &text, bool apply)
{
    switch (ComProperty) {
    case cpPort: PendingPort = text; break;
    case cpBaudRate: PendingBaudRate = FromText(ComProperty, text, br9600); break;
    case cpDataBits: PendingDataBits = FromText(ComProperty, text, dbEight); break;
    case cpStopBits: PendingStopBits = FromText(ComProperty, text, sbOneStopBit); break;
    case cpParity: PendingParity = FromText(ComProperty, text, prNone); break;
    case cpFlowControl: PendingFlowControl = FromText(ComProperty, text, fcCustom); break;
    case cpNone: return;
    }
    if (apply && AutoApply)
        Apply();
}

void TComSelect::Apply()
{
    if (!ComPort)
        return;
    switch (ComProperty) {
    case cpPort: ComPort->SetPort(PendingPort); break;
    case cpBaudRate: ComPort->SetBaudRate(PendingBaudRate); break;
    case cpDataBits: ComPort->SetDataBits(PendingDataBits); break;
    case cpStopBits: ComPort->SetStopBits(PendingStopBits); break;
    case cpParity: ComPort->Parity()->SetBits(PendingParity); break;
    case cpFlowControl: ComPort->FlowControl()->SetFlowControl(PendingFlowControl); break;
    case cpNone: break;
    }
}

TComComboBox::TComComboBox(QWidget *parent) : QComboBox(parent), m_select(this)
{
    setEditable(false);
    view()->setItemDelegate(new PortItemDelegate(view()));
    connect(this, &QComboBox::activated, this, [this] { Change(); });
    m_refreshSoon.setSingleShot(true);
    m_refreshSoon.setInterval(100);
    connect(&m_refreshSoon, &QTimer::timeout, this, [this] {
        if (view()->isVisible())
            RefreshPorts();
        else
            StopWatching(); // the list was closed some way that passed hidePopup()
    });
}


void TComComboBox::SetComPort(TCustomComPort *port)
{
    if (m_select.ComPort == port)
        return;
    disconnect(m_portWatch);
    m_select.ComPort = port;
    if (!port)
        return;
    m_portWatch = connect(port, &QObject::destroyed, this, &TComComboBox::PortDestroyed);
    m_select.SelectPortValue();
}

void TComComboBox::PortDestroyed()
{
    m_select.ComPort = nullptr;
    if (count() > 0)
        setCurrentIndex(0);
}

void TComComboBox::SetComProperty(TComProperty value)
{
    m_select.ComProperty = value;
    m_select.Fill();
}

void TComComboBox::SetText(const QString &text)
{
    const int i = m_select.ComProperty == cpPort ? PortIndex(*this, text, Qt::CaseInsensitive)
                                                 : IndexOf(*this, text, Qt::CaseInsensitive);
    if (i >= 0)
        setCurrentIndex(i);
}

void TComComboBox::Change()
{
    m_select.Change(Text(), true);
    if (OnChange)
        OnChange(this);
}

void TComComboBox::RefreshPorts()
{
    const QString current = Text();
    clear();
    m_select.AddEntries();
    setCurrentIndex(IndexOf(*this, current, Qt::CaseSensitive));
    // Wide enough for the descriptions, which the combo box itself does not measure.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    if (view()->isVisible())
        QComboBox::showPopup(); // fitted to the new entries
}

void TComComboBox::showPopup()
{
    if (m_select.ComProperty == cpPort) {
        RefreshPorts();
        // Device nodes appear in /dev (sysfs sends no notices), announced ports in their folder.
        delete m_deviceWatch;
        m_deviceWatch = new QFileSystemWatcher(this);
        for (const QString &folder : {QStringLiteral("/dev"), tg::platform::portLinkFolder()})
            if (!folder.isEmpty())
                m_deviceWatch->addPath(folder);
        connect(m_deviceWatch, &QFileSystemWatcher::directoryChanged, &m_refreshSoon, qOverload<>(&QTimer::start));
    }
    QComboBox::showPopup();
}

void TComComboBox::StopWatching()
{
    delete m_deviceWatch;
    m_deviceWatch = nullptr;
    m_refreshSoon.stop();
}

void TComComboBox::hidePopup()
{
    StopWatching();
    QComboBox::hidePopup();
}
