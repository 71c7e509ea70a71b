// The panel's mouse paths on the real window: edit-mode selection, right-press navigation, and
// the boxes that follow the instruments.
#include "../serial/Pty.h"
#include "ActiveLabel.h"
#include "BackgroundFill.h"
#include "ComPort.h"
#include "ComDataPacket.h"
#include "FrameTrendFull.h"
#include "GvLED.h"
#include "GvRMeter.h"
#include "GvVMeter.h"
#include "Image.h"
#include "LedPanel.h"
#include "MainWindow.h"
#include "Markierungen.h"
#include "PanelEditor.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QWidget *shown(TFormMain &w, int id)
{
    w.findChild<QCheckBox *>(QStringLiteral("CheckBox%1").arg(id))->click();
    auto *instrument = qobject_cast<QWidget *>(w.instrument(id));
    EXPECT_TRUE(instrument->isVisible()) << id;
    return instrument;
}

Markierungen *selection(TFormMain &w)
{
    return w.Editor()->Selection();
}

} // namespace

TEST(WindowPanel, DoubleClickSelectsAndAClickOnThePictureEndsIt)
{
    TFormMain w;
    w.show();
    QWidget *meter = shown(w, 3);
    QTest::mouseDClick(meter, Qt::RightButton); // only the left button's double-click selects
    EXPECT_EQ(selection(w), nullptr);
    w.PageControl1->setCurrentWidget(w.TabSheetShow); // the right press went to the Instruments page
    QTest::mouseDClick(meter, Qt::LeftButton);
    ASSERT_NE(selection(w), nullptr);
    EXPECT_EQ(selection(w)->Selected(), meter);

    // Dragging the selected meter moves it.
    const QPoint before = meter->pos();
    QTest::mousePress(meter, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(meter, QPoint(40, 30));
    QTest::mouseRelease(meter, Qt::LeftButton, {}, QPoint(40, 30));
    EXPECT_EQ(meter->pos(), before + QPoint(30, 20));

    // A click on the background picture ends the selection.
    w.Image1->raise();
    QTest::mouseClick(w.Image1, Qt::RightButton, {}, QPoint(900, 600));
    QTest::mousePress(w.Image1, Qt::LeftButton, {}, QPoint(900, 600));
    QTest::mouseRelease(w.Image1, Qt::LeftButton, {}, QPoint(-5, 600)); // let go outside
    EXPECT_NE(selection(w), nullptr);
    QTest::mouseClick(w.Image1, Qt::LeftButton, {}, QPoint(900, 600));
    EXPECT_EQ(selection(w), nullptr);

    // A double-click on a lamp of the lamp block selects the whole block.
    QWidget *block = shown(w, 60);
    QTest::mouseDClick(qobject_cast<TLedPanel *>(block)->Led(3), Qt::LeftButton);
    ASSERT_NE(selection(w), nullptr);
    EXPECT_EQ(selection(w)->Selected(), block);
    QTest::mouseDClick(block, Qt::LeftButton);
    EXPECT_EQ(selection(w), nullptr);
}

TEST(WindowPanel, EditModeHidesTheBackgroundAndNothingIsSelectedWhileConnected)
{
    TFormMain w;
    w.show();
    QWidget *meter = shown(w, 2);
    w.EditMode1Click();
    EXPECT_TRUE(w.BackgroundFill1->isHidden());
    Pty device;
    w.ComPort1->SetPort(device.slave);
    w.ComPort1->SetConnected(true);
    QTest::mouseDClick(meter, Qt::LeftButton);
    EXPECT_EQ(selection(w), nullptr);
}

TEST(WindowPanel, RightPressOnLabelsAndTheLampBlockLeadsToTheInstrumentsPage)
{
    TFormMain w;
    w.show();
    for (int id : {35, 60, 8}) {
        w.PageControl1->setCurrentWidget(w.TabSheetShow);
        QWidget *instrument = shown(w, id);
        QWidget *target = id == 60 ? qobject_cast<TLedPanel *>(instrument)->Led(1) : instrument;
        QTest::mousePress(target, Qt::RightButton, {}, QPoint(5, 5));
        QTest::mouseRelease(target, Qt::RightButton, {}, QPoint(5, 5));
        EXPECT_EQ(w.PageControl1->currentWidget(), w.TabSheetInstrumente) << id;
    }
    // The seven-segment display has no such handler.
    w.PageControl1->setCurrentWidget(w.TabSheetShow);
    QWidget *display = shown(w, 40);
    QTest::mousePress(display, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(w.PageControl1->currentWidget(), w.TabSheetShow);
}

TEST(WindowPanel, TheSecondDialsBoxFollowsTheRestoredDial)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("s.ini"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[FormMain\\C:\\Users\\Kalbrino\\AppData\\Local]\nInstr81_Visible=TRUE\n");
    f.close();
    TFormMain w(file);
    int rules = 0;
    QObject::connect(w.findChild<QCheckBox *>("CheckBox81"), &QCheckBox::toggled, [&] { ++rules; });
    w.show();
    EXPECT_TRUE(w.findChild<QCheckBox *>("CheckBox81")->isChecked());
    EXPECT_TRUE(qobject_cast<QWidget *>(w.instrument(81))->isVisible());
    EXPECT_EQ(rules, 0);
    // The next click on any box runs the rule over all boxes; the dial stays.
    w.findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->click();
    EXPECT_TRUE(qobject_cast<QWidget *>(w.instrument(81))->isVisible());
}

TEST(WindowPanel, TheHiddenRoundMeterAndTrendFrameTakeNoValues)
{
    TFormMain w;
    w.show();
    auto *round = qobject_cast<TGv270Meter *>(w.instrument(20));
    ASSERT_NE(round, nullptr);
    EXPECT_EQ(round->geometry().topLeft(), QPoint(1296, 136));
    EXPECT_TRUE(round->isHidden());
    EXPECT_EQ(w.findChild<QCheckBox *>(QStringLiteral("CheckBox20")), nullptr);
    EXPECT_TRUE(w.TFrame11->isHidden());
    EXPECT_EQ(w.TFrame11->geometry(), QRect(512, 8, 770, 480));
    const float before = round->Value();
    w.ComDataPacket1->OnPacket(w.ComDataPacket1, QByteArray("#20M77<"));
    EXPECT_EQ(round->Value(), before);
}

TEST(WindowPanel, EverySelectableControlSelectsOnTheFirstDoubleClick)
{
    struct Case {
        const char *name;
        QPoint at; // where on it the double-click lands; the centre when null
    };
    // The lamp block is double-clicked on its own surface, the trend frame on free space.
    const Case cases[] = {
        {"Instr1", {}},  {"Instr2", {}},  {"Instr3", {}},  {"Instr4", {}},       {"Instr5", {}},
        {"Instr6", {}},  {"Instr7", {}},  {"Instr8", {}},  {"Instr9", {}},       {"Instr10", {}},
        {"Instr20", {}}, {"Instr35", {}}, {"Instr36", {}}, {"Instr40", {}},      {"Instr41", {}},
        {"Instr42", {}}, {"Instr43", {}}, {"Instr44", {}}, {"Instr60", {3, 3}},  {"Instr70", {}},
        {"Instr71", {}}, {"Instr72", {}}, {"Instr73", {}}, {"Instr80", {}},      {"Instr81", {}},
        {"Instr90", {}}, {"TFrame11", {760, 474}},
    };
    TFormMain w;
    w.resize(1500, 900);
    w.show();
    for (const Case &c : cases) {
        auto *control = w.findChild<QWidget *>(QString::fromLatin1(c.name));
        ASSERT_NE(control, nullptr) << c.name;
        // Shown, on top and inside the page, as the user arranges it.
        control->move(std::min(control->x(), 600), control->y());
        control->show();
        control->raise();
        const QPoint at = c.at.isNull() ? control->rect().center() : c.at;
        QTest::mouseDClick(control, Qt::LeftButton, {}, at);
        ASSERT_NE(selection(w), nullptr) << c.name;
        EXPECT_EQ(selection(w)->Selected(), control) << c.name;
        QTest::mouseDClick(control, Qt::LeftButton, {}, at);
        EXPECT_EQ(selection(w), nullptr) << c.name;
        control->hide();
    }
}

TEST(WindowPanel, ThePictureFillsTheShowPageAndEndsASelectionAnywhere)
{
    TFormMain w;
    w.show();
    for (const QSize size : {QSize(1600, 1000), QSize(700, 560), QSize(1164, 740)}) {
        w.resize(size);
        EXPECT_EQ(w.Image1->geometry(), w.TabSheetShow->rect()) << size.width();
    }
    w.resize(1600, 1000);
    ASSERT_GT(w.TabSheetShow->width(), 1300);
    QWidget *meter = shown(w, 4);
    QTest::mouseDClick(meter, Qt::LeftButton);
    ASSERT_NE(selection(w), nullptr);
    QTest::mouseClick(w.Image1, Qt::LeftButton, {}, QPoint(w.TabSheetShow->width() - 20, w.TabSheetShow->height() - 20));
    EXPECT_EQ(selection(w), nullptr);
}

TEST(WindowPanel, PagesAndSubPagesIgnoreThePageSwitchingKeys)
{
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Tab, Qt::ControlModifier},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier},
        {Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier},
        {Qt::Key_PageDown, Qt::ControlModifier},
        {Qt::Key_PageUp, Qt::ControlModifier},
    };
    TFormMain w;
    w.show();
    auto *subPages = w.findChild<QTabWidget *>(QStringLiteral("PageControl2"));
    w.PageControl1->setCurrentWidget(w.TabSheetInstrumente);
    // Meter 3 selected, then dial 80: the dial's fields are up.
    QTest::mouseClick(w.findChild<QToolButton *>(QStringLiteral("CButton3")), Qt::LeftButton);
    QTest::mouseClick(w.findChild<QToolButton *>(QStringLiteral("CButton80")), Qt::LeftButton);
    QWidget *dialFields = subPages->currentWidget();
    ASSERT_EQ(dialFields->objectName(), QStringLiteral("TabSheetAnalogSlider"));
    auto *name = w.findChild<QLineEdit *>(QStringLiteral("EditADrehSliderName"));
    for (const auto &[key, mods] : keys) {
        name->setFocus();
        QTest::keyClick(name, key, mods);
        QTest::keyClick(name, key, mods);
        EXPECT_EQ(subPages->currentWidget(), dialFields) << key << ' ' << mods;
        EXPECT_EQ(w.PageControl1->currentWidget(), w.TabSheetInstrumente) << key << ' ' << mods;
    }

    // On the Show page the keys reach the focused dial and leave the page where it is.
    w.PageControl1->setCurrentWidget(w.TabSheetShow);
    QWidget *dial = shown(w, 81);
    for (const auto &[key, mods] : keys) {
        dial->setFocus();
        QTest::keyClick(dial, key, mods);
        EXPECT_EQ(w.PageControl1->currentWidget(), w.TabSheetShow) << key << ' ' << mods;
    }
}
