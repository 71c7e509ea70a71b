#include "Markierungen.h"

#include "GvControl.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

namespace {

// A handle forwards its mouse events to the selection; Qt's implicit grab on press keeps the
// moves coming to the pressed handle, which the drag arithmetic relies on.
class THandle : public QWidget {
public:
    THandle(Markierungen *owner, int tag, QWidget *parent) : QWidget(parent), owner(owner)
    {
        setObjectName(QStringLiteral("Markierung%1").arg(tag));
        setProperty("Tag", tag);
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::black);
        setPalette(pal);
        resize(Markierungen::HandleSize, Markierungen::HandleSize);
    }

protected:
    void mousePressEvent(QMouseEvent *e) override
    {
        const QPoint p = e->position().toPoint();
        owner->MouseDown(this, p.x(), p.y());
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        const QPoint p = e->position().toPoint();
        owner->MouseMove(this, p.x(), p.y());
    }
    void mouseReleaseEvent(QMouseEvent *) override { owner->MouseUp(this); }
    bool event(QEvent *e) override
    {
        // A drag whose release will not come here ends now.
        if (tg::EndsHeldPress(this, e))
            owner->MouseUp(this);
        return QWidget::event(e);
    }

private:
    Markierungen *owner;
};

int TagOf(const QWidget *w) { return w->property("Tag").toInt(); }

} // namespace

Markierungen::Markierungen(QWidget *selected) : control(selected)
{
    QWidget *parent = selected->parentWidget();
    for (int i = 0; i < 8; ++i) {
        auto *h = new THandle(this, i, parent);
        handles[static_cast<size_t>(i)] = h;
        h->show();
    }
    PlaceHandles();
    InstallHandlers();

    label = new QLabel(parent);
    label->setObjectName(QStringLiteral("MarkierungPosition"));
    label->setAutoFillBackground(true);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0x00));
    pal.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(pal);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    // Small enough that "[1234,1234]" fits the label's fixed 50 pixels.
    QFont small = label->font();
    small.setPixelSize(9);
    label->setFont(small);
    label->resize(50, 16);
    label->hide();
}

Markierungen::~Markierungen()
{
    RestoreHandlers();
    for (auto &h : handles)
        delete h.data();
    delete label.data();
}

void Markierungen::InstallHandlers()
{
    gvControl = qobject_cast<TGvControl *>(control.data());
    if (!gvControl)
        return;
    savedDown = std::exchange(gvControl->OnMouseDown, nullptr);
    savedUp = std::exchange(gvControl->OnMouseUp, nullptr);
    savedMove = std::exchange(gvControl->OnMouseMove, nullptr);
    savedClick = std::exchange(gvControl->OnClick, nullptr);
    gvControl->OnMouseDown = [this](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
        MouseDown(control, x, y);
    };
    gvControl->OnMouseMove = [this](QObject *, Qt::KeyboardModifiers, int x, int y) { MouseMove(control, x, y); };
    gvControl->OnMouseUp = [this](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { MouseUp(control); };
}

void Markierungen::RestoreHandlers()
{
    if (!control || !gvControl)
        return;
    gvControl->OnMouseDown = std::move(savedDown);
    gvControl->OnMouseUp = std::move(savedUp);
    gvControl->OnMouseMove = std::move(savedMove);
    gvControl->OnClick = std::move(savedClick);
}

bool Markierungen::ControlEvent(QEvent *e)
{
    if (!control)
        return false;
    if (e->type() == QEvent::Move || e->type() == QEvent::Resize) {
        PlaceHandles();
        return false;
    }
    // A control with handler slots ends its own press; this one is told here.
    if (gvControl)
        return false;
    if (tg::EndsHeldPress(control, e)) {
        MouseUp(control);
        return false;
    }
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const QPoint p = static_cast<QMouseEvent *>(e)->position().toPoint();
        MouseDown(control, p.x(), p.y());
        // The double-click still reaches the control, whose handler ends the selection.
        return e->type() == QEvent::MouseButtonPress;
    }
    case QEvent::MouseMove: {
        const QPoint p = static_cast<QMouseEvent *>(e)->position().toPoint();
        MouseMove(control, p.x(), p.y());
        return true;
    }
    case QEvent::MouseButtonRelease:
        MouseUp(control);
        return true;
    default:
        return false;
    }
}

void Markierungen::PlaceHandles()
{
    if (!control)
        return;
    const int l = control->x(), t = control->y(), w = control->width(), h = control->height();
    const std::array<QPoint, 8> at{{
        {l - 2, t - 2},
        {l + w / 2, t - 2},
        {l + w - 2, t - 2},
        {l + w - 2, t + h - 2},
        {l + w / 2, t + h - 2},
        {l - 2, t + h - 2},
        {l - 2, t + h / 2 - 1},
        {l + w - 2, t + h / 2 - 1},
    }};
    for (size_t i = 0; i < handles.size(); ++i)
        if (handles[i])
            handles[i]->move(at[i]);
}

void Markierungen::RaiseToMinimum()
{
    control->resize(std::max(control->width(), MinSize), std::max(control->height(), MinSize));
}

void Markierungen::MouseDown(QWidget *, int x, int y)
{
    startX = x;
    startY = y;
    dragging = true;
    if (label)
        label->show();
}

void Markierungen::MouseMove(QWidget *sender, int x, int y)
{
    if (!dragging || !control || !label)
        return;
    const int dx = x - startX, dy = y - startY;
    if (sender == control) {
        control->move(control->x() + dx, control->y() + dy);
        label->setText(QStringLiteral("[%1,%2]").arg(control->x()).arg(control->y()));
    } else {
        RaiseToMinimum();
        const int tag = TagOf(sender);
        const bool left = tag == 0 || tag == 5 || tag == 6;
        const bool top = tag == 0 || tag == 1 || tag == 2;
        const bool right = tag == 2 || tag == 3 || tag == 7;
        const bool bottom = tag == 3 || tag == 4 || tag == 5;
        // Left and top move the edge to follow the handle; the opposite edge stays put.
        QRect g = control->geometry();
        if (top) {
            const int height = g.height() - dy;
            g.moveTop(sender->y() + dy + 2);
            g.setHeight(height);
        }
        if (left) {
            const int width = g.width() - dx;
            g.moveLeft(sender->x() + dx + 2);
            g.setWidth(width);
        }
        if (right)
            g.setWidth(g.width() + dx - 2);
        if (bottom)
            g.setHeight(g.height() + dy - 2);
        control->setGeometry(g.x(), g.y(), std::max(g.width(), 0), std::max(g.height(), 0));
        label->setText(QStringLiteral("[%1,%2]").arg(control->width()).arg(control->height()));
    }
    // Raised before the handles are placed, so they always frame the control as it is.
    RaiseToMinimum();
    PlaceHandles();
    label->move(sender->x() + x, sender->y() + y + 20);
    if (QWidget *parent = control->parentWidget())
        if (auto *fill = parent->findChild<QWidget *>(QStringLiteral("BackgroundFill1"), Qt::FindDirectChildrenOnly))
            fill->update();
    label->raise();
    control->raise();
    label->update();
}

void Markierungen::MouseUp(QWidget *sender)
{
    if (!dragging)
        return;
    dragging = false;
    if (label)
        label->hide();
    if (sender == control)
        control->raise();
}
