#include "CommaCLocale.h"
#include "FormatSettings.h"
#include "GvNumEdit.h"
#include "ManualFlash.h"
#include "SpinButton.h"

#include "QtPrint.h"

#include <QApplication>
#include <QTest>
#include <cfloat>
#include <gtest/gtest.h>

namespace {

using E = TGvNumEdit;

struct Typed {
    E::TEditBase base;
    const char *typed;
    bool valid;            // the check while typing
    E::TNumEditState state;
    double value;          // after Enter (NaN: Enter leaves an error)
    const char *shown;     // text after Enter
};

// Types into a fresh shown field, then presses Enter.
struct Field {
    QWidget top;
    E *e = new E(&top);
    Field(E::TEditBase b)
    {
        e->SetEditBase(b);
        e->Loaded();
        top.show();
        e->setFocus();
        e->clear();
    }
};

} // namespace

TEST(NumEdit, TypedTextsByNotationAndSuffix)
{
    TScopedFormatSettings dot(TFormatSettings::dot());
    const double err = std::nan("");
    const Typed table[] = {
        {E::ebFloat, "1.5k", true, E::esEditing, 1500, "1500"},
        {E::ebFloat, "1.5M", true, E::esEditing, 1.5e6, "1500000"},
        {E::ebFloat, "E3", true, E::esEditing, 1000, "1000"},
        {E::ebFloat, ".5", true, E::esEditing, 0.5, "0.5"},
        {E::ebFloat, "1e3", true, E::esEditing, 1000, "1000"},
        {E::ebFloat, "-2.5m", true, E::esEditing, -2.5 * double(1e-3f), "0"}, // factors are 32-bit floats
        {E::ebFloat, "1,234.5", true, E::esEditing, 1234.5, "1234.5"},
        {E::ebFloat, "1e", false, E::esError, err, ""},
        {E::ebFloat, ".", false, E::esError, err, ""},
        {E::ebFloat, "-", true, E::esEditing, 0, "0"},
        {E::ebFloat, "1e400", true, E::esEditing, 1.7e308, nullptr},
        {E::ebFloat, "-1e400", true, E::esEditing, -DBL_MAX, nullptr}, // a value is always finite
        {E::ebInt, "2k", true, E::esEditing, 2000, "2000"},
        {E::ebInt, "!2.5", true, E::esEditing, 2.5, "2"},
        {E::ebInt, "!3.5", true, E::esEditing, 3.5, "4"},
        {E::ebInt, "$1F", true, E::esEditing, 31, "31"},
        {E::ebInt, "&101", true, E::esEditing, 5, "5"},
        {E::ebInt, "5m", false, E::esError, err, ""},
        {E::ebInt, "99999999999", true, E::esEditing, 2147483647, "2147483647"},
        // Up to 32 bits, hex and binary are the 32-bit two's complement the field shows.
        {E::ebInt, "$FFFFFFFE", true, E::esEditing, -2, "-2"},
        {E::ebInt, "&11111111111111111111111111111101", true, E::esEditing, -3, "-3"},
        {E::ebHex, "80000000", true, E::esEditing, -2147483647, "80000001"},
        {E::ebHex, "0FFFFFFFF", true, E::esEditing, -1, "FFFFFFFF"},
        {E::ebBin, "1000000000000000000000000000000000000000000000000000000000000000", true, E::esEditing,
         2147483647, "1111111111111111111111111111111"},
        {E::ebHex, "ff", true, E::esEditing, 255, "FF"},
        {E::ebHex, "1g", false, E::esError, err, ""},
        {E::ebHex, "123456789A", true, E::esEditing, 2147483647, "7FFFFFFF"},
        {E::ebBin, "1101", true, E::esEditing, 13, "1101"},
        {E::ebBin, "102", false, E::esError, err, ""},
        {E::ebBin, "%-7", true, E::esEditing, -7, "11111111111111111111111111111001"},
    };
    for (const Typed &t : table) {
        SCOPED_TRACE(t.typed);
        Field f(t.base);
        QTest::keyClicks(f.e, QString::fromLatin1(t.typed));
        EXPECT_EQ(f.e->State(), t.state);
        EXPECT_EQ(f.e->CheckText(false), t.valid);
        EXPECT_EQ(f.e->text(), QString::fromLatin1(t.typed)); // never refused while typing
        QTest::keyClick(f.e, Qt::Key_Return);
        if (std::isnan(t.value)) {
            EXPECT_EQ(f.e->State(), E::esError);
            EXPECT_EQ(f.e->Value(), 0);
        } else {
            EXPECT_EQ(f.e->State(), E::esNormal);
            EXPECT_TRUE(std::isfinite(f.e->Value()));
            EXPECT_DOUBLE_EQ(f.e->Value(), t.value);
            if (t.shown) {
                EXPECT_EQ(f.e->text(), QString::fromLatin1(t.shown));
            }
        }
    }
}

TEST(NumEdit, WrongCharactersAreSelectedAndEscapeRestores)
{
    TScopedFormatSettings dot(TFormatSettings::dot());
    {
        Field f(E::ebInt);
        f.e->SetValue(7);
        f.e->clear();
        QTest::keyClicks(f.e, QStringLiteral("12a"));
        EXPECT_EQ(f.e->State(), E::esError);
        EXPECT_EQ(f.e->selectedText(), QStringLiteral("a"));
        EXPECT_EQ(f.e->palette().color(QPalette::Base), QColor(255, 0, 0));
        QTest::keyClick(f.e, Qt::Key_Escape);
        EXPECT_EQ(f.e->text(), QStringLiteral("7"));
        EXPECT_EQ(f.e->State(), E::esNormal);
    }
    {
        Field f(E::ebFloat);
        f.e->setText(QStringLiteral("1.2.3"));
        EXPECT_EQ(f.e->selectionStart(), 3);
        EXPECT_EQ(f.e->selectedText(), QStringLiteral("."));
        QTest::keyClick(f.e, Qt::Key_Backspace); // removes the selection
        EXPECT_EQ(f.e->text(), QStringLiteral("1.23"));
        EXPECT_EQ(f.e->State(), E::esEditing);
        EXPECT_EQ(f.e->palette().color(QPalette::Base), QColor(0, 255, 0));
    }
}

TEST(NumEdit, CommaLocaleAndLongBinaryEntry)
{
    TScopedFormatSettings comma(TFormatSettings::comma());
    Field f(E::ebFloat);
    QTest::keyClicks(f.e, QStringLiteral("1.234,5"));
    QTest::keyClick(f.e, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(f.e->Value(), 1234.5);
    f.e->clear();
    QTest::keyClicks(f.e, QStringLiteral("0,5,"));
    EXPECT_EQ(f.e->State(), E::esError);
    EXPECT_EQ(f.e->selectionStart(), 3);

    // 40 ones: beyond 32 bits, clamped instead of wrapping.
    f.e->clear();
    QTest::keyClicks(f.e, QStringLiteral("&") + QString(40, u'1'));
    EXPECT_EQ(f.e->State(), E::esEditing);
    QTest::keyClick(f.e, Qt::Key_Return);
    EXPECT_EQ(f.e->Value(), 2147483647.0);
    EXPECT_EQ(f.e->ValueAsInt(), 2147483647);
}

// Qt takes the C library's locale from the environment; on a German desktop the conversion
// must still read what the field's own separators say.
TEST(NumEdit, EntriesUnderACommaCLocale)
{
    ScopedCommaCLocale german;
    if (!german.problem().isEmpty())
        GTEST_SKIP() << "no comma-decimal C locale: " << german.problem().toStdString();
    const struct {
        bool comma; // the field's separators
        E::TEditBase base;
        const char *typed;
        double value;
        const char *shown;
    } table[] = {
        {true, E::ebFloat, "1,5", 1.5, "1,5"},
        {true, E::ebFloat, "1.234,5k", 1234500, "1234500"},
        {true, E::ebFloat, "-2,5e-1", -0.25, "-0,3"},
        {true, E::ebInt, "!7,5", 7.5, "8"},
        {true, E::ebInt, "1.234", 1234, "1234"},
        {false, E::ebFloat, "0.5", 0.5, "0.5"},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.typed);
        TScopedFormatSettings fs(row.comma ? TFormatSettings::comma() : TFormatSettings::dot());
        Field f(row.base);
        QTest::keyClicks(f.e, QString::fromLatin1(row.typed));
        EXPECT_EQ(f.e->State(), E::esEditing);
        QTest::keyClick(f.e, Qt::Key_Return);
        EXPECT_EQ(f.e->State(), E::esNormal);
        EXPECT_DOUBLE_EQ(f.e->Value(), row.value);
        EXPECT_EQ(f.e->text(), QString::fromLatin1(row.shown));
    }
}

// A negative value shown in hex or binary commits back unchanged, without a change event.
TEST(NumEdit, NegativeHexAndBinaryTextsReadBack)
{
    const struct {
        E::TEditBase base;
        int digits; // DigitsHex or DigitsBool
        double value;
        const char *shown;
    } table[] = {
        {E::ebHex, 0, -1, "FFFFFFFF"},
        {E::ebHex, 10, -1, "00FFFFFFFF"},
        {E::ebHex, 0, -2147483647, "80000001"},
        {E::ebBin, 0, -1, "11111111111111111111111111111111"},
        {E::ebBin, 40, -6, "11111111111111111111111111111010"},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.shown);
        Field f(row.base);
        f.e->SetDigitsHex(row.digits);
        f.e->SetDigitsBool(row.digits);
        f.e->SetValue(row.value);
        ASSERT_EQ(f.e->text(), QString::fromLatin1(row.shown));
        int changed = 0;
        f.e->OnValueChanged = [&](QObject *) { ++changed; };
        QTest::keyClick(f.e, Qt::Key_Return);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(f.e, &out);
        EXPECT_EQ(f.e->Value(), row.value);
        EXPECT_EQ(f.e->text(), QString::fromLatin1(row.shown));
        EXPECT_EQ(changed, 0);
    }
    // The text setters of the two notations take the same reading.
    Field f(E::ebInt);
    f.e->SetValueAsHex(QStringLiteral("FFFFFFFE"));
    EXPECT_EQ(f.e->Value(), -2);
    f.e->SetValueAsBool(QString(32, u'1'));
    EXPECT_EQ(f.e->Value(), -1);
}

TEST(NumEdit, NonFiniteNumbersAreIgnored)
{
    Field f(E::ebFloat);
    f.e->SetValue(5);
    f.e->SetMinValue(-10);
    f.e->SetMaxValue(10);
    int changed = 0, limits = 0;
    f.e->OnValueChanged = [&](QObject *) { ++changed; };
    f.e->OnLimit = [&](QObject *) { ++limits; };
    for (const double x : {double(NAN), double(INFINITY), -double(INFINITY)}) {
        SCOPED_TRACE(x);
        f.e->SetValue(x);
        f.e->SetValueAsSingle(float(x));
        f.e->SetMinValue(x);
        f.e->SetMaxValue(x);
        f.e->SetIncrement(float(x));
        EXPECT_EQ(f.e->Value(), 5);
        EXPECT_EQ(f.e->ValueAsInt(), 5);
        EXPECT_EQ(f.e->text(), QStringLiteral("5"));
        EXPECT_EQ(f.e->MinValue(), -10);
        EXPECT_EQ(f.e->MaxValue(), 10);
        EXPECT_EQ(f.e->Increment(), 1.0f);
    }
    // The limits stay usable: a value below the minimum is raised to it.
    f.e->SetOptions(E::eoLimitMin | E::eoLimitMax);
    f.e->SetValue(-20);
    EXPECT_EQ(f.e->Value(), -10);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(limits, 1);

    // Steps that overflow double end at its largest finite value.
    f.e->SetOptions(E::eoMultiply);
    f.e->SetIncrement(1e38f);
    f.e->SetValue(-1e300);
    f.e->Increase();
    EXPECT_EQ(f.e->Value(), -DBL_MAX);
    f.e->SetValue(1e300);
    f.e->Increase();
    EXPECT_EQ(f.e->Value(), 1.7e308);
}

TEST(NumEdit, EmptyBecomesZeroAndEventsFollowCommits)
{
    Field f(E::ebInt);
    int changed = 0, onChange = 0;
    f.e->OnValueChanged = [&](QObject *) { ++changed; };
    f.e->OnChange = [&](QObject *) { ++onChange; };
    QTest::keyClicks(f.e, QStringLiteral("42"));
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(onChange, 2);
    QTest::keyClick(f.e, Qt::Key_Enter);
    EXPECT_EQ(changed, 1);
    QTest::keyClick(f.e, Qt::Key_Enter); // same text: no second event
    EXPECT_EQ(changed, 1);
    f.e->clear();
    QTest::keyClick(f.e, Qt::Key_Return);
    EXPECT_EQ(f.e->text(), QStringLiteral("0"));
    f.e->clear();
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(f.e, &out);
    EXPECT_EQ(f.e->text(), QStringLiteral("0"));
    EXPECT_EQ(f.e->State(), E::esNormal);
}

TEST(NumEdit, LimitsStepsAndConversions)
{
    Field f(E::ebFloat);
    int limits = 0;
    f.e->OnLimit = [&](QObject *) { ++limits; };
    f.e->SetMaxValue(8);
    f.e->SetMinValue(-1e9);
    f.e->SetOptions(E::eoLimitMax);
    f.e->SetValue(7);
    QTest::keyClick(f.e, Qt::Key_Up);
    EXPECT_EQ(f.e->Value(), 8);
    EXPECT_TRUE(f.e->AtMaximum());
    EXPECT_EQ(limits, 1);
    QTest::keyClick(f.e, Qt::Key_Up);
    EXPECT_EQ(f.e->Value(), 8);
    f.e->SetValue(100);
    EXPECT_EQ(f.e->Value(), 8);
    QTest::keyClick(f.e, Qt::Key_Down);
    EXPECT_EQ(f.e->Value(), 7);
    EXPECT_EQ(limits, 2);
    EXPECT_EQ(f.e->State(), E::esNormal); // the step's own text change is not checked

    f.e->SetOptions(E::eoMultiply);
    f.e->SetIncrement(2);
    f.e->SetValue(3);
    f.e->Increase();
    EXPECT_EQ(f.e->Value(), 6);
    f.e->Decrease();
    EXPECT_EQ(f.e->Value(), 3);
    f.e->SetValue(0);
    f.e->Increase();
    EXPECT_EQ(f.e->Value(), 2);

    f.e->SetValue(2.5);
    EXPECT_EQ(f.e->ValueAsInt(), 2);
    f.e->SetValue(3.5);
    EXPECT_EQ(f.e->ValueAsInt(), 4);
    f.e->SetValue(-1);
    EXPECT_EQ(f.e->ValueAsHex(), QStringLiteral("FFFFFFFF"));
    f.e->SetValueAsSingle(1.25f);
    EXPECT_EQ(f.e->text(), QStringLiteral("1.3"));
    f.e->SetValueAsHex(QStringLiteral("10"));
    EXPECT_EQ(f.e->Value(), 16);
    f.e->SetValue(1e300);
    EXPECT_EQ(f.e->ValueAsSingle(), FLT_MAX);
    f.e->SetValue(-1e300); // the float notation has no lower bound
    EXPECT_EQ(f.e->Value(), -1e300);
    EXPECT_EQ(f.e->ValueAsInt(), -2147483647);
}

TEST(NumEdit, HeldKeyReportsOnlyTheRealRelease)
{
    Field f(E::ebInt);
    int ups = 0;
    f.e->OnKeyUp = [&](QObject *) { ++ups; };
    QKeyEvent rep(QEvent::KeyRelease, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"), true);
    QApplication::sendEvent(f.e, &rep);
    EXPECT_EQ(ups, 0);
    QKeyEvent rel(QEvent::KeyRelease, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"), false);
    QApplication::sendEvent(f.e, &rel);
    EXPECT_EQ(ups, 1);
}

TEST(NumSpin, ButtonsRepeatAndFollowLimitsAndState)
{
    ManualFlash flash;
    QWidget top;
    auto *s = new TGvNumSpin(&top);
    s->resize(80, 30);
    s->Loaded();
    top.show();
    EXPECT_EQ(s->Button()->geometry(), QRect(80 - 4 - 15, 0, 15, 26));
    s->SetMaxValue(5);
    s->SetOptions(E::eoLimitMax);
    TGvTimerSpeedBtn *up = s->Button()->UpButton();
    QTest::mousePress(up, Qt::LeftButton);
    flash.advance(450);
    EXPECT_EQ(s->Value(), 0);
    flash.advance(150); // start delay passed: repeats every 100 ms
    EXPECT_GE(s->Value(), 1);
    flash.advance(1000);
    EXPECT_EQ(s->Value(), 5);
    EXPECT_FALSE(up->isEnabled());
    EXPECT_FALSE(up->isDown()); // the disabled button no longer repeats
    EXPECT_TRUE(s->Button()->DownButton()->isEnabled());
    s->setFocus();
    s->clear();
    QTest::keyClicks(s, QStringLiteral("3"));
    EXPECT_FALSE(s->Button()->DownButton()->isEnabled()); // disabled while editing
    QTest::keyClick(s, Qt::Key_Return);
    EXPECT_TRUE(s->Button()->DownButton()->isEnabled());
    EXPECT_TRUE(up->isEnabled());
    s->resize(80, 5);
    EXPECT_GE(s->height(), 12);
}
