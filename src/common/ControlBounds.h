#pragma once
// Position, size and visibility of a panel widget under the names the settings file keeps.
// A widget class inherits this beside its Qt base and puts TG_CONTROL_BOUNDS_PROPERTIES beside
// Q_OBJECT. Visible is the widget's own switch: a child of a closed window still reports true.
#include <algorithm>

// Coordinates and sizes taken from outside (a settings file) stay within this, so that the
// window system's rectangle arithmetic cannot overflow.
inline constexpr int kMaxCoordinate = 32767;

template <class W>
class TControlBounds {
public:
    int Left() const { return self().x(); }
    void SetLeft(int v) { self().move(position(v), self().y()); }
    int Top() const { return self().y(); }
    void SetTop(int v) { self().move(self().x(), position(v)); }
    int Width() const { return self().width(); }
    void SetWidth(int v) { self().resize(extent(v), self().height()); }
    int Height() const { return self().height(); }
    void SetHeight(int v) { self().resize(self().width(), extent(v)); }
    bool Visible() const { return !self().isHidden(); }
    void SetVisible(bool v) { self().setVisible(v); }

private:
    static int position(int v) { return std::clamp(v, -kMaxCoordinate, kMaxCoordinate); }
    static int extent(int v) { return std::clamp(v, 0, kMaxCoordinate); }
    const W &self() const { return static_cast<const W &>(*this); }
    W &self() { return static_cast<W &>(*this); }
};


// The properties, for the class body (moc expands the macro).
#define TG_CONTROL_BOUNDS_PROPERTIES                                                             \
    Q_PROPERTY(int Left READ Left WRITE SetLeft)                                                 \
    Q_PROPERTY(int Top READ Top WRITE SetTop)                                                    \
    Q_PROPERTY(int Width READ Width WRITE SetWidth)                                              \
    Q_PROPERTY(int Height READ Height WRITE SetHeight)                                           \
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
