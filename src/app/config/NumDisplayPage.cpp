#include "NumDisplayPage.h"

#include "ColorBox.h"
#include "FontButton.h"
#include "GvNumEdit.h"
#include "GvValueInd.h"
#include "SubPage.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

using namespace tg::config;

namespace {

const char *const Note = "Das numerische Display sklaliert sich in der Grösse\n"
                         "selbst durch Anpassung an Werte-Font unter\n"
                         "\"Background + Font\". Es ist also durch Doppel-Click\n"
                         "auf das Instrument nur ein Verschieben möglich.";

} // namespace

TNumDisplayPage::TNumDisplayPage(QWidget *parent) : QGroupBox(parent)
{
    setObjectName(QStringLiteral("GroupBoxNumDisplay"));
    auto *form = new QFormLayout(this);
    name = MakeEdit("EditNumDispName", this);
    QPushButton *nameFontButton = MakeFontButton("ButtonNumDispName", this);
    form->addRow(QStringLiteral("Name  "), WithFontButton(name, nameFontButton));
    factor = MakeNumEdit("EditNumDispSkalFaktor", QStringLiteral("#0.#######"), this);
    form->addRow(QStringLiteral("Skalierungsfaktor"), factor);
    unit = MakeEdit("EditNumDispEinheit", this);
    form->addRow(QStringLiteral("Anzeige Einheit"), unit);
    format = MakeEdit("EditNumDispFormatString", this);
    form->addRow(QStringLiteral("Format (z.B. ##0.0)"), format);
    instrColor = MakeColorBox("ColorBoxNumDispColorInstr", this);
    instrColor->SetSelected(clSilver);
    form->addRow(QStringLiteral("Instrument Color"), instrColor);
    background = MakeColorBox("ColorBoxNumDispColorBackGnd", this);
    QPushButton *valueFontButton = MakeFontButton("ButtonNumDispAnzeige", this);
    form->addRow(QStringLiteral("Background + Font"), WithFontButton(background, valueFontButton));
    AddNote(form, Note, this);
    const TApplyButtons buttons = AddApplyButtons(form, this);
    showButton = buttons.show;
    applyButton = buttons.apply;

    connect(nameFontButton, &QPushButton::clicked, this, &TNumDisplayPage::ChooseNameFont);
    connect(valueFontButton, &QPushButton::clicked, this, &TNumDisplayPage::ChooseValueFont);
    connect(applyButton, &QPushButton::clicked, this, [this] { Apply(); });
    ResetFields();
}

void TNumDisplayPage::ResetFields()
{
    name->setText(QStringLiteral("Instrument"));
    LoadNumber(factor, 1);
    unit->setText(QStringLiteral("%"));
    format->setText(QStringLiteral("##0.0"));
    background->SetSelected(clBlack);
    instrColor->SetSelected(clSilver);
}

void TNumDisplayPage::Select(TGvValueInd *v, int id)
{
    indicator = v;
    show();
    setTitle(InstrumentCaption(id));
    valueFont.Assign(*v->FontValue());
    nameFont.Assign(*v->Font());
    LoadNumber(factor, v->LimitUpper());
    const TSignalSettings *sig = v->SignalSettings();
    name->setText(sig->Name1());
    unit->setText(sig->ValueUnit());
    format->setText(sig->ValueFormat());
    background->SetSelected(v->BevelValue()->Color());
    instrColor->SetSelected(v->BevelInner()->Color());
}

bool TNumDisplayPage::Apply()
{
    if (!indicator || !CommitNumber(factor))
        return false;
    indicator->SetLimitUpper(factor->ValueAsSingle());
    TSignalSettings *sig = indicator->SignalSettings();
    sig->SetName1(name->text());
    sig->SetValueUnit(unit->text());
    sig->SetValueFormat(format->text());
    indicator->BevelValue()->SetColor(background->Selected());
    indicator->BevelInner()->SetColor(instrColor->Selected());
    indicator->SetFont(&nameFont);
    indicator->SetFontValue(&valueFont);
    indicator->raise();
    hide();
    return true;
}

void TNumDisplayPage::ChooseNameFont()
{
    if (indicator && ChooseFont(nameFont, this))
        indicator->SetFont(&nameFont);
}

void TNumDisplayPage::ChooseValueFont()
{
    if (indicator && ChooseFont(valueFont, this))
        indicator->SetFontValue(&valueFont);
}
