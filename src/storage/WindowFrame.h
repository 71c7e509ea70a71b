#pragma once
// The outer frame of a top-level window: what the user sees and what the settings file keeps.
// A window manager frames a window only once it is on screen, so before that the frame's
// margins are not known. A frame asked for then is placed at once as far as it is known and
// put right when the window first shows on screen in its normal state.
#include <QMargins>
#include <QRect>
#include <functional>

class QWidget;

namespace tg {

// The frame wanted, from the frame's margins.
using FrameRule = std::function<QRect(const QMargins &margins)>;

// Places the normal window's outer frame by the rule. On Wayland the compositor places
// windows: only the size is set there.
void placeFrame(QWidget *window, FrameRule rule);
// The outer frame of the window in its normal state; while a placement waits for the window
// to be framed, the frame it will be given.
QRect normalFrame(const QWidget *window);

} // namespace tg
