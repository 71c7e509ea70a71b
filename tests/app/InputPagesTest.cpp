// The Taster, ASlider and AktivLabel sub-pages against the panel's real push buttons, dials
// and labels, driven through their widgets.
#include "ActiveLabel.h"
#include "AktivLabelPage.h"
#include "GvColBitBtn.h"
#include "GvDial.h"
#include "GvNumEdit.h"
#include "PageSetup.h"
#include "SliderPage.h"
#include "TasterPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

bool Checked(PageSetup &s, const char *name) { return s.Field<QAbstractButton>(name)->isChecked(); }

// Position in the panel's stacking order (last is on top).
qsizetype StackIndex(PageSetup &s, QWidget *w) { return s.panel.children().indexOf(w); }

// Answers the font dialog with `answer` and records the font it was opened with.
struct FakeFontDialog {
    std::optional<QFont> answer;
    QFont offered;
    explicit FakeFontDialog()
    {
        tg::config::FontPicker() = [this](const QFont &initial, QWidget *) {
            offered = initial;
            return answer;
        };
    }
};

} // namespace

TEST(TasterPage, LoadsTheButtonAndApplyWritesCaptionAndSendMode)
{
    PageSetup s;
    auto *b = s.Instr<TGvColBitBtn>(71);
    b->SetTextOn(QStringLiteral("Pumpe"));
    b->SetHint(QStringLiteral("0"));
    int shown = 0;
    s.page.OnShowPanel = [&] { ++shown; };
    s.Click("CButton71");
    EXPECT_EQ(s.Sheet(), "TabSheetTaster");
    EXPECT_EQ(s.page.TasterPage()->title(), "   Instrument #71   ");
    EXPECT_EQ(s.Text("EditNameTaster"), "Pumpe");
    EXPECT_TRUE(Checked(s, "RadioButtonTasterDouble"));

    // Press-only mode written as "1"; the page stays open and the button keeps its place.
    const qsizetype stacked = StackIndex(s, b);
    s.Type("EditNameTaster", "Start");
    s.Click("RadioButtonTasterSingle");
    QTest::mouseClick(s.page.TasterPage()->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(b->TextOn(), "Start");
    EXPECT_EQ(b->Hint(), "1");
    EXPECT_EQ(StackIndex(s, b), stacked);
    EXPECT_FALSE(s.page.TasterPage()->isHidden());
    EXPECT_TRUE(s.page.PageControl()->isEnabled());
    EXPECT_EQ(s.Instr<TGvColBitBtn>(70)->TextOn(), "#70");

    s.Click("RadioButtonTasterDouble");
    QTest::mouseClick(s.page.TasterPage()->ShowButton(), Qt::LeftButton);
    EXPECT_EQ(b->Hint(), "0");
    EXPECT_EQ(shown, 1);

    // Any hint other than "1" reads as press and release; "1" as press only.
    s.Instr<TGvColBitBtn>(72)->SetHint(QStringLiteral(" 1"));
    s.Click("CButton72");
    EXPECT_TRUE(Checked(s, "RadioButtonTasterDouble"));
    EXPECT_EQ(s.Text("EditNameTaster"), "#72");
    s.Click("CButton73");
    EXPECT_TRUE(Checked(s, "RadioButtonTasterSingle"));
}

TEST(TasterPage, FontButtonAssignsAtOnceAndEachSelectionStartsFromTheButtonsFont)
{
    PageSetup s;
    FakeFontDialog dialog;
    auto *b70 = s.Instr<TGvColBitBtn>(70);
    auto *b72 = s.Instr<TGvColBitBtn>(72);
    s.Click("CButton70");
    s.Click("ButtonFontTaster"); // cancelled
    EXPECT_EQ(b70->Font()->Name(), "MS Sans Serif");
    EXPECT_TRUE(dialog.offered.bold());

    QFont chosen = dialog.offered;
    chosen.setFamily(QStringLiteral("DejaVu Serif"));
    chosen.setPointSize(16);
    dialog.answer = chosen;
    s.Click("ButtonFontTaster");
    EXPECT_EQ(b70->Font()->Name(), "DejaVu Serif");
    EXPECT_EQ(b70->Font()->Size(), 16);
    EXPECT_TRUE(b70->Font()->Style().testFlag(TFont::fsBold));

    // Apply assigns the font chosen since the selection.
    b70->Font()->SetName(QStringLiteral("Courier"));
    QTest::mouseClick(s.page.TasterPage()->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(b70->Font()->Name(), "DejaVu Serif");

    // Another button selected: its own font is pending, the previous choice does not leak.
    b72->Font()->SetName(QStringLiteral("Arial"));
    s.Click("CButton72");
    QTest::mouseClick(s.page.TasterPage()->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(b72->Font()->Name(), "Arial");
    EXPECT_NE(b72->Font()->Size(), 16);
}

TEST(SliderPage, LoadsTheDialAndApplyWritesEveryFieldAndClosesThePage)
{
    PageSetup s;
    auto *d = s.Instr<TGvDial>(81);
    TSignalSettings *sig = d->SignalSettings();
    sig->SetName1(QStringLiteral("Drehzahl"));
    sig->SetValueFrom(-10);
    sig->SetValueTo(250);
    sig->SetValueUnit(QStringLiteral("U/min"));
    sig->SetValueFormat(QStringLiteral("##0"));
    d->BevelOuter()->SetColor(clMaroon);
    s.Click("CButton81");
    EXPECT_EQ(s.Sheet(), "TabSheetAnalogSlider");
    EXPECT_EQ(s.page.SliderPage()->title(), "   Instrument #81   ");
    EXPECT_EQ(s.Text("EditADrehSliderName"), "Drehzahl");
    EXPECT_EQ(s.Text("EditADrehSliderValueFrom"), "-10");
    EXPECT_EQ(s.Text("EditADrehSliderValueTo"), "250");
    EXPECT_EQ(s.Text("EditADrehSliderValueUnit"), "U/min");
    EXPECT_EQ(s.Text("EditADrehSliderFormat"), "##0");
    EXPECT_EQ(s.Color("ColorBoxADrehDial"), clMaroon);

    s.Type("EditADrehSliderName", "Sollwert");
    s.Type("EditADrehSliderValueFrom", "0.5");
    s.Type("EditADrehSliderValueTo", "1.5k");
    s.Type("EditADrehSliderValueUnit", "mV");
    s.Type("EditADrehSliderFormat", "#0.00");
    s.ChooseColor("ColorBoxADrehDial", clTeal);
    QTest::mouseClick(s.page.SliderPage()->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(sig->Name1(), "Sollwert");
    EXPECT_FLOAT_EQ(sig->ValueFrom(), 0.5f);
    EXPECT_FLOAT_EQ(sig->ValueTo(), 1500.0f);
    EXPECT_EQ(sig->ValueUnit(), "mV");
    EXPECT_EQ(sig->ValueFormat(), "#0.00");
    EXPECT_EQ(d->BevelOuter()->Color(), clTeal);
    EXPECT_EQ(StackIndex(s, d), s.panel.children().size() - 1);
    EXPECT_TRUE(s.page.SliderPage()->isHidden());
    EXPECT_FALSE(s.page.PageControl()->isEnabled());
    EXPECT_EQ(s.Instr<TGvDial>(80)->SignalSettings()->Name1(), "SignalName1");

    // The next selection opens the page again with the dial's values.
    s.Click("CButton81");
    EXPECT_TRUE(s.page.PageControl()->isEnabled());
    EXPECT_FALSE(s.page.SliderPage()->isHidden());
    EXPECT_EQ(s.Text("EditADrehSliderValueTo"), "1500");
}

TEST(SliderPage, ABadRangeFieldWritesNothing)
{
    PageSetup s;
    auto *d = s.Instr<TGvDial>(80);
    TSignalSettings *sig = d->SignalSettings();
    const float from = sig->ValueFrom(), to = sig->ValueTo();
    int shown = 0;
    s.page.OnShowPanel = [&] { ++shown; };
    s.Click("CButton80");
    s.Type("EditADrehSliderName", "Neu");
    s.Type("EditADrehSliderValueFrom", "12");
    s.Type("EditADrehSliderValueTo", "5x");
    EXPECT_EQ(s.Field<TGvNumEdit>("EditADrehSliderValueTo")->State(), TGvNumEdit::esError);
    QTest::mouseClick(s.page.SliderPage()->ShowButton(), Qt::LeftButton);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(sig->Name1(), "SignalName1");
    EXPECT_FLOAT_EQ(sig->ValueFrom(), from);
    EXPECT_FLOAT_EQ(sig->ValueTo(), to);
    EXPECT_FALSE(s.page.SliderPage()->isHidden());
    EXPECT_TRUE(s.page.PageControl()->isEnabled());

    // Passes the character check but is no number: reported, still nothing written.
    s.Type("EditADrehSliderValueTo", ".");
    QTest::mouseClick(s.page.SliderPage()->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(s.errors.size(), 1);
    EXPECT_EQ(sig->Name1(), "SignalName1");
    EXPECT_FLOAT_EQ(sig->ValueFrom(), from);

    s.Type("EditADrehSliderValueTo", "40");
    QTest::mouseClick(s.page.SliderPage()->ShowButton(), Qt::LeftButton);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(sig->Name1(), "Neu");
    EXPECT_FLOAT_EQ(sig->ValueFrom(), 12.0f);
    EXPECT_FLOAT_EQ(sig->ValueTo(), 40.0f);
}

TEST(AktivLabelPage, LoadsTheLabelAndApplyWritesColourTransparencyAlignmentAndFont)
{
    PageSetup s;
    FakeFontDialog dialog;
    auto *l = s.Instr<ActiveLabel>(36);
    l->SetColor(clNavy);
    l->SetTransparent(true);
    l->SetAlignment(ActiveLabel::taRightJustify);
    s.Click("CButton36");
    EXPECT_EQ(s.Sheet(), "TabSheetAktivLabel");
    EXPECT_EQ(s.page.AktivLabelPage()->title(), "   Instrument #36   ");
    EXPECT_EQ(s.Color("ColorBoxAktLabelBackground"), clNavy);
    EXPECT_TRUE(Checked(s, "CheckBoxAktLabelTransparent"));
    EXPECT_TRUE(Checked(s, "RadioBtnAktLabelRB"));
    EXPECT_FALSE(Checked(s, "RadioBtnAktLabelZ"));

    // A confirmed font reaches the label at once.
    QFont chosen = dialog.offered;
    chosen.setFamily(QStringLiteral("DejaVu Sans"));
    chosen.setPointSize(12);
    dialog.answer = chosen;
    s.Click("ButtonAktLabelFont");
    EXPECT_EQ(l->Font()->Name(), "DejaVu Sans");
    EXPECT_EQ(l->Font()->Size(), 12);

    s.ChooseColor("ColorBoxAktLabelBackground", clYellow);
    s.Click("CheckBoxAktLabelTransparent");
    s.Click("RadioBtnAktLabelLB");
    l->Font()->SetName(QStringLiteral("Arial"));
    QTest::mouseClick(s.page.AktivLabelPage()->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(l->Color(), clYellow);
    EXPECT_FALSE(l->Transparent());
    EXPECT_EQ(l->Alignment(), ActiveLabel::taLeftJustify);
    EXPECT_TRUE(l->alignment().testFlag(Qt::AlignLeft));
    EXPECT_EQ(l->Font()->Name(), "DejaVu Sans");
    EXPECT_EQ(StackIndex(s, l), s.panel.children().size() - 1);
    EXPECT_TRUE(s.page.AktivLabelPage()->isHidden());
    EXPECT_FALSE(s.page.PageControl()->isEnabled());
    EXPECT_EQ(s.Instr<ActiveLabel>(35)->Color(), clSkyBlue);

    // Centred reads back; showing the page resets the colour box to sky blue.
    s.Click("CButton35");
    EXPECT_TRUE(Checked(s, "RadioBtnAktLabelZ"));
    EXPECT_FALSE(Checked(s, "CheckBoxAktLabelTransparent"));
    s.Click("RadioBtnAktLabelRB");
    QTest::mouseClick(s.page.AktivLabelPage()->ShowButton(), Qt::LeftButton);
    EXPECT_EQ(s.Instr<ActiveLabel>(35)->Alignment(), ActiveLabel::taRightJustify);
    s.Click("CButton36");
    EXPECT_EQ(s.Color("ColorBoxAktLabelBackground"), clYellow);
    s.page.PageShown();
    EXPECT_EQ(s.Color("ColorBoxAktLabelBackground"), clSkyBlue);
}

TEST(AktivLabelPage, AWidgetWithoutTheLabelsPropertiesIsNotEdited)
{
    QWidget stranger;
    TAktivLabelPage page;
    EXPECT_FALSE(page.Select(&stranger, 35));
    EXPECT_EQ(page.Label(), nullptr);
    EXPECT_FALSE(page.Apply());
}

TEST(SliderPage, ANewRangeMeetingTheOldOneIsWrittenWhole)
{
    // The record ignores an end equal to either current end; the page must still land on the
    // range the user typed when it starts where the old one ended, ends where it started, or
    // swaps both ends.
    PageSetup s;
    TSignalSettings *sig = s.Instr<TGvDial>(80)->SignalSettings();
    sig->SetValueFrom(-50);
    sig->SetValueTo(100);
    const std::pair<float, float> ranges[] = {{100, 200}, {50, 100}, {-10, 50}, {-10, 0.5f}, {0.5f, -10}};
    for (const auto &[from, to] : ranges) {
        s.Click("CButton80");
        s.Type("EditADrehSliderValueFrom", QString::number(from));
        s.Type("EditADrehSliderValueTo", QString::number(to));
        QTest::mouseClick(s.page.SliderPage()->ApplyButton(), Qt::LeftButton);
        EXPECT_FLOAT_EQ(sig->ValueFrom(), from);
        EXPECT_FLOAT_EQ(sig->ValueTo(), to);
    }
}
