#include "FontButton.h"

#include "Font.h"

#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QPushButton>

namespace tg::config {

TFontPicker &FontPicker()
{
    static TFontPicker picker = [](const QFont &initial, QWidget *parent) -> std::optional<QFont> {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, initial, parent);
        if (!ok)
            return std::nullopt;
        return f;
    };
    return picker;
}

QPushButton *MakeFontButton(const char *name, QWidget *parent)
{
    auto *b = new QPushButton(QStringLiteral("Font"), parent);
    b->setObjectName(name);
    return b;
}

QHBoxLayout *WithFontButton(QWidget *field, QPushButton *button)
{
    auto *row = new QHBoxLayout;
    row->addWidget(field, 1);
    row->addWidget(button);
    return row;
}

namespace {

// The font as the dialog shows it: the installed family, the size in points.
QFont shownFont(const TFont &font)
{
    QFont f = font.toQFont();
    f.setFamily(QFontInfo(f).family());
    f.setPointSize(font.Size() > 0 ? font.Size() : 8);
    return f;
}

} // namespace

void TakeChosenFont(TFont &font, const QFont &shown, const QFont &chosen)
{
    if (chosen.family() != shown.family())
        font.SetName(chosen.family());
    if (chosen.pointSize() > 0 && chosen.pointSize() != shown.pointSize())
        font.SetSize(chosen.pointSize());
    // Only the styles the user switched: "System" shows bold without storing it.
    TFont::TFontStyles style = font.Style();
    const auto take = [&](TFont::TFontStyle flag, bool was, bool now) {
        if (was != now)
            style.setFlag(flag, now);
    };
    take(TFont::fsBold, shown.bold(), chosen.bold());
    take(TFont::fsItalic, shown.italic(), chosen.italic());
    take(TFont::fsUnderline, shown.underline(), chosen.underline());
    take(TFont::fsStrikeOut, shown.strikeOut(), chosen.strikeOut());
    font.SetStyle(style);
}

bool ChooseFont(TFont &font, QWidget *parent)
{
    const QFont shown = shownFont(font);
    const std::optional<QFont> chosen = FontPicker()(shown, parent);
    if (!chosen)
        return false;
    TakeChosenFont(font, shown, *chosen);
    return true;
}

} // namespace tg::config
