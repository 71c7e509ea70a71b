#include "BaseControls.h"
#include "FlashService.h"
#include "FormatSettings.h"

#include <QApplication>
#include <QRegularExpression>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include "QtPrint.h"

#include <gtest/gtest.h>
#include <climits>
#include <cmath>

namespace {

// Records the hooks and events of an analog instrument in the order they happen.
class Meter : public TGvAnalogGControl {
public:
    explicit Meter(QWidget *parent = nullptr) : TGvAnalogGControl(parent)
    {
        OnValueChange = [this](QObject *) { log << "value"; };
        OnOverflow = [this](QObject *, int p) { log << QString("overflow %1").arg(p); };
        OnLimit = [this](QObject *, bool lo, bool up) { log << QString("limit %1%2").arg(lo).arg(up); };
        OnSectorChange = [this](QObject *, bool a, bool b, bool c, bool enter) {
            log << QString("sector %1%2%3%4").arg(a).arg(b).arg(c).arg(enter);
        };
        OnMinMaxChange = [this](QObject *) { log << "minmax"; };
        OnSettingsChange = [this](QObject *) { log << "settings"; };
    }
    void OverflowChange(int p) override { log << QString("hook overflow %1").arg(p); }
    void LimitChange() override { log << "hook limit"; }
    // Only the min/max and value events.
    QStringList takeCore() { return take().filter(QRegularExpression("^(minmax|value)$")); }
    QStringList take()
    {
        QStringList l = log;
        log.clear();
        return l;
    }
    QStringList log;
};

void mouse(QWidget *w, QEvent::Type t, QPoint p, Qt::MouseButton b = Qt::LeftButton)
{
    QMouseEvent e(t, QPointF(p), w->mapToGlobal(QPointF(p)), b,
                  t == QEvent::MouseButtonRelease ? Qt::NoButton : b, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void key(QWidget *w, int k, bool autoRepeat = false)
{
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(w, &release);
}

void wheel(QWidget *w, int delta)
{
    QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

} // namespace

TEST(AnalogControl, NewInstrumentDefaults)
{
    Meter m;
    EXPECT_EQ(m.Value(), 50.0f);
    EXPECT_EQ(m.Digit(), 500);
    EXPECT_EQ(m.PPT(), 500);
    EXPECT_FALSE(m.UpperExceeded());
    EXPECT_FALSE(m.LowerExceeded());
    EXPECT_EQ(m.LimitUpperPPT(), 900);
    EXPECT_EQ(m.LimitLowerPPT(), 100);
    EXPECT_EQ(m.UpdateLock(), 1); // held until loaded
    EXPECT_TRUE(m.HintOptions() == TGvAnalogGControl::AllHintOptions);
    EXPECT_FALSE(m.IsHintOptionsStored());
    m.loaded();
    EXPECT_EQ(m.UpdateLock(), 0);
    EXPECT_EQ(m.take(), QStringList{"settings"});
    EXPECT_EQ(m.Font()->Name(), "Arial");
}

TEST(AnalogControl, OverflowIsReportedOncePerDirection)
{
    Meter m;
    m.loaded();
    m.SetValue(50.5f);
    m.take();
    m.SetValue(150.0f);
    QStringList l = m.take();
    EXPECT_EQ(l.filter("overflow"), (QStringList{"hook overflow 1500", "overflow 1500"}));
    EXPECT_EQ(m.PPT(), 1000);
    EXPECT_TRUE(m.OverflowHigh());
    m.SetValue(200.0f);
    EXPECT_TRUE(m.take().filter("overflow").isEmpty());
    m.SetValue(-20.0f);
    EXPECT_EQ(m.take().filter("overflow"), (QStringList{"hook overflow -200", "overflow -200"}));
    EXPECT_EQ(m.PPT(), 0);
    m.SetValue(50.0f);
    EXPECT_EQ(m.take().filter("overflow"), (QStringList{"hook overflow 500", "overflow 500"}));
    EXPECT_FALSE(m.OverflowHigh() || m.OverflowLow());

    // A huge reading saturates: it shows as overflow at the end, not as a wrapped value.
    m.SetValue(1e12f);
    EXPECT_EQ(m.Digit(), INT_MAX);
    EXPECT_EQ(m.PPT(), 1000);
    EXPECT_TRUE(m.OverflowHigh());
    m.SetValue(-1e12f);
    EXPECT_EQ(m.Digit(), INT_MIN);
    EXPECT_EQ(m.PPT(), 0);
    EXPECT_TRUE(m.OverflowLow());
}

TEST(AnalogControl, NonFiniteValuesAreIgnored)
{
    Meter m;
    m.loaded();
    m.SetValue(42.0f);
    m.take();
    m.SetValue(std::nanf(""));
    m.SetValue(INFINITY);
    m.SetValue(-INFINITY);
    m.SetLimitUpper(std::nanf(""));
    m.SetLimitLower(INFINITY);
    m.MinMax()->SetMax(std::nanf(""));
    m.MinMax()->SetMin(-INFINITY);
    EXPECT_EQ(m.Value(), 42.0f);
    EXPECT_EQ(m.LimitUpper(), 90.0f);
    EXPECT_EQ(m.LimitLower(), 10.0f);
    EXPECT_EQ(m.MinMax()->Max(), 42.0f);
    EXPECT_EQ(m.MinMax()->Min(), 42.0f);
    EXPECT_TRUE(m.take().isEmpty());
}

TEST(AnalogControl, LimitsAreStrictWithoutHysteresis)
{
    Meter m;
    m.loaded();
    m.take();
    m.SetValue(90.0f);
    EXPECT_FALSE(m.UpperExceeded());
    EXPECT_TRUE(m.take().filter("limit").isEmpty());
    m.SetValue(90.5f);
    EXPECT_EQ(m.take().filter("limit"), (QStringList{"hook limit", "limit 01"}));
    m.SetValue(95.0f);
    EXPECT_TRUE(m.take().filter("limit").isEmpty());
    m.SetValue(5.0f);
    EXPECT_EQ(m.take().filter("limit"), (QStringList{"hook limit", "limit 10"}));

    m.SetLimitLower(0.0f);
    EXPECT_EQ(m.LimitLower(), 0.0001f);
    EXPECT_EQ(m.LimitLowerPPT(), 0);
    m.SetLimitUpper(75.0f);
    EXPECT_EQ(m.LimitUpperPPT(), 750);
}

TEST(AnalogControl, SectorChangesAndTheWholeEventOrder)
{
    Meter m;
    m.loaded();
    m.SetValue(33.3f);
    EXPECT_EQ(m.PPT(), 333);
    EXPECT_TRUE(m.InSector1());
    m.take();
    m.SetValue(33.4f);
    EXPECT_EQ(m.take().filter("sector"), (QStringList{"sector 1000", "sector 0101"}));
    EXPECT_EQ(m.SectorColor(), clGreen);

    // Beyond the range (sectors see the unclamped position): no sector, the colour stays.
    m.SetValue(105.0f);
    EXPECT_EQ(m.take().filter("sector"), QStringList{"sector 0100"});
    EXPECT_FALSE(m.InSector3());
    EXPECT_EQ(m.SectorColor(), clGreen);

    // One value that enters sector 1, drops below the lower limit, leaves the overflow and
    // makes a new minimum: every step in the documented order, and the new minimum runs the
    // sequence once more (only the value event repeats).
    m.SetValue(5.0f);
    EXPECT_EQ(m.take(), (QStringList{"sector 1001", "hook limit", "limit 10", "hook overflow 50",
                                     "overflow 50", "minmax", "value", "value"}));
    EXPECT_EQ(m.SectorColor(), clYellow);
}

TEST(AnalogControl, MinMaxTracking)
{
    const QDateTime t0(QDate(2024, 1, 2), QTime(3, 4, 5));
    auto savedNow = TMinMax::Now;
    TMinMax::Now = [&] { return t0; };
    Meter m;
    m.SetValue(70.0f); // before loaded: reset by loaded()
    m.loaded();
    EXPECT_EQ(m.MinMax()->Min(), TMinMax::NoMin);
    EXPECT_EQ(m.MinMax()->Max(), TMinMax::NoMax);
    m.takeCore();
    m.SetValue(40.0f); // first value: both marks, no event
    EXPECT_EQ(m.takeCore(), QStringList{"value"});
    EXPECT_EQ(m.MinMax()->Min(), 40.0f);
    EXPECT_EQ(m.MinMax()->Max(), 40.0f);
    EXPECT_EQ(m.MinPPT(), 400);
    EXPECT_EQ(m.MinMax()->MinDateTime(), t0);
    m.SetValue(30.0f);
    EXPECT_EQ(m.takeCore(), (QStringList{"minmax", "value", "value"}));
    EXPECT_EQ(m.MinPPT(), 300);
    m.SetValue(35.0f);
    EXPECT_EQ(m.takeCore(), QStringList{"value"});
    // A change of a min/max setting goes through MinMaxChange.
    m.MinMax()->SetMaxColor(clRed);
    EXPECT_EQ(m.takeCore(), (QStringList{"minmax", "value"}));
    TMinMax::Now = savedNow;
}

TEST(AnalogControl, AutomaticHintInBothLocales)
{
    const QDateTime t0(QDate(2024, 3, 5), QTime(14, 7, 9));
    auto savedNow = TMinMax::Now;
    TMinMax::Now = [&] { return t0; };
    Meter m;
    m.loaded();
    m.SetHintOptions(gv::hoAutoHint | gv::hoValue | gv::hoName1);
    {
        TScopedFormatSettings fs(TFormatSettings::dot());
        m.SetValue(12.5f);
        EXPECT_EQ(m.Hint(), QString("Value= 12.5 %\rSignalName1"));
    }
    {
        TScopedFormatSettings fs(TFormatSettings::comma());
        m.SetValue(12.25f);
        EXPECT_EQ(m.Hint(), QString("Value= 12,3 %\rSignalName1"));
        EXPECT_EQ(m.ValueText(), "12,3");
        m.SetHintOptions(gv::hoAutoHint | gv::hoValue | gv::hoMin | gv::hoMax | gv::hoMinMaxDate |
                         gv::hoMinMaxTime | gv::hoName2);
        m.SetValue(99.0f);
        EXPECT_EQ(m.Hint(), QString("Value= 99,0 %\rMIN= 12,3 % 05.03.2024 14:07:09\r"
                                    "MAX= 99,0 % 05.03.2024 14:07:09\rSignalName2"));
    }
    // Switching the automatic hint off keeps the last text; switching it on rebuilds it.
    const QString last = m.Hint();
    m.SetHintOptions(gv::hoValue);
    m.SetValue(20.0f);
    EXPECT_EQ(m.Hint(), last);
    m.SetHint("x");
    {
        TScopedFormatSettings fs(TFormatSettings::dot());
        m.SetHintOptions(gv::hoAutoHint | gv::hoValue);
        EXPECT_EQ(m.Hint(), QString("Value= 20.0 %"));
        // The min piece follows a change of locale and of the unit, not only a new minimum.
        m.SetHintOptions(gv::hoAutoHint | gv::hoMin | gv::hoMinMaxDate);
        m.SetValue(21.0f);
        EXPECT_EQ(m.Hint(), QString("MIN= 12.3 % 2024-03-05"));
        m.SignalSettings()->SetValueUnit("V");
        m.SetValue(22.0f);
        EXPECT_EQ(m.Hint(), QString("MIN= 12.3 V 2024-03-05"));
    }
    EXPECT_TRUE(m.toolTip().isEmpty());
    TMinMax::Now = savedNow;
}

TEST(AnalogControl, LogScale)
{
    Meter m;
    m.loaded();
    m.SetLogScale(true);
    EXPECT_FLOAT_EQ(m.SignalSettings()->ValueFrom(), 0.001f);
    EXPECT_EQ(m.SignalSettings()->ValueTo(), 100.0f);
    EXPECT_NEAR(m.DigitsPerDecade(), 200.0, 1e-3);
    EXPECT_EQ(m.Digit(), 940);
    m.SetValue(-1.0f); // refused in log mode
    EXPECT_EQ(m.Value(), 50.0f);
    m.SetValue(10.0f);
    EXPECT_EQ(m.Digit(), 800);
    m.SetDigit(600); // three decades above 0.001
    EXPECT_NEAR(m.Value(), 1.0, 1e-6);
    m.SetLogScale(false);
    EXPECT_EQ(m.Digit(), 10);

    // Both ends in one decade: the log factors fall back instead of dividing by zero.
    Meter n;
    n.loaded();
    n.SetLogScale(true);
    n.SignalSettings()->SetValueFrom(0.5f); // decade 1
    n.SignalSettings()->SetValueTo(2.0f);   // differs, but its decade is 1 as well
    EXPECT_EQ(n.SignalSettings()->ValueFrom(), n.SignalSettings()->ValueTo());
    EXPECT_TRUE(std::isfinite(n.DigitsPerDecade()));
    n.SignalSettings()->SetDigitalTo(2000); // ParamChange with both ends equal
    EXPECT_EQ(n.DigitsPerDecade(), 2000.0);
    n.SetValue(3.0f);
    n.SetDigit(n.Digit() + 1);
    EXPECT_TRUE(std::isfinite(n.Value()));
}

TEST(AnalogControl, DegenerateRangesNeitherCrashNorDivideByZero)
{
    Meter m;
    m.loaded();
    m.SetValue(70.0f);
    const int ppt = m.PPT();
    // Zero digital range: the position keeps its last state.
    m.SignalSettings()->SetDigitalTo(0);
    EXPECT_EQ(m.SignalSettings()->DigitalRange(), 0);
    m.SetValue(20.0f);
    EXPECT_EQ(m.PPT(), ppt);
    m.SetDigit(5);
    EXPECT_EQ(m.PPT(), ppt);

    // Reversed digital range: still a mapping, clamped at the ends.
    Meter r;
    r.loaded();
    r.SignalSettings()->SetDigitalFrom(-1000);
    r.SignalSettings()->SetDigitalTo(-2000);
    r.SetValue(30.0f);
    EXPECT_GE(r.PPT(), 0);
    EXPECT_LE(r.PPT(), 1000);

    // Reversed value range.
    Meter v;
    v.loaded();
    v.SignalSettings()->SetValueFrom(100.0f);
    v.SignalSettings()->SetValueTo(0.0f);
    for (float x : {0.0f, 50.0f, 100.0f, -1e30f, 1e30f}) {
        v.SetValue(x);
        EXPECT_GE(v.PPT(), 0);
        EXPECT_LE(v.PPT(), 1000);
    }
}

TEST(BinControl, StatusBitsAndGroups)
{
    QWidget owner;
    TGvBinGControl a(&owner), b(&owner), c(&owner), other(&owner);
    a.SetStatusBit(0);
    b.SetStatusBit(1);
    c.SetStatusBit(2);
    int statusEvents = 0;
    c.OnStatusChanged = [&](QObject *) { ++statusEvents; };
    for (TGvBinGControl *x : {&a, &b, &c})
        x->SetGroupIndex(1);
    b.SetStatusInt(4);
    for (TGvBinGControl *x : {&a, &b, &c})
        EXPECT_EQ(x->StatusInt(), 4);
    EXPECT_FALSE(a.Checked());
    EXPECT_FALSE(b.Checked());
    EXPECT_TRUE(c.Checked());
    EXPECT_EQ(statusEvents, 1);
    EXPECT_EQ(other.StatusInt(), 0);
    EXPECT_EQ(c.FirstSetBit(), 2);

    // A newcomer takes the group's status.
    other.SetStatusBit(2);
    other.SetGroupIndex(1);
    EXPECT_EQ(other.StatusInt(), 4);
    EXPECT_TRUE(other.Checked());
    other.SetGroupIndex(-1);
    EXPECT_EQ(other.GroupIndex(), 1);

    // Bit 31 is a plain bit of the set.
    TGvBinGControl d;
    d.SetStatusBit(32);
    EXPECT_EQ(d.StatusBit(), 0);
    d.SetStatusBit(31);
    d.SetChecked(true);
    EXPECT_EQ(uint32_t(d.StatusInt()), 0x80000000u);
    EXPECT_EQ(d.FirstSetBit(), 32); // only SetStatusInt recomputes it
    d.SetChecked(false);
    EXPECT_EQ(d.StatusInt(), 0);
    d.SetStatusInt(INT_MIN);
    EXPECT_TRUE(d.Checked());
    EXPECT_EQ(d.FirstSetBit(), 31);
    d.SetStatusInt(0);
    EXPECT_EQ(d.FirstSetBit(), 32);
    d.SetMode(gv::mRadioButton);
    EXPECT_EQ(d.StatusInt(), 1);
    d.SetChecked(true);
    EXPECT_EQ(uint32_t(d.StatusInt()), 0x80000000u);
}

TEST(BinControl, MouseFollowsTheMode)
{
    TGvBinGControl x;
    x.resize(20, 20);
    x.SetMode(gv::mButton);
    mouse(&x, QEvent::MouseButtonPress, {5, 5});
    EXPECT_TRUE(x.Checked());
    EXPECT_TRUE(x.Pressed());
    mouse(&x, QEvent::MouseButtonRelease, {5, 5});
    EXPECT_FALSE(x.Checked());
    EXPECT_FALSE(x.Pressed());

    x.SetMode(gv::mSwitch);
    mouse(&x, QEvent::MouseButtonPress, {5, 5});
    mouse(&x, QEvent::MouseButtonRelease, {5, 5});
    EXPECT_TRUE(x.Checked());
    mouse(&x, QEvent::MouseButtonPress, {5, 5}, Qt::RightButton);
    EXPECT_TRUE(x.Checked());

    x.SetMode(gv::mIndicator);
    mouse(&x, QEvent::MouseButtonPress, {5, 5});
    mouse(&x, QEvent::MouseButtonRelease, {5, 5});
    EXPECT_TRUE(x.Pressed()); // an indicator ignores the release entirely
    EXPECT_TRUE(x.Checked());
}

namespace {
class Lamp : public TGvBinGControl {
public:
    std::vector<bool> phases;
    void FlashChange(bool on) override { phases.push_back(on); }
};
struct StepClock : TFlashClock {
    uint32_t now = 0;
    uint32_t Milliseconds() const override { return now; }
};
} // namespace

TEST(BinControl, FlashingRegistersWhileCheckedAndFlashing)
{
    auto clock = std::make_shared<StepClock>();
    TFlashService svc(clock, false);
    TFlashService *prev = SetFlashService(&svc);
    {
        Lamp l;
        l.SetFlashing(true);
        EXPECT_FALSE(svc.IsRegistered(&l));
        l.SetChecked(true);
        EXPECT_TRUE(svc.IsRegistered(&l));
        l.SetFrequency(gv::ff8Hz);
        for (int i = 0; i < 16; ++i)
            svc.Tick();
        EXPECT_EQ(l.phases, (std::vector<bool>{true, false, true, false}));
        l.SetChecked(false);
        EXPECT_FALSE(svc.IsRegistered(&l));
        l.SetChecked(true);
        EXPECT_TRUE(svc.IsRegistered(&l));
    }
    EXPECT_EQ(svc.Count(), 0); // the destroyed lamp left the list
    SetFlashService(prev);
}

namespace {
// A slider-like input: the digit follows the mouse's height.
class Knob : public TGvAnalogCControl {
public:
    using TGvAnalogCControl::TGvAnalogCControl;
    void MouseSlide(Qt::KeyboardModifiers s, int x, int y, QPoint last) override
    {
        SetDigit(1000 - 10 * y);
        TGvAnalogCControl::MouseSlide(s, x, y, last);
    }
};
} // namespace

TEST(AnalogInput, KeysWheelAndDrag)
{
    Knob k;
    k.resize(100, 100);
    k.SlideArea = QRect(0, 0, 100, 100);
    int changes = 0, changed = 0;
    k.OnValueChange = [&](QObject *) { ++changes; };
    k.OnValueChanged = [&](QObject *) { ++changed; };
    k.SetValue(30.0f); // while loading: no event
    EXPECT_EQ(changes, 0);
    k.loaded();
    EXPECT_EQ(k.Digit(), 300);

    k.SetDigit(1000);
    changes = 0;
    key(&k, Qt::Key_Up); // already at DigitalTo
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(k.Digit(), 1000);
    k.SetDigit(5);
    changes = 0;
    key(&k, Qt::Key_PageDown);
    EXPECT_EQ(k.Digit(), 0);
    key(&k, Qt::Key_End);
    EXPECT_EQ(k.Digit(), 1000);
    EXPECT_FLOAT_EQ(k.Value(), 100.0f);
    key(&k, Qt::Key_Home);
    key(&k, Qt::Key_Right);
    EXPECT_EQ(k.Digit(), 1);
    k.SetEnabledKeys(k.EnabledKeys() & ~gv::TEnabledKeys(gv::_VK_RIGHT));
    key(&k, Qt::Key_Right);
    EXPECT_EQ(k.Digit(), 1);
    k.SetEnableKeyboard(false);
    key(&k, Qt::Key_Up);
    EXPECT_EQ(k.Digit(), 1);
    k.SetEnableKeyboard(true);

    // Auto-repeated keys end the change only on the real release.
    changed = 0;
    key(&k, Qt::Key_Up, true);
    key(&k, Qt::Key_Up, true);
    EXPECT_EQ(changed, 0);
    key(&k, Qt::Key_Up);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(k.Digit(), 4);

    // The wheel acts on whole notches judged by the low byte only.
    wheel(&k, 120);
    EXPECT_EQ(k.Digit(), 5);
    wheel(&k, 60);
    wheel(&k, 240);
    EXPECT_EQ(k.Digit(), 5);
    wheel(&k, -120);
    EXPECT_EQ(k.Digit(), 4);
    wheel(&k, 376); // 0x178: low byte 0x78
    EXPECT_EQ(k.Digit(), 5);

    // Drag: a value event per step, one "changed" on release.
    k.SetDigit(500);
    changes = 0;
    changed = 0;
    mouse(&k, QEvent::MouseButtonPress, {50, 50});
    EXPECT_TRUE(k.Dragging());
    mouse(&k, QEvent::MouseMove, {50, 52});
    mouse(&k, QEvent::MouseMove, {50, 55});
    mouse(&k, QEvent::MouseButtonRelease, {50, 55});
    EXPECT_EQ(k.Digit(), 450);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(changed, 1);
    EXPECT_FALSE(k.Dragging());
    EXPECT_EQ(k.LastMousePos(), QPoint(50, 55));
    // A click that changes nothing gives no "changed".
    mouse(&k, QEvent::MouseButtonPress, {50, 55});
    mouse(&k, QEvent::MouseButtonRelease, {50, 55});
    EXPECT_EQ(changed, 1);
}

TEST(AnalogInput, HitTestAndClamping)
{
    TGvAnalogCControl c;
    c.SlideArea = QRect(10, 10, 20, 20); // right 30, bottom 30
    EXPECT_TRUE(c.HitTest(10, 10));
    EXPECT_FALSE(c.HitTest(30, 15));
    EXPECT_TRUE(c.HitTest(15, 30)); // the bottom row counts
    EXPECT_FALSE(c.HitTest(15, 31));
    c.RoundSlideArea = true;
    EXPECT_TRUE(c.HitTest(20, 10));
    EXPECT_FALSE(c.HitTest(11, 11));

    c.loaded();
    c.SetValue(250.0f);
    EXPECT_EQ(c.Value(), 100.0f);
    EXPECT_EQ(c.Digit(), 1000);
    c.SetValue(std::nanf(""));
    EXPECT_EQ(c.Value(), 100.0f);
    c.SetDigit(INT_MIN);
    EXPECT_EQ(c.Digit(), 0);
    EXPECT_EQ(c.Value(), 0.0f);
    // Inverted digital range: clamping stays defined.
    c.SignalSettings()->SetDigitalFrom(100);
    c.SignalSettings()->SetDigitalTo(-100);
    c.SetDigit(7);
    EXPECT_EQ(c.Digit(), 100);
    c.ChangeDigitBy(INT_MAX, 0);
    c.ChangeDigitBy(0, INT_MAX);
    EXPECT_EQ(c.Digit(), 100);
}

TEST(AnalogInput, MirrorsIntoAValueIndicator)
{
    TGvAnalogCControl dial;
    auto *ind = new TGvAnalogGControl;
    ind->loaded();
    dial.SignalSettings()->SetValueTo(10.0f);
    dial.SignalSettings()->SetValueUnit("V");
    dial.SetValueIndicator(ind);
    dial.loaded();
    EXPECT_EQ(ind->SignalSettings()->ValueUnit(), "V");
    EXPECT_EQ(ind->SignalSettings()->ValueTo(), 10.0f);
    dial.SetValue(7.5f);
    EXPECT_EQ(ind->Value(), 7.5f);
    EXPECT_EQ(ind->PPT(), 750);
    delete ind;
    EXPECT_EQ(dial.ValueIndicator(), nullptr);
    dial.SetValue(2.0f); // no dangling indicator
    EXPECT_EQ(dial.Value(), 2.0f);
}

// Qt sends press, release, dblclick, release: the dblclick is the second press, so a switch
// toggles twice and a dial starts its drag, with OnDblClick raised after it.
TEST(BaseControl, DoubleClickIsASecondPressAndThenTheEvent)
{
    TGvBinGControl x;
    x.resize(20, 20);
    x.SetMode(gv::mSwitch);
    QStringList log;
    x.OnMouseDown = [&](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { log << "down"; };
    x.OnMouseUp = [&](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { log << "up"; };
    x.OnDblClick = [&](QObject *) { log << QString("dblclick %1").arg(x.Checked()); };
    mouse(&x, QEvent::MouseButtonPress, {5, 5});
    mouse(&x, QEvent::MouseButtonRelease, {5, 5});
    mouse(&x, QEvent::MouseButtonDblClick, {5, 5});
    mouse(&x, QEvent::MouseButtonRelease, {5, 5});
    EXPECT_EQ(log, QStringList({"down", "up", "down", "dblclick 0", "up"}));
    EXPECT_FALSE(x.Checked());

    Knob k;
    k.resize(100, 100);
    k.SlideArea = QRect(0, 0, 100, 100);
    k.loaded();
    int dbl = 0;
    k.OnDblClick = [&](QObject *) { ++dbl; };
    mouse(&k, QEvent::MouseButtonPress, {50, 50});
    mouse(&k, QEvent::MouseButtonRelease, {50, 50});
    mouse(&k, QEvent::MouseButtonDblClick, {50, 50});
    EXPECT_TRUE(k.Dragging());
    EXPECT_EQ(dbl, 1);
    mouse(&k, QEvent::MouseButtonRelease, {50, 50});
    EXPECT_FALSE(k.Dragging());
}

// Keys the dial acts on stop there; others (and disabled ones) go on to the parent.
TEST(AnalogInput, HandledKeysDoNotReachTheParent)
{
    struct Parent : QWidget {
        QList<int> keys;
        void keyPressEvent(QKeyEvent *e) override { keys << e->key(); }
        void keyReleaseEvent(QKeyEvent *e) override { keys << -e->key(); }
    } parent;
    auto *k = new Knob(&parent);
    k->loaded();
    key(k, Qt::Key_Up);
    key(k, Qt::Key_PageDown);
    EXPECT_TRUE(parent.keys.isEmpty());
    key(k, Qt::Key_A);
    k->SetEnabledKeys(k->EnabledKeys() & ~gv::TEnabledKeys(gv::_VK_UP));
    key(k, Qt::Key_Up);
    k->SetEnableKeyboard(false);
    key(k, Qt::Key_Down);
    EXPECT_EQ(parent.keys, QList<int>({Qt::Key_A, -Qt::Key_A, Qt::Key_Up, -Qt::Key_Up, Qt::Key_Down, -Qt::Key_Down}));
}
