#include "EComPort.h"

#include "PortDoctor.h"

#include <array>
#include <cstring>

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
    using namespace Com;
    const QString given = port.contains(u'/') ? port : QStringLiteral("/dev/") + port;
    if (m_code == ErrorCode(CEPortNotOpen))
        return port == QLatin1String("COM1")
                   ? QStringLiteral("No port is chosen yet: choose one on the Interface page and press Connect.")
                   : QStringLiteral("%1 is not open: press Connect on the Interface page first.").arg(given);
    if (m_winCode <= 0)
        return QString();
    if (m_code == ErrorCode(CE_OpenFailed))
        return tg::platform::explainOpenFailure(port, m_winCode);
    if (m_code == ErrorCode(CE_WaitFailed) || m_code == ErrorCode(CE_ReadFailed) || m_code == ErrorCode(CE_WriteFailed))
        return tg::platform::explainLostDevice(port, m_winCode);
    const QString why = QString::fromLocal8Bit(std::strerror(m_winCode));
    if (m_code == ErrorCode(CE_SetStateFailed)) {
        if (const QString server = tg::platform::explainSettingsFailure(port, m_winCode); !server.isEmpty())
            return server;
        return QStringLiteral("%1 refused the line settings: %2. Choose another baud rate.").arg(given, why);
    }
    return QStringLiteral("%1: %2.").arg(given, why);
}
