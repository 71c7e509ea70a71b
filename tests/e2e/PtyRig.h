#pragma once
// The main window with a pseudo-terminal as its device; warnings are collected, not shown.
#include "../serial/Pty.h"
#include "ComPort.h"
#include "GvVMeter.h"
#include "MainWindow.h"

#include <QStringList>

struct PtyRig {
    Pty device;
    TFormMain w;
    QStringList warnings;
    PtyRig()
    {
        w.showWarning = [this](const QString &t) { warnings << t; };
        w.ComPort1->SetPort(device.slave);
    }
    float meter(int id) { return qobject_cast<TGvVMeter *>(w.instrument(id))->Value(); }
};
