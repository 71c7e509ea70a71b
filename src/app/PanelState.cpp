#include "PanelState.h"

#include "AnalogControl.h"
#include "GvLED.h"

#include <QWidget>

namespace tg::app {

PanelState::PanelState(const InstrumentTable &table)
{
    for (QObject *o : table) {
        if (!o)
            continue;
        if (auto *a = qobject_cast<TGvAnalogGControl *>(o)) {
            // The value first: setting it moves the marks, which are then put back.
            add(a, "Value");
            add(a->MinMax(), "Min");
            add(a->MinMax(), "Max");
        } else if (o->metaObject()->indexOfProperty("ValueCh1") >= 0) {
            add(o, "ValueCh1");
        } else if (o->metaObject()->indexOfProperty("Caption") >= 0) {
            add(o, "Caption");
        } else if (o->inherits("QLabel")) {
            add(o, "text");
        }
        for (TGvLED *led : o->findChildren<TGvLED *>())
            add(led, "Checked");
    }
}

void PanelState::add(QObject *object, const char *property)
{
    const QMetaObject *m = object->metaObject();
    slots_.push_back({object, m->property(m->indexOfProperty(property))});
}

PanelState::Values PanelState::capture() const
{
    Values v;
    v.reserve(slots_.size());
    for (const Slot &s : slots_)
        v.push_back(s.property.read(s.object));
    return v;
}

void PanelState::restore(const Values &values) const
{
    for (size_t i = 0; i < slots_.size() && i < values.size(); ++i)
        slots_[i].property.write(slots_[i].object, values[i]);
    for (const Slot &s : slots_)
        if (auto *w = qobject_cast<QWidget *>(s.object))
            w->update();
}

} // namespace tg::app
