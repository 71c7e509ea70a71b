#include "SevenSegPage.h"

#include "ColorBox.h"
#include "FormatSettings.h"
#include "MeterFields.h"
#include "SevenSeg.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

using namespace tg::config;

TSevenSegPage::TSevenSegPage(QWidget *parent) : QGroupBox(parent)
{
    setObjectName(QStringLiteral("GroupBox7Seg"));
    auto *form = new QFormLayout(this);
    digits = new QSpinBox(this);
    digits->setObjectName(QStringLiteral("GvEdit7SegStellen"));
    digits->setRange(0, 10);
    digits->setValue(4);
    decimals = new QSpinBox(this);
    decimals->setObjectName(QStringLiteral("GvEdit7SegStellenNK"));
    decimals->setRange(0, 10);
    decimals->setValue(2);
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
    factor = new QLineEdit(QStringLiteral("1"), this);
    factor->setObjectName(QStringLiteral("GvEdit7SegSkalFaktor"));
    form->addRow(QStringLiteral("Skalierungsfaktor"), factor);
    showButton = new QPushButton(QStringLiteral("Zuweisen+Show"), this);
    applyButton = new QPushButton(QStringLiteral("Werte zuweisen"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(showButton);
    buttons->addWidget(applyButton);
    form->addRow(buttons);
    connect(applyButton, &QPushButton::clicked, this, [this] { Apply(); });
}

void TSevenSegPage::Select(TSevenSeg *d, int id)
{
    display = d;
    show();
    setTitle(QStringLiteral("   Instrument #%1   ").arg(id));
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
    display->SetNumDigits(digits->value());
    display->raise();
}

int TSevenSegPage::Digits() const { return digits->value(); }
int TSevenSegPage::Decimals() const { return decimals->value(); }

double TSevenSegPage::Factor() const
{
    return ParseDecimal(factor->text(), FormatSettings().DecimalSeparator).value_or(1.0);
}
