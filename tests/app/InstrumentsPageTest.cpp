#include "AMeterPage.h"
#include "FormatSettings.h"
#include "GvVMeter.h"
#include "InstrumentsPage.h"
#include "SevenSeg.h"
#include "SevenSegPage.h"

#include <QComboBox>
#include <QSpinBox>

#include <QApplication>
#include <QCheckBox>
#include <QRegularExpression>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

struct PageSetup {
    TScopedFormatSettings dot{TFormatSettings::dot()};
    QWidget panel;
    TSevenSeg *display;
    TInstrumentsPage page{&panel};
    PageSetup()
    {
        for (int id = 1; id <= 10; ++id) {
            auto *m = new TGvVMeter(&panel);
            m->setObjectName(QStringLiteral("Instr%1").arg(id));
            m->SetAutoSize(false);
            m->SetHintOptions({});
            m->SignalSettings()->SetName1(QStringLiteral("Meter %1").arg(id));
            m->loaded();
        }
        display = new TSevenSeg(&panel);
        display->setObjectName("Instr40");
        display->resize(200, 60);
        page.resize(1000, 800);
        page.show();
    }
    TGvVMeter *Meter(int id) { return panel.findChild<TGvVMeter *>(QStringLiteral("Instr%1").arg(id)); }
};

} // namespace

TEST(InstrumentsPage, SelectorButtonLoadsTheMeterAndApplyEndsTheEdit)
{
    PageSetup s;
    EXPECT_FALSE(s.page.PageControl()->isEnabled());
    QTest::mouseClick(s.page.findChild<QToolButton *>("CButton3"), Qt::LeftButton);
    EXPECT_EQ(s.page.SelectedId(), 3);
    EXPECT_EQ(s.page.SelectedName(), "Instr3");
    EXPECT_TRUE(s.page.PageControl()->isEnabled());
    EXPECT_EQ(s.page.PageControl()->currentWidget()->objectName(), "TabSheetAnalogMeter");
    auto *name = s.page.findChild<QLineEdit *>("EditName");
    EXPECT_EQ(name->text(), "Meter 3");

    name->selectAll();
    QTest::keyClicks(name, "Strom");
    auto *factor = s.page.findChild<QLineEdit *>("GvNumEditSkalierungsfaktor");
    factor->selectAll();
    QTest::keyClicks(factor, "2");
    QTest::mouseClick(s.page.AMeterPage()->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(s.Meter(3)->SignalSettings()->Name1(), "Strom");
    EXPECT_EQ(s.Meter(3)->Hint(), "2");
    EXPECT_EQ(s.Meter(4)->SignalSettings()->Name1(), "Meter 4");
    EXPECT_FALSE(s.page.PageControl()->isEnabled());
    EXPECT_TRUE(s.page.AMeterPage()->isHidden());

    // Showing the page again resets the fields but keeps the selection.
    s.page.PageShown();
    EXPECT_EQ(s.page.SelectedId(), 3);
    EXPECT_EQ(name->text(), "");
    EXPECT_EQ(factor->text(), "1");

    // "Zuweisen+Show" applies and then asks for the Show page; a bad field does neither.
    int shown = 0;
    s.page.OnShowPanel = [&] { ++shown; };
    s.page.Select(5);
    factor->setText("x");
    QTest::mouseClick(s.page.AMeterPage()->ShowButton(), Qt::LeftButton);
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(s.page.PageControl()->isEnabled());
    factor->setText("3");
    QTest::mouseClick(s.page.AMeterPage()->ShowButton(), Qt::LeftButton);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(s.Meter(5)->Hint(), "3");
}

TEST(InstrumentsPage, GroupsHaveTheirButtonsAndBoxes)
{
    PageSetup s;
    auto *button = s.page.findChild<QToolButton *>("CButton72");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "#72");
    EXPECT_EQ(button->toolTip(), "  Buttons send to MC ");
    EXPECT_EQ(s.page.findChild<QToolButton *>("CButton1")->text(), "#01");
    EXPECT_EQ(s.page.findChild<QCheckBox *>("CheckBox60")->text(), "   #60");
    EXPECT_FALSE(s.page.findChild<QGroupBox *>("GroupBox3")->isEnabled());
    EXPECT_EQ(s.page.findChild<QGroupBox *>("GroupBox3")->title(), QString::fromUtf8("270° Meter"));
    EXPECT_EQ(s.page.PageControl()->count(), 11);
    EXPECT_FALSE(s.page.PageControl()->tabBar()->isVisible());

    QCheckBox *clicked = nullptr;
    s.page.OnVisibilityClick = [&](QCheckBox *b) { clicked = b; };
    auto *box = s.page.findChild<QCheckBox *>("CheckBox41");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_EQ(clicked, box);
    EXPECT_TRUE(box->isChecked());

    // In the window's page area every selector keeps the height it needs to be clicked.
    s.page.resize(1164, 700);
    QApplication::processEvents();
    EXPECT_LE(s.page.height(), 700);
    for (QToolButton *b : s.page.findChildren<QToolButton *>(QRegularExpression("^CButton")))
        EXPECT_GE(b->height(), b->sizeHint().height()) << qPrintable(b->objectName());
}

TEST(InstrumentsPage, SevenSegFieldsActLiveAndApplyKeepsThePageOpen)
{
    PageSetup s;
    s.display->SetNumDigits(6);
    s.display->SetColorText(clLime);
    QTest::mouseClick(s.page.findChild<QToolButton *>("CButton40"), Qt::LeftButton);
    EXPECT_EQ(s.page.PageControl()->currentWidget()->objectName(), "TabSheet7Seg");
    EXPECT_EQ(s.page.findChild<QComboBox *>("ColorBox7SegZiffern")->currentText(), "Lime");

    // The value format follows the fields at once; the display's own count waits for apply.
    auto *digits = s.page.findChild<QLineEdit *>("GvEdit7SegStellen");
    digits->selectAll();
    QTest::keyClicks(digits, "8");
    QTest::keyClick(digits, Qt::Key_Return);
    auto *factor = s.page.findChild<QLineEdit *>("GvEdit7SegSkalFaktor");
    factor->selectAll();
    QTest::keyClicks(factor, "2.5");
    QTest::keyClick(factor, Qt::Key_Return);
    EXPECT_EQ(s.page.SevenSegPage()->Digits(), 8);
    EXPECT_DOUBLE_EQ(s.page.SevenSegPage()->Factor(), 2.5);
    EXPECT_EQ(s.display->NumDigits(), 6);

    s.page.findChild<QComboBox *>("ColorBox7Backgromd")->setCurrentText("Navy");
    QTest::mouseClick(s.page.SevenSegPage()->ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(s.display->NumDigits(), 8);
    EXPECT_EQ(s.display->ColorBackGnd().value, clNavy.value);
    EXPECT_EQ(s.display->ColorText().value, clLime.value);
    EXPECT_TRUE(s.page.PageControl()->isEnabled());
    EXPECT_FALSE(s.page.SevenSegPage()->isHidden());

    factor->setText("zwei"); // no number: the last one stays in force
    EXPECT_DOUBLE_EQ(s.page.SevenSegPage()->Factor(), 2.5);
}
