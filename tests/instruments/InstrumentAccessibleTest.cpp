// What assistive technology reads of the instruments, and what its actions do.
#include "GvColBitBtn.h"
#include "GvDial.h"
#include "GvLED.h"
#include "GvMiniTrend.h"
#include "GvVMeter.h"
#include "GvValueInd.h"
#include "InstrumentAccessible.h"
#include "SevenSeg.h"

#include <QAccessible>
#include <gtest/gtest.h>

namespace {

template <class T>
T *made(QWidget &parent, const char *name)
{
    auto *c = new T(&parent);
    c->setObjectName(QString::fromLatin1(name));
    c->loaded();
    return c;
}

// Installed before any instrument exists: Qt keeps the first interface it made for a widget.
QAccessibleInterface *of(QObject *o) { return QAccessible::queryAccessibleInterface(o); }

QString describe(QObject *o) { return of(o)->text(QAccessible::Description); }

} // namespace

TEST(InstrumentAccessible, NamesRolesValuesAndStates)
{
    tg::InstallInstrumentAccessibility();
    QWidget panel;
    auto *meter = made<TGvVMeter>(panel, "Instr8");
    meter->SignalSettings()->SetValueUnit(QStringLiteral("%"));
    meter->SetValue(25.5f);
    QAccessibleInterface *m = of(meter);
    EXPECT_EQ(m->text(QAccessible::Name), QStringLiteral("Instr8"));
    EXPECT_EQ(m->role(), QAccessible::ProgressBar);
    ASSERT_NE(m->valueInterface(), nullptr);
    EXPECT_EQ(m->valueInterface()->currentValue().toDouble(), 25.5);
    EXPECT_EQ(m->valueInterface()->minimumValue().toDouble(), 0.0);
    EXPECT_EQ(m->valueInterface()->maximumValue().toDouble(), 100.0);
    // Value with unit, range, limits and the alarm, as the meter writes its numbers.
    const struct {
        float value;
        const char *said;
    } alarms[] = {
        {25.5f, "25.5 %; range 0.0 to 100.0; limits 10.0 to 90.0"},
        {95.0f, "95.0 %; range 0.0 to 100.0; limits 10.0 to 90.0; upper limit exceeded"},
        {-3.0f, "-3.0 %; range 0.0 to 100.0; limits 10.0 to 90.0; below the range; lower limit exceeded"},
        {150.0f, "150.0 %; range 0.0 to 100.0; limits 10.0 to 90.0; above the range; upper limit exceeded"},
    };
    for (const auto &a : alarms) {
        meter->SetValue(a.value);
        EXPECT_EQ(describe(meter), QString::fromUtf8(a.said)) << a.value;
    }
    // The value indicator shows no limits (the panel keeps its factor in the upper one).
    auto *indicator = made<TGvValueInd>(panel, "Instr41");
    indicator->SetLimitUpper(1.0f);
    EXPECT_FALSE(describe(indicator).contains(QStringLiteral("limit"))) << describe(indicator).toStdString();

    // Lamps and trends are called by their caption, or by their name without one.
    auto *led = made<TGvLED>(panel, "LedPanel1Led3");
    EXPECT_EQ(of(led)->text(QAccessible::Name), QStringLiteral("LedPanel1Led3"));
    led->SetCaption(QStringLiteral("Pumpe"));
    EXPECT_EQ(of(led)->text(QAccessible::Name), QStringLiteral("Pumpe"));
    EXPECT_EQ(describe(led), QStringLiteral("off"));
    led->SetChecked(true);
    led->SetFlashing(true);
    EXPECT_TRUE(of(led)->state().checked);
    EXPECT_EQ(describe(led), QStringLiteral("on, flashing"));
    EXPECT_TRUE(of(led)->actionInterface()->actionNames().filter(QStringLiteral("Press")).isEmpty());
    auto *trend = made<TGvMiniTrend>(panel, "Instr90");
    trend->SetCaption(QStringLiteral("Druck"));
    trend->SetValueCh1(12.5f);
    EXPECT_EQ(of(trend)->text(QAccessible::Name), QStringLiteral("Druck"));
    EXPECT_EQ(of(trend)->valueInterface()->currentValue().toDouble(), 12.5);
    // The seven-segment display's caption is its value, not its name.
    auto *seg = made<TSevenSeg>(panel, "Instr40");
    seg->SetCaption(QStringLiteral("  3.14"));
    EXPECT_EQ(of(seg)->text(QAccessible::Name), QStringLiteral("Instr40"));
    EXPECT_EQ(describe(seg), QStringLiteral("3.14"));

    // A momentary button is pressed while held; its caption is read with its state.
    auto *button = made<TGvColBitBtn>(panel, "Instr70");
    button->SetTextOn(QStringLiteral("#70"));
    EXPECT_EQ(of(button)->role(), QAccessible::PushButton);
    EXPECT_EQ(describe(button), QStringLiteral("#70; off"));
    button->SetChecked(true);
    EXPECT_TRUE(of(button)->state().pressed);
    EXPECT_FALSE(of(button)->state().checkable);
    button->SetChecked(false);
    button->SetMode(gv::mSwitch);
    EXPECT_EQ(of(button)->role(), QAccessible::CheckBox);
    EXPECT_TRUE(of(button)->state().checkable);
}

// The actions go the way of the keys: a completed change, reported once, as the device hears it.
TEST(InstrumentAccessible, ActionsActAsTheKeysDo)
{
    tg::InstallInstrumentAccessibility();
    QWidget panel;
    auto *dial = made<TGvDial>(panel, "Instr80");
    dial->SignalSettings()->SetValueUnit(QStringLiteral("%"));
    panel.show();
    int completed = 0, pressed = 0;
    dial->OnValueChanged = [&](QObject *) { ++completed; };
    QAccessibleInterface *d = of(dial);
    EXPECT_EQ(d->role(), QAccessible::Dial);
    const int before = dial->Digit();
    d->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
    EXPECT_EQ(dial->Digit(), before + dial->ChangeSmall());
    EXPECT_EQ(completed, 1);
    EXPECT_EQ(describe(dial), QStringLiteral("0.1 %; range 0.0 to 100.0"));
    d->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
    EXPECT_EQ(dial->Digit(), before);
    EXPECT_EQ(completed, 2);

    auto *button = made<TGvColBitBtn>(panel, "Instr70");
    button->show();
    button->OnMouseDown = [&](QObject *, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
        pressed += b == Qt::LeftButton;
    };
    button->OnMouseUp = [&](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { pressed += 10; };
    of(button)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(pressed, 11);
    EXPECT_FALSE(button->Checked());
    button->setEnabled(false); // Qt's own flag: the button takes no input, and no action either
    of(button)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(pressed, 11);
}
