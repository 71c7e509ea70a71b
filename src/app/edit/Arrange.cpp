#include "Arrange.h"

#include <algorithm>
#include <limits>

namespace tg::edit {

namespace {

bool isFree(const QRect &r, const std::vector<QRect> &placed, int gap)
{
    return std::none_of(placed.begin(), placed.end(),
                        [&](const QRect &p) { return p.adjusted(-gap, -gap, gap, gap).intersects(r); });
}

} // namespace

std::vector<QRect> Place(std::span<const QRect> wanted, QSize page, int gap)
{
    std::vector<QRect> placed;
    placed.reserve(wanted.size());
    for (const QRect &w : wanted) {
        // Candidate corners: the wanted place, the page's edge, and just right of or below
        // every rect placed so far.
        std::vector<int> xs{w.x(), gap}, ys{w.y(), gap};
        for (const QRect &p : placed) {
            xs.push_back(p.right() + 1 + gap);
            ys.push_back(p.bottom() + 1 + gap);
        }
        QRect best;
        qint64 bestCost = std::numeric_limits<qint64>::max();
        for (int x : xs)
            for (int y : ys) {
                const QRect r(QPoint(x, y), w.size());
                if (x < 0 || y < 0 || r.right() >= page.width() || r.bottom() >= page.height() || !isFree(r, placed, gap))
                    continue;
                const qint64 dx = qint64(x) - w.x(), dy = qint64(y) - w.y();
                const qint64 cost = 16 * dx * dx + dy * dy;
                if (cost < bestCost) {
                    bestCost = cost;
                    best = r;
                }
            }
        if (bestCost == std::numeric_limits<qint64>::max()) {
            int bottom = 0;
            for (const QRect &p : placed)
                bottom = std::max(bottom, p.bottom() + 1);
            best = QRect(QPoint(gap, bottom + gap), w.size());
        }
        placed.push_back(best);
    }
    return placed;
}

bool TArrange::Arrange(QWidget *panel, const std::vector<QWidget *> &controls)
{
    std::vector<QWidget *> shown;
    for (QWidget *c : controls)
        if (c && !c->isHidden() && c->parentWidget() == panel)
            shown.push_back(c);
    // Left to right, then top to bottom, as they stand: the first of a column keeps its place.
    std::stable_sort(shown.begin(), shown.end(), [](const QWidget *a, const QWidget *b) {
        return std::pair(a->x(), a->y()) < std::pair(b->x(), b->y());
    });
    std::vector<QRect> wanted;
    for (const QWidget *c : shown)
        wanted.push_back(c->geometry());
    const std::vector<QRect> places = Place(wanted, panel->size(), kGap);
    std::vector<std::pair<QPointer<QWidget>, QRect>> moved;
    for (size_t i = 0; i < shown.size(); ++i)
        if (places[i] != wanted[i]) {
            moved.emplace_back(shown[i], wanted[i]);
            shown[i]->setGeometry(places[i]);
        }
    if (moved.empty())
        return false;
    before = std::move(moved);
    return true;
}

bool TArrange::Undo()
{
    if (before.empty())
        return false;
    for (const auto &[control, geometry] : before)
        if (control)
            control->setGeometry(geometry);
    before.clear();
    return true;
}

} // namespace tg::edit
