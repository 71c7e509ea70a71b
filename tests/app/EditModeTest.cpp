#include "GvMiniTrend.h"
#include "GvVMeter.h"
#include "GvValueInd.h"
#include "PanelEditor.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

// Geometry in failure messages.
inline void PrintTo(const QRect &r, std::ostream *os)
{
    *os << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height();
}
inline void PrintTo(const QPoint &p, std::ostream *os) { *os << p.x() << ',' << p.y(); }
inline void PrintTo(const QSize &s, std::ostream *os) { *os << s.width() << 'x' << s.height(); }

namespace {

// A panel with two meters, the background picture and the background fill, as the Show page
// holds them; "connected" stands for the port.
struct Panel {
    QWidget page;
    TGvVMeter *meter1;
    TGvVMeter *meter2;
    QWidget *image;
    QWidget *fill;
    bool connected = false;
    TPanelEditor editor{&page, [this] { return connected; }};
    int pressesSeen = 0;
    int clicksSeen = 0;

    Panel()
    {
        page.resize(800, 600);
        fill = new QWidget(&page);
        fill->setObjectName("BackgroundFill1");
        fill->setGeometry(0, 0, 800, 600);
        image = new QWidget(&page);
        image->setObjectName("Image1");
        meter1 = MakeMeter("Instr1", QRect(100, 100, 100, 150));
        meter2 = MakeMeter("Instr2", QRect(400, 100, 100, 150));
        page.show();
    }
    TGvVMeter *MakeMeter(const char *name, QRect g)
    {
        auto *m = new TGvVMeter(&page);
        m->setObjectName(name);
        m->SetAutoSize(false);
        m->setGeometry(g);
        m->loaded();
        m->OnDblClick = [this](QObject *s) { editor.InstrDblClick(s); };
        m->OnMouseDown = [this](QObject *s, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            pressesSeen += s == meter1;
        };
        m->OnClick = [this](QObject *s) { clicksSeen += s == meter1; };
        return m;
    }
};

// A drag as the user makes it: press, one move by (dx, dy) with the button held, release.
void Drag(QWidget *w, QPoint from, QPoint by, bool release = true)
{
    QTest::mousePress(w, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + by), w->mapToGlobal(QPointF(from + by)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    if (release)
        QTest::mouseRelease(w, Qt::LeftButton, {}, from + by);
}

} // namespace

TEST(EditMode, DoubleClickSelectsWithEightHandlesAndEndsTheSelection)
{
    Panel p;
    QTest::mouseDClick(p.meter1, Qt::LeftButton, {}, QPoint(50, 50));
    Markierungen *sel = p.editor.Selection();
    ASSERT_NE(sel, nullptr);
    EXPECT_EQ(sel->Selected(), p.meter1);
    const QPoint expected[8] = {{98, 98},   {150, 98},  {198, 98},  {198, 248},
                                {150, 248}, {98, 248},  {98, 174},  {198, 174}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(sel->Handle(i)->geometry(), QRect(expected[i], QSize(9, 9))) << "handle " << i;
        EXPECT_EQ(sel->Handle(i)->parentWidget(), &p.page);
    }
    EXPECT_FALSE(sel->PositionLabel()->isVisible());

    // While selected the meter's own press and click handlers are put aside.
    const int presses = p.pressesSeen, clicks = p.clicksSeen;
    QTest::mouseClick(p.meter1, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(p.pressesSeen, presses);
    EXPECT_EQ(p.clicksSeen, clicks);

    // A double-click on another instrument only ends the selection; handlers come back.
    QTest::mouseDClick(p.meter2, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(p.editor.Selection(), nullptr);
    EXPECT_EQ(p.page.findChildren<QLabel *>().size(), 0);
    QTest::mouseClick(p.meter1, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(p.pressesSeen, presses + 1);
    EXPECT_EQ(p.clicksSeen, clicks + 1);

    // The background picture ends a selection but never becomes one.
    p.editor.InstrDblClick(p.image);
    EXPECT_EQ(p.editor.Selection(), nullptr);
    p.editor.InstrDblClick(p.meter2);
    ASSERT_NE(p.editor.Selection(), nullptr);
    p.editor.InstrDblClick(p.image);
    EXPECT_EQ(p.editor.Selection(), nullptr);
}

TEST(EditMode, NothingWhileConnectedAndEditModeClearsTheWay)
{
    Panel p;
    p.connected = true;
    QTest::mouseDClick(p.meter1, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(p.editor.Selection(), nullptr);

    // A selection made before connecting outlives the connection and ends after disconnect.
    p.connected = false;
    p.editor.InstrDblClick(p.meter1);
    ASSERT_NE(p.editor.Selection(), nullptr);
    p.connected = true;
    p.editor.InstrDblClick(p.meter1);
    EXPECT_NE(p.editor.Selection(), nullptr);
    p.connected = false;
    p.editor.InstrDblClick(p.meter1);
    EXPECT_EQ(p.editor.Selection(), nullptr);

    p.connected = true;
    p.editor.EditModeClick([&] { p.connected = false; });
    EXPECT_FALSE(p.connected);
    EXPECT_TRUE(p.fill->isHidden());
}

TEST(EditMode, MovingShowsThePositionAndIsNotLimited)
{
    Panel p;
    p.editor.InstrDblClick(p.meter1);
    Markierungen *sel = p.editor.Selection();
    Drag(p.meter1, QPoint(20, 20), QPoint(30, -15), false);
    EXPECT_EQ(p.meter1->pos(), QPoint(130, 85));
    EXPECT_TRUE(sel->PositionLabel()->isVisible());
    EXPECT_EQ(sel->PositionLabel()->text(), "[130,85]");
    EXPECT_EQ(sel->PositionLabel()->size(), QSize(50, 16));
    EXPECT_EQ(sel->Handle(0)->pos(), QPoint(128, 83));
    QTest::mouseRelease(p.meter1, Qt::LeftButton, {}, QPoint(50, 5));
    EXPECT_FALSE(sel->PositionLabel()->isVisible());
    EXPECT_FALSE(sel->Dragging());

    // No clamp: the meter can leave the page entirely.
    Drag(p.meter1, QPoint(10, 10), QPoint(-500, -400));
    EXPECT_EQ(p.meter1->pos(), QPoint(-370, -315));
}

TEST(EditMode, EachHandleResizesItsEdges)
{
    struct Case {
        int tag;
        QRect after; // from 100,100 100x150 dragged by (+10, +10)
    };
    const Case cases[] = {
        {0, QRect(110, 110, 90, 140)}, {1, QRect(100, 110, 100, 140)}, {2, QRect(100, 110, 108, 140)},
        {3, QRect(100, 100, 108, 158)}, {4, QRect(100, 100, 100, 158)}, {5, QRect(110, 100, 90, 158)},
        {6, QRect(110, 100, 90, 150)}, {7, QRect(100, 100, 108, 150)},
    };
    for (const Case &c : cases) {
        Panel p;
        p.editor.InstrDblClick(p.meter1);
        Markierungen *sel = p.editor.Selection();
        QWidget *h = sel->Handle(c.tag);
        const QPoint mouseOnPage = h->pos() + QPoint(14, 14);
        Drag(h, QPoint(4, 4), QPoint(10, 10), false);
        EXPECT_EQ(p.meter1->geometry(), c.after) << "handle " << c.tag;
        EXPECT_EQ(sel->PositionLabel()->text(), QStringLiteral("[%1,%2]").arg(c.after.width()).arg(c.after.height()));
        // Further moves with the mouse at rest change nothing: the handle followed the edge.
        const QPoint still = mouseOnPage - h->pos();
        QMouseEvent move(QEvent::MouseMove, QPointF(still), h->mapToGlobal(QPointF(still)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(h, &move);
        EXPECT_EQ(p.meter1->geometry(), c.after) << "handle " << c.tag << " at rest";
        QTest::mouseRelease(h, Qt::LeftButton, {}, QPoint(14, 14));
        EXPECT_EQ(p.meter1->geometry(), c.after) << "handle " << c.tag;
    }
}

TEST(EditMode, ADragEndsWhenThePageGoesAwayUnderIt)
{
    enum Grip { OnTheMeter, OnAHandle, OnALabel };
    for (const Grip grip : {OnTheMeter, OnAHandle, OnALabel}) {
        Panel p;
        auto *label = new QLabel(QStringLiteral("Instr #35"), &p.page); // a control without handler slots
        label->setGeometry(300, 400, 120, 40);
        label->show();
        QWidget *selected = grip == OnALabel ? static_cast<QWidget *>(label) : p.meter1;
        p.editor.InstrDblClick(selected);
        Markierungen *sel = p.editor.Selection();
        ASSERT_NE(sel, nullptr);
        Drag(grip == OnAHandle ? sel->Handle(3) : selected, QPoint(4, 4), QPoint(10, 10), false);
        ASSERT_TRUE(sel->Dragging()) << grip;
        p.page.hide();
        QCoreApplication::processEvents();
        EXPECT_FALSE(sel->Dragging()) << grip;
        EXPECT_TRUE(sel->PositionLabel()->isHidden()) << grip;
    }
}

TEST(EditMode, HandlesNeverShrinkBelowThirtyPixels)
{
    Panel p;
    p.editor.InstrDblClick(p.meter1);
    QWidget *h = p.editor.Selection()->Handle(3);
    Drag(h, QPoint(4, 4), QPoint(-200, -300));
    EXPECT_EQ(p.meter1->size(), QSize(30, 30));
    EXPECT_EQ(p.meter1->pos(), QPoint(100, 100));
    // The handles follow the raised size.
    EXPECT_EQ(p.editor.Selection()->Handle(3)->pos(), QPoint(128, 128));
}

TEST(EditMode, HandlesSitOnTheBoundsOfAControlThatSizesItself)
{
    struct HandleDrag {
        int tag;
        QPoint by;
    };
    // Growing, shrinking from the bottom right and moving the top left edge in.
    const HandleDrag drags[] = {{3, {40, 40}}, {3, {-200, -200}}, {0, {20, 20}}, {7, {60, 0}}};
    const std::function<TGvControl *(QWidget *)> makers[] = {
        [](QWidget *page) -> TGvControl * { return new TGvVMeter(page); },   // auto-sized meter
        [](QWidget *page) -> TGvControl * { return new TGvValueInd(page); }, // auto-sized indicator
        [](QWidget *page) -> TGvControl * { return new TGvMiniTrend(page); }, // never under 150 x 150
    };
    for (const auto &make : makers) {
        for (const HandleDrag &d : drags) {
            Panel p;
            TGvControl *c = make(&p.page);
            c->move(300, 300);
            c->loaded();
            c->show();
            const QString what = QString::fromLatin1(c->metaObject()->className()) + QStringLiteral(" handle %1").arg(d.tag);
            p.editor.InstrDblClick(c);
            Markierungen *sel = p.editor.Selection();
            ASSERT_NE(sel, nullptr);
            Drag(sel->Handle(d.tag), QPoint(4, 4), d.by);
            // The control takes its own size once the drag is done.
            QCoreApplication::sendPostedEvents();
            QCoreApplication::sendPostedEvents();
            const QRect g = c->geometry();
            const int l = g.x(), t = g.y(), w = g.width(), h = g.height();
            const QPoint expected[8] = {{l - 2, t - 2},         {l + w / 2, t - 2},     {l + w - 2, t - 2},
                                        {l + w - 2, t + h - 2}, {l + w / 2, t + h - 2}, {l - 2, t + h - 2},
                                        {l - 2, t + h / 2 - 1}, {l + w - 2, t + h / 2 - 1}};
            for (int i = 0; i < 8; ++i)
                EXPECT_EQ(sel->Handle(i)->pos(), expected[i]) << what.toStdString() << ", marker " << i;

            // A move leaves them there too.
            Drag(c, QPoint(10, 10), QPoint(25, -15));
            QCoreApplication::sendPostedEvents();
            EXPECT_EQ(sel->Handle(0)->pos(), c->pos() - QPoint(2, 2)) << what.toStdString();
            EXPECT_EQ(sel->Handle(3)->pos(), c->geometry().bottomRight() - QPoint(1, 1)) << what.toStdString();
        }
    }
}
