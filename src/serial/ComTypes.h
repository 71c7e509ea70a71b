#pragma once
// Enumerations and sets of the serial port. Set members carry their bit (bit i for ordinal i),
// so a set is a plain QFlags of them.
#include <QFlags>
#include <QObject>
#include <cstdint>

namespace Com {
Q_NAMESPACE

enum TBaudRate {
    brCustom, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400,
    br56000, br57600, br115200, br128000, br256000
};
Q_ENUM_NS(TBaudRate)

enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
Q_ENUM_NS(TStopBits)

enum TDataBits { dbFive, dbSix, dbSeven, dbEight };
Q_ENUM_NS(TDataBits)

enum TParityBits { prNone, prOdd, prEven, prMark, prSpace };
Q_ENUM_NS(TParityBits)

enum TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
Q_ENUM_NS(TDTRFlowControl)

enum TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
Q_ENUM_NS(TRTSFlowControl)

enum TFlowControl { fcHardware, fcSoftware, fcNone, fcCustom };
Q_ENUM_NS(TFlowControl)

enum TComEvent : uint32_t {
    evRxChar = 1u << 0, evTxEmpty = 1u << 1, evRxFlag = 1u << 2, evRing = 1u << 3,
    evBreak = 1u << 4, evCTS = 1u << 5, evDSR = 1u << 6, evError = 1u << 7, evRLSD = 1u << 8,
    evRx80Full = 1u << 9
};
Q_DECLARE_FLAGS(TComEvents, TComEvent)
Q_FLAG_NS(TComEvents)

enum TComError : uint32_t {
    ceFrame = 1u << 0, ceRxParity = 1u << 1, ceOverrun = 1u << 2, ceBreak = 1u << 3,
    ceIO = 1u << 4, ceMode = 1u << 5, ceRxOver = 1u << 6, ceTxFull = 1u << 7
};
Q_DECLARE_FLAGS(TComErrors, TComError)
Q_FLAG_NS(TComErrors)

enum TSyncMethod { smThreadSync, smWindowSync, smNone };
Q_ENUM_NS(TSyncMethod)

enum TStoredProp : uint32_t {
    spBasic = 1u << 0, spFlowControl = 1u << 1, spBuffer = 1u << 2, spTimeouts = 1u << 3,
    spParity = 1u << 4, spOthers = 1u << 5
};
Q_DECLARE_FLAGS(TStoredProps, TStoredProp)
Q_FLAG_NS(TStoredProps)

// Ordinals count from 0; the error code of each is its ordinal + 1 (CE_OpenFailed is code 1).
enum TComExceptions {
    CE_OpenFailed, CE_WriteFailed, CE_ReadFailed, CE_InvalidAsync, CE_PurgeFailed,
    CE_AsyncCheck, CE_SetStateFailed, CE_TimeoutsFailed, CE_SetupComFailed, CE_ClearComFailed,
    CE_ModemStatFailed, CE_EscapeComFailed, CE_TransmitFailed, CE_ConnChangeProp,
    CE_EnumPortsFailed, CE_StoreFailed, CE_LoadFailed, CE_RegFailed, CE_LedStateFailed,
    CE_ThreadCreated, CE_WaitFailed, CE_HasLink, CE_RegError, CEPortNotOpen
};
Q_ENUM_NS(TComExceptions)

constexpr int ErrorCode(TComExceptions e) { return int(e) + 1; }

// The signal kinds a port reports to its links (shared with the port lamps).
enum TComLedSignal { lsConn, lsCTS, lsDSR, lsRLSD, lsRing, lsRx, lsTx };
Q_ENUM_NS(TComLedSignal)

inline constexpr TComEvents allComEvents = TComEvents::fromInt(0x3FF);

} // namespace Com

Q_DECLARE_OPERATORS_FOR_FLAGS(Com::TComEvents)
Q_DECLARE_OPERATORS_FOR_FLAGS(Com::TComErrors)
Q_DECLARE_OPERATORS_FOR_FLAGS(Com::TStoredProps)
