#include "ComSettings.h"
#include "ComPort.h"

TComSettingsGroup::TComSettingsGroup(TCustomComPort *port) : QObject(port), m_port(port) {}

TComTimeouts::TComTimeouts(TCustomComPort *port) : TComSettingsGroup(port) {}

void TComTimeouts::apply()
{
    m_port->ApplyTimeouts();
}

TComFlowControl::TComFlowControl(TCustomComPort *port) : TComSettingsGroup(port) {}

void TComFlowControl::apply()
{
    m_port->ApplyLineSettings();
}

Com::TFlowControl TComFlowControl::FlowControl() const
{
    if (m_v.controlRTS == Com::rtsHandshake && m_v.outCTSFlow && !m_v.xonXoffIn && !m_v.xonXoffOut)
        return Com::fcHardware;
    if (m_v.controlRTS == Com::rtsDisable && !m_v.outCTSFlow && m_v.xonXoffIn && m_v.xonXoffOut)
        return Com::fcSoftware;
    if (m_v.controlRTS != Com::rtsDisable || m_v.outCTSFlow || m_v.xonXoffIn || m_v.xonXoffOut)
        return Com::fcCustom;
    return Com::fcNone;
}

void TComFlowControl::SetFlowControl(Com::TFlowControl v)
{
    if (v != Com::fcCustom) {
        m_v.controlRTS = Com::rtsDisable;
        m_v.outCTSFlow = m_v.xonXoffIn = m_v.xonXoffOut = false;
        if (v == Com::fcHardware) {
            m_v.controlRTS = Com::rtsHandshake;
            m_v.outCTSFlow = true;
        } else if (v == Com::fcSoftware) {
            m_v.xonXoffIn = m_v.xonXoffOut = true;
        }
    }
    apply();
}

TComParity::TComParity(TCustomComPort *port) : TComSettingsGroup(port) {}

void TComParity::apply()
{
    m_port->ApplyLineSettings();
}

TComBuffer::TComBuffer(TCustomComPort *port) : TComSettingsGroup(port) {}

void TComBuffer::apply()
{
    m_port->ApplyBuffer();
}
