#pragma once
// What a component attaches to a port to hear of its data and line changes. Every slot may be
// empty; the port serves links in the order they were attached.
#include <functional>

class TCustomComPort;

struct TComLink {
    using Signal = std::function<void(TCustomComPort *sender, bool onOff)>;
    using Buffer = std::function<void(TCustomComPort *sender, const char *buffer, int count)>;
    using Notify = std::function<void(TCustomComPort *sender)>;

    Signal LinkConn;
    Buffer LinkRxBuf;
    Buffer LinkTxBuf;
    Notify LinkTxEmpty;
    Notify LinkRxFlag;
    Signal LinkCTS;
    Signal LinkDSR;
    Signal LinkRLSD;
    Notify LinkRing;
    Signal LinkTx;
    Signal LinkRx;
};
