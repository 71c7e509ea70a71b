// Pixel probes of the instruments: pointer position for a value, read-out text present, bevel
// colours, flash phases, partial repaint and absurd stored sizes. No whole-image comparisons.
#include "FlashService.h"
#include "GvGradient.h"
#include "GvLED.h"
#include "GvVMeter.h"
#include "GvValueInd.h"
#include "ManualFlash.h"
#include "Numeric.h"
#include "Scale.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <memory>
#include <random>

using namespace tg;

namespace {
const QRgb Bg = qRgb(0xE1, 0xD2, 0xC3);
const QRgb Lime = qRgb(0, 255, 0);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Yellow = qRgb(255, 255, 0);

QImage render(QWidget &w)
{
    QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Bg);
    w.render(&img, QPoint(), QRegion(), QWidget::RenderFlags()); // no window background: composited
    return img.convertToFormat(QImage::Format_RGB32);
}

int countIn(const QImage &img, const QRect &r, QRgb c)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += img.rect().contains(x, y) && img.pixel(x, y) == c;
    return n;
}

void setFont(TFont *f, const char *name, int height, TColor c)
{
    f->SetName(QString::fromLatin1(name));
    f->SetHeight(height);
    f->SetColor(c);
}

// The panel's meter set-up, on a parent so the meter counts as shown.
struct Meter {
    QWidget parent;
    TGvVMeter *m = new TGvVMeter(&parent);
    explicit Meter(bool panel = true)
    {
        parent.resize(600, 600);
        if (panel) {
            m->SetOptions(TGvVMeter::opBevelInner | TGvVMeter::opBevelOuter | TGvVMeter::opValue |
                          TGvVMeter::opName1 | TGvVMeter::opName2 | TGvVMeter::opUnit);
            setFont(m->Font(), "Arial", -13, clBlack);
            setFont(m->FontValue(), "System", -17, clLime);
            setFont(m->ScaleSettings()->Font(), "Arial", -23, clBlack);
            m->BevelOuter()->SetColor(clSilver);
            m->MinMax()->SetMinVisible(false);
            m->MinMax()->SetMaxVisible(false);
        }
    }
    // A pixel inside the pointer when its tip marks ppt (a third of the way from its base).
    QPoint tip(int ppt) const
    {
        const int back = 2 * m->ScaleSettings()->TickLength / 3;
        const int x = m->PointerTipX() + (m->ScaleSettings()->PosLeftTop() ? back : -back);
        return {x, m->PointerY(ppt)};
    }
};
} // namespace

TEST(VMeter, PointerFollowsTheValueAndParksAtTheEnds)
{
    Meter t;
    t.m->loaded();
    QImage img = render(*t.m);
    const TScaleSettings &s = *t.m->ScaleSettings();
    ASSERT_FALSE(t.m->TooSmall());
    ASSERT_GT(s.ScaleBottom - s.ScaleTop, 50);
    const double g = (s.ScaleBottom - s.ScaleTop) / 1000.0;
    EXPECT_EQ(t.m->PointerY(500), s.ScaleBottom - roundTo<int>(500 * g));
    EXPECT_EQ(t.m->PointerY(0), s.ScaleBottom);
    EXPECT_EQ(img.pixel(t.tip(500)), Lime);
    EXPECT_NE(img.pixel(t.tip(0)), Lime);

    t.m->SetValue(0); // ValueFrom: tip on the bottom tick
    img = render(*t.m);
    EXPECT_EQ(img.pixel(t.tip(0)), Lime);
    EXPECT_NE(img.pixel(t.tip(500)), Lime);

    t.m->SetValue(150); // beyond the range: parked at the top, no overflow option, no flashing
    img = render(*t.m);
    EXPECT_EQ(img.pixel(t.tip(1000)), Lime);
    EXPECT_FALSE(t.m->AlarmActive());

    t.m->SetValue(1e12f); // a digit beyond 32 bits saturates and shows at the end of the scale
    img = render(*t.m);
    EXPECT_EQ(img.pixel(t.tip(1000)), Lime);
    t.m->SetValue(-1e12f);
    img = render(*t.m);
    EXPECT_EQ(img.pixel(t.tip(0)), Lime);

    // Scale on the left: the pointer points left from the other side of the ticks.
    t.m->ScaleSettings()->SetPosLeftTop(true);
    t.m->SetValue(75);
    img = render(*t.m);
    EXPECT_EQ(img.pixel(t.tip(750)), Lime);
}

TEST(VMeter, ReadoutBevelsAndPartialRepaint)
{
    Meter t;
    t.m->loaded();
    t.m->SetValue(42.5f);
    QImage img = render(*t.m);
    const QRect vr = t.m->ValueRect().toQRect();
    ASSERT_FALSE(vr.isEmpty());
    EXPECT_GT(countIn(img, vr, Lime), 20);            // read-out text in the value font colour
    EXPECT_EQ(img.pixel(vr.left(), vr.top()), qRgb(0, 0, 0)); // box background clBlack
    EXPECT_EQ(t.m->ValueText(), QStringLiteral("42.5"));
    // Outer bevel: its line in PenColor, then highlight top/left, shadow bottom/right, silver face.
    EXPECT_EQ(img.pixel(0, 40), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(1, 40), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(t.m->width() - 2, 40), qRgb(0xA0, 0xA0, 0xA0));
    EXPECT_EQ(img.pixel(4, 40), qRgb(0xC0, 0xC0, 0xC0));
    // Inner bevel is lowered: shadow at its top-left corner.
    const QRect strip = t.m->PointerStrip().toQRect();
    // (strip: inside spacing 5, inner line 1, frame 2)
    EXPECT_EQ(img.pixel(strip.left() - 8, strip.center().y()), qRgb(0xA0, 0xA0, 0xA0));
    EXPECT_EQ(img.pixel(strip.left() - 6, strip.center().y()), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(strip.left() - 2, strip.center().y()), qRgb(0xF0, 0xF0, 0xF0));

    // A new value asks only for the read-out box and the pointer strip.
    t.m->TakeDirtyRegion();
    t.m->SetValue(60);
    const QRegion dirty = t.m->TakeDirtyRegion();
    EXPECT_FALSE(dirty.isEmpty());
    EXPECT_EQ(dirty.subtracted(QRegion(vr) + QRegion(strip)), QRegion());
    EXPECT_LT(dirty.boundingRect().width(), t.m->width());
    // Painting only that region gives the same pixels as a full paint.
    QImage partial = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // render() puts the region's bounding box at the target offset.
    t.m->render(&partial, dirty.boundingRect().topLeft(), dirty, QWidget::RenderFlags());
    const QImage full = render(*t.m);
    const QImage part32 = partial.convertToFormat(QImage::Format_RGB32);
    QRect diff;
    for (int y = 0; y < full.height(); ++y)
        for (int x = 0; x < full.width(); ++x)
            if (part32.pixel(x, y) != full.pixel(x, y))
                diff |= QRect(x, y, 1, 1);
    EXPECT_TRUE(diff.isNull()) << diff.x() << "," << diff.y() << " " << diff.width() << "x" << diff.height();

    // A settings change repaints everything.
    t.m->SignalSettings()->SetName1(QStringLiteral("Other"));
    EXPECT_EQ(t.m->TakeDirtyRegion(), QRegion(t.m->rect()));
}

TEST(VMeter, OverflowFlashesRedAndYellowUntilTheValueReturns)
{
    ManualFlash flash;
    Meter t;
    t.m->SetOptions(t.m->Options() | TGvVMeter::opOverflow);
    t.m->loaded();
    t.m->SetValue(150);
    ASSERT_TRUE(t.m->AlarmActive());
    EXPECT_TRUE(flash.service.IsRegistered(t.m));
    QRgb seen[2] = {0, 0};
    for (int phase = 0; phase < 2; ++phase) {
        const TColor want = phase == 0 ? t.m->FlashColorOff : t.m->FlashColorOn;
        for (int i = 0; i < 40 && t.m->AlarmColor() != want; ++i)
            flash.tick(1);
        ASSERT_EQ(t.m->AlarmColor(), want);
        seen[phase] = render(*t.m).pixel(t.tip(1000));
    }
    EXPECT_EQ(seen[0], Yellow);
    EXPECT_EQ(seen[1], Red);
    // The ff2Hz rate: a phase lasts 16 ticks.
    int ticks = 0;
    const TColor start = t.m->AlarmColor();
    while (t.m->AlarmColor() == start && ticks < 100) {
        flash.tick(1);
        ++ticks;
    }
    EXPECT_EQ(ticks, 16);

    t.m->SetValue(50);
    EXPECT_FALSE(t.m->AlarmActive());
    EXPECT_FALSE(flash.service.IsRegistered(t.m));
    EXPECT_EQ(render(*t.m).pixel(t.tip(500)), Lime);

    // Without opOverflow a value beyond the range does not flash.
    t.m->SetOptions(t.m->Options() & ~TGvVMeter::TGvVMeterOptions(TGvVMeter::opOverflow));
    t.m->SetValue(150);
    EXPECT_FALSE(t.m->AlarmActive());
}

TEST(VMeter, LimitOnlyRegistersButKeepsItsStartingRed)
{
    ManualFlash flash;
    Meter t;
    t.m->SetOptions(t.m->Options() | TGvVMeter::opLimit);
    t.m->loaded();
    t.m->SetValue(95);
    EXPECT_TRUE(t.m->AlarmActive());
    EXPECT_TRUE(flash.service.IsRegistered(t.m));
    flash.tick(40);
    EXPECT_EQ(t.m->AlarmColor(), clRed);
    EXPECT_EQ(render(*t.m).pixel(t.tip(950)), Red);
    t.m->SetValue(50);
    EXPECT_FALSE(flash.service.IsRegistered(t.m));
}

TEST(VMeter, SectorBandMinMaxMarksAndAutoSize)
{
    Meter t;
    t.m->SetOptions(t.m->Options() | TGvVMeter::opSector);
    t.m->SectorSettings()->SetSector3From(900);
    t.m->SectorSettings()->SetSector3To(1200);
    t.m->SectorSettings()->SetSector2To(300); // To <= From: not painted
    t.m->loaded();
    QImage img = render(*t.m);
    // The band starts where the ticks start, half a tick length left of the pointer tip.
    const int bx = t.m->PointerTipX() - t.m->ScaleSettings()->TickLength / 2 + t.m->ScaleSettings()->SubTickLength / 2;
    EXPECT_EQ(img.pixel(bx, t.m->PointerY(950)), Red);
    EXPECT_NE(img.pixel(bx, t.m->PointerY(850)), Red);
    EXPECT_NE(img.pixel(bx, t.m->PointerY(450)), qRgb(0, 0x80, 0));
    EXPECT_EQ(img.pixel(bx, t.m->PointerY(250)), Yellow);

    // Min and max marks at their positions, in their own colour.
    t.m->MinMax()->SetMinVisible(true);
    t.m->MinMax()->SetMaxVisible(true);
    t.m->MinMax()->SetUseSectorCol(false);
    for (float v : {20.0f, 70.0f, 50.0f})
        t.m->SetValue(v);
    EXPECT_EQ(t.m->MinPPT(), 200);
    EXPECT_EQ(t.m->MaxPPT(), 700);
    img = render(*t.m);
    const int L = t.m->ScaleSettings()->TickLength, h = L / 2;
    const int mx = t.m->PointerTipX() + L - 6; // near the marks' vertical edge
    EXPECT_EQ(img.pixel(mx, t.m->PointerY(200) + h / 3), qRgb(0, 255, 255));
    EXPECT_EQ(img.pixel(mx, t.m->PointerY(700) - h / 3), qRgb(0, 255, 255));
    EXPECT_NE(img.pixel(mx, t.m->PointerY(200) - h / 3), qRgb(0, 255, 255));

    // A larger scale font grows an auto-sized meter.
    const QSize before = t.m->size();
    t.m->ScaleSettings()->Font()->SetHeight(-40);
    EXPECT_GT(t.m->width(), before.width());
    EXPECT_GT(t.m->height(), before.height());
}

TEST(VMeter, AbsurdStoredSizesNeitherHangNorOverflow)
{
    Meter t;
    t.m->BevelOuter()->SetWidth(2000000000);
    t.m->BevelOuter()->SetSpacing(2000000000);
    t.m->FontValue()->SetHeight(-100000);
    t.m->loaded();
    EXPECT_EQ(t.m->width(), 32767); // the needed size saturates instead of wrapping
    EXPECT_EQ(t.m->height(), 32767);
    EXPECT_TRUE(t.m->TooSmall()); // no background image of that size was made
    QImage img(200, 200, QImage::Format_ARGB32_Premultiplied);
    t.m->render(&img); // must come back quickly
    t.m->SetValue(70);

    Meter wide;
    wide.m->SetAutoSize(false);
    wide.m->loaded();
    wide.m->resize(1000000, 100); // Qt caps widget sizes; nothing beyond a scratch image
    EXPECT_LE(wide.m->width(), 16777215);
    wide.m->SetValue(10);
    QImage small(100, 100, QImage::Format_ARGB32_Premultiplied);
    wide.m->render(&small);
    SUCCEED();
}

TEST(ValueInd, LayoutReadoutAndPartialRepaint)
{
    QWidget parent;
    auto *v = new TGvValueInd(&parent);
    setFont(v->Font(), "Arial", -13, clBlack);
    setFont(v->FontValue(), "Arial", -17, clRed);
    v->SetOptions(TGvValueInd::opBevelInner | TGvValueInd::opName1 | TGvValueInd::opName2 | TGvValueInd::opUnit);
    v->resize(300, 300);
    v->loaded();
    // Auto-sized to its contents at the first layout.
    EXPECT_EQ(v->size(), QSize(v->NeededWidth(), v->NeededHeight()));
    v->SetValue(5.0f);
    const QRect box = v->ValueRect().toQRect();
    QImage img = render(*v);
    EXPECT_GT(countIn(img, box, Red), 10);
    EXPECT_EQ(v->ValueText(), QStringLiteral("5.0"));
    // The box is measured from the format, not the value: a longer value keeps it.
    v->SetValue(123.4f);
    EXPECT_EQ(v->ValueRect().toQRect(), box);
    EXPECT_EQ(v->TakeDirtyRegion(), QRegion(box));
    img = render(*v);
    // Right-aligned: the last digit ends near the right edge of the box.
    int lastInk = -1;
    for (int x = box.left(); x <= box.right(); ++x)
        for (int y = box.top(); y <= box.bottom(); ++y)
            if (img.pixel(x, y) == Red)
                lastInk = x;
    EXPECT_GE(lastInk, box.right() - 4);
    // Captions at the bottom, inner bevel around the value area.
    EXPECT_EQ(img.pixel(0, v->height() - 1), Bg); // no outer bevel: the parent shows through
    EXPECT_GT(countIn(img, QRect(0, v->height() - 14, v->width(), 14), qRgb(0, 0, 0)), 5);

    // Without the unit the box is centred alone.
    v->SetOptions(TGvValueInd::opName1);
    const TRect b = v->ValueRect();
    EXPECT_NEAR(b.Left + b.Right, v->width(), 6);

    // With AutoSize off a larger control keeps its size, a smaller one grows.
    v->SetAutoSize(false);
    v->resize(200, 150);
    v->SetOptions(TGvValueInd::opName1 | TGvValueInd::opName2);
    EXPECT_EQ(v->size(), QSize(200, 150));
    v->resize(10, 10);
    v->SetOptions(TGvValueInd::opName1);
    EXPECT_EQ(v->size(), QSize(v->NeededWidth(), v->NeededHeight()));
}

TEST(LED, LampStatesFlashingAndPlacement)
{
    ManualFlash flash;
    QWidget parent;
    auto *l = new TGvLED(&parent);
    l->setObjectName(QStringLiteral("LedPanel1Led1"));
    l->resize(190, 25);
    l->LED()->SetColorOff(clGray);
    l->LED()->SetWidth(20);
    l->LED()->SetHeight(10); // round: drawn as a 20 x 20 circle
    l->SetSpacing(9);
    l->loaded();
    QImage img = render(*l);
    EXPECT_EQ(l->LED()->Rect, QRect(0, 12 - 10, 20, 20));
    const QPoint c = l->LED()->Rect.center() + QPoint(2, 2);
    EXPECT_EQ(img.pixel(c), qRgb(0x80, 0x80, 0x80));
    EXPECT_EQ(l->Caption(), QStringLiteral("LedPanel1Led1"));
    // Caption drawn right of the lamp after the spacing.
    auto dark = [&](const QRect &r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += qGray(img.pixel(x, y)) < 60;
        return n;
    };
    EXPECT_GT(dark(QRect(29, 0, 100, 25)), 10);
    EXPECT_EQ(dark(QRect(20, 0, 9, 25)), 0);

    l->TakeDirtyRegion();
    l->SetChecked(true);
    EXPECT_EQ(l->TakeDirtyRegion(), QRegion(l->LED()->Rect)); // only the lamp
    EXPECT_EQ(render(*l).pixel(c), Lime);
    l->SetChecked(true); // unchanged: nothing drawn
    EXPECT_TRUE(l->TakeDirtyRegion().isEmpty());

    // Flashing at 1 Hz: on and off phases of 32 ticks each, painted in the lamp colours.
    l->SetFlashing(true);
    EXPECT_TRUE(flash.service.IsRegistered(l));
    bool sawOff = false, sawOn = false;
    for (int i = 0; i < 80; ++i) {
        flash.tick(1);
        const QRgb px = render(*l).pixel(c);
        sawOff |= px == qRgb(0x80, 0x80, 0x80) && !l->LampLit();
        sawOn |= px == Lime && l->LampLit();
    }
    EXPECT_TRUE(sawOff);
    EXPECT_TRUE(sawOn);
    l->SetChecked(false);
    EXPECT_FALSE(flash.service.IsRegistered(l));
    EXPECT_EQ(render(*l).pixel(c), qRgb(0x80, 0x80, 0x80));

    // A rectangular lamp keeps its own proportions; lpRight puts it at the right edge.
    l->LED()->SetShape(gv::sRectangle);
    l->SetLED_Position(TGvLED::lpRight);
    render(*l);
    EXPECT_EQ(l->LED()->Rect, QRect(170, 12 - 5, 20, 10));
    // A lamp wider than the control starts at a negative x.
    l->resize(15, 25);
    render(*l);
    EXPECT_EQ(l->LED()->Rect.left(), -5);
}

TEST(Gradient, PaintsRegardlessOfVisibleAndRepaintsOnChange)
{
    QWidget parent;
    auto *g = new TGvGradient(&parent);
    g->GradSettings()->SetColorFrom(clMoneyGreen);
    g->GradSettings()->SetVisible(false);
    g->loaded();
    QImage img = render(*g);
    EXPECT_EQ(img.pixel(25, 0), qRgb(0xC0, 0xDC, 0xC0));
    EXPECT_NEAR(qRed(img.pixel(25, 49)), 143, 6);
    g->GradSettings()->SetColorTo(clMoneyGreen); // equal colours: plain
    img = render(*g);
    EXPECT_EQ(img.pixel(25, 49), qRgb(0xC0, 0xDC, 0xC0));
    g->SetAlign(TGvGradient::alClient);
    EXPECT_EQ(g->geometry(), parent.rect());
}

TEST(VMeter, AutoSizedMeterReturnsToItsSizeAfterAResize)
{
    Meter t;
    t.parent.setAttribute(Qt::WA_DontShowOnScreen);
    t.parent.show();
    t.m->loaded();
    const QSize needed(t.m->NeededWidth(), t.m->NeededHeight());
    EXPECT_EQ(t.m->size(), needed);
    t.m->resize(40, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(t.m->size(), needed);
    t.m->SetAutoSize(false);
    t.m->resize(40, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(t.m->size(), QSize(40, 400));
}

TEST(Instruments, ExtremeStoredSpacingsPaintWithoutOverflow)
{
    // Far outwards and far inwards; under the sanitizers any overflow in the layout fails here.
    for (int spacing : {-2000000000, 2000000000}) {
        Meter t;
        t.m->SetAutoSize(false);
        t.m->resize(100, 300);
        t.m->BevelOuter()->SetSpacing(spacing);
        t.m->BevelInner()->SetSpacing(-spacing);
        t.m->loaded();
        t.m->SetValue(70);
        render(*t.m);

        QWidget parent;
        auto *v = new TGvValueInd(&parent);
        v->SetAutoSize(false);
        v->SetOptions(v->Options() | TGvValueInd::opBevelOuter);
        v->BevelOuter()->SetSpacing(spacing);
        v->BevelValue()->SetSpacing(spacing);
        v->loaded();
        v->resize(100, 100);
        v->SetValue(3);
        render(*v);

        auto *l = new TGvLED(&parent);
        l->SetSpacing(spacing);
        l->SetLED_Position(TGvLED::lpRight);
        l->loaded();
        l->SetChecked(true);
        EXPECT_EQ(render(*l).pixel(l->LED()->Rect.center()), Lime);
    }
}

TEST(LED, TwoLineCaptionIsCentredAsABlock)
{
    QWidget parent;
    auto *l = new TGvLED(&parent);
    l->resize(120, 60);
    setFont(l->Font(), "Arial", -13, clBlack);
    l->SetCaption(QStringLiteral("Hx|Hx"));
    l->loaded();
    const QImage img = render(*l);
    int top = -1, bottom = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = l->LED()->Rect.right() + 2; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 100) {
                if (top < 0)
                    top = y;
                bottom = y;
            }
    ASSERT_GE(top, 0);
    EXPECT_GT(bottom - top, 20); // two lines
    EXPECT_NEAR((top + bottom) / 2.0, 30, 4);
    EXPECT_NEAR(l->LED()->Rect.center().y(), 30, 1);
}

// Any order of range and log-mode changes leaves positive, finite log ends and a scale with a
// bounded label list; the sanitizer build checks the arithmetic on the way.
TEST(VMeter, RangeAndLogModeSequencesLeaveADrawableScale)
{
    auto check = [](Meter &t, const char *step) {
        QImage img(t.m->size(), QImage::Format_ARGB32_Premultiplied);
        t.m->render(&img);
        TSignalSettings &s = *t.m->SignalSettings();
        if (t.m->LogScale()) {
            EXPECT_GT(s.ValueFrom(), 0) << step;
            EXPECT_GT(s.ValueTo(), 0) << step;
            EXPECT_TRUE(std::isfinite(s.ValueTo()) && std::isfinite(s.ValueFrom())) << step;
            EXPECT_TRUE(std::isfinite(t.m->DigitsPerDecade()) && std::isfinite(t.m->DecadeOffset())) << step;
        }
        EXPECT_LE(t.m->ScaleSettings()->LabelList.count(u';'), 80) << step;
    };
    {
        // The known sequence: the decade of ValueFrom is refused because it equals ValueTo.
        Meter t(false);
        t.m->loaded();
        t.m->SignalSettings()->SetValueTo(0.001f);
        t.m->SetLogScale(true);
        t.m->SignalSettings()->SetValueTo(100);
        check(t, "ValueTo 0.001, log, ValueTo 100");
        EXPECT_EQ(t.m->SignalSettings()->ValueFrom(), 0.001f);
        EXPECT_EQ(t.m->ScaleSettings()->LogLow, -3);
        t.m->SignalSettings()->SetValueTo(std::numeric_limits<float>::max());
        check(t, "ValueTo FLT_MAX");
        EXPECT_EQ(t.m->SignalSettings()->ValueTo(), 1e38f);
    }
    const float values[] = {0, -5, 0.001f, 1, 2, 100, 1e-30f, 5, -1e30f, 1e30f, std::numeric_limits<float>::max(),
                            -std::numeric_limits<float>::max(), std::numeric_limits<float>::min()};
    std::mt19937 rng(12345);
    for (int run = 0; run < 20; ++run) {
        Meter t(false);
        t.m->loaded();
        for (int i = 0; i < 15; ++i) {
            const float v = values[rng() % std::size(values)];
            switch (rng() % 3) {
            case 0: t.m->SetLogScale(!t.m->LogScale()); break;
            case 1: t.m->SignalSettings()->SetValueFrom(v); break;
            default: t.m->SignalSettings()->SetValueTo(v); break;
            }
            check(t, qPrintable(QStringLiteral("run %1 step %2").arg(run).arg(i)));
        }
    }
}

// The value box holds every value of the range and its negative-sample width; a text still
// wider shows "#" signs across the box instead of a number cut to another number.
TEST(ValueInd, ReadoutShowsValuesWholeOrNotAtAll)
{
    QWidget parent;
    auto *v = new TGvValueInd(&parent);
    setFont(v->FontValue(), "Arial", -17, clRed);
    v->SignalSettings()->SetValueTo(10000);
    v->loaded();
    QImage none;
    TCanvas c(none);
    SelectFont(c, *v->FontValue());
    for (float x : {-123.4f, -999.9f, 1234.5f, 9999.9f}) {
        v->SetValue(x);
        EXPECT_GE(v->ValueRect().width(), c.TextWidth(v->ValueText())) << x;
    }
    const QRect box = v->ValueRect().toQRect();
    auto ink = [&](float x) {
        v->SetValue(x);
        const QImage img = render(*v);
        auto reddish = [&](const QRect &r) { // text ink, smoothed edges included
            int n = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    n += qRed(img.pixel(x, y)) > 100 && qGreen(img.pixel(x, y)) < 60;
            return n;
        };
        return std::pair{reddish(box), reddish(QRect(box.left(), box.top(), box.width() / 3, box.height()))};
    };
    const auto wide1 = ink(1234567.0f), wide2 = ink(9876543.0f);
    EXPECT_EQ(wide1, wide2); // both are "#" signs, not the tails of two numbers
    EXPECT_GT(wide1.second, 0); // across the width, the left third too
}

// A huge stored scale font makes a meter of some 3270 x 14966 pixels: its background is too big
// to make, so nothing of it is drawn.
TEST(VMeter, HugeStoredFontMakesNoHugeBackground)
{
    Meter t(false);
    t.m->ScaleSettings()->Font()->SetHeight(-1000);
    t.m->ScaleSettings()->SetSteps(9);
    t.m->loaded();
    EXPECT_GT(int64_t(t.m->width()) * t.m->height(), MaxScratchPixels);
    EXPECT_TRUE(t.m->TooSmall());
    t.m->SetValue(70);
    QImage img(100, 100, QImage::Format_ARGB32_Premultiplied);
    t.m->render(&img);
}
