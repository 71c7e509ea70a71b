#include "FramePacer.h"

#include <QCoreApplication>
#include <algorithm>
#include <QEvent>
#include <QWidget>

FramePacer::FramePacer(QWidget *window) : QObject(window), window(window)
{
    held.setSingleShot(true);
    held.setTimerType(Qt::PreciseTimer);
    connect(&held, &QTimer::timeout, this, &FramePacer::deliverHeldFrame);
    window->installEventFilter(this);
}

bool FramePacer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != window || event->type() != QEvent::UpdateRequest || delivering)
        return false;
    if (!sinceFrame.isValid() || sinceFrame.elapsed() >= kFrameMs) {
        sinceFrame.start();
        if (OnFrame)
            OnFrame();
        return false;
    }
    // Held back: until the window has synced, Qt asks for no further request, so later
    // changes only add to what the held frame paints.
    if (!held.isActive())
        held.start(int(std::max<qint64>(kFrameMs - sinceFrame.elapsed(), 1)));
    return true;
}

void FramePacer::deliverHeldFrame()
{
    sinceFrame.start();
    if (OnFrame)
        OnFrame();
    delivering = true;
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(window, &request);
    delivering = false;
}
