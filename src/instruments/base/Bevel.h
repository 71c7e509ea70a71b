#pragma once
// Painting of the bevel records and of the LED lamp record.
#include "Canvas.h"
#include "Records.h"

namespace tg {

// Graded 3-D frame of the bevel's Width layers; r shrinks by one per layer. Stops as soon as
// r is empty, so an absurd Width costs nothing.
void PaintFrame(TCanvas &c, const TGvSBevel &b, TRect &r, TColor fill, bool doFill, bool raised);
void PaintFrame(TCanvas &c, const TGvBtnBevel &b, TRect &r, TColor fill, bool doFill, bool raised);
// Whole rectangular bevel; r becomes the content area.
void PaintInto(TCanvas &c, const TGvSBevel &b, TRect &r);
// Round bevel (the dial's knob) in the square r; r becomes the content square. Refills the
// bevel's shading picture when it is stale. Nothing for squares of 4 pixels or less or a bevel
// that is not round.
void PaintRoundInto(TCanvas &c, TGvSBevel &b, TRect &r);
// The lamp in led.Rect, in ColorOn or ColorOff, outlined in clBtnShadow.
void PaintLED(TCanvas &c, const TLED &led, bool on);

} // namespace tg
