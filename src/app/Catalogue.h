#pragma once
// The panel's instruments: one table of ids, kinds and places. Every instrument is created once
// at window creation, hidden until its check box switches it on.
#include <QRect>
#include <array>
#include <span>

class QObject;
class QWidget;

namespace tg::app {

enum class Kind { Meter, RoundMeter, Label, SevenSeg, ValueInd, LedPanel, MiniTrend, Button, Dial };

struct CatalogueEntry {
    int id;
    Kind kind;
    QRect geometry;
};

// Instruments the panel carries, in stacking order (later entries lie on top).
std::span<const CatalogueEntry> catalogue();
// The ids whose check box switches an instrument, in ascending order.
std::span<const int> switchableIds();

constexpr int kMaxId = 100;
// id -> instrument, built once; null where no instrument exists.
using InstrumentTable = std::array<QObject *, kMaxId + 1>;

// Creates every instrument of the table on showPage, named Instr<id>, tagged with its id and
// hidden, and returns the id table.
InstrumentTable createInstruments(QWidget *showPage);

} // namespace tg::app
