#include "ComSettings.h"
#include "ComPort.h"

TComSettingsGroup::TComSettingsGroup(TCustomComPort *port) : QObject(port), m_port(port) {}

TComTimeouts::TComTimeouts(TCustomComPort *port) : TComSettingsGroup(port) {}

void TComTimeouts::Assign(const TComTimeouts &other)
{
    m_readInterval = other.m_readInterval;
    m_readTotalMultiplier = other.m_readTotalMultiplier;
    m_readTotalConstant = other.m_readTotalConstant;
    m_writeTotalMultiplier = other.m_writeTotalMultiplier;
    m_writeTotalConstant = other.m_writeTotalConstant;
    apply();
}

void TComTimeouts::apply()
{
    m_port->ApplyTimeouts();
}

TComFlowControl::TComFlowControl(TCustomComPort *port) : TComSettingsGroup(port) {}

void TComFlowControl::Assign(const TComFlowControl &other)
{
    m_outCTSFlow = other.m_outCTSFlow;
    m_outDSRFlow = other.m_outDSRFlow;
    m_controlDTR = other.m_controlDTR;
    m_controlRTS = other.m_controlRTS;
    m_xonXoffOut = other.m_xonXoffOut;
    m_xonXoffIn = other.m_xonXoffIn;
    m_dsrSensitivity = other.m_dsrSensitivity;
    m_txContinueOnXoff = other.m_txContinueOnXoff;
    m_xonChar = other.m_xonChar;
    m_xoffChar = other.m_xoffChar;
    apply();
}

void TComFlowControl::apply()
{
    m_port->ApplyLineSettings();
}

Com::TFlowControl TComFlowControl::FlowControl() const
{
    if (m_controlRTS == Com::rtsHandshake && m_outCTSFlow && !m_xonXoffIn && !m_xonXoffOut)
        return Com::fcHardware;
    if (m_controlRTS == Com::rtsDisable && !m_outCTSFlow && m_xonXoffIn && m_xonXoffOut)
        return Com::fcSoftware;
    if (m_controlRTS != Com::rtsDisable || m_outCTSFlow || m_xonXoffIn || m_xonXoffOut)
        return Com::fcCustom;
    return Com::fcNone;
}

void TComFlowControl::SetFlowControl(Com::TFlowControl v)
{
    if (v != Com::fcCustom) {
        m_controlRTS = Com::rtsDisable;
        m_outCTSFlow = m_xonXoffIn = m_xonXoffOut = false;
        if (v == Com::fcHardware) {
            m_controlRTS = Com::rtsHandshake;
            m_outCTSFlow = true;
        } else if (v == Com::fcSoftware) {
            m_xonXoffIn = m_xonXoffOut = true;
        }
    }
    apply();
}

TComParity::TComParity(TCustomComPort *port) : TComSettingsGroup(port) {}

void TComParity::Assign(const TComParity &other)
{
    m_bits = other.m_bits;
    m_check = other.m_check;
    m_replace = other.m_replace;
    m_replaceChar = other.m_replaceChar;
    apply();
}

void TComParity::apply()
{
    m_port->ApplyLineSettings();
}

TComBuffer::TComBuffer(TCustomComPort *port) : TComSettingsGroup(port) {}

void TComBuffer::Assign(const TComBuffer &other)
{
    m_inputSize = other.m_inputSize;
    m_outputSize = other.m_outputSize;
    apply();
}

void TComBuffer::apply()
{
    m_port->ApplyBuffer();
}
