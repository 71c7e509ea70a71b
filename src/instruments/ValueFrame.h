#pragma once
// The frame the read-out instruments share: an outer and an inner bevel, the read-out's own
// bevel and the read-out font, with their common defaults.
#include "Font.h"
#include "Records.h"

#include <functional>

struct TValueFrame {
    TGvSBevel *BevelInner;
    TGvSBevel *BevelOuter;
    TGvSBevel *BevelValue;
    TFont *FontValue;

    // Creates the four parts, owned by owner.
    static TValueFrame Create(QObject *owner);
    // Calls changed whenever one of the parts changes.
    void Hook(const std::function<void()> &changed) const;
};
