#pragma once
// What the panel does with each inbound packet: one instrument updated per packet, looked up
// in the id table built once at window creation.
#include "Catalogue.h"

#include <QByteArrayView>
#include <array>

class TGvLED;

namespace tg::app {

// The seven-segment format fields of the configuration page.
struct SevenSegFormat {
    double factor = 1.0;
    int digits = 4;
    int decimals = 2;
};

class PacketHandler {
public:
    explicit PacketHandler(const InstrumentTable &table) : table(table) {}

    void handle(QByteArrayView packet);

    SevenSegFormat sevenSeg;

private:
    const InstrumentTable &table;
    // The lamps of the lamp block, looked up at its first byte: a search by name for each of
    // eight lamps per packet cost more than the rest of the packet's handling.
    std::array<TGvLED *, 8> leds{};
};

} // namespace tg::app
