#pragma once
// The live link status under the pages: bytes and messages a second, bytes the framer threw
// away, packets the value protocol ignored, ids that no instrument shows, and the longest
// byte-to-frame latency of the last second. It reads counters kept anyway, at most four times
// a second and only while it is shown, so it adds nothing to the work per message.
#include "LinkStats.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>

class QLabel;
class TComDataPacket;

class TStatusStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 250;

    struct Sources {
        const tg::journal::Journal *journal;
        const tg::app::LinkStats *stats;
        const TComDataPacket *framer;
        // Whether an instrument shows this id.
        std::function<bool(int32_t id)> shows;
    };
    TStatusStrip(Sources sources, QWidget *parent = nullptr);

    // Reads the counters again; the timer calls it while the strip is shown.
    void refresh();

protected:
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    QLabel *field(const char *name, const QString &tip);

    Sources src;
    QTimer timer;
    QElapsedTimer sinceLast;
    uint64_t lastBytes = 0;
    uint64_t lastPackets = 0;
    QLabel *bytesRate, *messageRate, *discarded, *ignored, *unknownIds, *latency;
};
