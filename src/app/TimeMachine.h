#pragma once
// Freezes the panel on a moment of the journal. While frozen the device goes on being
// recorded, but the instruments and the terminal show the moment chosen: they are rebuilt by
// replaying the journal through a framer set like the live one, the value protocol and the
// terminal, from the last snapshot of the panel before that moment. Snapshots are taken as
// each journal block begins, while the panel follows the device. Nothing goes to the device
// while frozen. Recordings are played the same way.
#include "Journal.h"
#include "PacketHandler.h"
#include "PanelState.h"

#include <QByteArray>
#include <deque>

class TComDataPacket;
class TCustomComTerminal;

namespace tg::app {

class TimeMachine {
public:
    // The terminal shows at a moment what the bytes of this span before it draw on a cleared
    // screen, which is its whole visible text for anything but a screen-positioning program.
    static constexpr uint64_t kTerminalTail = 64 * 1024;

    TimeMachine(journal::Journal &journal, PacketHandler &handler, const InstrumentTable &instruments,
                const TComDataPacket &liveFramer, TCustomComTerminal &terminal);
    ~TimeMachine();

    bool Frozen() const { return frozen; }
    void Freeze();
    // The earliest moment the panel can be rebuilt at, and the moment shown.
    journal::Micros EarliestTime() const;
    journal::Micros ShownTime() const { return shown; }
    // Freezes if needed and shows the panel as it was at t (clamped to what the journal holds).
    void ShowAt(journal::Micros t);
    // Brings the panel to the device's present and lets it follow the device again.
    void Live();

    // Playing a recording: the panel freezes, then takes the recording's records in order.
    void BeginPlayback();
    void Play(const journal::Record &r);

private:
    struct Checkpoint {
        uint64_t offset;
        journal::Micros time;
        PanelState::Values values;
        QByteArray pending;
    };
    void checkpoint(uint64_t offset, journal::Micros time);
    void resetFramer();

    journal::Journal &journal;
    PacketHandler &handler;
    const TComDataPacket &liveFramer;
    TCustomComTerminal &terminal;
    PanelState state;
    std::unique_ptr<TComDataPacket> framer;
    std::deque<Checkpoint> checkpoints;
    bool frozen = false;
    journal::Micros shown = 0;
};

} // namespace tg::app
