#pragma once
// The "Font" buttons of the configuration pages: each asks the user for a font starting from
// the one it edits. The dialog is one replaceable function, so tests need no modal dialog.
#include <QFont>
#include <functional>
#include <optional>

class QHBoxLayout;
class QPushButton;
class QWidget;
class TFont;

namespace tg::config {

// Shows the font dialog starting at `initial`; nullopt when the user cancels.
using TFontPicker = std::function<std::optional<QFont>(const QFont &initial, QWidget *parent)>;

// The picker every font button uses; the standard font dialog until replaced.
TFontPicker &FontPicker();

QPushButton *MakeFontButton(const char *name, QWidget *parent);
// A form row of `field` (stretching) with its font button on the right.
QHBoxLayout *WithFontButton(QWidget *field, QPushButton *button);

// Lets the user pick a font for `font`. On confirmation the family, size in points and style
// chosen are written into `font` (colour and character set stay) and true is returned.
bool ChooseFont(TFont &font, QWidget *parent);

// What ChooseFont writes: `shown` is the font the dialog was opened with. A family or size the
// user left as shown keeps the stored name and height (likewise each style), so a substituted
// family name or a rounded size never replaces what the settings hold.
void TakeChosenFont(TFont &font, const QFont &shown, const QFont &chosen);

} // namespace tg::config
