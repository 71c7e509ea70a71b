// Shared pieces of tavelgrid-gallery: where pictures go, a stepped clock for flash phases and
// a parent widget to hold each instrument. Each instrument family renders its states in a file
// of its own.
#pragma once

#include "FlashService.h"
#include "Font.h"
#include "PanelSetup.h"

#include <QImage>
#include <QWidget>
#include <functional>

class QProcess;

namespace gallery {

// A clock the gallery steps by hand, so flash phases come out the same on every run.
class SteppedClock : public TFlashClock {
public:
    uint32_t Milliseconds() const override { return ms; }
    uint32_t ms = 1000;
};

// Renders w over the panel's background into OUTDIR/name.png; exits on a write failure.
void save(QWidget &w, const QString &name);
void save(const QImage &img, const QString &name);
// w rendered over the panel's background.
QImage image(QWidget &w);
using tg::app::setFont;
// Steps the flash service until done() holds (at most 300 ticks).
void tickUntil(const std::function<bool()> &done);
SteppedClock &clock();
// Starts the device simulator with args; returns its port, empty when it did not start.
QString startSimulator(QProcess &device, const QStringList &args);

template <typename T>
struct Holder {
    QWidget parent;
    T *w;
    Holder() : w(new T(&parent)) { parent.resize(800, 800); }
};

// One function per instrument family; main() calls them in order.
void vmeter();
void valueInd();
void led();
void gradient();
void sevenSeg();
void configPages();
void displayPages();
void miniTrend();
void roundTrend();
void numEdit();
void input();
void terminalPage();
void interfacePage();
void windowPages();
void comLed();

} // namespace gallery
