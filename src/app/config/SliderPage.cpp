#include "SliderPage.h"

#include "ColorBox.h"
#include "GvDial.h"
#include "GvNumEdit.h"
#include "MeterFields.h"
#include "SubPage.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

using namespace tg::config;

TSliderPage::TSliderPage(QWidget *parent) : QGroupBox(parent)
{
    setObjectName(QStringLiteral("GroupBoxDrehDial"));
    auto *form = new QFormLayout(this);
    const QString decimal = QStringLiteral("#0.#######");
    name = MakeEdit("EditADrehSliderName", this);
    from = MakeNumEdit("EditADrehSliderValueFrom", decimal, this);
    to = MakeNumEdit("EditADrehSliderValueTo", decimal, this);
    unit = MakeEdit("EditADrehSliderValueUnit", this);
    format = MakeEdit("EditADrehSliderFormat", this);
    color = MakeColorBox("ColorBoxADrehDial", this);
    form->addRow(QStringLiteral("Name  "), name);
    form->addRow(QStringLiteral("Anzeige Wert von"), from);
    form->addRow(QStringLiteral("Anzeige Wert bis"), to);
    form->addRow(QStringLiteral("Anzeige Einheit"), unit);
    form->addRow(QStringLiteral("Format Skala ##0.0"), format);
    form->addRow(QStringLiteral("Instrument Color"), color);
    const TApplyButtons buttons = AddApplyButtons(form, this);
    showButton = buttons.show;
    applyButton = buttons.apply;
    connect(applyButton, &QPushButton::clicked, this, [this] { Apply(); });
}

void TSliderPage::Select(TGvDial *d, int id)
{
    dial = d;
    show();
    setTitle(InstrumentCaption(id));
    const TSignalSettings *sig = d->SignalSettings();
    name->setText(sig->Name1());
    LoadNumber(from, sig->ValueFrom());
    LoadNumber(to, sig->ValueTo());
    format->setText(sig->ValueFormat());
    unit->setText(sig->ValueUnit());
    color->SetSelected(d->BevelOuter()->Color());
}

bool TSliderPage::Apply()
{
    if (!dial || !CommitNumbers({from, to}))
        return false;
    TSignalSettings *sig = dial->SignalSettings();
    sig->SetName1(name->text());
    WriteRange(sig, from->ValueAsSingle(), to->ValueAsSingle());
    sig->SetValueFormat(format->text());
    sig->SetValueUnit(unit->text());
    dial->BevelOuter()->SetColor(color->Selected());
    dial->raise();
    hide();
    return true;
}
