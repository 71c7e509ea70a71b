// Gallery states of the port lamp: every built-in kind on and off, and a disabled lit lamp.
#include "Gallery.h"
#include "ComLed.h"

namespace gallery {

void comLed()
{
    const std::pair<TComLed::TLedKind, const char *> kinds[] = {
        {TComLed::lkRedLight, "red"},       {TComLed::lkGreenLight, "green"}, {TComLed::lkBlueLight, "blue"},
        {TComLed::lkYellowLight, "yellow"}, {TComLed::lkPurpleLight, "purple"}, {TComLed::lkBulb, "bulb"}};
    for (const auto &[kind, name] : kinds) {
        Holder<TComLed> h;
        h.w->SetKind(kind);
        save(*h.w, QStringLiteral("comled-%1-off").arg(QLatin1String(name)));
        h.w->SetState(TComLed::lsOn);
        save(*h.w, QStringLiteral("comled-%1-on").arg(QLatin1String(name)));
    }
    Holder<TComLed> h;
    h.w->SetKind(TComLed::lkGreenLight);
    h.w->SetState(TComLed::lsOn);
    h.w->setEnabled(false);
    save(*h.w, QStringLiteral("comled-green-on-disabled"));
}

} // namespace gallery
