#include "DigitalPage.h"

#include "ColorBox.h"
#include "GvLED.h"
#include "SubPage.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace tg::config;

namespace {

const char *const Explanation =
    "Das 8 Kanal Led Panel mit der Instrumenten-Nummer #60\n"
    "wird mit einem einzigen Byte angesprochen und stellt\n"
    "den Inhalt binär mit 8 bit (die Leds 0 bis 7) dar.\n"
    "Damit kann z.B. ein ganzer MC-Port dargestellt werden.\n"
    "\n"
    "Der Mikrocontroler schickt den Wert m  0...255 als String. \n"
    "Beispiel: : #60Mm<";

} // namespace

TDigitalPage::TDigitalPage(QWidget *parent) : QGroupBox(QStringLiteral("  8 Kanal Led Panel   #60    "), parent)
{
    setObjectName(QStringLiteral("GroupBoxDigital"));
    auto *form = new QFormLayout(this);
    auto *text = new QLabel(QString::fromUtf8(Explanation), this);
    text->setTextFormat(Qt::PlainText);
    form->addRow(text);
    for (int i = 0; i < 8; ++i) {
        const QByteArray name = "EditLedPanel" + QByteArray::number(i + 1);
        captions[size_t(i)] = MakeEdit(name.constData(), this);
        form->addRow(QStringLiteral("Led %1").arg(i), captions[size_t(i)]);
    }
    color = MakeColorBox("ColorBox8LedPanel", this);
    form->addRow(QStringLiteral("Instrument Color"), color);
    const TApplyButtons buttons = AddApplyButtons(form, this);
    showButton = buttons.show;
    applyButton = buttons.apply;
    connect(applyButton, &QPushButton::clicked, this, [this] { Apply(); });
    ResetFields();
}

TGvLED *TDigitalPage::Led(QWidget *panel, int n)
{
    return panel->findChild<TGvLED *>(QStringLiteral("LedPanel1Led%1").arg(n));
}

void TDigitalPage::ResetFields()
{
    hide();
    color->SetSelected(clSilver);
}

void TDigitalPage::Select(QWidget *panel, int id)
{
    ledPanel = panel;
    show();
    setTitle(InstrumentCaption(id));
    const QVariant c = panel->property("Color");
    if (c.canConvert<TColor>())
        color->SetSelected(c.value<TColor>());
    for (int n = 1; n <= 8; ++n) {
        const TGvLED *led = Led(panel, n);
        captions[size_t(n - 1)]->setText(led ? led->Caption() : QString());
    }
}

bool TDigitalPage::Apply()
{
    if (!ledPanel)
        return false;
    ledPanel->setProperty("Color", QVariant::fromValue(color->Selected()));
    for (int n = 1; n <= 8; ++n)
        if (TGvLED *led = Led(ledPanel, n))
            led->SetCaption(captions[size_t(n - 1)]->text());
    ledPanel->raise();
    return true;
}
