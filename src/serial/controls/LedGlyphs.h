#pragma once
// The built-in lamp pictures of the port lamps, drawn in code: a round lamp in a grey and
// white rim, bright when on and dark when off, with a transparent surround.
#include <QImage>
#include <QString>

namespace tg {

// Logical size of every built-in lamp picture.
inline constexpr int LedGlyphSize = 15;

// The picture named "LEDREDON", "LEDREDOFF", ... "LEDBULBON", "LEDBULBOFF" at device pixel
// ratio dpr (15 x 15 logical pixels); a null image for any other name.
QImage LedBitmap(const QString &name, qreal dpr = 1.0);

} // namespace tg
