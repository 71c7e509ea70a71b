#pragma once
// Position, size and visibility of a panel widget under the names the settings file keeps.
// A widget class inherits this beside its Qt base and puts TG_CONTROL_BOUNDS_PROPERTIES beside
// Q_OBJECT. Visible is the widget's own switch: a child of a closed window still reports true.
template <class W>
class TControlBounds {
public:
    int Left() const { return self().x(); }
    void SetLeft(int v) { self().move(v, self().y()); }
    int Top() const { return self().y(); }
    void SetTop(int v) { self().move(self().x(), v); }
    int Width() const { return self().width(); }
    void SetWidth(int v) { self().resize(v, self().height()); }
    int Height() const { return self().height(); }
    void SetHeight(int v) { self().resize(self().width(), v); }
    bool Visible() const { return !self().isHidden(); }
    void SetVisible(bool v) { self().setVisible(v); }

private:
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
