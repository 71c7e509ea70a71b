#include "ColorBox.h"

#include <QComboBox>

namespace tg::config {

namespace {

// The standard and extended colours, then the system button face the meter page resets to.
const TColor PageColors[] = {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray,
                             clSilver, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite,
                             clMoneyGreen, clSkyBlue, clCream, clMedGray, clBtnFace};

} // namespace

QComboBox *MakeColorBox(const char *name, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    for (TColor c : PageColors)
        box->addItem(colorName(c), QVariant::fromValue(c.value));
    return box;
}

void SelectColor(QComboBox *box, TColor c)
{
    int i = box->findData(QVariant::fromValue(c.value));
    if (i < 0) {
        // A colour without a name shows its number, so the box is never blank.
        const QString name = colorName(c);
        box->addItem(name.isEmpty() ? colorToString(c) : name, QVariant::fromValue(c.value));
        i = box->count() - 1;
    }
    box->setCurrentIndex(i);
}

TColor ColorOf(const QComboBox *box)
{
    return TColor{box->currentData().toUInt()};
}

} // namespace tg::config
