#pragma once
// The font description every instrument stores: name, height (or size in points), colour,
// style set, pitch and character set. Kept exactly as stored; toQFont() maps it to an
// installed font only when drawing.
#include "Color.h"

#include <QFont>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

// A font character set: one byte, written by its symbolic name where it has one.
struct TFontCharset {
    quint8 value = 1;

    constexpr TFontCharset() = default;
    constexpr TFontCharset(quint8 v) : value(v) {}

    friend constexpr bool operator==(TFontCharset a, TFontCharset b) { return a.value == b.value; }
    friend constexpr bool operator!=(TFontCharset a, TFontCharset b) { return a.value != b.value; }
};
Q_DECLARE_METATYPE(TFontCharset)

inline constexpr TFontCharset ANSI_CHARSET{0};
inline constexpr TFontCharset DEFAULT_CHARSET{1};
inline constexpr TFontCharset SYMBOL_CHARSET{2};
inline constexpr TFontCharset MAC_CHARSET{77};
inline constexpr TFontCharset SHIFTJIS_CHARSET{128};
inline constexpr TFontCharset HANGEUL_CHARSET{129};
inline constexpr TFontCharset JOHAB_CHARSET{130};
inline constexpr TFontCharset GB2312_CHARSET{134};
inline constexpr TFontCharset CHINESEBIG5_CHARSET{136};
inline constexpr TFontCharset GREEK_CHARSET{161};
inline constexpr TFontCharset TURKISH_CHARSET{162};
inline constexpr TFontCharset HEBREW_CHARSET{177};
inline constexpr TFontCharset ARABIC_CHARSET{178};
inline constexpr TFontCharset BALTIC_CHARSET{186};
inline constexpr TFontCharset RUSSIAN_CHARSET{204};
inline constexpr TFontCharset THAI_CHARSET{222};
inline constexpr TFontCharset EASTEUROPE_CHARSET{238};
inline constexpr TFontCharset OEM_CHARSET{255};

// The symbolic name when the value has one, else the decimal value.
QString charsetToString(TFontCharset c);
// A symbolic name (any letter case) or a decimal number 0..255; nothing for any other text.
std::optional<TFontCharset> charsetFromString(const QString &text);

class TFont : public QObject {
    Q_OBJECT
    Q_PROPERTY(TFontCharset Charset READ Charset WRITE SetCharset)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(TFontPitch Pitch READ Pitch WRITE SetPitch)
    Q_PROPERTY(int Size READ Size WRITE SetSize)
    Q_PROPERTY(TFontStyles Style READ Style WRITE SetStyle)

public:
    enum TFontPitch { fpDefault, fpVariable, fpFixed };
    Q_ENUM(TFontPitch)
    enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
    Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
    Q_FLAG(TFontStyles)

    // Sizes in points and heights in pixels are converted at this fixed resolution, the one
    // every coordinate of the panel is designed for.
    static constexpr int kPixelsPerInch = 120;

    explicit TFont(QObject *parent = nullptr);

    TFontCharset Charset() const { return m_charset; }
    void SetCharset(TFontCharset v);
    TColor Color() const { return m_color; }
    void SetColor(TColor v);
    // Negative: the character (em) height in pixels; positive: the cell height; 0: default.
    int Height() const { return m_height; }
    void SetHeight(int v);
    QString Name() const { return m_name; }
    void SetName(const QString &v);
    TFontPitch Pitch() const { return m_pitch; }
    void SetPitch(TFontPitch v);
    // Points, derived from Height.
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const { return m_style; }
    void SetStyle(TFontStyles v);

    // Copies every property; one change notice when anything changed.
    void Assign(const TFont &other);

    // The font to draw with: the stored name through the substitution table, the pixel size
    // from Height (clamped to 1..1000 so a damaged settings file cannot ask for huge glyphs).
    QFont toQFont() const;

    // Installs the table that maps the stored font names to installed fonts (done by
    // toQFont() on first use; idempotent).
    static void installSubstitutions();

    // Called after any property really changed.
    std::function<void()> OnChange;

private:
    void changed();

    TFontCharset m_charset = DEFAULT_CHARSET;
    TColor m_color = clWindowText;
    int m_height = -13;
    QString m_name = QStringLiteral("MS Sans Serif");
    TFontPitch m_pitch = fpDefault;
    TFontStyles m_style;
    int m_lock = 0;
    bool m_pending = false;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TFont::TFontStyles)

using TFontPitch = TFont::TFontPitch;
using TFontStyle = TFont::TFontStyle;
using TFontStyles = TFont::TFontStyles;
inline constexpr TFontPitch fpDefault = TFont::fpDefault;
inline constexpr TFontPitch fpVariable = TFont::fpVariable;
inline constexpr TFontPitch fpFixed = TFont::fpFixed;
inline constexpr TFontStyle fsBold = TFont::fsBold;
inline constexpr TFontStyle fsItalic = TFont::fsItalic;
inline constexpr TFontStyle fsUnderline = TFont::fsUnderline;
inline constexpr TFontStyle fsStrikeOut = TFont::fsStrikeOut;
