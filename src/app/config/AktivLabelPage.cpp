#include "AktivLabelPage.h"

#include "ColorBox.h"
#include "FontButton.h"
#include "SubPage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaProperty>
#include <QPushButton>
#include <QRadioButton>

using namespace tg::config;

namespace {

const char *const Note = "Aktiv Label erwarten einen Text als String vom Mikrocontroller\n"
                         "Protokoll:  #nMm< \n"
                         "wobei n = Instrument-Nr. und m = Text ist.\n"
                         "Aktiv Label führt einen Zeilenumbruch durch, wenn der Text\n"
                         "zu lang wird. Dadurch können auch, bei entsprechender\n"
                         "Grösse des Aktiv Labels, mehrzeilige Texte dargestellt werden.";

// The label's alignment values by name, as the settings file writes them.
const char *const LeftKey = "taLeftJustify";
const char *const CentreKey = "taCenter";
const char *const RightKey = "taRightJustify";

QMetaProperty AlignmentProperty(const QObject *label)
{
    const QMetaObject *mo = label->metaObject();
    return mo->property(mo->indexOfProperty("Alignment"));
}

QRadioButton *MakeRadio(const char *name, const QString &caption, QWidget *parent)
{
    auto *r = new QRadioButton(caption, parent);
    r->setObjectName(name);
    return r;
}

} // namespace

TAktivLabelPage::TAktivLabelPage(QWidget *parent) : QGroupBox(parent)
{
    setObjectName(QStringLiteral("GroupBoxAktivLabel"));
    auto *form = new QFormLayout(this);
    QPushButton *fontButton = MakeFontButton("ButtonAktLabelFont", this);
    auto *fontRow = new QHBoxLayout; // the button at its own size, as on the other pages
    fontRow->addWidget(fontButton);
    fontRow->addStretch();
    form->addRow(QStringLiteral("Fontgrösse"), fontRow);
    background = MakeColorBox("ColorBoxAktLabelBackground", this);
    form->addRow(QStringLiteral("Backgrond Color"), background);
    transparent = new QCheckBox(QStringLiteral("Transparent"), this);
    transparent->setObjectName(QStringLiteral("CheckBoxAktLabelTransparent"));
    form->addRow(transparent);
    left = MakeRadio("RadioBtnAktLabelLB", QStringLiteral("Linksbündig"), this);
    centre = MakeRadio("RadioBtnAktLabelZ", QStringLiteral("Zentriert"), this);
    right = MakeRadio("RadioBtnAktLabelRB", QStringLiteral("Rechtsbündig"), this);
    centre->setChecked(true);
    form->addRow(left);
    form->addRow(centre);
    form->addRow(right);
    AddNote(form, Note, this);
    const TApplyButtons buttons = AddApplyButtons(form, this);
    showButton = buttons.show;
    applyButton = buttons.apply;

    connect(fontButton, &QPushButton::clicked, this, &TAktivLabelPage::ChooseLabelFont);
    connect(applyButton, &QPushButton::clicked, this, [this] { Apply(); });
    ResetFields();
}

void TAktivLabelPage::ResetFields() { background->SetSelected(clSkyBlue); }

bool TAktivLabelPage::Select(QWidget *l, int id)
{
    label = nullptr;
    labelFont = nullptr;
    const QVariant color = l->property("Color");
    const QVariant clear = l->property("Transparent");
    const QMetaProperty alignment = AlignmentProperty(l);
    auto *font = l->property("Font").value<TFont *>();
    if (!color.canConvert<TColor>() || !clear.isValid() || !alignment.isEnumType() || !font)
        return false;
    label = l;
    labelFont = font;
    show();
    setTitle(InstrumentCaption(id));
    background->SetSelected(color.value<TColor>());
    transparent->setChecked(clear.toBool());
    const QByteArray key = alignment.enumerator().valueToKey(alignment.read(l).toInt());
    if (key == LeftKey)
        left->setChecked(true);
    else if (key == RightKey)
        right->setChecked(true);
    else
        centre->setChecked(true);
    pendingFont.Assign(*font);
    return true;
}

bool TAktivLabelPage::Apply()
{
    if (!label)
        return false;
    label->setProperty("Color", QVariant::fromValue(background->Selected()));
    label->setProperty("Transparent", transparent->isChecked());
    const QMetaProperty alignment = AlignmentProperty(label);
    const char *key = left->isChecked() ? LeftKey : right->isChecked() ? RightKey : CentreKey;
    alignment.write(label, alignment.enumerator().keyToValue(key));
    labelFont->Assign(pendingFont);
    label->raise();
    hide();
    return true;
}

void TAktivLabelPage::ChooseLabelFont()
{
    if (label && ChooseFont(pendingFont, this))
        labelFont->Assign(pendingFont);
}
