#pragma once
// The initial settings of the panel's instruments (names, geometry of the first of a kind,
// fonts, bevels, scales). The catalogue places them; the gallery renders them.
#include "Color.h"
#include "Font.h"

#include <QString>

class TGv270Meter;
class TGvVMeter;
class TGvValueInd;
class TGvLED;
class TGvColBitBtn;
class TGvDial;

namespace tg::app {

void setFont(TFont *f, const QString &name, int height, TColor color, bool bold);
// Vertical meter Instr<id> (1 ... 10).
void panelMeter(TGvVMeter &m, int id);
// The 270° meter Instr20, which the panel keeps hidden beyond its right edge.
void panelRoundMeter(TGv270Meter &m);
// Value indicator Instr<id> (41 ... 44).
void panelValueInd(TGvValueInd &v, int id);
// LED n (1 ... 8) of the LED block.
void panelLed(TGvLED &l, int n);
// Push button Instr<id> (70 ... 73); its hint "1" sends on press only.
void panelButton(TGvColBitBtn &b, int id);
// Dial Instr<id> (80, 81).
void panelDial(TGvDial &d, int id);

} // namespace tg::app
