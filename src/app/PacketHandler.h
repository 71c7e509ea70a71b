#pragma once
// What the panel does with each inbound packet: one instrument updated per packet, looked up
// in the id table built once at window creation.
#include "Catalogue.h"
#include "ValueProtocol.h"

#include <QByteArrayView>
#include <QString>
#include <array>
#include <optional>

class TGvLED;
class TSevenSegPage;

namespace tg::app {

class PacketHandler {
public:
    // The seven-segment display's format comes from the 7Seg page's fields, read at every
    // packet so that what the user types there (or the settings restored) acts at once.
    PacketHandler(const InstrumentTable &table, const TSevenSegPage &sevenSegPage)
        : table(table), sevenSegPage(sevenSegPage)
    {
    }

    // What the value protocol read from packet (empty when it ignores the packet); the
    // instrument is updated unless `apply` is false.
    std::optional<Packet> handle(QByteArrayView packet, bool apply = true);

private:
    void applyTo(const Packet &packet, QChar sep);
    // The factor a hint text gives, read again only when the hint or the separator changed:
    // a hint that is still the same text shares its storage with the one kept here.
    struct HintFactor {
        QString hint;
        QChar separator;
        double factor = 1.0;
        bool read = false;
    };
    double factorOf(int id, const QString &hint, QChar separator);

    const InstrumentTable &table;
    const TSevenSegPage &sevenSegPage;
    // The lamps of the lamp block, looked up at its first byte: a search by name for each of
    // eight lamps per packet cost more than the rest of the packet's handling.
    std::array<TGvLED *, 8> leds{};
    std::array<HintFactor, kMaxId + 1> factors{};
};

} // namespace tg::app
