#include "AMeterPage.h"
#include "ApplicationException.h"
#include "FontButton.h"
#include "FormatSettings.h"
#include "GvNumEdit.h"
#include "GvVMeter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct PageSetup {
    TScopedFormatSettings dot{TFormatSettings::dot()};
    QWidget panel;
    TGvVMeter *meter = new TGvVMeter(&panel);
    TAMeterPage page;
    QStringList errors;
    tg::ApplicationExceptionHandler previousHandler;
    PageSetup()
    {
        previousHandler = tg::setApplicationExceptionHandler(
            [this](std::exception_ptr e) { errors << QString::fromUtf8(tg::exceptionText(e)); });
        meter->setObjectName("Instr3");
        meter->SetAutoSize(false);
        meter->SetHintOptions({}); // the panel keeps the factor in the hint
        meter->setGeometry(10, 10, 120, 200);
        meter->loaded();
        page.show();
    }
    ~PageSetup() { tg::setApplicationExceptionHandler(previousHandler); }
    template <class T> T *Field(const char *name) { return page.findChild<T *>(name); }
    void Type(const char *name, const QString &text)
    {
        auto *e = Field<QLineEdit>(name);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
    }
    // Typed and committed, as the user does with Return.
    void Enter(const char *name, const QString &text)
    {
        Type(name, text);
        QTest::keyClick(Field<QLineEdit>(name), Qt::Key_Return);
    }
    TGvNumEdit *Num(const char *name) { return Field<TGvNumEdit>(name); }
};

} // namespace

TEST(AMeterPage, SelectLoadsTheMeterAndApplyWritesTheFieldsBack)
{
    PageSetup s;
    s.meter->SetHint("2,5");
    s.meter->SetOptions(TGvVMeter::AllOptions);
    s.meter->SignalSettings()->SetName1("Druck");
    s.meter->SignalSettings()->SetValueTo(0.1f);
    s.meter->BevelOuter()->SetColor(TColor(0x123456));
    ASSERT_TRUE(s.page.Select(s.meter, 3));
    EXPECT_EQ(s.page.title(), "   Instrument #3   ");
    EXPECT_EQ(s.Num("GvNumEditSkalierungsfaktor")->text(), "2.5");
    EXPECT_DOUBLE_EQ(s.Num("GvNumEditSkalierungsfaktor")->Value(), 2.5);
    EXPECT_EQ(s.Num("GvNumEditAWertBis")->text(), "0.1"); // the single 0.1 shown as typed
    EXPECT_EQ(s.Field<QLineEdit>("EditName")->text(), "Druck");
    EXPECT_EQ(s.Num("GvNumEditBreite")->text(), "120");
    EXPECT_FALSE(s.Num("GvNumEditBreite")->isEnabled());

    s.Enter("GvNumEditSkalierungsfaktor", "0.1");
    s.Type("EditName", "Temp");
    s.Enter("GvNumEditAWertVon", "-20");
    s.Type("GvNumEditAWertBis", "8e1"); // left uncommitted: apply commits it
    s.Type("EditAnzeigeFormat", "#0.0");
    auto *outer = s.Field<QCheckBox>("CheckBoxInstrRandAussen");
    QTest::mouseClick(outer, Qt::LeftButton, {}, QPoint(6, outer->height() / 2)); // on the box itself
    s.Enter("GvNumEditSkalaSteps", "150");
    EXPECT_EQ(s.Num("GvNumEditSkalaSteps")->text(), "100"); // the field keeps its maximum
    s.Enter("GvNumEditSkalaSteps", "8");
    s.Enter("GvNumEditSkalaSubSteps", "40"); // accepted here, refused by the scale
    EXPECT_EQ(s.Num("GvNumEditSkalaSubSteps")->ValueAsInt(), 40);
    s.Field<QComboBox>("ColorBoxInstrumentZeiger")->setCurrentText("Red");
    QTest::mouseClick(s.page.ApplyButton(), Qt::LeftButton);

    EXPECT_EQ(s.meter->Hint(), "0.100000001490116");
    EXPECT_EQ(s.meter->SignalSettings()->Name1(), "Temp");
    EXPECT_EQ(s.meter->SignalSettings()->ValueFrom(), -20.0f);
    EXPECT_EQ(s.meter->SignalSettings()->ValueTo(), 80.0f);
    EXPECT_EQ(s.meter->SignalSettings()->ValueFormat(), "#0.0");
    EXPECT_EQ(s.meter->ScaleSettings()->ValueFormat(), "#0.0");
    EXPECT_EQ(s.meter->ScaleSettings()->Steps(), 8);
    EXPECT_EQ(s.meter->ScaleSettings()->SubSteps(), 2);
    EXPECT_EQ(s.meter->ScaleSettings()->PointerColor().value, clRed.value);
    // A colour outside the list survives the round trip; overflow, limit, sector are cleared.
    EXPECT_EQ(s.meter->BevelOuter()->Color().value, 0x123456u);
    EXPECT_EQ(s.meter->Options().toInt(), 285);
    EXPECT_EQ(s.meter->size(), QSize(120, 200));
    EXPECT_TRUE(s.page.isHidden());
    EXPECT_TRUE(s.errors.isEmpty());
}

TEST(AMeterPage, ASizeOutsideTheFieldLimitsIsShownAndWrittenBackUnclamped)
{
    // Edit mode sizes a meter from 30 pixels up and without an upper bound.
    PageSetup s;
    s.meter->resize(40, 1200);
    s.page.Select(s.meter, 3);
    EXPECT_EQ(s.Num("GvNumEditBreite")->text(), "40");
    EXPECT_EQ(s.Num("GvNumEditHoehe")->text(), "1200");
    QTest::mouseClick(s.page.ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(s.meter->size(), QSize(40, 1200));
}

TEST(AMeterPage, BadInputChangesNothingAndABadHintStillLoadsEveryField)
{
    PageSetup s;
    s.meter->SetHint("zwei");
    s.meter->SignalSettings()->SetName1("Spannung");
    s.meter->SignalSettings()->SetValueTo(250);
    s.meter->ScaleSettings()->SetSteps(8);
    s.page.Select(s.meter, 3);
    // Entries typed but not committed, which the next selection must replace.
    s.Type("GvNumEditAWertBis", "77");
    s.Type("GvNumEditSkalaSteps", "5");
    s.meter->ScaleSettings()->SetSteps(5);
    // The hint that is no number reads as 1; the rest is the meter's, not a leftover.
    EXPECT_FALSE(s.page.Select(s.meter, 3));
    EXPECT_EQ(s.Num("GvNumEditSkalierungsfaktor")->text(), "1");
    EXPECT_EQ(s.Field<QLineEdit>("EditName")->text(), "Spannung");
    EXPECT_DOUBLE_EQ(s.Num("GvNumEditAWertBis")->Value(), 250.0);
    EXPECT_EQ(s.Num("GvNumEditSkalaSteps")->ValueAsInt(), 5);
    EXPECT_EQ(s.Num("GvNumEditSkalaSteps")->State(), TGvNumEdit::esNormal);

    // A wrong character is marked in the field; "." passes that check but is no number and
    // is reported. Either way nothing is written and the page stays open.
    const char *fields[] = {"GvNumEditSkalierungsfaktor", "GvNumEditAWertVon", "GvNumEditAWertBis",
                            "GvNumEditSkalaSteps", "GvNumEditSkalaSubSteps"};
    for (const char *field : fields) {
        for (const char *bad : {"abc", "2x", "."}) {
            s.Type(field, bad);
            s.Type("EditName", "X");
            QTest::mouseClick(s.page.ApplyButton(), Qt::LeftButton);
            EXPECT_EQ(s.Num(field)->State(), TGvNumEdit::esError) << field << bad;
            EXPECT_EQ(s.meter->SignalSettings()->Name1(), "Spannung") << field << bad;
            EXPECT_EQ(s.meter->SignalSettings()->ValueTo(), 250.0f) << field << bad;
            EXPECT_EQ(s.meter->Hint(), "zwei") << field << bad;
            EXPECT_FALSE(s.page.isHidden()) << field << bad;
        }
        s.Enter(field, "1");
    }
    EXPECT_EQ(s.errors.size(), 3); // "." in a decimal field; an integer field refuses the character

    // An empty field counts as 0, as leaving it would.
    s.Type("GvNumEditAWertVon", "");
    EXPECT_TRUE(s.page.Apply());
    EXPECT_EQ(s.meter->SignalSettings()->ValueFrom(), 0.0f);
    EXPECT_EQ(s.meter->SignalSettings()->Name1(), "X");
}

TEST(AMeterPage, SetToDefaultReachesTheMeterOnlyOnApply)
{
    PageSetup s;
    s.page.Select(s.meter, 3);
    const int sizeBefore = s.meter->ScaleSettings()->Font()->Size();
    QTest::mouseClick(s.page.DefaultButton(), Qt::LeftButton);
    EXPECT_EQ(s.meter->ScaleSettings()->Font()->Size(), sizeBefore);
    QTest::mouseClick(s.page.ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(s.meter->ScaleSettings()->Font()->Name(), "MS Sans Serif");
    EXPECT_EQ(s.meter->ScaleSettings()->Font()->Size(), 14);
    EXPECT_EQ(s.meter->Font()->Size(), 8);
    EXPECT_TRUE(s.meter->Font()->Style().testFlag(TFont::fsBold));
}

TEST(AMeterPage, FontButtonsReachTheMeterAtOnceAndKeepTheScaleSizeInRange)
{
    PageSetup s;
    const tg::config::TFontPicker previous = tg::config::FontPicker();
    std::optional<QFont> answer;
    tg::config::FontPicker() = [&](const QFont &initial, QWidget *) -> std::optional<QFont> {
        if (!answer)
            return std::nullopt;
        QFont f = initial;
        f.setPointSize(answer->pointSize());
        f.setItalic(answer->italic());
        return f;
    };
    s.page.Select(s.meter, 3);
    const QString scaleName = s.meter->ScaleSettings()->Font()->Name();

    QTest::mouseClick(s.Field<QPushButton>("ButtonSkalaFont"), Qt::LeftButton); // cancelled
    const int scaleSize = s.meter->ScaleSettings()->Font()->Size();
    answer = QFont();
    answer->setPointSize(72);
    QTest::mouseClick(s.Field<QPushButton>("ButtonSkalaFont"), Qt::LeftButton);
    EXPECT_NE(scaleSize, 48);
    EXPECT_EQ(s.meter->ScaleSettings()->Font()->Size(), 48);
    EXPECT_EQ(s.meter->ScaleSettings()->Font()->Name(), scaleName);

    answer->setPointSize(s.meter->Font()->Size());
    answer->setItalic(true);
    QTest::mouseClick(s.Field<QPushButton>("ButtonNameFont"), Qt::LeftButton);
    EXPECT_TRUE(s.meter->Font()->Style().testFlag(TFont::fsItalic));

    // Apply assigns the fonts chosen, over any change the meter had since.
    s.meter->Font()->SetStyle({});
    QTest::mouseClick(s.page.ApplyButton(), Qt::LeftButton);
    EXPECT_TRUE(s.meter->Font()->Style().testFlag(TFont::fsItalic));
    EXPECT_EQ(s.meter->ScaleSettings()->Font()->Size(), 48);
    tg::config::FontPicker() = previous;
}
