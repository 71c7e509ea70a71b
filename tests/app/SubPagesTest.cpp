// The Dig, MiniTrend and NumDisp sub-pages against the panel's real instruments, driven
// through their widgets.
#include "ApplicationException.h"
#include "Catalogue.h"
#include "ColorBox.h"
#include "DigitalPage.h"
#include "FontButton.h"
#include "FormatSettings.h"
#include "GvLED.h"
#include "GvMiniTrend.h"
#include "GvNumEdit.h"
#include "GvValueInd.h"
#include "InstrumentsPage.h"
#include "LedPanel.h"
#include "MiniTrendPage.h"
#include "NumDisplayPage.h"
#include "PacketHandler.h"
#include "PageSetup.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(NumDisplayPage, LoadsTheIndicatorAndApplyWritesEveryField)
{
    PageSetup s;
    TGvValueInd *v = s.Instr<TGvValueInd>(42);
    v->SignalSettings()->SetName1(QStringLiteral("Druck"));
    v->SetLimitUpper(0.5f);
    v->BevelValue()->SetColor(clNavy);
    s.Click("CButton42");
    EXPECT_EQ(s.Sheet(), "TabSheetNumDisplay");
    EXPECT_EQ(s.page.NumDisplayPage()->title(), "   Instrument #42   ");
    EXPECT_EQ(s.Text("EditNumDispName"), "Druck");
    EXPECT_EQ(s.Text("EditNumDispSkalFaktor"), "0.5");
    EXPECT_EQ(s.Text("EditNumDispEinheit"), "%");
    EXPECT_EQ(s.Text("EditNumDispFormatString"), "##0.0");
    EXPECT_EQ(s.Color("ColorBoxNumDispColorBackGnd"), clNavy);

    s.Type("EditNumDispName", "Strom");
    s.Type("EditNumDispSkalFaktor", "2.5");
    s.Type("EditNumDispEinheit", "mA");
    s.Type("EditNumDispFormatString", "#0.00");
    s.ChooseColor("ColorBoxNumDispColorBackGnd", clYellow);
    s.ChooseColor("ColorBoxNumDispColorInstr", clTeal);
    QTest::mouseClick(s.page.NumDisplayPage()->ApplyButton(), Qt::LeftButton);

    EXPECT_FLOAT_EQ(v->LimitUpper(), 2.5f);
    EXPECT_EQ(v->SignalSettings()->Name1(), "Strom");
    EXPECT_EQ(v->SignalSettings()->ValueUnit(), "mA");
    EXPECT_EQ(v->SignalSettings()->ValueFormat(), "#0.00");
    EXPECT_EQ(v->BevelValue()->Color(), clYellow);
    EXPECT_EQ(v->BevelInner()->Color(), clTeal);
    EXPECT_TRUE(s.page.NumDisplayPage()->isHidden());
    EXPECT_FALSE(s.page.PageControl()->isEnabled());
    EXPECT_EQ(s.Instr<TGvValueInd>(41)->SignalSettings()->Name1(), "SignalName1");
    // The device's values are scaled by the applied factor.
    tg::app::PacketHandler(s.instruments, *s.page.SevenSegPage()).handle("#42M4<");
    EXPECT_FLOAT_EQ(v->Value(), 10.0f);

    // Showing the page again resets the fields; the next selection enables the page.
    s.page.PageShown();
    EXPECT_EQ(s.Text("EditNumDispName"), "Instrument");
    EXPECT_EQ(s.Text("EditNumDispSkalFaktor"), "1");
    EXPECT_EQ(s.Color("ColorBoxNumDispColorBackGnd"), clBlack);
    s.Click("CButton42");
    EXPECT_TRUE(s.page.PageControl()->isEnabled());
    EXPECT_EQ(s.Text("EditNumDispSkalFaktor"), "2.5");
}

TEST(NumDisplayPage, BadFactorWritesNothingAndEmptyCountsAsZero)
{
    PageSetup s;
    TGvValueInd *v = s.Instr<TGvValueInd>(43);
    int shown = 0;
    s.page.OnShowPanel = [&] { ++shown; };
    s.Click("CButton43");
    s.Type("EditNumDispName", "Neu");
    s.Type("EditNumDispSkalFaktor", "2x");
    EXPECT_EQ(s.Field<TGvNumEdit>("EditNumDispSkalFaktor")->State(), TGvNumEdit::esError);
    QTest::mouseClick(s.page.NumDisplayPage()->ShowButton(), Qt::LeftButton);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(v->SignalSettings()->Name1(), "SignalName1");
    EXPECT_FLOAT_EQ(v->LimitUpper(), 1.0f);
    EXPECT_TRUE(s.page.PageControl()->isEnabled());
    EXPECT_FALSE(s.page.NumDisplayPage()->isHidden());

    // Passes the character check but is no number: the conversion failure is reported.
    s.Type("EditNumDispSkalFaktor", ".");
    QTest::mouseClick(s.page.NumDisplayPage()->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(s.errors.size(), 1);
    EXPECT_EQ(v->SignalSettings()->Name1(), "SignalName1");

    s.Type("EditNumDispSkalFaktor", "");
    QTest::mouseClick(s.page.NumDisplayPage()->ShowButton(), Qt::LeftButton);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(s.Text("EditNumDispSkalFaktor"), "0");
    EXPECT_FLOAT_EQ(v->LimitUpper(), 0.0f);
    EXPECT_EQ(v->SignalSettings()->Name1(), "Neu");
}

TEST(NumDisplayPage, FontButtonsAssignAtOnceAndApplyKeepsTheChosenFonts)
{
    PageSetup s;
    TGvValueInd *v = s.Instr<TGvValueInd>(44);
    std::optional<QFont> answer;
    QFont offered;
    tg::config::FontPicker() = [&](const QFont &initial, QWidget *) {
        offered = initial;
        return answer;
    };
    s.Click("CButton44");

    // Cancelled: nothing changes.
    s.Click("ButtonNumDispAnzeige");
    EXPECT_EQ(offered.pointSize(), v->FontValue()->Size());
    EXPECT_EQ(v->FontValue()->Name(), "Arial");

    QFont chosen = offered;
    chosen.setFamily(QStringLiteral("DejaVu Sans Mono"));
    chosen.setPointSize(20);
    chosen.setBold(false);
    answer = chosen;
    s.Click("ButtonNumDispAnzeige");
    EXPECT_EQ(v->FontValue()->Name(), "DejaVu Sans Mono");
    EXPECT_EQ(v->FontValue()->Size(), 20);
    EXPECT_FALSE(v->FontValue()->Style().testFlag(TFont::fsBold));
    EXPECT_EQ(v->FontValue()->Color(), clRed);

    // The name font: only italic switched, so name and height stay as stored.
    const int height = v->Font()->Height();
    answer.reset();
    s.Click("ButtonNumDispName");
    chosen = offered;
    chosen.setItalic(true);
    answer = chosen;
    s.Click("ButtonNumDispName");
    EXPECT_EQ(v->Font()->Name(), "Arial");
    EXPECT_EQ(v->Font()->Height(), height);
    EXPECT_TRUE(v->Font()->Style().testFlag(TFont::fsItalic));

    // An apply assigns the fonts chosen since the selection, not the instrument's earlier ones.
    v->FontValue()->SetName(QStringLiteral("Courier"));
    QTest::mouseClick(s.page.NumDisplayPage()->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(v->FontValue()->Name(), "DejaVu Sans Mono");
    EXPECT_TRUE(v->Font()->Style().testFlag(TFont::fsItalic));
}

TEST(MiniTrendPage, LoadsChannelOneAndApplyWritesEveryField)
{
    PageSetup s;
    TGvMiniTrend *t = s.Instr<TGvMiniTrend>(90);
    t->SetHint(QStringLiteral("0,5")); // another locale's separator reads all the same
    t->SetTimeScale(7);
    t->BevelOuter()->SetColor(clMaroon);
    EXPECT_TRUE(s.page.MiniTrendPage()->isHidden());
    s.Click("CButton90");
    EXPECT_EQ(s.Sheet(), "TabSheetMiniTrend");
    EXPECT_FALSE(s.page.MiniTrendPage()->isHidden());
    EXPECT_EQ(s.page.MiniTrendPage()->title(), "   Instrument #90   ");
    EXPECT_EQ(s.Text("EditMiniTrendScaleFaktor"), "0.5");
    EXPECT_EQ(s.Text("EditMiniTrendWertVon"), "0");
    EXPECT_EQ(s.Text("EditMiniTrendWertBis"), "100");
    EXPECT_EQ(s.Text("EditMiniTrendTimeScale"), "7");
    EXPECT_EQ(s.Text("EditMiniTrendFormat"), "##0.000");
    EXPECT_EQ(s.Text("EditMiniTrendEinheit"), "%");
    EXPECT_EQ(s.Color("ColorBoxMiniTrendInstrColor"), clMaroon);

    s.Type("EditMiniTrendWertVon", "-20");
    s.Type("EditMiniTrendWertBis", "1.5k");
    s.Type("EditMiniTrendScaleFaktor", "0.1");
    s.Type("EditMiniTrendTimeScale", "12");
    s.Type("EditMiniTrendFormat", "#0.0");
    s.Type("EditMiniTrendEinheit", "mV");
    s.ChooseColor("ColorBoxMiniTrendInstrColor", clNavy);
    QTest::mouseClick(s.page.MiniTrendPage()->ApplyButton(), Qt::LeftButton);

    const TSignalSettings *ch1 = t->SignalSettingsCh1();
    EXPECT_EQ(t->Hint(), "0.100000001490116");
    EXPECT_FLOAT_EQ(ch1->ValueFrom(), -20.0f);
    EXPECT_FLOAT_EQ(ch1->ValueTo(), 1500.0f);
    EXPECT_EQ(t->TimeScale(), 12);
    EXPECT_EQ(ch1->ValueFormat(), "#0.0");
    EXPECT_EQ(ch1->ValueUnit(), "mV");
    EXPECT_EQ(t->BevelOuter()->Color(), clNavy);
    EXPECT_EQ(t->SignalSettingsCh2()->ValueUnit(), "%");
    tg::app::PacketHandler(s.instruments, *s.page.SevenSegPage()).handle("#90M50<");
    EXPECT_NEAR(t->ValueCh1(), 5.0f, 1e-5);
    EXPECT_TRUE(s.page.MiniTrendPage()->isHidden());
    EXPECT_FALSE(s.page.PageControl()->isEnabled());

    // The page's reset when shown again.
    s.page.PageShown();
    EXPECT_EQ(s.Text("EditMiniTrendScaleFaktor"), "1");
    EXPECT_EQ(s.Text("EditMiniTrendWertBis"), "100");
    EXPECT_EQ(s.Text("EditMiniTrendTimeScale"), "1");
    EXPECT_EQ(s.Text("EditMiniTrendFormat"), "##0");
    EXPECT_EQ(s.Text("EditMiniTrendEinheit"), " ");
    EXPECT_EQ(s.Color("ColorBoxMiniTrendInstrColor"), clSilver);
}

TEST(MiniTrendPage, ABadHintOrBadFieldLeavesNothingHalfDone)
{
    PageSetup s;
    TGvMiniTrend *t = s.Instr<TGvMiniTrend>(90);
    t->SetHint(QStringLiteral("zwei"));
    t->SignalSettingsCh1()->SetValueTo(250);

    // Entries typed but not applied, which the selection must replace.
    s.Click("CButton90");
    s.Type("EditMiniTrendWertBis", "77");
    s.Type("EditMiniTrendEinheit", "alt");
    s.page.PageShown();
    s.Click("CButton90");
    EXPECT_EQ(s.errors.size(), 2); // one report per selection, after the page was loaded
    EXPECT_EQ(s.Text("EditMiniTrendScaleFaktor"), "1");
    EXPECT_EQ(s.Text("EditMiniTrendWertBis"), "250");
    EXPECT_EQ(s.Text("EditMiniTrendEinheit"), "%");
    s.Type("EditMiniTrendWertBis", "77"); // typed again, then the same instrument selected
    s.Click("CButton90");
    EXPECT_EQ(s.Text("EditMiniTrendWertBis"), "250");
    EXPECT_DOUBLE_EQ(s.Field<TGvNumEdit>("EditMiniTrendWertBis")->Value(), 250.0);

    // A time scale that is no number: nothing is written, the page stays open.
    s.Type("EditMiniTrendEinheit", "V");
    s.Type("EditMiniTrendTimeScale", "5x");
    QTest::mouseClick(s.page.MiniTrendPage()->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(t->SignalSettingsCh1()->ValueUnit(), "%");
    EXPECT_EQ(t->Hint(), "zwei");
    EXPECT_TRUE(s.page.PageControl()->isEnabled());

    // A time scale the trend does not take leaves its own; the rest is written.
    s.Type("EditMiniTrendTimeScale", "0");
    QTest::mouseClick(s.page.MiniTrendPage()->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(t->TimeScale(), 1);
    EXPECT_EQ(t->SignalSettingsCh1()->ValueUnit(), "V");
    EXPECT_EQ(t->Hint(), "1");
}

TEST(DigitalPage, LoadsTheLampsAndApplyKeepsThePageOpen)
{
    PageSetup s;
    auto *lamps = s.Instr<TLedPanel>(60);
    EXPECT_TRUE(s.page.DigitalPage()->isHidden());
    EXPECT_EQ(s.page.DigitalPage()->title(), "  8 Kanal Led Panel   #60    ");
    lamps->SetColor(clCream);
    lamps->Led(3)->SetCaption(QStringLiteral("Pumpe"));
    int shown = 0;
    s.page.OnShowPanel = [&] { ++shown; };
    s.Click("CButton60");
    EXPECT_EQ(s.Sheet(), "TabSheetDigital");
    EXPECT_FALSE(s.page.DigitalPage()->isHidden());
    EXPECT_EQ(s.page.DigitalPage()->title(), "   Instrument #60   ");
    EXPECT_EQ(s.Text("EditLedPanel1"), "Led1");
    EXPECT_EQ(s.Text("EditLedPanel3"), "Pumpe");
    EXPECT_EQ(s.Text("EditLedPanel8"), "Led8");
    EXPECT_EQ(s.Color("ColorBox8LedPanel"), clCream);

    s.Type("EditLedPanel1", "Motor");
    s.Type("EditLedPanel8", "");
    s.ChooseColor("ColorBox8LedPanel", clAqua);
    QTest::mouseClick(s.page.DigitalPage()->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(lamps->Led(1)->Caption(), "Motor");
    EXPECT_EQ(lamps->Led(3)->Caption(), "Pumpe");
    EXPECT_EQ(lamps->Led(8)->Caption(), "");
    EXPECT_EQ(lamps->Color(), clAqua);
    EXPECT_FALSE(s.page.DigitalPage()->isHidden());
    EXPECT_TRUE(s.page.PageControl()->isEnabled());

    s.Type("EditLedPanel2", "Heizung");
    QTest::mouseClick(s.page.DigitalPage()->ShowButton(), Qt::LeftButton);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(lamps->Led(2)->Caption(), "Heizung");

    s.page.PageShown();
    EXPECT_TRUE(s.page.DigitalPage()->isHidden());
    EXPECT_EQ(s.Color("ColorBox8LedPanel"), clSilver);
    EXPECT_EQ(s.Sheet(), "TabSheetAnalogMeter");
}
