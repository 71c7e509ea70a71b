#include "AMeterPage.h"
#include "FontButton.h"
#include "FormatSettings.h"
#include "GvVMeter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct PageSetup {
    TScopedFormatSettings dot{TFormatSettings::dot()};
    QWidget panel;
    TGvVMeter *meter = new TGvVMeter(&panel);
    TAMeterPage page;
    PageSetup()
    {
        meter->setObjectName("Instr3");
        meter->SetAutoSize(false);
        meter->SetHintOptions({}); // the panel keeps the factor in the hint
        meter->setGeometry(10, 10, 120, 200);
        meter->loaded();
        page.show();
    }
    template <class T> T *Field(const char *name) { return page.findChild<T *>(name); }
    void Type(const char *name, const QString &text)
    {
        auto *e = Field<QLineEdit>(name);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
    }
};

} // namespace

TEST(AMeterPage, SelectLoadsTheMeterAndApplyWritesTheFieldsBack)
{
    PageSetup s;
    s.meter->SetHint("2,5");
    s.meter->SetOptions(TGvVMeter::AllOptions);
    s.meter->SignalSettings()->SetName1("Druck");
    s.meter->BevelOuter()->SetColor(TColor(0x123456));
    ASSERT_TRUE(s.page.Select(s.meter, 3));
    EXPECT_EQ(s.page.title(), "   Instrument #3   ");
    EXPECT_EQ(s.Field<QLineEdit>("GvNumEditSkalierungsfaktor")->text(), "2.5");
    EXPECT_EQ(s.Field<QLineEdit>("EditName")->text(), "Druck");
    EXPECT_EQ(s.Field<QSpinBox>("GvNumEditBreite")->value(), 120);

    s.Type("GvNumEditSkalierungsfaktor", "0.1");
    s.Type("EditName", "Temp");
    s.Type("GvNumEditAWertVon", "-20");
    s.Type("GvNumEditAWertBis", "80");
    s.Type("EditAnzeigeFormat", "#0.0");
    auto *outer = s.Field<QCheckBox>("CheckBoxInstrRandAussen");
    QTest::mouseClick(outer, Qt::LeftButton, {}, QPoint(6, outer->height() / 2)); // on the box itself
    s.Field<QSpinBox>("GvNumEditSkalaSteps")->setValue(8);
    s.Field<QSpinBox>("GvNumEditSkalaSubSteps")->setValue(40); // accepted here, refused by the scale
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
}

TEST(AMeterPage, BadInputChangesNothingAndABadHintStillLoadsEveryField)
{
    PageSetup s;
    s.meter->SetHint("zwei");
    s.meter->SignalSettings()->SetName1("Spannung");
    s.page.Select(s.meter, 3);
    // The hint that is no number reads as 1; the rest is the meter's, not a leftover.
    EXPECT_FALSE(s.page.Select(s.meter, 3));
    EXPECT_EQ(s.Field<QLineEdit>("GvNumEditSkalierungsfaktor")->text(), "1");
    EXPECT_EQ(s.Field<QLineEdit>("EditName")->text(), "Spannung");

    for (const char *bad : {"", "abc", "1,5", "nan"}) {
        s.Type("GvNumEditAWertBis", bad);
        s.Type("EditName", "X");
        EXPECT_FALSE(s.page.Apply()) << bad;
        EXPECT_EQ(s.meter->SignalSettings()->Name1(), "Spannung") << bad;
        EXPECT_EQ(s.meter->Hint(), "zwei") << bad;
    }
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
