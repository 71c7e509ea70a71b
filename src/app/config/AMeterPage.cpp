#include "AMeterPage.h"

#include "FormatSettings.h"
#include "GvVMeter.h"
#include "ColorBox.h"
#include "FontButton.h"
#include "GvNumEdit.h"
#include "MeterFields.h"
#include "SubPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

using namespace tg::config;

namespace {

const QString DecimalFormat = QStringLiteral("#0.#######");

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
    QPushButton *nameFont = MakeFontButton("ButtonNameFont", this);
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(name);
    nameRow->addWidget(nameFont);
    form->addRow(QStringLiteral("Name  "), nameRow);

    from = MakeNumEdit("GvNumEditAWertVon", DecimalFormat, this);
    to = MakeNumEdit("GvNumEditAWertBis", DecimalFormat, this);
    factor = MakeNumEdit("GvNumEditSkalierungsfaktor", DecimalFormat, this);
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
    // 30 pixels up. Loading shows the size past the limits and apply never commits these two,
    // so what apply writes back is the meter's own size, not a clamped one.
    width = MakeIntSpin("GvNumEditBreite", 50, 1000, 0, this);
    height = MakeIntSpin("GvNumEditHoehe", 50, 1000, 0, this);
    width->setEnabled(false);
    height->setEnabled(false);
    auto *sizeRow = new QHBoxLayout;
    sizeRow->addWidget(width);
    sizeRow->addWidget(height);
    form->addRow(QStringLiteral("Breite  / Höhe"), sizeRow);
    steps = MakeIntSpin("GvNumEditSkalaSteps", 0, 100, 5, this);
    subSteps = MakeIntSpin("GvNumEditSkalaSubSteps", 0, 50, 2, this);
    form->addRow(QStringLiteral("Skala Steps"), steps);
    form->addRow(QStringLiteral("Skala SubSteps"), subSteps);

    scaleColor = MakeColorBox("ColorBoxInstrumentSkala", this);
    QPushButton *scaleFont = MakeFontButton("ButtonSkalaFont", this);
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
    LoadNumber(from, 0);
    LoadNumber(to, 100);
    unit->clear();
    LoadInt(width, 0);
    LoadInt(height, 0);
    LoadNumber(factor, 1);
    LoadInt(steps, 5);
    LoadInt(subSteps, 2);
    SelectColor(background, clBtnFace);
    SelectColor(pointerColor, clLime);
    SelectColor(scaleColor, clBlack);
    SelectColor(instrColor, clSilver);
}

bool TAMeterPage::Select(TGvVMeter *m, int id)
{
    meter = m;
    show();
    setTitle(InstrumentCaption(id));
    pendingScaleFont.Assign(*m->ScaleSettings()->Font());
    pendingNameFont.Assign(*m->Font());
    const QChar sep = FormatSettings().DecimalSeparator;
    bool hintValid = true;
    LoadNumber(factor, FactorFromHint(m->Hint(), sep, &hintValid));
    const TSignalSettings *sig = m->SignalSettings();
    name->setText(sig->Name1());
    LoadNumber(from, sig->ValueFrom());
    LoadNumber(to, sig->ValueTo());
    unit->setText(sig->ValueUnit());
    format->setText(m->ScaleSettings()->ValueFormat());
    LoadInt(width, m->width());
    LoadInt(height, m->height());
    LoadInt(steps, m->ScaleSettings()->Steps());
    LoadInt(subSteps, m->ScaleSettings()->SubSteps());
    SelectColor(background, m->BevelInner()->Color());
    SelectColor(instrColor, m->BevelOuter()->Color());
    SelectColor(pointerColor, m->ScaleSettings()->PointerColor());
    SelectColor(scaleColor, m->ScaleSettings()->Color());
    if (const auto boxes = FrameBoxesFromOptions(m->Options())) {
        frameOuter->setChecked(boxes->outer);
        frameInner->setChecked(boxes->inner);
    }
    return hintValid;
}

bool TAMeterPage::Apply()
{
    // Width and height are not committed: a commit would clamp a size edit mode allowed.
    if (!meter || !CommitNumbers({from, to, factor, steps, subSteps}))
        return false;
    meter->SetHint(HintFromFactor(factor->Value()));
    TSignalSettings *sig = meter->SignalSettings();
    sig->SetName1(name->text());
    WriteRange(sig, from->ValueAsSingle(), to->ValueAsSingle());
    sig->SetValueUnit(unit->text());
    sig->SetValueFormat(format->text());
    TScaleSettings *scale = meter->ScaleSettings();
    scale->SetValueFormat(format->text());
    meter->resize(width->ValueAsInt(), height->ValueAsInt());
    scale->SetSteps(steps->ValueAsInt());
    scale->SetSubSteps(subSteps->ValueAsInt());
    meter->BevelInner()->SetColor(ColorOf(background));
    meter->BevelOuter()->SetColor(ColorOf(instrColor));
    scale->SetColor(ColorOf(scaleColor));
    scale->SetPointerColor(ColorOf(pointerColor));
    meter->SetFont(&pendingNameFont);
    scale->SetFont(&pendingScaleFont);
    meter->SetOptions(OptionsFromFrameBoxes({frameOuter->isChecked(), frameInner->isChecked()}));
    meter->raise();
    hide();
    return true;
}

void TAMeterPage::SetToDefault()
{
    LoadInt(steps, 5);
    LoadInt(subSteps, 2);
    SetDefaultFont(pendingScaleFont, 14);
    SetDefaultFont(pendingNameFont, 8);
}

void TAMeterPage::ChooseNameFont()
{
    if (meter && ChooseFont(pendingNameFont, this))
        meter->SetFont(&pendingNameFont);
}

void TAMeterPage::ChooseScaleFont()
{
    const int before = pendingScaleFont.Size();
    if (!meter || !ChooseFont(pendingScaleFont, this))
        return;
    // The scale is laid out for 6 to 48 points; a size left as it was is kept as stored.
    if (pendingScaleFont.Size() != before)
        pendingScaleFont.SetSize(std::max(std::min(pendingScaleFont.Size(), 48), 6));
    meter->ScaleSettings()->SetFont(&pendingScaleFont);
}
