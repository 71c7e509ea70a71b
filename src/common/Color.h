#pragma once
// The colour type of the whole program: a 32-bit value, 0x00BBGGRR for a plain colour (red in
// the lowest byte), 0xFF0000nn for system colour number nn, plus the two markers clNone and
// clDefault. Stored and compared as the raw value; turned into a QColor only when painting.
#include <QColor>
#include <QMetaType>
#include <QString>
#include <optional>

struct TColor {
    quint32 value = 0;

    constexpr TColor() = default;
    constexpr TColor(quint32 v) : value(v) {} // implicit: colours are written as numbers

    constexpr bool isSystem() const { return (value & 0xFF000000u) == 0xFF000000u; }
    // The red, green and blue channels of a plain colour (meaningless for system colours).
    constexpr int red() const { return int(value & 0xFF); }
    constexpr int green() const { return int((value >> 8) & 0xFF); }
    constexpr int blue() const { return int((value >> 16) & 0xFF); }

    friend constexpr bool operator==(TColor a, TColor b) { return a.value == b.value; }
    friend constexpr bool operator!=(TColor a, TColor b) { return a.value != b.value; }
};
Q_DECLARE_METATYPE(TColor)

// A colour from its red, green and blue channels.
constexpr TColor rgbColor(int r, int g, int b)
{
    return TColor(quint32(r & 0xFF) | (quint32(g & 0xFF) << 8) | (quint32(b & 0xFF) << 16));
}

inline constexpr TColor clBlack{0x000000u};
inline constexpr TColor clMaroon{0x000080u};
inline constexpr TColor clGreen{0x008000u};
inline constexpr TColor clOlive{0x008080u};
inline constexpr TColor clNavy{0x800000u};
inline constexpr TColor clPurple{0x800080u};
inline constexpr TColor clTeal{0x808000u};
inline constexpr TColor clGray{0x808080u};
inline constexpr TColor clSilver{0xC0C0C0u};
inline constexpr TColor clRed{0x0000FFu};
inline constexpr TColor clLime{0x00FF00u};
inline constexpr TColor clYellow{0x00FFFFu};
inline constexpr TColor clBlue{0xFF0000u};
inline constexpr TColor clFuchsia{0xFF00FFu};
inline constexpr TColor clAqua{0xFFFF00u};
inline constexpr TColor clWhite{0xFFFFFFu};
inline constexpr TColor clMoneyGreen{0xC0DCC0u};
inline constexpr TColor clSkyBlue{0xF0CAA6u};
inline constexpr TColor clCream{0xF0FBFFu};
inline constexpr TColor clMedGray{0xA4A0A0u};

inline constexpr TColor clScrollBar{0xFF000000u};
inline constexpr TColor clBackground{0xFF000001u};
inline constexpr TColor clActiveCaption{0xFF000002u};
inline constexpr TColor clInactiveCaption{0xFF000003u};
inline constexpr TColor clMenu{0xFF000004u};
inline constexpr TColor clWindow{0xFF000005u};
inline constexpr TColor clWindowFrame{0xFF000006u};
inline constexpr TColor clMenuText{0xFF000007u};
inline constexpr TColor clWindowText{0xFF000008u};
inline constexpr TColor clCaptionText{0xFF000009u};
inline constexpr TColor clActiveBorder{0xFF00000Au};
inline constexpr TColor clInactiveBorder{0xFF00000Bu};
inline constexpr TColor clAppWorkSpace{0xFF00000Cu};
inline constexpr TColor clHighlight{0xFF00000Du};
inline constexpr TColor clHighlightText{0xFF00000Eu};
inline constexpr TColor clBtnFace{0xFF00000Fu};
inline constexpr TColor clBtnShadow{0xFF000010u};
inline constexpr TColor clGrayText{0xFF000011u};
inline constexpr TColor clBtnText{0xFF000012u};
inline constexpr TColor clInactiveCaptionText{0xFF000013u};
inline constexpr TColor clBtnHighlight{0xFF000014u};
inline constexpr TColor cl3DDkShadow{0xFF000015u};
inline constexpr TColor cl3DLight{0xFF000016u};
inline constexpr TColor clInfoText{0xFF000017u};
inline constexpr TColor clInfoBk{0xFF000018u};
inline constexpr TColor clHotLight{0xFF00001Au};
inline constexpr TColor clGradientActiveCaption{0xFF00001Bu};
inline constexpr TColor clGradientInactiveCaption{0xFF00001Cu};
inline constexpr TColor clMenuHighlight{0xFF00001Du};
inline constexpr TColor clMenuBar{0xFF00001Eu};

inline constexpr TColor clNone{0x1FFFFFFFu};
inline constexpr TColor clDefault{0x20000000u};

// The colour to paint with. System colours come from a fixed table (the same on every desktop
// theme, so instruments look alike everywhere); clNone gives a fully transparent colour;
// clDefault gives `defaultColor` (the control's own default, invalid when not given).
QColor toQColor(TColor c, const QColor &defaultColor = QColor());

// The nearest plain colour of a QColor (alpha dropped).
TColor fromQColor(const QColor &c);

// The colour's standard name when it has one, else its value as a signed 32-bit decimal.
QString colorToString(TColor c);

// A standard name (any letter case) or a decimal number in the signed or unsigned 32-bit
// range; nothing for any other text.
std::optional<TColor> colorFromString(const QString &text);

// The standard name of a colour, empty when it has none.
QString colorName(TColor c);
