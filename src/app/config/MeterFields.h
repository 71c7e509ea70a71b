#pragma once
// The conversions between a vertical meter and the AMeter page's fields that are more than a
// copy: the factor kept in the hint text, and the two frame boxes kept in the options set.
#include "GvVMeter.h"

#include <QChar>
#include <QString>
#include <optional>

namespace tg::config {

// The factor of a hint text, after the separator swap (with "." as separator the first ","
// becomes "."; otherwise the first "." becomes the separator). An empty hint is 1. A hint that
// is not a number also gives 1, as the packet handler reads it, so loading a page never stops
// half-way; `valid` tells the caller whether the text converted.
double FactorFromHint(const QString &hint, QChar decimalSeparator, bool *valid = nullptr);

// The factor written back into the hint: narrowed to single precision, general format with up
// to 15 significant digits and the locale's separator (0.1 becomes "0.100000001490116").
QString HintFromFactor(double factor);

// Writes a new value range. The record ignores an end equal to either current end, so a range
// that starts where the old one ended gets its end written first, and one that swaps both ends
// passes through an end distinct from both; otherwise an end would be lost.
void WriteRange(TSignalSettings *signal, float from, float to);

struct TFrameBoxes {
    bool outer = true;
    bool inner = true;
};

// The frame boxes of an options set; nothing for a set other than the four plain frame
// combinations, which leaves the boxes as they are.
std::optional<TFrameBoxes> FrameBoxesFromOptions(TGvVMeter::TGvVMeterOptions options);

// The whole options set an apply writes: value, names, unit, plus the checked frames.
// Overflow, limit and sector are cleared on purpose.
TGvVMeter::TGvVMeterOptions OptionsFromFrameBoxes(TFrameBoxes boxes);

} // namespace tg::config
