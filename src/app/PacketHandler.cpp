#include "PacketHandler.h"

#include "ActiveLabel.h"
#include "FormatSettings.h"
#include "GvLED.h"
#include "GvMiniTrend.h"
#include "GvVMeter.h"
#include "GvValueInd.h"
#include "Numeric.h"
#include "SevenSeg.h"
#include "SevenSegPage.h"

namespace tg::app {

namespace {

// number × factor at single precision; nothing when the product leaves the single range.
std::optional<float> product(float number, double factor)
{
    return toSingle(double(number) * factor);
}

} // namespace

double PacketHandler::factorOf(int id, const QString &hint, QChar separator)
{
    HintFactor &f = factors[size_t(id)];
    // The kept copy holds the text's storage alive, so the same storage means the same text.
    const bool same = f.read && hint.constData() == f.hint.constData() && hint.size() == f.hint.size();
    if (!same || separator != f.separator)
        f = HintFactor{hint, separator, factorFromHint(hint, separator), true};
    return f.factor;
}

std::optional<Packet> PacketHandler::handle(QByteArrayView packet, bool apply)
{
    const QChar sep = FormatSettings().DecimalSeparator;
    const std::optional<Packet> p = parsePacket(packet, sep);
    if (p && apply)
        applyTo(*p, sep);
    return p;
}

void PacketHandler::applyTo(const Packet &p, QChar sep)
{
    if (p.id < 0 || p.id > kMaxId)
        return;
    QObject *target = table[size_t(p.id)];
    if (!target)
        return;
    const int id = p.id;
    if (id >= 1 && id <= 10) {
        if (auto *m = qobject_cast<TGvVMeter *>(target))
            if (const std::optional<float> v = product(p.number, factorOf(id, m->Hint(), sep)))
                m->SetValue(*v);
    } else if (id == 35 || id == 36) {
        if (auto *l = qobject_cast<ActiveLabel *>(target))
            l->setText(p.text());
    } else if (id == 40) {
        auto *s = qobject_cast<TSevenSeg *>(target);
        const std::optional<float> factor = toSingle(sevenSegPage.Factor());
        if (!s || !factor)
            return;
        // Formed at the wider precision, not rounded to single: the product of two singles is
        // exact in a double.
        const double v = double(p.number) * double(*factor);
        if (const std::optional<QString> caption = sevenSegCaption(v, sevenSegPage.Digits(), sevenSegPage.Decimals(),
                                                                   s->NumDigits(), sep))
            s->SetCaption(*caption);
    } else if (id >= 41 && id <= 44) {
        if (auto *v = qobject_cast<TGvValueInd *>(target))
            if (const std::optional<float> x = product(p.number, v->LimitUpper()))
                v->SetValue(*x);
    } else if (id == 60) {
        const std::optional<uint8_t> byte = ledByte(p.number);
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
            if (const std::optional<float> v = product(p.number, factorOf(id, t->Hint(), sep)))
                t->SetValueCh1(*v);
    }
}

} // namespace tg::app
