#pragma once
// Tells assistive technology that a control's value or state changed, at most a few times a
// second per control: a device may send thousands of values a second, more than any listener
// can follow and enough to flood the accessibility bus. The last change is always told.
class QWidget;

namespace tg {

constexpr int kAnnounceIntervalMs = 250;

// Nothing while no assistive technology listens, or while w is hidden.
void AnnounceChange(QWidget *w);

} // namespace tg
