#include "EComPort.h"

#include "PortDoctor.h"

#include <array>

namespace {
constexpr std::array<const char *, 24> kTexts = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
    "Port Not Open",
};
} // namespace

QString EComPort::CodeText(int code)
{
    if (code < 1 || code > int(kTexts.size()))
        return QString();
    return QString::fromLatin1(kTexts[size_t(code - 1)]);
}

QString EComPort::MessageFor(int code, int winCode)
{
    QString text = CodeText(code);
    if (winCode > 0)
        text += QStringLiteral(" (Error: ") + QString::number(winCode) + QLatin1Char(')');
    return text;
}

EComPort::EComPort(int code, int winCode)
    : std::runtime_error(MessageFor(code, winCode).toStdString()),
      m_code(code),
      m_winCode(winCode > 0 ? winCode : -1)
{
}

QString EComPort::Explanation(const QString &port) const
{
    if (m_winCode <= 0)
        return QString();
    if (m_code == Com::ErrorCode(Com::CE_OpenFailed))
        return tg::platform::explainOpenFailure(port, m_winCode);
    if (m_code == Com::ErrorCode(Com::CE_SetStateFailed))
        return tg::platform::explainSettingsFailure(port, m_winCode);
    return QString();
}
