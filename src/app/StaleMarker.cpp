#include "StaleMarker.h"

#include <QEvent>
#include <QPainter>

TStaleMarker::TStaleMarker(QWidget *panel, const tg::app::InstrumentTable &instruments,
                           std::function<std::optional<tg::journal::Micros>(int id)> lastValueTime)
    : QWidget(panel), instruments(instruments), lastValueTime(std::move(lastValueTime))
{
    setObjectName(QStringLiteral("StaleMarker"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    // Follows the panel's size, so every instrument lies under it.
    panel->installEventFilter(this);
    timer.setInterval(kRefreshMs);
    connect(&timer, &QTimer::timeout, this, [this] {
        // Instruments switched on later would lie above the layer otherwise.
        raise();
        update();
    });
}

bool TStaleMarker::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::Resize)
        setGeometry(static_cast<QWidget *>(watched)->rect());
    return QWidget::eventFilter(watched, e);
}

void TStaleMarker::SetEnabled(bool on)
{
    if (on) {
        setGeometry(parentWidget()->rect());
        raise();
        timer.start();
    }
    else
        timer.stop();
    setVisible(on);
}

void TStaleMarker::SetAfterSeconds(int seconds)
{
    afterSeconds = std::max(1, seconds);
    update();
}

std::vector<TStaleMarker::Mark> TStaleMarker::Marks(tg::journal::Micros at) const
{
    std::vector<Mark> marks;
    for (int id = 0; id <= tg::app::kMaxId; ++id) {
        auto *w = qobject_cast<QWidget *>(instruments[size_t(id)]);
        if (!w || w->isHidden())
            continue;
        const std::optional<tg::journal::Micros> last = lastValueTime(id);
        if (!last)
            continue;
        const tg::journal::Micros age = at - *last;
        if (age >= tg::journal::Micros(afterSeconds) * 1000000)
            marks.push_back({w, int(age / 1000000)});
    }
    return marks;
}

void TStaleMarker::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    for (const Mark &m : Marks(now())) {
        const QRect r(m.instrument->mapTo(parentWidget(), QPoint()), m.instrument->size());
        p.fillRect(r, QColor(255, 255, 255, 150));
        const QString text = QStringLiteral("%1 s").arg(m.ageSeconds);
        const QRect label = p.fontMetrics().boundingRect(text).adjusted(-4, -2, 4, 2);
        QRect box(QPoint(), label.size());
        box.moveCenter(r.center());
        p.fillRect(box, QColor(60, 60, 60, 200));
        p.setPen(Qt::white);
        p.drawText(box, Qt::AlignCenter, text);
    }
}
