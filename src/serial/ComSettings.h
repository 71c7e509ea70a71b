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
    void Assign(const TComTimeouts &other)
    {
        m_v = other.m_v;
        apply();
    }

    int32_t ReadInterval() const { return m_v.readInterval; }
    int32_t ReadTotalMultiplier() const { return m_v.readTotalMultiplier; }
    int32_t ReadTotalConstant() const { return m_v.readTotalConstant; }
    int32_t WriteTotalMultiplier() const { return m_v.writeTotalMultiplier; }
    int32_t WriteTotalConstant() const { return m_v.writeTotalConstant; }
    void SetReadInterval(int32_t v) { set(m_v.readInterval, v); }
    void SetReadTotalMultiplier(int32_t v) { set(m_v.readTotalMultiplier, v); }
    void SetReadTotalConstant(int32_t v) { set(m_v.readTotalConstant, v); }
    void SetWriteTotalMultiplier(int32_t v) { set(m_v.writeTotalMultiplier, v); }
    void SetWriteTotalConstant(int32_t v) { set(m_v.writeTotalConstant, v); }

private:
    void apply() override;
    // The values of the group, copied whole by Assign.
    struct Values {
        int32_t readInterval = -1;
        int32_t readTotalMultiplier = 0;
        int32_t readTotalConstant = 0;
        int32_t writeTotalMultiplier = 100;
        int32_t writeTotalConstant = 1000;
    } m_v;
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
    void Assign(const TComFlowControl &other)
    {
        m_v = other.m_v;
        apply();
    }

    bool OutCTSFlow() const { return m_v.outCTSFlow; }
    bool OutDSRFlow() const { return m_v.outDSRFlow; }
    Com::TDTRFlowControl ControlDTR() const { return m_v.controlDTR; }
    Com::TRTSFlowControl ControlRTS() const { return m_v.controlRTS; }
    bool XonXoffOut() const { return m_v.xonXoffOut; }
    bool XonXoffIn() const { return m_v.xonXoffIn; }
    bool DSRSensitivity() const { return m_v.dsrSensitivity; }
    bool TxContinueOnXoff() const { return m_v.txContinueOnXoff; }
    char XonChar() const { return m_v.xonChar; }
    char XoffChar() const { return m_v.xoffChar; }
    Com::TFlowControl FlowControl() const;

    void SetOutCTSFlow(bool v) { set(m_v.outCTSFlow, v); }
    void SetOutDSRFlow(bool v) { set(m_v.outDSRFlow, v); }
    void SetControlDTR(Com::TDTRFlowControl v) { set(m_v.controlDTR, v); }
    void SetControlRTS(Com::TRTSFlowControl v) { set(m_v.controlRTS, v); }
    void SetXonXoffOut(bool v) { set(m_v.xonXoffOut, v); }
    void SetXonXoffIn(bool v) { set(m_v.xonXoffIn, v); }
    void SetDSRSensitivity(bool v) { set(m_v.dsrSensitivity, v); }
    void SetTxContinueOnXoff(bool v) { set(m_v.txContinueOnXoff, v); }
    void SetXonChar(char v) { set(m_v.xonChar, v); }
    void SetXoffChar(char v) { set(m_v.xoffChar, v); }
    void SetFlowControl(Com::TFlowControl v);

private:
    void apply() override;
    // The values of the group, copied whole by Assign.
    struct Values {
        bool outCTSFlow = false;
        bool outDSRFlow = false;
        Com::TDTRFlowControl controlDTR = Com::dtrDisable;
        Com::TRTSFlowControl controlRTS = Com::rtsDisable;
        bool xonXoffOut = false;
        bool xonXoffIn = false;
        bool dsrSensitivity = false;
        bool txContinueOnXoff = false;
        char xonChar = 17;
        char xoffChar = 19;
    } m_v;
};

class TComParity : public TComSettingsGroup {
    Q_OBJECT
    Q_PROPERTY(Com::TParityBits Bits READ Bits WRITE SetBits)
    Q_PROPERTY(bool Check READ Check WRITE SetCheck)
    Q_PROPERTY(bool Replace READ Replace WRITE SetReplace)
    Q_PROPERTY(char ReplaceChar READ ReplaceChar WRITE SetReplaceChar)
public:
    explicit TComParity(TCustomComPort *port);
    void Assign(const TComParity &other)
    {
        m_v = other.m_v;
        apply();
    }

    Com::TParityBits Bits() const { return m_v.bits; }
    bool Check() const { return m_v.check; }
    bool Replace() const { return m_v.replace; }
    char ReplaceChar() const { return m_v.replaceChar; }
    void SetBits(Com::TParityBits v) { set(m_v.bits, v); }
    void SetCheck(bool v) { set(m_v.check, v); }
    void SetReplace(bool v) { set(m_v.replace, v); }
    void SetReplaceChar(char v) { set(m_v.replaceChar, v); }

private:
    void apply() override;
    // The values of the group, copied whole by Assign.
    struct Values {
        Com::TParityBits bits = Com::prNone;
        bool check = false;
        bool replace = false;
        char replaceChar = 0;
    } m_v;
};

class TComBuffer : public TComSettingsGroup {
    Q_OBJECT
    Q_PROPERTY(int InputSize READ InputSize WRITE SetInputSize)
    Q_PROPERTY(int OutputSize READ OutputSize WRITE SetOutputSize)
public:
    explicit TComBuffer(TCustomComPort *port);
    void Assign(const TComBuffer &other)
    {
        m_v = other.m_v;
        apply();
    }

    int32_t InputSize() const { return m_v.inputSize; }
    int32_t OutputSize() const { return m_v.outputSize; }
    // Odd sizes are stored as the next lower even number.
    void SetInputSize(int32_t v) { set(m_v.inputSize, even(v)); }
    void SetOutputSize(int32_t v) { set(m_v.outputSize, even(v)); }

private:
    static int32_t even(int32_t v) { return v > 0 ? (v & ~1) : v; }
    void apply() override;
    // The values of the group, copied whole by Assign.
    struct Values {
        int32_t inputSize = 1024;
        int32_t outputSize = 1024;
    } m_v;
};
