#pragma once
// What packets change on the panel — each instrument's value and its smallest and largest
// value, the label texts, the seven-segment caption, the lamps — read out and put back in one
// go. The time machine keeps such snapshots beside the journal, so that rebuilding the panel
// at a moment replays only the bytes after the snapshot before it.
#include "Catalogue.h"

#include <QMetaProperty>
#include <QVariant>
#include <vector>

namespace tg::app {

class PanelState {
public:
    using Values = std::vector<QVariant>;

    explicit PanelState(const InstrumentTable &table);

    Values capture() const;
    void restore(const Values &values) const;

private:
    struct Slot {
        QObject *object;
        QMetaProperty property;
    };
    void add(QObject *object, const char *property);

    std::vector<Slot> slots_;
};

} // namespace tg::app
