#include "WindowFrame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace tg {

namespace {

QMargins marginsOf(const QWidget *w)
{
    return w->windowHandle() ? w->windowHandle()->frameMargins() : QMargins();
}

bool inNormalState(const QWidget *w)
{
    return !(w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

void apply(QWidget *w, const QRect &frame, const QMargins &m)
{
    const QSize client(std::max(frame.width() - m.left() - m.right(), 1), std::max(frame.height() - m.top() - m.bottom(), 1));
    if (w->size() != client)
        w->resize(client);
    if (QGuiApplication::platformName() == QLatin1String("wayland"))
        return;
    QWindow *handle = w->windowHandle();
    if (!handle->isExposed()) {
        // Not on screen yet: the widget must agree with the platform window, or showing it
        // places the client where the frame was meant to be.
        w->move(frame.topLeft());
    } else if (w->geometry().topLeft() - QPoint(m.left(), m.top()) == frame.topLeft()) {
        return; // asked again for where it is, the platform would take the frame's place for the client's
    }
    // After the resize and the move, which place the client rather than the frame.
    handle->setFramePosition(frame.topLeft());
}

// Keeps a window's normal frame: a placement waiting for the window to be framed, and the
// frame's margins in the normal state, which a maximised window may not have.
class FrameKeeper : public QObject {
    Q_OBJECT

public:
    explicit FrameKeeper(QWidget *w) : QObject(w), m_window(w) { w->windowHandle()->installEventFilter(this); }

    void place(FrameRule rule)
    {
        m_rule = std::move(rule);
        // Not yet on screen: placed as far as known now, so that it shows about right.
        if (!m_window->windowHandle()->isExposed())
            apply(m_window, m_rule(marginsOf(m_window)), marginsOf(m_window));
        settle();
    }

    QRect normalFrame() const
    {
        if (m_rule)
            return m_rule(marginsOf(m_window));
        if (inNormalState(m_window))
            return m_window->geometry().marginsAdded(marginsOf(m_window));
        return m_window->normalGeometry().marginsAdded(m_normalMargins);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Expose || event->type() == QEvent::WindowStateChange)
            settle();
        return false;
    }

private:
    // The first time the window shows in its normal state, its frame is known: a waiting
    // placement is put right, and the margins are noted.
    void settle()
    {
        if (!m_rule || !m_window->windowHandle()->isExposed() || !inNormalState(m_window))
            return;
        m_normalMargins = marginsOf(m_window);
        apply(m_window, std::exchange(m_rule, nullptr)(m_normalMargins), m_normalMargins);
    }

    QWidget *m_window;
    FrameRule m_rule;
    QMargins m_normalMargins;
};

FrameKeeper *keeperOf(const QWidget *w)
{
    return w->findChild<FrameKeeper *>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

void placeFrame(QWidget *window, FrameRule rule)
{
    window->winId(); // the platform window, to place and to watch
    FrameKeeper *keeper = keeperOf(window);
    if (!keeper)
        keeper = new FrameKeeper(window);
    keeper->place(std::move(rule));
}

QRect normalFrame(const QWidget *window)
{
    if (const FrameKeeper *keeper = keeperOf(window))
        return keeper->normalFrame();
    QRect normal = window->normalGeometry();
    if (!normal.isValid())
        normal = window->geometry();
    return normal.marginsAdded(marginsOf(window));
}

} // namespace tg

#include "WindowFrame.moc"
