// Trend recorder: records at the interval of a stepped clock, trimming at MaxRecords, the plot
// of a known curve, scrolling by a grid division, separators, the cursor and its pen modes.
#include "FrameTrendFull.h"
#include "GvTrend.h"
#include "GvValueInd.h"
#include "InstrumentProbes.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QListWidget>
#include <QSpinBox>
#include <QMouseEvent>
#include <gtest/gtest.h>

using namespace probes;

namespace {
const QRgb Lime = qRgb(0, 255, 0);

struct Trend {
    QWidget parent;
    TGvTrend *t = new TGvTrend(&parent);
    QDateTime start{QDate(2026, 12, 10), QTime(8, 0)};
    int64_t ms = 0;
    explicit Trend(bool record = false)
    {
        t->setObjectName(QStringLiteral("GvTrend1"));
        t->Now = [this] { return start.addMSecs(ms); };
        t->SetStartRecording(record);
        t->loaded();
    }
    // One record a second, with channel 1 at v.
    void add(float v)
    {
        t->Channel1()->SetValue(v);
        ms += 1000;
        t->AddRecord();
    }
};
} // namespace

TEST(Trend, RecordsAtTheIntervalOfTheClock)
{
    ManualFlash flash;
    Trend tr;
    tr.t->Now = [&] { return tr.start.addMSecs(flash.clock->ms); };
    tr.t->SetInterval(500);
    tr.t->SetStartRecording(true);
    int intervals = 0;
    tr.t->OnInterval = [&](QObject *) { ++intervals; };
    flash.tick(625); // 10 s
    ASSERT_EQ(tr.t->Records().size(), 20u);
    EXPECT_EQ(intervals, 20);
    for (size_t i = 1; i < tr.t->Records().size(); ++i) {
        const double step = (tr.t->Records()[i].Time - tr.t->Records()[i - 1].Time) * 86400000.0;
        EXPECT_NEAR(step, 500, 16.5) << i;
    }
    // Below 100 ms is refused; off stops the records.
    tr.t->SetInterval(50);
    EXPECT_EQ(tr.t->Interval(), 500u);
    tr.t->SetStartRecording(false);
    flash.tick(200);
    EXPECT_EQ(tr.t->Records().size(), 20u);
    // On again: five separator records in front of the newest.
    tr.t->SetStartRecording(true);
    EXPECT_EQ(tr.t->Records().size(), 25u);
    for (size_t i = 19; i < 24; ++i)
        EXPECT_EQ(tr.t->Records()[i].Time, 0.0) << i;
    EXPECT_NE(tr.t->Records()[24].Time, 0.0);
}

TEST(Trend, TrimmingKeepsTheListBounded)
{
    Trend tr;
    tr.t->SetMaxRecords(50); // refused
    EXPECT_EQ(tr.t->MaxRecords(), 2000);
    tr.t->SetMaxRecords(100);
    int fired = 0;
    tr.t->OnMaxRecords = [&](QObject *) { ++fired; };
    for (int i = 0; i < 101; ++i)
        tr.add(float(i % 100));
    EXPECT_EQ(fired, 0);
    const double newest = tr.t->Records().back().Time;
    tr.add(5);
    EXPECT_EQ(fired, 1);
    ASSERT_EQ(tr.t->Records().size(), 42u); // 60 dropped, one added
    EXPECT_EQ(tr.t->Records()[40].Time, newest);
    EXPECT_EQ(tr.t->RecordInfo()->TotalRecords, 42u);
    // A grid division wider than the list drops the whole list, never more.
    tr.t->SetGridXPixel(500);
    while (tr.t->Records().size() < 101)
        tr.add(1);
    tr.add(2);
    ASSERT_EQ(tr.t->Records().size(), 1u);
    EXPECT_EQ(tr.t->Records()[0].Ch[0], 20);
}

TEST(Trend, ADayOfRecordsStaysWithinMaxRecords)
{
    Trend tr;
    size_t most = 0;
    for (int s = 0; s < 86400; ++s) {
        tr.add(float(50 + 40 * std::sin(s / 300.0)));
        most = std::max(most, tr.t->Records().size());
    }
    EXPECT_LE(most, 2001u);
    EXPECT_GE(tr.t->Records().size(), 2000u - 60u);
    EXPECT_EQ(tr.t->RecordInfo()->LastRecord, tr.t->Records().back().Time);
}

TEST(Trend, PlotsAKnownCurveAsAStaircase)
{
    Trend tr;
    tr.t->SetOptions(tr.t->Options() & ~TGvTrend::opGrid);
    tr.t->Channel1()->SetPenWidth(1);
    for (int i = 0; i < 10; ++i)
        tr.add(20);
    for (int i = 0; i < 10; ++i)
        tr.add(80);
    const QImage &plot = tr.t->PlotBitmap();
    ASSERT_FALSE(plot.isNull());
    const int y20 = tr.t->CurveY(0, 200), y80 = tr.t->CurveY(0, 800);
    ASSERT_LT(y80, y20);
    // 20 % and 80 % of the plot's curve height above the base.
    const int base = tr.t->CurveY(0, 0), top = tr.t->CurveY(0, 1000);
    EXPECT_NEAR(double(base - y20) / (base - top), 0.2, 0.01);
    for (int x = 1; x < 10; ++x)
        EXPECT_EQ(plot.pixel(x, y20), Lime) << x;
    for (int x = 11; x < 20; ++x) {
        EXPECT_EQ(plot.pixel(x, y80), Lime) << x;
        EXPECT_NE(plot.pixel(x, y20), Lime) << x;
    }
    // The step is a vertical line at the column of the first new value.
    for (int y = y80; y <= y20; ++y)
        EXPECT_EQ(plot.pixel(10, y), Lime) << y;
    EXPECT_NE(plot.pixel(21, y80), Lime); // nothing beyond the newest record
    // What the control shows is the plot bitmap.
    const QImage img = render(*tr.t);
    const QPoint o = tr.t->PlotRect().topLeft();
    EXPECT_EQ(img.pixel(o + QPoint(15, y80)), Lime);
    // An invisible channel is not drawn.
    tr.t->Channel1()->SetVisible(false);
    EXPECT_EQ(countIn(tr.t->PlotBitmap(), tr.t->PlotBitmap().rect(), Lime), 0);
}

TEST(Trend, ScrollsByOneGridDivisionWhenThePlotIsFull)
{
    Trend tr;
    const int w = tr.t->PlotRect().width();
    ASSERT_GT(w, 100);
    for (int i = 0; i <= w; ++i)
        tr.add(float(i % 100));
    EXPECT_EQ(tr.t->FirstDisplayed(), 0);
    tr.t->TakeDirtyRegion();
    tr.add(50); // count - 1 now exceeds the plot width
    EXPECT_EQ(tr.t->FirstDisplayed(), 60);
    EXPECT_EQ(tr.t->RecordInfo()->FirstDisplayedRec, 60);
    // The plot was redrawn from the new first record: its curve is at the first column.
    EXPECT_EQ(tr.t->PlotBitmap().pixel(1, tr.t->CurveY(0, tr.t->Records()[61].Ch[0])), Lime);
    // Without a jump, one record repaints only its columns of the plot.
    tr.t->TakeDirtyRegion();
    tr.add(60);
    const QRect dirty = tr.t->TakeDirtyRegion().boundingRect();
    EXPECT_LE(dirty.width(), 3);
    EXPECT_EQ(dirty.height(), tr.t->PlotRect().height());
}

TEST(Trend, LimitsAndSeparatorsInThePlot)
{
    Trend tr;
    tr.t->SetOptions(tr.t->Options() & ~TGvTrend::opGrid);
    const QImage &plot = tr.t->PlotBitmap();
    const QRgb maroon = qRgb(128, 0, 0), black = qRgb(0, 0, 0);
    // Limits are percent of the plot height: the upper band fills down to 90 %, the lower up from 10 %.
    const int x = 5;
    const int bottom = tr.t->CurveY(0, 0), top = tr.t->CurveY(0, 1000);
    const int H = bottom - top;
    EXPECT_EQ(plot.pixel(x, 1), maroon);
    EXPECT_EQ(plot.pixel(x, top + H / 10 - 2), maroon);
    EXPECT_EQ(plot.pixel(x, top + H / 10 + 2), black);
    EXPECT_EQ(plot.pixel(x, bottom - H / 10 + 2), maroon);
    EXPECT_EQ(plot.pixel(x, bottom - H / 10 - 2), black);
    tr.t->LimitUpper()->SetFilled(false);
    tr.t->LimitLower()->SetEnabled(false);
    EXPECT_EQ(tr.t->PlotBitmap().pixel(x, 1), black);
    EXPECT_EQ(tr.t->PlotBitmap().pixel(x, bottom - H / 10 + 2), black);
    // A pause leaves a separator line where recording resumed.
    tr.t->Channel1()->SetVisible(false);
    for (int i = 0; i < 5; ++i)
        tr.add(30);
    tr.t->SetStartRecording(true);
    tr.t->SetStartRecording(false);
    for (int i = 0; i < 3; ++i)
        tr.add(30);
    const QRgb sep = tr.t->PlotBitmap().pixel(7, H / 2);
    EXPECT_NE(sep, black);
    EXPECT_EQ(tr.t->PlotBitmap().pixel(7, 1), sep);
    EXPECT_EQ(tr.t->PlotBitmap().pixel(2, H / 2), black);
}

TEST(Trend, CursorReportsTheRecordUnderIt)
{
    Trend tr;
    for (int i = 0; i < 50; ++i)
        tr.add(float(i));
    int moves = 0;
    tr.t->OnNewCursorPos = [&](QObject *) { ++moves; };
    const QPoint o = tr.t->PlotRect().topLeft();
    auto move = [&](QPoint p) {
        QMouseEvent e(QEvent::MouseMove, p, tr.t->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(tr.t, &e);
    };
    move(o + QPoint(20, 30));
    EXPECT_EQ(moves, 1);
    ASSERT_TRUE(tr.t->ValueAtCursor()->DataValid);
    EXPECT_EQ(tr.t->ValueAtCursor()->RecordNo, 20);
    EXPECT_FLOAT_EQ(tr.t->ValueAtCursor()->ValueCh[0], 20.0f);
    // The line: pmNotMask of lime over the black plot gives white ~(P & D).
    QImage img = render(*tr.t);
    EXPECT_EQ(img.pixel(o + QPoint(20, 3)), qRgb(255, 255, 255));
    // Past the newest record: no data.
    move(o + QPoint(100, 30));
    EXPECT_FALSE(tr.t->ValueAtCursor()->DataValid);
    EXPECT_EQ(moves, 2);
    // Out of the plot: the line goes.
    move(QPoint(1, 1));
    EXPECT_FALSE(tr.t->CursorShown());
    img = render(*tr.t);
    EXPECT_NE(img.pixel(o + QPoint(20, 3)), qRgb(255, 255, 255));
}

TEST(Trend, CanvasPenModesCombinePenAndDestination)
{
    const QRgb P = qRgb(0x0F, 0x33, 0xAA), D = qRgb(0x35, 0xF0, 0x0C);
    auto expect = [&](int m) -> QRgb {
        const uint32_t p = P & 0xFFFFFF, d = D & 0xFFFFFF;
        const uint32_t r[16] = {0, 0xFFFFFF, d, ~d, p, ~p, p | ~d, p & ~d, ~p | d, ~p & d,
                                p | d, ~(p | d), p & d, ~(p & d), p ^ d, ~(p ^ d)};
        return r[m] & 0xFFFFFF;
    };
    for (int m = 0; m < 16; ++m) {
        QImage img(4, 4, QImage::Format_RGB32);
        img.fill(D);
        {
            tg::TCanvas c(img);
            c.setPenColor(QColor(P));
            c.setPenMode(gv::TPenMode(m));
            c.MoveTo(0, 1);
            c.LineTo(4, 1);
        }
        EXPECT_EQ(img.pixel(1, 1) & 0xFFFFFF, expect(m)) << m;
        EXPECT_EQ(img.pixel(1, 2), D) << m;
    }
}

TEST(TrendFrame, RecorderRecordsOnTheFrameAtItsInterval)
{
    ManualFlash flash;
    TFrame1 f;
    EXPECT_EQ(f.size(), QSize(770, 480));
    TGvTrend *t = f.findChild<TGvTrend *>(QStringLiteral("GvTrend1"));
    ASSERT_EQ(t, f.GvTrend1());
    EXPECT_EQ(t->Caption(), QStringLiteral("Versuch Nr. 1"));
    EXPECT_EQ(t->Interval(), 500u);
    EXPECT_EQ(t->MaxRecords(), 10000);
    EXPECT_EQ(t->LeftScaleCh(), 2);
    EXPECT_EQ(f.MaxRecordsList()->count(), 9);
    EXPECT_EQ(f.MaxRecordsList()->currentItem()->text(), QStringLiteral("1000"));
    EXPECT_EQ(f.LeftScaleChEdit()->maximum(), 8);
    EXPECT_EQ(f.ValueInd(3)->SignalSettings()->Name1(), QStringLiteral("Channel 4"));
    EXPECT_EQ(f.ValueInd(3)->SignalSettings()->ValueUnit(), QStringLiteral("°C"));
    // The channels hold their stored values; the recorder takes them at 500 ms.
    t->Channel3()->SetValue(2.5f);
    flash.tick(63); // a little over 1 s
    ASSERT_EQ(t->Records().size(), 2u);
    EXPECT_EQ(t->Records()[1].Ch[2], t->Channel3()->DigitOffset());
    // Nothing on the frame is wired: toggling its recording box leaves the recorder running.
    auto *box = f.findChild<QCheckBox *>(QStringLiteral("CheckBoxStartRecording"));
    ASSERT_NE(box, nullptr);
    box->setChecked(false);
    EXPECT_TRUE(t->StartRecording());
    render(f);
}
