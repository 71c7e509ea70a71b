#include "LedPanel.h"

#include "GvLED.h"
#include "PanelSetup.h"

#include <QLabel>

namespace {
constexpr int kLedTops[8] = {18, 46, 75, 103, 132, 160, 189, 218};
}

TLedPanel::TLedPanel(QWidget *parent) : QFrame(parent)
{
    setAutoFillBackground(true);
    SetColor(clSilver);
    setMinimumSize(100, 56);
    setMaximumSize(260, 273);
    for (int n = 1; n <= 8; ++n) {
        auto *led = new TGvLED(this);
        tg::app::panelLed(*led, n);
        led->Tag = n;
        led->move(29, kLedTops[n - 1]);
        led->loaded();
        auto *bit = new QLabel(QString::number(n - 1), this);
        bit->move(17, kLedTops[n - 1] + 4);
    }
    auto *name = new QLabel(QStringLiteral("#60"), this);
    name->move(44, 248);
}

void TLedPanel::SetColor(TColor c)
{
    color = c;
    QPalette p = palette();
    p.setColor(QPalette::Window, toQColor(c));
    setPalette(p);
}

TGvLED *TLedPanel::Led(int n) const
{
    return findChild<TGvLED *>(QStringLiteral("LedPanel1Led%1").arg(n), Qt::FindDirectChildrenOnly);
}
