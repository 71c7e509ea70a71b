#pragma once
// "Arrange" in edit mode: the shown instruments placed so that none covers another, each as
// near its own place as a free spot allows, and one step back to where they were.
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <span>
#include <utility>
#include <vector>

namespace tg::edit {

// Places rects of the given sizes (at their wanted places) in a page of that size without
// overlap, gap pixels apart, in the order given; each goes to the free spot nearest its wanted
// place (sideways moves count four times, so a column fills before its
// instruments spill into the next). What finds no room on the page
// goes below everything placed.
std::vector<QRect> Place(std::span<const QRect> wanted, QSize page, int gap);

class TArrange {
public:
    static constexpr int kGap = 4;

    // Arranges the visible controls among these, in the panel they lie on; remembers where
    // they were. False when nothing moved.
    bool Arrange(QWidget *panel, const std::vector<QWidget *> &controls);
    // Puts back what the last Arrange moved, once.
    bool Undo();
    bool CanUndo() const { return !before.empty(); }

private:
    std::vector<std::pair<QPointer<QWidget>, QRect>> before;
};

} // namespace tg::edit
