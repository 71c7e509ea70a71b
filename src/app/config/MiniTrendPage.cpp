#include "MiniTrendPage.h"

#include "ColorBox.h"
#include "FormatSettings.h"
#include "GvMiniTrend.h"
#include "GvNumEdit.h"
#include "MeterFields.h"
#include "SubPage.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

using namespace tg::config;

namespace {
const QString DecimalFormat = QStringLiteral("#0.#######");
}

TMiniTrendPage::TMiniTrendPage(QWidget *parent) : QGroupBox(QStringLiteral("  Instrument  #90  "), parent)
{
    setObjectName(QStringLiteral("GroupBoxMiniTrend"));
    auto *form = new QFormLayout(this);
    from = MakeNumEdit("EditMiniTrendWertVon", DecimalFormat, this);
    to = MakeNumEdit("EditMiniTrendWertBis", DecimalFormat, this);
    factor = MakeNumEdit("EditMiniTrendScaleFaktor", DecimalFormat, this);
    timeScale = MakeNumEdit("EditMiniTrendTimeScale", QStringLiteral("#0"), this);
    format = MakeEdit("EditMiniTrendFormat", this);
    format->setText(QStringLiteral("##0"));
    color = MakeColorBox("ColorBoxMiniTrendInstrColor", this);
    unit = MakeEdit("EditMiniTrendEinheit", this);
    form->addRow(QStringLiteral("Anzeige Wert von"), from);
    form->addRow(QStringLiteral("Anzeige Wert bis"), to);
    form->addRow(QStringLiteral("Skalierungsfaktor"), factor);
    form->addRow(QStringLiteral("Time Scale 1...100"), timeScale);
    form->addRow(QStringLiteral("Format Skala ##0.0"), format);
    form->addRow(QStringLiteral("Instrument Color"), color);
    form->addRow(QStringLiteral("Einheit (z.B.  mV)"), unit);
    const TApplyButtons buttons = AddApplyButtons(form, this);
    showButton = buttons.show;
    applyButton = buttons.apply;
    connect(applyButton, &QPushButton::clicked, this, [this] { Apply(); });
    ResetFields();
}

void TMiniTrendPage::ResetFields()
{
    hide();
    LoadNumber(factor, 1);
    LoadNumber(from, 0);
    LoadNumber(to, 100);
    LoadNumber(timeScale, 1);
    format->setText(QStringLiteral("##0"));
    color->SetSelected(clSilver);
    unit->setText(QStringLiteral(" "));
}

bool TMiniTrendPage::Select(TGvMiniTrend *t, int id)
{
    trend = t;
    show();
    setTitle(InstrumentCaption(id));
    bool hintValid = true;
    LoadNumber(factor, FactorFromHint(t->Hint(), FormatSettings().DecimalSeparator, &hintValid));
    const TSignalSettings *ch1 = t->SignalSettingsCh1();
    LoadNumber(from, ch1->ValueFrom());
    LoadNumber(to, ch1->ValueTo());
    LoadNumber(timeScale, t->TimeScale());
    format->setText(ch1->ValueFormat());
    unit->setText(ch1->ValueUnit());
    color->SetSelected(t->BevelOuter()->Color());
    return hintValid;
}

bool TMiniTrendPage::Apply()
{
    if (!trend || !CommitNumbers({from, to, factor, timeScale}))
        return false;
    trend->SetHint(HintFromFactor(factor->Value()));
    TSignalSettings *ch1 = trend->SignalSettingsCh1();
    WriteRange(ch1, from->ValueAsSingle(), to->ValueAsSingle());
    trend->SetTimeScale(timeScale->ValueAsInt());
    ch1->SetValueFormat(format->text());
    trend->BevelOuter()->SetColor(color->Selected());
    ch1->SetValueUnit(unit->text());
    trend->raise();
    hide();
    return true;
}
