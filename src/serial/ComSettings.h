#pragma once
// The settings groups a port owns. Every setter stores a different value and then asks the
// port to re-apply its group (which waits for the next open while the port is closed).
#include "ComTypes.h"
#include <QObject>

class TCustomComPort;

// What the groups share: the owning port, and a setter that re-applies the group on change.
class TComSettingsGroup : public QObject {
    Q_OBJECT
public:
    explicit TComSettingsGroup(TCustomComPort *port);

protected:
    template <typename T>
    void set(T &field, T v)
    {
        if (field == v)
            return;
        field = v;
        apply();
    }
    virtual void apply() = 0;
    TCustomComPort *m_port;
};

class TComTimeouts : public TComSettingsGroup {
    Q_OBJECT
    Q_PROPERTY(int ReadInterval READ ReadInterval WRITE SetReadInterval)
    Q_PROPERTY(int ReadTotalMultiplier READ ReadTotalMultiplier WRITE SetReadTotalMultiplier)
    Q_PROPERTY(int ReadTotalConstant READ ReadTotalConstant WRITE SetReadTotalConstant)
    Q_PROPERTY(int WriteTotalMultiplier READ WriteTotalMultiplier WRITE SetWriteTotalMultiplier)
    Q_PROPERTY(int WriteTotalConstant READ WriteTotalConstant WRITE SetWriteTotalConstant)
public:
    explicit TComTimeouts(TCustomComPort *port);
    void Assign(const TComTimeouts &other);

    int32_t ReadInterval() const { return m_readInterval; }
    int32_t ReadTotalMultiplier() const { return m_readTotalMultiplier; }
    int32_t ReadTotalConstant() const { return m_readTotalConstant; }
    int32_t WriteTotalMultiplier() const { return m_writeTotalMultiplier; }
    int32_t WriteTotalConstant() const { return m_writeTotalConstant; }
    void SetReadInterval(int32_t v) { set(m_readInterval, v); }
    void SetReadTotalMultiplier(int32_t v) { set(m_readTotalMultiplier, v); }
    void SetReadTotalConstant(int32_t v) { set(m_readTotalConstant, v); }
    void SetWriteTotalMultiplier(int32_t v) { set(m_writeTotalMultiplier, v); }
    void SetWriteTotalConstant(int32_t v) { set(m_writeTotalConstant, v); }

private:
    void apply() override;
    int32_t m_readInterval = -1;
    int32_t m_readTotalMultiplier = 0;
    int32_t m_readTotalConstant = 0;
    int32_t m_writeTotalMultiplier = 100;
    int32_t m_writeTotalConstant = 1000;
};

class TComFlowControl : public TComSettingsGroup {
    Q_OBJECT
    Q_PROPERTY(bool OutCTSFlow READ OutCTSFlow WRITE SetOutCTSFlow)
    Q_PROPERTY(bool OutDSRFlow READ OutDSRFlow WRITE SetOutDSRFlow)
    Q_PROPERTY(Com::TDTRFlowControl ControlDTR READ ControlDTR WRITE SetControlDTR)
    Q_PROPERTY(Com::TRTSFlowControl ControlRTS READ ControlRTS WRITE SetControlRTS)
    Q_PROPERTY(bool XonXoffOut READ XonXoffOut WRITE SetXonXoffOut)
    Q_PROPERTY(bool XonXoffIn READ XonXoffIn WRITE SetXonXoffIn)
    Q_PROPERTY(bool DSRSensitivity READ DSRSensitivity WRITE SetDSRSensitivity)
    Q_PROPERTY(bool TxContinueOnXoff READ TxContinueOnXoff WRITE SetTxContinueOnXoff)
    Q_PROPERTY(char XonChar READ XonChar WRITE SetXonChar)
    Q_PROPERTY(char XoffChar READ XoffChar WRITE SetXoffChar)
    Q_PROPERTY(Com::TFlowControl FlowControl READ FlowControl WRITE SetFlowControl STORED false)
public:
    explicit TComFlowControl(TCustomComPort *port);
    void Assign(const TComFlowControl &other);

    bool OutCTSFlow() const { return m_outCTSFlow; }
    bool OutDSRFlow() const { return m_outDSRFlow; }
    Com::TDTRFlowControl ControlDTR() const { return m_controlDTR; }
    Com::TRTSFlowControl ControlRTS() const { return m_controlRTS; }
    bool XonXoffOut() const { return m_xonXoffOut; }
    bool XonXoffIn() const { return m_xonXoffIn; }
    bool DSRSensitivity() const { return m_dsrSensitivity; }
    bool TxContinueOnXoff() const { return m_txContinueOnXoff; }
    char XonChar() const { return m_xonChar; }
    char XoffChar() const { return m_xoffChar; }
    Com::TFlowControl FlowControl() const;

    void SetOutCTSFlow(bool v) { set(m_outCTSFlow, v); }
    void SetOutDSRFlow(bool v) { set(m_outDSRFlow, v); }
    void SetControlDTR(Com::TDTRFlowControl v) { set(m_controlDTR, v); }
    void SetControlRTS(Com::TRTSFlowControl v) { set(m_controlRTS, v); }
    void SetXonXoffOut(bool v) { set(m_xonXoffOut, v); }
    void SetXonXoffIn(bool v) { set(m_xonXoffIn, v); }
    void SetDSRSensitivity(bool v) { set(m_dsrSensitivity, v); }
    void SetTxContinueOnXoff(bool v) { set(m_txContinueOnXoff, v); }
    void SetXonChar(char v) { set(m_xonChar, v); }
    void SetXoffChar(char v) { set(m_xoffChar, v); }
    void SetFlowControl(Com::TFlowControl v);

private:
    void apply() override;
    bool m_outCTSFlow = false;
    bool m_outDSRFlow = false;
    Com::TDTRFlowControl m_controlDTR = Com::dtrDisable;
    Com::TRTSFlowControl m_controlRTS = Com::rtsDisable;
    bool m_xonXoffOut = false;
    bool m_xonXoffIn = false;
    bool m_dsrSensitivity = false;
    bool m_txContinueOnXoff = false;
    char m_xonChar = 17;
    char m_xoffChar = 19;
};

class TComParity : public TComSettingsGroup {
    Q_OBJECT
    Q_PROPERTY(Com::TParityBits Bits READ Bits WRITE SetBits)
    Q_PROPERTY(bool Check READ Check WRITE SetCheck)
    Q_PROPERTY(bool Replace READ Replace WRITE SetReplace)
    Q_PROPERTY(char ReplaceChar READ ReplaceChar WRITE SetReplaceChar)
public:
    explicit TComParity(TCustomComPort *port);
    void Assign(const TComParity &other);

    Com::TParityBits Bits() const { return m_bits; }
    bool Check() const { return m_check; }
    bool Replace() const { return m_replace; }
    char ReplaceChar() const { return m_replaceChar; }
    void SetBits(Com::TParityBits v) { set(m_bits, v); }
    void SetCheck(bool v) { set(m_check, v); }
    void SetReplace(bool v) { set(m_replace, v); }
    void SetReplaceChar(char v) { set(m_replaceChar, v); }

private:
    void apply() override;
    Com::TParityBits m_bits = Com::prNone;
    bool m_check = false;
    bool m_replace = false;
    char m_replaceChar = 0;
};

class TComBuffer : public TComSettingsGroup {
    Q_OBJECT
    Q_PROPERTY(int InputSize READ InputSize WRITE SetInputSize)
    Q_PROPERTY(int OutputSize READ OutputSize WRITE SetOutputSize)
public:
    explicit TComBuffer(TCustomComPort *port);
    void Assign(const TComBuffer &other);

    int32_t InputSize() const { return m_inputSize; }
    int32_t OutputSize() const { return m_outputSize; }
    // Odd sizes are stored as the next lower even number.
    void SetInputSize(int32_t v) { set(m_inputSize, even(v)); }
    void SetOutputSize(int32_t v) { set(m_outputSize, even(v)); }

private:
    static int32_t even(int32_t v) { return v > 0 ? (v & ~1) : v; }
    void apply() override;
    int32_t m_inputSize = 1024;
    int32_t m_outputSize = 1024;
};
