// How the view lays the screen out: scroll bars, frame, auto-size and font changes.
#include "ComTerminal.h"

#include <QFontInfo>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void feed(TComTerminal &t, const char *bytes)
{
    t.Screen().ReceiveBytes(bytes, int(qstrlen(bytes)));
    t.viewport()->update();
}

QColor pixelAt(TComTerminal &t, QPoint p)
{
    return t.viewport()->grab().toImage().pixelColor(p);
}

} // namespace

TEST(TermLayout, HorizontalBarShiftsWhatIsDrawn)
{
    TComTerminal t;
    t.resize(300, 200);
    t.show();
    const QSize cell = t.CellSize();
    EXPECT_TRUE(QTest::qWaitFor([&] { return t.horizontalScrollBar()->isVisible(); }));
    const int fit = t.viewport()->width() / cell.width();
    ASSERT_LT(fit, 80);
    EXPECT_EQ(t.horizontalScrollBar()->maximum(), 80 - fit);
    EXPECT_EQ(t.horizontalScrollBar()->pageStep(), fit);

    // A red blank in column 11: after scrolling ten columns it is the first cell drawn.
    feed(t, "\x1b[1;11H\x1b[41m \x1b[0m");
    const QPoint inFirstCell(cell.width() / 2, cell.height() / 2);
    EXPECT_NE(pixelAt(t, inFirstCell), QColor(255, 0, 0));
    t.horizontalScrollBar()->setValue(10);
    EXPECT_EQ(t.LeftColumn(), 11);
    EXPECT_EQ(pixelAt(t, inFirstCell), QColor(255, 0, 0));

    // Without a horizontal bar the view stays at the first column.
    t.SetScrollBars(ssVertical);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !t.horizontalScrollBar()->isVisible(); }));
    EXPECT_EQ(t.LeftColumn(), 1);
    EXPECT_NE(pixelAt(t, inFirstCell), QColor(255, 0, 0));

    // A screen that fits needs no bars at all.
    t.SetScrollBars(ssBoth);
    t.SetColumns(4);
    t.SetRows(2);
    EXPECT_EQ(t.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(t.verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return !t.horizontalScrollBar()->isVisible() && !t.verticalScrollBar()->isVisible();
    }));
}

TEST(TermLayout, DraggedThumbMovesTheViewOnlyWithSmoothScroll)
{
    TComTerminal t;
    t.resize(300, 200);
    t.show();
    QScrollBar *bar = t.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 3);

    bar->setSliderDown(true);
    bar->setSliderPosition(3);
    EXPECT_EQ(t.TopRow(), 1);
    bar->setSliderDown(false); // released: the view takes the position
    EXPECT_EQ(t.TopRow(), 4);

    t.SetSmoothScroll(true);
    bar->setSliderDown(true);
    bar->setSliderPosition(1);
    EXPECT_EQ(t.TopRow(), 2);
    bar->setSliderDown(false);
}

TEST(TermLayout, AutoSizeFitsTheScreenOnTheFreeSides)
{
    TComTerminal t;
    t.SetColumns(20);
    t.SetRows(5);
    t.resize(123, 45);
    t.show();
    const QSize cell = t.CellSize();
    t.SetAutoSize(true);
    const int edges = 2 * t.frameWidth();
    ASSERT_GT(edges, 0);
    EXPECT_EQ(t.size(), QSize(20 * cell.width() + edges, 5 * cell.height() + edges));

    t.SetBorderStyle(bsNone);
    EXPECT_EQ(t.frameWidth(), 0);
    EXPECT_EQ(t.size(), QSize(20 * cell.width(), 5 * cell.height()));
    // The whole screen shows, so no bar takes room from it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return t.viewport()->size() == t.size(); }))
        << t.viewport()->width() << "x" << t.viewport()->height() << " " << t.width() << "x" << t.height()
        << " " << t.horizontalScrollBar()->maximum() << " " << t.verticalScrollBar()->maximum();

    t.SetColumns(30);
    EXPECT_EQ(t.width(), 30 * cell.width());

    // Aligned to the top the parent owns the width; only the height follows the rows.
    t.resize(200, 10);
    t.SetAlign(alTop);
    EXPECT_EQ(t.size(), QSize(200, 5 * cell.height()));
    t.SetAlign(alClient);
    t.resize(200, 10);
    t.SetRows(8);
    EXPECT_EQ(t.size(), QSize(200, 10));
}

TEST(TermLayout, FontChangeKeepsCellsEvenAndReflowsTheView)
{
    TComTerminal t;
    t.resize(400, 200);
    t.show();
    // The default face is fixed-pitch under its stored name's substitution.
    EXPECT_TRUE(QFontInfo(t.font()).fixedPitch());

    QFont proportional(QStringLiteral("DejaVu Sans"));
    proportional.setPixelSize(14);
    proportional.setUnderline(true);
    ASSERT_FALSE(QFontInfo(proportional).fixedPitch());
    t.SetTermFont(proportional);
    EXPECT_EQ(t.font().family(), QStringLiteral("Fixedsys"));
    EXPECT_TRUE(QFontInfo(t.font()).fixedPitch());
    EXPECT_FALSE(t.font().underline());
    EXPECT_EQ(t.font().pixelSize(), 14);

    const QSize small = t.CellSize();
    const int smallRange = t.verticalScrollBar()->maximum();
    QFont big(QStringLiteral("Courier"));
    big.setPixelSize(28);
    t.SetTermFont(big);
    EXPECT_NE(t.font().family(), QStringLiteral("Fixedsys")); // a fixed face is kept
    EXPECT_GT(t.CellSize().width(), small.width());
    EXPECT_GT(t.CellSize().height(), small.height());
    EXPECT_GT(t.verticalScrollBar()->maximum(), smallRange);
    EXPECT_EQ(t.horizontalScrollBar()->maximum(), 80 - t.viewport()->width() / t.CellSize().width());
}
