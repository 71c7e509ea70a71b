#include "SevenSegPage.h"

#include "ColorBox.h"
#include "GvNumEdit.h"
#include "SevenSeg.h"
#include "SubPage.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>

using namespace tg::config;

TSevenSegPage::TSevenSegPage(QWidget *parent) : QGroupBox(parent)
{
    setObjectName(QStringLiteral("GroupBox7Seg"));
    auto *form = new QFormLayout(this);
    digits = MakeIntSpin("GvEdit7SegStellen", 0, 10, 4, this);
    decimals = MakeIntSpin("GvEdit7SegStellenNK", 0, 10, 2, this);
    auto *row = new QHBoxLayout;
    row->addWidget(digits);
    row->addWidget(decimals);
    form->addRow(QStringLiteral("Gesamtstellen / Nachkommastellen"), row);
    textColor = MakeColorBox("ColorBox7SegZiffern", this);
    SelectColor(textColor, clRed);
    background = MakeColorBox("ColorBox7Backgromd", this);
    SelectColor(background, clBlack);
    form->addRow(QStringLiteral("Farbe Ziffern"), textColor);
    form->addRow(QStringLiteral("Farbe Background"), background);
    factor = new TGvNumEdit(this);
    factor->setObjectName(QStringLiteral("GvEdit7SegSkalFaktor"));
    factor->SetEditBase(TGvNumEdit::ebFloat);
    factor->SetValue(1);
    factor->Loaded();
    form->addRow(QStringLiteral("Skalierungsfaktor"), factor);
    const TApplyButtons buttons = AddApplyButtons(form, this);
    showButton = buttons.show;
    applyButton = buttons.apply;
    connect(applyButton, &QPushButton::clicked, this, [this] { Apply(); });
}

void TSevenSegPage::Select(TSevenSeg *d, int id)
{
    display = d;
    show();
    setTitle(InstrumentCaption(id));
    SelectColor(textColor, d->ColorText());
    SelectColor(background, d->ColorBackGnd());
}

void TSevenSegPage::Apply()
{
    if (!display)
        return;
    display->SetColorText(ColorOf(textColor));
    display->SetColorBackGnd(ColorOf(background));
    // Through 1, so that the display lays itself out again even when the count is unchanged.
    display->SetNumDigits(1);
    display->SetNumDigits(digits->ValueAsInt());
    display->raise();
}

int TSevenSegPage::Digits() const { return digits->ValueAsInt(); }
int TSevenSegPage::Decimals() const { return decimals->ValueAsInt(); }
double TSevenSegPage::Factor() const { return factor->Value(); }
