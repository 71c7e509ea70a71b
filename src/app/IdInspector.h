#pragma once
// A window listing every id the link delivered: count, rate, last, smallest and largest value,
// the last raw packet and the instrument that shows it. It reads the counters kept anyway, at
// most four times a second and only while it is open, so it adds nothing to the work per message.
#include "LinkStats.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <unordered_map>

class QLineEdit;
class QTableWidget;

class TIdInspector : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 250;
    enum Column { ColId, ColCount, ColRate, ColLast, ColMin, ColMax, ColRaw, ColInstrument, ColumnCount };

    struct Sources {
        const tg::app::LinkStats *stats;
        // Whether an instrument on the panel shows this id.
        std::function<bool(int32_t id)> shows;
    };
    explicit TIdInspector(Sources sources, QWidget *parent = nullptr);

    // Reads the counters again; the timer calls it while the window is open.
    void refresh();
    QTableWidget *Table() const { return table; }
    QLineEdit *Filter() const { return filter; }

protected:
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    void applyFilter();

    Sources src;
    QTimer timer;
    QElapsedTimer sinceLast;
    std::unordered_map<int32_t, uint64_t> lastCounts;
    QLineEdit *filter;
    QTableWidget *table;
};
