#pragma once
// The value box of every read-out (meters, value indicator, dial): how wide it must be so that
// every value inside the range shows whole, and what it shows when a value is still wider.
#include "Canvas.h"
#include "Records.h"

#include <QString>

namespace tg {

// Width of the widest of FormatSample, "-" + FormatSample and the texts of ValueFrom and
// ValueTo, in the canvas's font.
int ReadoutWidth(const TCanvas &c, const TSignalSettings &s);
// text when it fits width; otherwise "#" signs across the width, never a text cut short.
// textWidth receives the width of what is returned (read-outs align it right).
QString FitReadout(const TCanvas &c, const QString &text, int width, int &textWidth);

} // namespace tg
