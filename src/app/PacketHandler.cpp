#include "PacketHandler.h"

#include "ActiveLabel.h"
#include "FormatSettings.h"
#include "GvLED.h"
#include "GvMiniTrend.h"
#include "GvVMeter.h"
#include "GvValueInd.h"
#include "SevenSeg.h"
#include "ValueProtocol.h"

namespace tg::app {

namespace {

float product(float number, double factor)
{
    return float(double(number) * factor);
}

} // namespace

void PacketHandler::handle(QByteArrayView packet)
{
    const QChar sep = FormatSettings().DecimalSeparator;
    const std::optional<Packet> p = parsePacket(packet, sep);
    if (!p || p->id < 0 || p->id > kMaxId)
        return;
    QObject *target = table[size_t(p->id)];
    if (!target)
        return;
    const int id = p->id;
    if (id >= 1 && id <= 10) {
        if (auto *m = qobject_cast<TGvVMeter *>(target))
            m->SetValue(product(p->number, factorFromHint(m->Hint(), sep)));
    } else if (id == 35 || id == 36) {
        if (auto *l = qobject_cast<ActiveLabel *>(target))
            l->setText(p->valueText);
    } else if (id == 40) {
        auto *s = qobject_cast<TSevenSeg *>(target);
        const long double v = (long double)p->number * (long double)float(sevenSeg.factor);
        const std::optional<QString> caption =
            s ? sevenSegCaption(v, sevenSeg.digits, sevenSeg.decimals, s->NumDigits(), sep) : std::nullopt;
        if (caption)
            s->SetCaption(*caption);
    } else if (id >= 41 && id <= 44) {
        if (auto *v = qobject_cast<TGvValueInd *>(target))
            v->SetValue(product(p->number, v->LimitUpper()));
    } else if (id == 60) {
        const std::optional<uint8_t> byte = ledByte(p->number);
        if (!byte)
            return;
        if (!leds[0])
            for (int n = 1; n <= 8; ++n)
                leds[size_t(n - 1)] = target->findChild<TGvLED *>(QStringLiteral("LedPanel1Led%1").arg(n));
        for (int n = 1; n <= 8; ++n) {
            if (TGvLED *led = leds[size_t(n - 1)])
                led->SetChecked((*byte >> (n - 1)) & 1u);
        }
    } else if (id == 90) {
        if (auto *t = qobject_cast<TGvMiniTrend *>(target))
            t->SetValueCh1(product(p->number, factorFromHint(t->Hint(), sep)));
    }
}

} // namespace tg::app
