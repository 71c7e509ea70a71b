#pragma once
// The panel's block of eight lamps (instrument 60): one byte from the device shows as eight
// bits, with the bit numbers beside the lamps.
#include "Color.h"
#include "ControlBounds.h"

#include <QFrame>

class TGvLED;

class TLedPanel : public QFrame, public TControlBounds<TLedPanel> {
    Q_OBJECT
    TG_CONTROL_BOUNDS_PROPERTIES
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
