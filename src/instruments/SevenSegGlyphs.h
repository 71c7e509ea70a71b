#pragma once
// The characters of the seven-segment display: six segment pictures, each character composed
// from them on a large master canvas, and the strip of scaled character cells that painting
// copies from. All scaling happens here, once per change of size or colours.
#include <QColor>
#include <QImage>
#include <QList>
#include <QString>

namespace tg {

// The characters the strip holds, one per cell, in cell order; the last cell is the point alone.
inline constexpr int SevenSegCellCount = 21;
QString SevenSegStripChars();
// Cell of ch in the strip (upper- and lower-case alike; ',' counts as '.'), or -1 for a blank.
int SevenSegCell(QChar ch);

// Master canvas size: every character is composed at this size, then scaled into its cell.
inline constexpr int SevenSegMasterWidth = 312;
inline constexpr int SevenSegMasterHeight = 432;

// Segment picture by name ("SEGVERT", "SEGHORZ", "SEGDOT", "SEGPLUS", "SEGCOLON", "SEGDEG"):
// a black shape on white, RGB32. A null image for any other name.
QImage SegmentBitmap(const QString &name);

// Composes the character of strip cell `cell` on the master canvas: lit segments in `lit`,
// everything else (holes included) in `back`. `lit` must not be pure white.
QImage RenderSevenSegChar(int cell, const QColor &lit, const QColor &back);

// The strip: SevenSegCellCount cells of cellW x cellH device pixels in strip order, background
// `back`, segments `text` (pure white is drawn as RGB 254, 254, 254, since white marks empty
// space on the master canvas). Kept as one image per cell, so that only a cell, not the whole
// row, is bound by the scratch-image limit. Empty when a cell would be empty or too large.
QList<QImage> BuildSevenSegStrip(int cellW, int cellH, const QColor &text, const QColor &back);

} // namespace tg
