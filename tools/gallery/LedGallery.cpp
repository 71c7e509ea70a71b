// Gallery states of the LED.
#include "Gallery.h"
#include "PanelSetup.h"
#include "GvLED.h"

namespace gallery {

using tg::app::panelLed;

void led()
{
    // LED
    {
        Holder<TGvLED> h;
        h.w->setObjectName(QStringLiteral("GvLED1"));
        h.w->loaded();
        save(*h.w, QStringLiteral("led-defaults-off"));
        h.w->SetChecked(true);
        save(*h.w, QStringLiteral("led-defaults-on"));
    }
    {
        Holder<TGvLED> h;
        panelLed(*h.w, 3);
        h.w->loaded();
        save(*h.w, QStringLiteral("led-instr60-off"));
        h.w->SetChecked(true);
        save(*h.w, QStringLiteral("led-instr60-on"));
        h.w->SetFlashing(true);
        tickUntil( [&] { return !h.w->LampLit(); });
        save(*h.w, QStringLiteral("led-instr60-flashing-off-phase"));
        tickUntil( [&] { return h.w->LampLit(); });
        save(*h.w, QStringLiteral("led-instr60-flashing-on-phase"));
        h.w->SetFlashing(false);
    }
    const std::pair<TGvLED::TLEDPos, const char *> positions[] = {
        {TGvLED::lpRight, "right"}, {TGvLED::lpTop, "top"}, {TGvLED::lpBottom, "bottom"}};
    for (const auto &[pos, name] : positions) {
        Holder<TGvLED> h;
        h.w->setObjectName(QStringLiteral("GvLED2"));
        h.w->resize(80, 60);
        h.w->SetCaption(QStringLiteral("two|lines"));
        h.w->SetLED_Position(pos);
        h.w->loaded();
        h.w->SetChecked(true);
        save(*h.w, QStringLiteral("led-position-%1").arg(QLatin1String(name)));
    }
    const char *shapes[] = {"round", "arrowleft", "arrowright", "arrowup", "arrowdown", "rectangle", "diamondleft",
                            "diamondright"};
    for (int s = gv::sRound; s <= gv::sDiamondRight; ++s) {
        Holder<TGvLED> h;
        h.w->SetCaption(QStringLiteral("shape"));
        h.w->LED()->SetShape(gv::TLEDShape(s));
        h.w->LED()->SetWidth(24);
        h.w->LED()->SetHeight(16);
        h.w->loaded();
        h.w->SetChecked(s % 2 == 0);
        save(*h.w, QStringLiteral("led-shape-%1").arg(QLatin1String(shapes[s])));
    }
}

} // namespace gallery
