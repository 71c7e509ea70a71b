#include "AMeterPage.h"

#include "FormatSettings.h"
#include "GvVMeter.h"
#include "ColorBox.h"
#include "FontButton.h"
#include "MeterFields.h"
#include "SubPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

using tg::config::ColorOf;
using tg::config::MakeEdit;
using tg::config::MakeColorBox;
using tg::config::SelectColor;

namespace {

QSpinBox *MakeSpin(const char *name, int lo, int hi, QWidget *parent)
{
    auto *s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(lo, hi);
    return s;
}

void SetDefaultFont(TFont &f, int size)
{
    f.SetName(QStringLiteral("MS Sans Serif"));
    f.SetSize(size);
    f.SetColor(clBlack);
    f.SetStyle(TFont::TFontStyles(TFont::fsBold));
}

} // namespace

TAMeterPage::TAMeterPage(QWidget *parent) : QGroupBox(parent)
{
    setObjectName(QStringLiteral("GroupBoxEditAnalogMeter"));
    auto *form = new QFormLayout(this);

    name = MakeEdit("EditName", this);
    QPushButton *nameFont = tg::config::MakeFontButton("ButtonNameFont", this);
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(name);
    nameRow->addWidget(nameFont);
    form->addRow(QStringLiteral("Name  "), nameRow);

    from = MakeEdit("GvNumEditAWertVon", this);
    to = MakeEdit("GvNumEditAWertBis", this);
    factor = MakeEdit("GvNumEditSkalierungsfaktor", this);
    unit = MakeEdit("EditEinheit", this);
    format = MakeEdit("EditAnzeigeFormat", this);
    form->addRow(QStringLiteral("Anzeige Wert von"), from);
    form->addRow(QStringLiteral("Anzeige Wert bis"), to);
    form->addRow(QStringLiteral("Skalierungsfaktor"), factor);
    form->addRow(QStringLiteral("Anzeige Einheit"), unit);
    form->addRow(QStringLiteral("Format Skala ##0.0"), format);

    frameOuter = new QCheckBox(QStringLiteral("Rahmen aussen"), this);
    frameOuter->setObjectName(QStringLiteral("CheckBoxInstrRandAussen"));
    frameInner = new QCheckBox(QStringLiteral("Rahmen innen"), this);
    frameInner->setObjectName(QStringLiteral("CheckBoxInstrRandInnen"));
    frameOuter->setChecked(true);
    frameInner->setChecked(true);
    form->addRow(frameOuter);
    form->addRow(frameInner);
    form->addRow(QStringLiteral("Für Transparent:\nBeide nicht markiert"), static_cast<QWidget *>(nullptr));

    // Shown only: the size is changed with the mouse in edit mode, which allows any size from
    // 30 pixels up, so the fields must not clamp what apply writes back.
    width = MakeSpin("GvNumEditBreite", 0, QWIDGETSIZE_MAX, this);
    height = MakeSpin("GvNumEditHoehe", 0, QWIDGETSIZE_MAX, this);
    width->setEnabled(false);
    height->setEnabled(false);
    auto *sizeRow = new QHBoxLayout;
    sizeRow->addWidget(width);
    sizeRow->addWidget(height);
    form->addRow(QStringLiteral("Breite  / Höhe"), sizeRow);
    steps = MakeSpin("GvNumEditSkalaSteps", 0, 100, this);
    subSteps = MakeSpin("GvNumEditSkalaSubSteps", 0, 50, this);
    form->addRow(QStringLiteral("Skala Steps"), steps);
    form->addRow(QStringLiteral("Skala SubSteps"), subSteps);

    scaleColor = MakeColorBox("ColorBoxInstrumentSkala", this);
    QPushButton *scaleFont = tg::config::MakeFontButton("ButtonSkalaFont", this);
    auto *scaleRow = new QHBoxLayout;
    scaleRow->addWidget(scaleColor);
    scaleRow->addWidget(scaleFont);
    form->addRow(QStringLiteral("Skala Farbe + Font"), scaleRow);
    pointerColor = MakeColorBox("ColorBoxInstrumentZeiger", this);
    background = MakeColorBox("ColorBoxInstrBackground", this);
    instrColor = MakeColorBox("ColorBoxInstrColor", this);
    form->addRow(QStringLiteral("Skala Zeiger"), pointerColor);
    form->addRow(QStringLiteral("Skala Background"), background);
    form->addRow(QStringLiteral("Instrument Color"), instrColor);

    defaultButton = new QPushButton(QStringLiteral("Set to\nDefault"), this);
    defaultButton->setObjectName(QStringLiteral("ButtonStandardAMeter"));
    showButton = new QPushButton(QStringLiteral("Zuweisen+Show"), this);
    showButton->setObjectName(QStringLiteral("ButtonZeigeShow"));
    applyButton = new QPushButton(QStringLiteral("Werte zuweisen"), this);
    applyButton->setObjectName(QStringLiteral("ButtonInstrWerteZuweisen"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(defaultButton);
    buttons->addWidget(showButton);
    buttons->addWidget(applyButton);
    form->addRow(buttons);

    connect(nameFont, &QPushButton::clicked, this, &TAMeterPage::ChooseNameFont);
    connect(scaleFont, &QPushButton::clicked, this, &TAMeterPage::ChooseScaleFont);
    connect(defaultButton, &QPushButton::clicked, this, [this] { SetToDefault(); });
    connect(applyButton, &QPushButton::clicked, this, [this] { Apply(); });
    ResetFields();
}

void TAMeterPage::ResetFields()
{
    hide();
    name->clear();
    from->setText(QStringLiteral("0"));
    to->setText(QStringLiteral("100"));
    unit->clear();
    width->setValue(0);
    height->setValue(0);
    factor->setText(QStringLiteral("1"));
    steps->setValue(5);
    subSteps->setValue(2);
    SelectColor(background, clBtnFace);
    SelectColor(pointerColor, clLime);
    SelectColor(scaleColor, clBlack);
    SelectColor(instrColor, clSilver);
}

bool TAMeterPage::Select(TGvVMeter *m, int id)
{
    meter = m;
    show();
    setTitle(tg::config::InstrumentCaption(id));
    pendingScaleFont.Assign(*m->ScaleSettings()->Font());
    pendingNameFont.Assign(*m->Font());
    const QChar sep = FormatSettings().DecimalSeparator;
    bool hintValid = true;
    factor->setText(tg::config::HintFromFactor(tg::config::FactorFromHint(m->Hint(), sep, &hintValid)));
    const TSignalSettings *sig = m->SignalSettings();
    name->setText(sig->Name1());
    from->setText(tg::config::HintFromFactor(sig->ValueFrom()));
    to->setText(tg::config::HintFromFactor(sig->ValueTo()));
    unit->setText(sig->ValueUnit());
    format->setText(m->ScaleSettings()->ValueFormat());
    width->setValue(m->width());
    height->setValue(m->height());
    steps->setValue(m->ScaleSettings()->Steps());
    subSteps->setValue(m->ScaleSettings()->SubSteps());
    SelectColor(background, m->BevelInner()->Color());
    SelectColor(instrColor, m->BevelOuter()->Color());
    SelectColor(pointerColor, m->ScaleSettings()->PointerColor());
    SelectColor(scaleColor, m->ScaleSettings()->Color());
    if (const auto boxes = tg::config::FrameBoxesFromOptions(m->Options())) {
        frameOuter->setChecked(boxes->outer);
        frameInner->setChecked(boxes->inner);
    }
    return hintValid;
}

bool TAMeterPage::Apply()
{
    if (!meter)
        return false;
    const QChar sep = FormatSettings().DecimalSeparator;
    const auto f = tg::config::ParseDecimal(factor->text(), sep);
    const auto lo = tg::config::ParseDecimal(from->text(), sep);
    const auto hi = tg::config::ParseDecimal(to->text(), sep);
    if (!f || !lo || !hi)
        return false;
    meter->SetHint(tg::config::HintFromFactor(*f));
    TSignalSettings *sig = meter->SignalSettings();
    sig->SetName1(name->text());
    tg::config::WriteRange(sig, static_cast<float>(*lo), static_cast<float>(*hi));
    sig->SetValueUnit(unit->text());
    sig->SetValueFormat(format->text());
    TScaleSettings *scale = meter->ScaleSettings();
    scale->SetValueFormat(format->text());
    meter->resize(width->value(), height->value());
    scale->SetSteps(steps->value());
    scale->SetSubSteps(subSteps->value());
    meter->BevelInner()->SetColor(ColorOf(background));
    meter->BevelOuter()->SetColor(ColorOf(instrColor));
    scale->SetColor(ColorOf(scaleColor));
    scale->SetPointerColor(ColorOf(pointerColor));
    meter->SetFont(&pendingNameFont);
    scale->SetFont(&pendingScaleFont);
    meter->SetOptions(tg::config::OptionsFromFrameBoxes({frameOuter->isChecked(), frameInner->isChecked()}));
    meter->raise();
    hide();
    return true;
}

void TAMeterPage::SetToDefault()
{
    steps->setValue(5);
    subSteps->setValue(2);
    SetDefaultFont(pendingScaleFont, 14);
    SetDefaultFont(pendingNameFont, 8);
}

void TAMeterPage::ChooseNameFont()
{
    if (meter && tg::config::ChooseFont(pendingNameFont, this))
        meter->SetFont(&pendingNameFont);
}

void TAMeterPage::ChooseScaleFont()
{
    const int before = pendingScaleFont.Size();
    if (!meter || !tg::config::ChooseFont(pendingScaleFont, this))
        return;
    // The scale is laid out for 6 to 48 points; a size left as it was is kept as stored.
    if (pendingScaleFont.Size() != before)
        pendingScaleFont.SetSize(std::max(std::min(pendingScaleFont.Size(), 48), 6));
    meter->ScaleSettings()->SetFont(&pendingScaleFont);
}
