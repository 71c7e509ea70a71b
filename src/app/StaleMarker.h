#pragma once
// Dims each instrument whose last value is older than a given age and writes the age on it,
// so a device that stopped talking is seen at a glance. One transparent layer over the panel,
// repainted once a second while marking is on; while it is off the layer is hidden and the
// panel is drawn exactly as without it.
#include "Catalogue.h"
#include "Journal.h"

#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

class TStaleMarker : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 1000;

    // lastValueTime: when the id's instrument last got a value; empty when it never did.
    TStaleMarker(QWidget *panel, const tg::app::InstrumentTable &instruments,
                 std::function<std::optional<tg::journal::Micros>(int id)> lastValueTime);

    void SetEnabled(bool on);
    bool Enabled() const { return !isHidden(); }
    void SetAfterSeconds(int seconds);
    int AfterSeconds() const { return afterSeconds; }
    // The instruments marked at `now`, with their age in whole seconds.
    struct Mark {
        QWidget *instrument;
        int ageSeconds;
    };
    std::vector<Mark> Marks(tg::journal::Micros now) const;
    // The clock the ages are measured against; the wall clock unless replaced (tests).
    std::function<tg::journal::Micros()> now = &tg::journal::nowMicros;

protected:
    void paintEvent(QPaintEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    const tg::app::InstrumentTable &instruments;
    std::function<std::optional<tg::journal::Micros>(int id)> lastValueTime;
    int afterSeconds = 10;
    QTimer timer;
};
