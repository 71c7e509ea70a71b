// The port's own settings store in an INI section named after the port: the groups chosen by
// StoredProps, as readable texts.
#include "ComPort.h"
#include "IniFileStorage.h"

#include <array>

using namespace Com;

namespace {

constexpr std::array kBaudTexts = {"Custom", "110",   "300",    "600",    "1200",   "2400",
                                   "4800",   "9600",  "14400",  "19200",  "38400",  "56000",
                                   "57600",  "115200", "128000", "256000"};
constexpr std::array kStopTexts = {"1", "1.5", "2"};
constexpr std::array kDataTexts = {"5", "6", "7", "8"};
constexpr std::array kParityTexts = {"None", "Odd", "Even", "Mark", "Space"};
constexpr std::array kFlowTexts = {"Hardware", "Software", "None", "Custom"};
constexpr std::array kRtsTexts = {"Disable", "Enable", "Handshake", "Toggle"};
constexpr std::array kDtrTexts = {"Disable", "Enable", "Handshake"};

QString boolText(bool v) { return v ? QStringLiteral("Yes") : QStringLiteral("No"); }

QString charText(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return code < 33 ? QStringLiteral("#") + QString::number(code) : QString(QChar::fromLatin1(c));
}

char textChar(const QString &text)
{
    if (text.isEmpty())
        return 0;
    if (text.size() > 1 && text[0] == QLatin1Char('#')) {
        bool ok = false;
        const int code = text.mid(1).toInt(&ok);
        return ok ? char(code) : 0;
    }
    return text[0].toLatin1();
}

template <size_t N>
int textIndex(const std::array<const char *, N> &texts, const QString &text, int unknown)
{
    for (size_t i = 0; i < N; ++i)
        if (text.compare(QLatin1String(texts[i]), Qt::CaseInsensitive) == 0)
            return int(i);
    return unknown;
}

// Reads one key of the section; a missing key leaves the current value alone.
class Section {
public:
    Section(IniFileStorage &ini, const QString &name) : m_ini(ini), m_name(name) {}
    QString path(const char *key) const { return m_name + QLatin1Char('\\') + QLatin1String(key); }
    bool has(const char *key) const { return m_ini.HasValue(path(key)); }
    QString text(const char *key) const { return m_ini.LoadText(path(key), QString()); }
    void write(const char *key, const QString &value) const { m_ini.StoreText(path(key), value); }

    template <typename Set>
    void readBool(const char *key, Set set) const
    {
        if (has(key))
            set(text(key).compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0);
    }
    template <typename Set>
    void readChar(const char *key, Set set) const
    {
        if (has(key))
            set(textChar(text(key)));
    }
    template <typename Set>
    void readInt(const char *key, Set set) const
    {
        bool ok = false;
        const int v = has(key) ? text(key).trimmed().toInt(&ok) : 0;
        if (ok)
            set(v);
    }
    template <typename Enum, size_t N, typename Set>
    void readEnum(const char *key, const std::array<const char *, N> &texts, Enum unknown, Set set) const
    {
        if (has(key))
            set(Enum(textIndex(texts, text(key), int(unknown))));
    }

private:
    IniFileStorage &m_ini;
    QString m_name;
};

} // namespace

void TCustomComPort::StoreIniFile(IniFileStorage &ini)
{
    const Section s(ini, objectName());
    const TComFlowControl &flow = *m_flowControl;
    if (m_storedProps & spBasic) {
        s.write("Port", m_port);
        s.write("BaudRate", QLatin1String(kBaudTexts[size_t(m_baudRate)]));
        if (m_baudRate == brCustom)
            s.write("CustomBaudRate", QString::number(m_customBaudRate));
        s.write("StopBits", QLatin1String(kStopTexts[size_t(m_stopBits)]));
        s.write("DataBits", QLatin1String(kDataTexts[size_t(m_dataBits)]));
        s.write("Parity", QLatin1String(kParityTexts[size_t(m_parity->Bits())]));
        s.write("FlowControl", QLatin1String(kFlowTexts[size_t(flow.FlowControl())]));
    }
    if (m_storedProps & spOthers) {
        s.write("EventChar", charText(m_eventChar));
        s.write("DiscardNull", boolText(m_discardNull));
    }
    if (m_storedProps & spParity) {
        s.write("Parity.Check", boolText(m_parity->Check()));
        s.write("Parity.Replace", boolText(m_parity->Replace()));
        s.write("Parity.ReplaceChar", charText(m_parity->ReplaceChar()));
    }
    if (m_storedProps & spBuffer) {
        s.write("Buffer.OutputSize", QString::number(m_buffer->OutputSize()));
        s.write("Buffer.InputSize", QString::number(m_buffer->InputSize()));
    }
    if (m_storedProps & spTimeouts) {
        const TComTimeouts &t = *m_timeouts;
        s.write("Timeouts.ReadInterval", QString::number(t.ReadInterval()));
        s.write("Timeouts.ReadTotalConstant", QString::number(t.ReadTotalConstant()));
        s.write("Timeouts.ReadTotalMultiplier", QString::number(t.ReadTotalMultiplier()));
        s.write("Timeouts.WriteTotalConstant", QString::number(t.WriteTotalConstant()));
        s.write("Timeouts.WriteTotalMultiplier", QString::number(t.WriteTotalMultiplier()));
    }
    if (m_storedProps & spFlowControl) {
        s.write("FlowControl.ControlRTS", QLatin1String(kRtsTexts[size_t(flow.ControlRTS())]));
        s.write("FlowControl.ControlDTR", QLatin1String(kDtrTexts[size_t(flow.ControlDTR())]));
        s.write("FlowControl.DSRSensitivity", boolText(flow.DSRSensitivity()));
        s.write("FlowControl.OutCTSFlow", boolText(flow.OutCTSFlow()));
        s.write("FlowControl.OutDSRFlow", boolText(flow.OutDSRFlow()));
        s.write("FlowControl.TxContinueOnXoff", boolText(flow.TxContinueOnXoff()));
        s.write("FlowControl.XonXoffIn", boolText(flow.XonXoffIn()));
        s.write("FlowControl.XonXoffOut", boolText(flow.XonXoffOut()));
        s.write("FlowControl.XoffChar", charText(flow.XoffChar()));
        s.write("FlowControl.XonChar", charText(flow.XonChar()));
    }
}

void TCustomComPort::LoadIniFile(IniFileStorage &ini)
{
    const Section s(ini, objectName());
    TComFlowControl &flow = *m_flowControl;
    if (m_storedProps & spBasic) {
        if (s.has("Port"))
            SetPort(s.text("Port"));
        s.readEnum("BaudRate", kBaudTexts, br9600, [this](TBaudRate v) { SetBaudRate(v); });
        if (m_baudRate == brCustom) {
            bool ok = false;
            const int rate = s.text("CustomBaudRate").trimmed().toInt(&ok);
            SetCustomBaudRate(ok ? rate : 9600);
        }
        s.readEnum("StopBits", kStopTexts, sbOneStopBit, [this](TStopBits v) { SetStopBits(v); });
        s.readEnum("DataBits", kDataTexts, dbEight, [this](TDataBits v) { SetDataBits(v); });
        s.readEnum("Parity", kParityTexts, prNone, [this](TParityBits v) { m_parity->SetBits(v); });
        s.readEnum("FlowControl", kFlowTexts, fcCustom, [&](TFlowControl v) { flow.SetFlowControl(v); });
    }
    if (m_storedProps & spOthers) {
        s.readChar("EventChar", [this](char c) { SetEventChar(c); });
        s.readBool("DiscardNull", [this](bool b) { SetDiscardNull(b); });
    }
    if (m_storedProps & spParity) {
        s.readBool("Parity.Check", [this](bool b) { m_parity->SetCheck(b); });
        s.readBool("Parity.Replace", [this](bool b) { m_parity->SetReplace(b); });
        s.readChar("Parity.ReplaceChar", [this](char c) { m_parity->SetReplaceChar(c); });
    }
    if (m_storedProps & spBuffer) {
        s.readInt("Buffer.OutputSize", [this](int v) { m_buffer->SetOutputSize(v); });
        s.readInt("Buffer.InputSize", [this](int v) { m_buffer->SetInputSize(v); });
    }
    if (m_storedProps & spTimeouts) {
        TComTimeouts &t = *m_timeouts;
        s.readInt("Timeouts.ReadInterval", [&](int v) { t.SetReadInterval(v); });
        s.readInt("Timeouts.ReadTotalConstant", [&](int v) { t.SetReadTotalConstant(v); });
        s.readInt("Timeouts.ReadTotalMultiplier", [&](int v) { t.SetReadTotalMultiplier(v); });
        s.readInt("Timeouts.WriteTotalConstant", [&](int v) { t.SetWriteTotalConstant(v); });
        s.readInt("Timeouts.WriteTotalMultiplier", [&](int v) { t.SetWriteTotalMultiplier(v); });
    }
    if (m_storedProps & spFlowControl) {
        s.readEnum("FlowControl.ControlRTS", kRtsTexts, rtsDisable, [&](TRTSFlowControl v) { flow.SetControlRTS(v); });
        s.readEnum("FlowControl.ControlDTR", kDtrTexts, dtrDisable, [&](TDTRFlowControl v) { flow.SetControlDTR(v); });
        s.readBool("FlowControl.DSRSensitivity", [&](bool b) { flow.SetDSRSensitivity(b); });
        s.readBool("FlowControl.OutCTSFlow", [&](bool b) { flow.SetOutCTSFlow(b); });
        s.readBool("FlowControl.OutDSRFlow", [&](bool b) { flow.SetOutDSRFlow(b); });
        s.readBool("FlowControl.TxContinueOnXoff", [&](bool b) { flow.SetTxContinueOnXoff(b); });
        s.readBool("FlowControl.XonXoffIn", [&](bool b) { flow.SetXonXoffIn(b); });
        s.readBool("FlowControl.XonXoffOut", [&](bool b) { flow.SetXonXoffOut(b); });
        s.readChar("FlowControl.XoffChar", [&](char c) { flow.SetXoffChar(c); });
        s.readChar("FlowControl.XonChar", [&](char c) { flow.SetXonChar(c); });
    }
}
