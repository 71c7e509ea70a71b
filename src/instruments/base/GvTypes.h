#pragma once
// Enumerations and sets shared by the instrument records, the base controls and the drawing
// routines. Their value names are the names the settings file stores, so they must not change.
#include <QFlags>
#include <QObject>

namespace gv {
Q_NAMESPACE

enum TGradientStyle {
    gsHorizontal1, gsHorizontal2, gsHorizontal3, gsVertical1, gsVertical2, gsVertical3,
    gsElliptic1, gsElliptic2, gsElliptic3, gsRectangle, gsDiamond1, gsDiamond2, gsTopLeft,
    gsTopRight
};
Q_ENUM_NS(TGradientStyle)

enum TBevelStyle { bsLowered, bsRaised };
Q_ENUM_NS(TBevelStyle)

enum TBevelLine { blNone, blOuter, blInner, blBoth };
Q_ENUM_NS(TBevelLine)

enum TLEDShape {
    sRound, sArrowLeft, sArrowRight, sArrowUp, sArrowDown, sRectangle, sDiamondLeft,
    sDiamondRight
};
Q_ENUM_NS(TLEDShape)

// What the automatic hint of an analog instrument shows (bit 0 first).
enum THintOption {
    hoAutoHint = 0x01, hoValue = 0x02, hoName1 = 0x04, hoName2 = 0x08, hoMin = 0x10,
    hoMax = 0x20, hoMinMaxDate = 0x40, hoMinMaxTime = 0x80
};
Q_DECLARE_FLAGS(THintOptions, THintOption)
Q_FLAG_NS(THintOptions)

// Flash rates of the on/off instruments; the flash service interval is the ordinal + 2.
enum TFlashFreq { ff8Hz, ff4Hz, ff2Hz, ff1Hz, ff05Hz };
Q_ENUM_NS(TFlashFreq)

enum TMode { mButton, mSwitch, mIndicator, mRadioButton };
Q_ENUM_NS(TMode)

// Keys the windowed analog input reacts to (bit 0 first).
enum TEnabledKey {
    _VK_PRIOR = 0x01, _VK_NEXT = 0x02, _VK_END = 0x04, _VK_HOME = 0x08, _VK_LEFT = 0x10,
    _VK_DOWN = 0x20, _VK_UP = 0x40, _VK_RIGHT = 0x80
};
Q_DECLARE_FLAGS(TEnabledKeys, TEnabledKey)
Q_FLAG_NS(TEnabledKeys)

// Raster modes of a pen: the result from pen P and destination D.
enum TPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
    pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
Q_ENUM_NS(TPenMode)

} // namespace gv

Q_DECLARE_OPERATORS_FOR_FLAGS(gv::THintOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(gv::TEnabledKeys)
