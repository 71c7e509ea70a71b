#pragma once
// The colour boxes of the configuration pages: the standard and extended colours by name, and
// any other colour an instrument holds as an extra entry, so applying never loses it.
#include "Color.h"

class QComboBox;
class QWidget;

namespace tg::config {

QComboBox *MakeColorBox(const char *name, QWidget *parent);
void SelectColor(QComboBox *box, TColor c);
TColor ColorOf(const QComboBox *box);

} // namespace tg::config
