#include "TimeMachine.h"

#include "ComDataPacket.h"
#include "ComTerminal.h"

#include <algorithm>

namespace tg::app {

TimeMachine::TimeMachine(journal::Journal &journal, PacketHandler &handler, const InstrumentTable &instruments,
                         const TComDataPacket &liveFramer, TCustomComTerminal &terminal)
    : journal(journal), handler(handler), liveFramer(liveFramer), terminal(terminal), state(instruments),
      framer(std::make_unique<TComDataPacket>())
{
    framer->OnPacket = [this](TComDataPacket *, const QByteArray &packet) { this->handler.handle(packet); };
    journal.OnBlockStart = [this](uint64_t offset, journal::Micros time) { checkpoint(offset, time); };
}

TimeMachine::~TimeMachine()
{
    journal.OnBlockStart = nullptr;
}

void TimeMachine::checkpoint(uint64_t offset, journal::Micros time)
{
    // A frozen panel does not show what the journal holds; the snapshot before serves.
    if (frozen)
        return;
    while (!checkpoints.empty() && checkpoints.front().offset < journal.beginOffset())
        checkpoints.pop_front();
    const QByteArrayView pending = liveFramer.Pending();
    checkpoints.push_back({offset, time, state.capture(), pending.toByteArray()});
}

journal::Micros TimeMachine::EarliestTime() const
{
    for (const Checkpoint &c : checkpoints)
        if (c.offset >= journal.beginOffset())
            return c.time;
    return journal.lastTime();
}

void TimeMachine::resetFramer()
{
    framer->CopyFraming(liveFramer);
}

void TimeMachine::Freeze()
{
    if (frozen)
        return;
    frozen = true;
    shown = journal.lastTime();
    terminal.SetHeld(true);
}

void TimeMachine::ShowAt(journal::Micros t)
{
    Freeze();
    // The last usable snapshot at or before t; before the first one, the first.
    const Checkpoint *from = nullptr;
    for (const Checkpoint &c : checkpoints) {
        if (c.offset < journal.beginOffset())
            continue;
        if (from && c.time > t)
            break;
        from = &c;
    }
    if (!from)
        return;
    t = std::max(t, from->time);
    shown = std::min(t, journal.lastTime());
    state.restore(from->values);
    resetFramer();
    framer->HandleData(from->pending);
    journal.forEach(from->offset, t, [this](const journal::Record &r) {
        if (r.isBreak())
            framer->ResetBuffer();
        else
            framer->HandleData(QByteArrayView(r.bytes.data(), qsizetype(r.bytes.size())));
        return true;
    });

    terminal.ClearView();
    const uint64_t end = t == INT64_MAX ? journal.endOffset() : journal.offsetAt(t + 1);
    const uint64_t start = end > kTerminalTail ? end - kTerminalTail : 0;
    journal.forEach(start, t, [this, end](const journal::Record &r) {
        if (r.offset >= end)
            return false;
        terminal.ShowRecorded(r.bytes.data(), int(std::min<uint64_t>(r.bytes.size(), end - r.offset)));
        return true;
    });
}

void TimeMachine::Live()
{
    if (!frozen)
        return;
    ShowAt(INT64_MAX);
    frozen = false;
    terminal.SetHeld(false);
}

void TimeMachine::BeginPlayback()
{
    Freeze();
    resetFramer();
    terminal.ClearView();
}

void TimeMachine::Play(const journal::Record &r)
{
    shown = r.time;
    if (r.isBreak()) {
        framer->ResetBuffer();
        return;
    }
    framer->HandleData(QByteArrayView(r.bytes.data(), qsizetype(r.bytes.size())));
    terminal.ShowRecorded(r.bytes.data(), int(r.bytes.size()));
}

} // namespace tg::app
