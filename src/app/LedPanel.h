#pragma once
// The panel's block of eight lamps (instrument 60): one byte from the device shows as eight
// bits, with the bit numbers beside the lamps.
#include "Color.h"
#include "ControlBounds.h"

#include <QFrame>

class TGvLED;

class TLedPanel : public QFrame, public TControlBounds<TLedPanel> {
    Q_OBJECT
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
public:
    explicit TLedPanel(QWidget *parent = nullptr);

    TColor Color() const { return color; }
    void SetColor(TColor c);
    // Lamp n = 1 ... 8, which shows bit n - 1.
    TGvLED *Led(int n) const;

private:
    TColor color = clSilver;
};
