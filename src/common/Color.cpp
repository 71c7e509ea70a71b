#include "Color.h"

#include <array>

namespace {

struct NamedColor {
    const char *name;
    TColor color;
};

const std::array<NamedColor, 52> kColorNames = {{
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clMoneyGreen", clMoneyGreen},
    {"clSkyBlue", clSkyBlue},
    {"clCream", clCream},
    {"clMedGray", clMedGray},
    {"clScrollBar", clScrollBar},
    {"clBackground", clBackground},
    {"clActiveCaption", clActiveCaption},
    {"clInactiveCaption", clInactiveCaption},
    {"clMenu", clMenu},
    {"clWindow", clWindow},
    {"clWindowFrame", clWindowFrame},
    {"clMenuText", clMenuText},
    {"clWindowText", clWindowText},
    {"clCaptionText", clCaptionText},
    {"clActiveBorder", clActiveBorder},
    {"clInactiveBorder", clInactiveBorder},
    {"clAppWorkSpace", clAppWorkSpace},
    {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText},
    {"clBtnFace", clBtnFace},
    {"clBtnShadow", clBtnShadow},
    {"clGrayText", clGrayText},
    {"clBtnText", clBtnText},
    {"clInactiveCaptionText", clInactiveCaptionText},
    {"clBtnHighlight", clBtnHighlight},
    {"cl3DDkShadow", cl3DDkShadow},
    {"cl3DLight", cl3DLight},
    {"clInfoText", clInfoText},
    {"clInfoBk", clInfoBk},
    {"clHotLight", clHotLight},
    {"clGradientActiveCaption", clGradientActiveCaption},
    {"clGradientInactiveCaption", clGradientInactiveCaption},
    {"clMenuHighlight", clMenuHighlight},
    {"clMenuBar", clMenuBar},
    {"clNone", clNone},
    {"clDefault", clDefault},
}};

// System colours by index, as RGB: fixed so that instruments do not follow the desktop theme.
// Index 25 has no standard name and no entry; it resolves to black like any unknown index.
constexpr std::array<quint32, 31> kSystemRgb = {
    0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x0078D7, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x3399FF, 0xF0F0F0,
};

} // namespace

QColor toQColor(TColor c, const QColor &defaultColor)
{
    if (c == clNone)
        return QColor(0, 0, 0, 0);
    if (c == clDefault)
        return defaultColor;
    if (c.isSystem()) {
        const quint32 index = c.value & 0xFFu;
        if ((c.value & 0x00FFFF00u) != 0 || index >= kSystemRgb.size())
            return QColor(0, 0, 0);
        return QColor::fromRgb(QRgb(kSystemRgb[index]));
    }
    // Any other top byte is a palette flag that does not change the colour itself.
    return QColor(c.red(), c.green(), c.blue());
}

TColor fromQColor(const QColor &c)
{
    const QColor rgb = c.toRgb();
    return rgbColor(rgb.red(), rgb.green(), rgb.blue());
}

QString colorName(TColor c)
{
    for (const auto &n : kColorNames)
        if (n.color == c)
            return QString::fromLatin1(n.name);
    return QString();
}

QString colorToString(TColor c)
{
    const QString name = colorName(c);
    if (!name.isEmpty())
        return name;
    // The colour is a signed 32-bit integer in the file, as files from other builds have it.
    return QString::number(qint32(c.value));
}

std::optional<TColor> colorFromString(const QString &text)
{
    for (const auto &n : kColorNames)
        if (text.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0)
            return n.color;
    // Strict decimal: optional sign, digits only.
    int i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    if (i >= text.size())
        return std::nullopt;
    qint64 v = 0;
    for (; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        if (ch < u'0' || ch > u'9')
            return std::nullopt;
        v = v * 10 + (ch - u'0');
        if (v > 0xFFFFFFFFLL)
            return std::nullopt;
    }
    if (negative) {
        if (v > 0x80000000LL)
            return std::nullopt;
        v = -v;
    }
    return TColor(quint32(v & 0xFFFFFFFFLL));
}
