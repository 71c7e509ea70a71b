// Packets as a device may send them, through the panel's packet handler into its real
// instruments. Input: a settings byte (decimal separator, value indicators' upper limit,
// seven-segment factor), a byte for the seven-segment digits and decimals, then lines: the
// first is the hint the meters and the trend take their factor from, every further one a packet.
// After every packet no number of the addressed instrument is non-finite and the seven-segment
// display shows only a number; at the end no instrument that no packet addressed has changed.
#include "Catalogue.h"
#include "FormatSettings.h"
#include "GvControl.h"
#include "GvNumEdit.h"
#include "GvValueInd.h"
#include "OffscreenApp.h"
#include "PacketHandler.h"
#include "SevenSeg.h"
#include "SevenSegPage.h"
#include "ValueProtocol.h"

#include <QMetaProperty>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// One readable property of an instrument or of something it owns (fonts, bevels, scales, lamps).
// Own leaves belong to the instrument or to a widget inside it; the rest to its parts.
struct Leaf {
    QObject *object;
    QMetaProperty property;
    bool own;
};

void collectLeaves(QObject *o, std::vector<Leaf> &leaves, bool own = true)
{
    const QMetaObject *mo = o->metaObject();
    const auto *w = qobject_cast<QWidget *>(o);
    // Of Qt's own properties only place and visibility: the rest is not the instruments' state.
    if (w) {
        for (const char *name : {"geometry", "visible"})
            leaves.push_back({o, mo->property(mo->indexOfProperty(name)), own});
    }
    const int first = w ? QWidget::staticMetaObject.propertyCount() : QObject::staticMetaObject.propertyCount();
    for (int i = first; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        // A type without comparison (a label's picture) would never read as unchanged.
        if (!p.isReadable() || !p.metaType().isEqualityComparable())
            continue;
        if (p.metaType().flags() & QMetaType::PointerToQObject) {
            // Owned parts are followed; a link to another widget is that widget's own state.
            QObject *part = p.read(o).value<QObject *>();
            if (part && !part->isWidgetType())
                collectLeaves(part, leaves, false);
            continue;
        }
        leaves.push_back({o, p, own});
    }
    for (QObject *child : o->children())
        if (child->isWidgetType())
            collectLeaves(child, leaves, own);
}

using State = std::vector<QVariant>;

struct Instrument {
    int id;
    QObject *object;
    std::vector<Leaf> leaves;
    State initial;
    std::vector<size_t> own;     // leaves compared when the instrument was not addressed
    std::vector<size_t> numbers; // leaves of single or double precision

    void read(State &s) const
    {
        s.resize(leaves.size());
        for (size_t i = 0; i < leaves.size(); ++i)
            s[i] = leaves[i].property.read(leaves[i].object);
    }
    // A value that reaches the wrong instrument shows in that one's own properties, so its
    // parts (fonts, bevels, scales, extremes) need not be read.
    bool ownChanged() const
    {
        for (size_t i : own)
            if (leaves[i].property.read(leaves[i].object) != initial[i])
                return true;
        return false;
    }
    bool finite() const
    {
        for (size_t i : numbers) {
            const QVariant v = leaves[i].property.read(leaves[i].object);
            if (!std::isfinite(v.typeId() == QMetaType::Float ? double(v.toFloat()) : v.toDouble()))
                return false;
        }
        return true;
    }
    // Writes back what differs from the start, so that every input begins on the same panel, and
    // tells whether that worked. Not compared: what the instrument keeps by itself, the moments
    // of its extremes and the hint a value indicator composes from them.
    bool reset()
    {
        bool same = true;
        for (size_t i = 0; i < leaves.size(); ++i) {
            const Leaf &l = leaves[i];
            if (!l.property.isWritable() || l.property.read(l.object) == initial[i])
                continue;
            l.property.write(l.object, initial[i]);
            same = same && (qstrcmp(l.property.name(), "Hint") == 0 || l.property.read(l.object) == initial[i]);
        }
        return same;
    }
};

bool numberText(const QString &caption, QChar separator)
{
    for (QChar c : caption)
        if (!c.isDigit() && c != QLatin1Char(' ') && c != QLatin1Char('-') && c != separator)
            return false;
    return true;
}

struct Panel {
    QWidget panel;
    tg::app::InstrumentTable table = tg::app::createInstruments(&panel);
    TSevenSegPage sevenSegPage;
    TGvNumSpin *digits = sevenSegPage.findChild<TGvNumSpin *>(QStringLiteral("GvEdit7SegStellen"));
    TGvNumSpin *decimals = sevenSegPage.findChild<TGvNumSpin *>(QStringLiteral("GvEdit7SegStellenNK"));
    TGvNumEdit *factor = sevenSegPage.findChild<TGvNumEdit *>(QStringLiteral("GvEdit7SegSkalFaktor"));
    std::vector<Instrument> instruments;
    std::array<Instrument *, tg::app::kMaxId + 1> byId{};
    std::vector<bool> addressed;

    Panel()
    {
        for (int id = 0; id <= tg::app::kMaxId; ++id) {
            if (QObject *o = table[size_t(id)]) {
                Instrument in{id, o, {}, {}, {}, {}};
                collectLeaves(o, in.leaves);
                in.read(in.initial);
                for (size_t i = 0; i < in.leaves.size(); ++i) {
                    const int t = in.leaves[i].property.metaType().id();
                    if (t == QMetaType::Float || t == QMetaType::Double)
                        in.numbers.push_back(i);
                    // A value indicator composes its hint from its extremes in the format of
                    // the moment, which each input sets anew.
                    const bool composed = qobject_cast<TGvValueInd *>(in.leaves[i].object) &&
                                          qstrcmp(in.leaves[i].property.name(), "Hint") == 0;
                    if (in.leaves[i].own && !composed)
                        in.own.push_back(i);
                }
                // A property that never compares equal to itself would make every input a finding.
                if (in.ownChanged() || !in.reset() || !in.finite())
                    std::abort();
                instruments.push_back(std::move(in));
            }
        }
        for (Instrument &in : instruments)
            byId[size_t(in.id)] = &in;
    }
};

Panel &panel()
{
    offscreenApp();
    static Panel *p = new Panel;
    return *p;
}

// The id a packet names, read on its own: what lies between "#" and the first "M".
int addressed(QByteArrayView packet)
{
    if (packet.size() < 2 || packet[0] != '#')
        return -1;
    const qsizetype m = packet.indexOf('M');
    if (m < 0)
        return -1;
    return tg::app::parseId(QString::fromLatin1(packet.sliced(1, m - 1))).value_or(-1);
}

// Beyond a few dozen packets an input only repeats what shorter ones reach.
constexpr int MaxPackets = 32;

constexpr float Limits[] = {1.0f, 0.0f, -1.0f, 1e-30f, 1e30f, 3.4028235e38f, -3.4028235e38f, 1e-45f};
constexpr double Factors[] = {1.0, 0.0, -2.5, 1e-40, 1e20, 3.4028235e38, 1e39, 1e300};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Panel &p = panel();
    if (size < 2)
        return 0;
    const uint8_t settings = data[0];
    const QChar sep = (settings & 1) ? QLatin1Char(',') : QLatin1Char('.');
    TScopedFormatSettings fs((settings & 1) ? TFormatSettings::comma() : TFormatSettings::dot());
    p.digits->SetValue(data[1] % 11);
    p.decimals->SetValue(data[1] / 11 % 11);
    p.factor->SetValue(Factors[settings >> 5]);

    const QByteArrayView rest(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));
    qsizetype lineEnd = rest.indexOf('\n');
    const QString hint = QString::fromLatin1(rest.first(lineEnd < 0 ? rest.size() : lineEnd));
    const float limit = Limits[(settings >> 1) & 7];
    p.addressed.assign(p.instruments.size(), false);

    tg::app::PacketHandler handler(p.table, p.sevenSegPage);
    int packets = 0;
    while (lineEnd >= 0 && ++packets <= MaxPackets) {
        const qsizetype start = lineEnd + 1;
        lineEnd = rest.indexOf('\n', start);
        const QByteArrayView packet = rest.sliced(start, (lineEnd < 0 ? rest.size() : lineEnd) - start);
        const int id = addressed(packet);
        Instrument *in = id >= 0 && id <= tg::app::kMaxId ? p.byId[size_t(id)] : nullptr;
        // The hint and the limit are set on an instrument only once a packet addresses it, so
        // that every other one stays as it started.
        if (in && !p.addressed[size_t(in - p.instruments.data())]) {
            p.addressed[size_t(in - p.instruments.data())] = true;
            if (auto *c = qobject_cast<TGvControl *>(in->object); c && (in->id <= 10 || in->id == 90))
                c->SetHint(hint);
            if (auto *v = qobject_cast<TGvValueInd *>(in->object))
                v->SetLimitUpper(limit);
        }
        handler.handle(packet);
        if (!in)
            continue;
        if (!in->finite())
            std::abort();
        if (auto *s = qobject_cast<TSevenSeg *>(in->object); s && !numberText(s->Caption(), sep))
            std::abort();
    }
    for (size_t i = 0; i < p.instruments.size(); ++i) {
        Instrument &in = p.instruments[i];
        if (!p.addressed[i] && in.ownChanged())
            std::abort();
        if (p.addressed[i] && !in.reset())
            std::abort();
    }
    return 0;
}
