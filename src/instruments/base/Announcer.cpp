#include "Announcer.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace {

// What an assistive technology hears of a change: the new value where there is one, the
// on/off state where there is one, and the description, which says the value in words.
void tell(QWidget *w)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    if (!iface)
        return;
    if (QAccessibleValueInterface *v = iface->valueInterface()) {
        QAccessibleValueChangeEvent e(iface, v->currentValue());
        QAccessible::updateAccessibility(&e);
    }
    if (iface->state().checkable || iface->role() == QAccessible::PushButton) {
        QAccessible::State changed;
        changed.checked = true;
        changed.pressed = true;
        QAccessibleStateChangeEvent e(iface, changed);
        QAccessible::updateAccessibility(&e);
    }
    QAccessibleEvent d(iface, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&d);
}

class Announcer : public QObject {
public:
    static Announcer *Instance()
    {
        static QPointer<Announcer> one;
        if (!one)
            one = new Announcer(QCoreApplication::instance());
        return one;
    }

    void changed(QWidget *w)
    {
        auto it = entries.find(w);
        if (it == entries.end()) {
            it = entries.insert(w, Slot{});
            connect(w, &QObject::destroyed, this, [this, w] { entries.remove(w); });
        }
        if (it->pending)
            return;
        const qint64 now = clock.elapsed();
        if (now - it->told >= tg::kAnnounceIntervalMs) {
            it->told = now;
            tell(w);
            return;
        }
        it->pending = true;
        schedule(it->told + tg::kAnnounceIntervalMs - now);
    }

private:
    struct Slot {
        qint64 told = -tg::kAnnounceIntervalMs;
        bool pending = false;
    };

    explicit Announcer(QObject *parent) : QObject(parent)
    {
        clock.start();
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, this, &Announcer::flush);
    }

    void schedule(qint64 in)
    {
        if (!timer.isActive() || timer.remainingTime() > in)
            timer.start(int(std::max<qint64>(in, 0)));
    }

    void flush()
    {
        const qint64 now = clock.elapsed();
        qint64 next = -1;
        QList<QWidget *> due;
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            if (!it->pending)
                continue;
            const qint64 left = it->told + tg::kAnnounceIntervalMs - now;
            if (left <= 0) {
                it->pending = false;
                it->told = now;
                due << it.key();
            } else {
                next = next < 0 ? left : std::min(next, left);
            }
        }
        if (next >= 0)
            schedule(next);
        // Told after the walk: telling may run code that announces again.
        for (QWidget *w : due)
            if (entries.contains(w))
                tell(w);
    }

    QHash<QWidget *, Slot> entries;
    QElapsedTimer clock;
    QTimer timer;
};

} // namespace

void tg::AnnounceChange(QWidget *w)
{
    if (!QAccessible::isActive() || !w->isVisible() || !QCoreApplication::instance())
        return;
    Announcer::Instance()->changed(w);
}
