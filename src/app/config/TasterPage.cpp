#include "TasterPage.h"

#include "FontButton.h"
#include "GvColBitBtn.h"
#include "SubPage.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace tg::config;

namespace {

const char *const Note = "Protokoll  #nnMm<\n\n"
                         "wobei nn die Taster Instrument Nummer 70..73 ist\n"
                         "und m 1 oder 0\n"
                         "Bei Click (Mouse down) wird m=1 gesendet,\n"
                         "bei Loslassen (Mouse Up) m=0";

const QString PressOnly = QStringLiteral("1");
const QString PressAndRelease = QStringLiteral("0");

QRadioButton *MakeRadio(const char *name, const QString &caption, QWidget *parent)
{
    auto *r = new QRadioButton(caption, parent);
    r->setObjectName(name);
    return r;
}

} // namespace

TTasterPage::TTasterPage(QWidget *parent) : QGroupBox(parent)
{
    setObjectName(QStringLiteral("GroupBoxTaster"));
    auto *form = new QFormLayout(this);
    name = MakeEdit("EditNameTaster", this);
    QPushButton *fontButton = MakeFontButton("ButtonFontTaster", this);
    form->addRow(QStringLiteral("Name  "), WithFontButton(name, fontButton));
    AddNote(form, Note, this);
    single = MakeRadio("RadioButtonTasterSingle", QStringLiteral("Sendet nur bei Mouse Down"), this);
    twice = MakeRadio("RadioButtonTasterDouble", QStringLiteral("Sendet bei Mouse Down und Up"), this);
    single->setChecked(true);
    form->addRow(single);
    form->addRow(twice);
    const TApplyButtons buttons = AddApplyButtons(form, this);
    showButton = buttons.show;
    applyButton = buttons.apply;

    connect(fontButton, &QPushButton::clicked, this, &TTasterPage::ChooseButtonFont);
    connect(applyButton, &QPushButton::clicked, this, &TTasterPage::Apply);
}

void TTasterPage::Select(TGvColBitBtn *b, int id)
{
    button = b;
    show();
    setTitle(InstrumentCaption(id));
    name->setText(b->TextOn());
    buttonFont.Assign(*b->Font());
    // Any hint other than "1" is the press-and-release mode, as the release handler reads it.
    (b->Hint() == PressOnly ? single : twice)->setChecked(true);
}

void TTasterPage::Apply()
{
    if (!button)
        return;
    button->SetTextOn(name->text());
    button->SetFont(&buttonFont);
    button->SetHint(single->isChecked() ? PressOnly : PressAndRelease);
}

void TTasterPage::ChooseButtonFont()
{
    if (button && ChooseFont(buttonFont, this))
        button->SetFont(&buttonFont);
}
