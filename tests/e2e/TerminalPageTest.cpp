// The Terminal page of the real window over a pty that plays the device.
#include "ComPort.h"
#include "ComTerminal.h"
#include "FormatSettings.h"
#include "GvVMeter.h"
#include "MainWindow.h"
#include "PtyRig.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Rig : PtyRig {
    const TTermScreen &screen() { return w.ComTerminal1->Screen(); }
};

} // namespace

TEST(TerminalPage, ShowsTrafficBesideThePanelAndSendsKeys)
{
    TScopedFormatSettings fs(TFormatSettings::dot());
    Rig r;
    r.w.ButtonConnectComPort1Click();
    ASSERT_TRUE(r.w.ComPort1->Connected());

    r.w.PageControl1->setCurrentWidget(r.w.TabSheetTerminal);
    EXPECT_EQ(r.w.LabelTerminal->text(), r.device.slave);
    EXPECT_EQ(r.screen().Columns(), 60);
    EXPECT_EQ(r.screen().Rows(), 100);
    r.w.ButtonTerminalConnectClick();
    EXPECT_TRUE(r.warnings.isEmpty());

    r.device.write("Kessel \xe4\r\n#8M25.5<\x1b[31mrot");
    EXPECT_TRUE(waitFor([&] { return r.screen().RowText(2) == "#8M25.5<rot"; }));
    EXPECT_EQ(r.screen().RowText(1), "Kessel \xe4");
    EXPECT_TRUE(waitFor([&] { return r.meter(8) == 25.5f; }));

    QTest::keyClicks(r.w.ComTerminal1, QStringLiteral("go"));
    QTest::keyClick(r.w.ComTerminal1, Qt::Key_Return);
    EXPECT_EQ(r.device.read(3), QByteArray("go\r"));

    // Clear View empties the screen; the port stays as it was.
    r.w.ButtonClearTerminalClick();
    EXPECT_EQ(r.screen().RowText(1), "");
    EXPECT_EQ(r.screen().CaretRow(), 1);
    EXPECT_TRUE(r.w.ComPort1->Connected());

    // Another page detaches the view; the panel goes on. "late" precedes the packet, so it would
    // have reached the screen by the time the meter moves.
    r.w.PageControl1->setCurrentWidget(r.w.TabSheetSchnittstelle);
    r.device.write("late#8M3<");
    EXPECT_TRUE(waitFor([&] { return r.meter(8) == 3.0f; }));
    EXPECT_EQ(r.screen().RowText(1), "");
    QTest::keyClick(r.w.ComTerminal1, Qt::Key_X);
    EXPECT_EQ(r.device.read(1, 300), QByteArray());

    // Back on the page the view is cleared and shows nothing until started again.
    r.w.PageControl1->setCurrentWidget(r.w.TabSheetTerminal);
    r.w.ButtonTerminalConnectClick();
    r.device.write("again");
    EXPECT_TRUE(waitFor([&] { return r.screen().RowText(1) == "again"; }));

    // Stop View detaches without closing the port the panel needs.
    r.w.ButtonTerminalDisconnectClick();
    EXPECT_FALSE(r.w.ButtonSendString->isEnabled());
    EXPECT_TRUE(r.w.ComPort1->Connected());
    r.device.write("gone#8M4<");
    EXPECT_TRUE(waitFor([&] { return r.meter(8) == 4.0f; }));
    EXPECT_EQ(r.screen().RowText(1), "again");
}

TEST(TerminalPage, StartViewOpensTheChosenPortOrWarns)
{
    Rig r;
    r.w.ComPort1->SetPort(QStringLiteral("COM1"));
    r.w.PageControl1->setCurrentWidget(r.w.TabSheetTerminal);
    EXPECT_EQ(r.w.LabelTerminal->text(), QString()); // no port chosen yet
    r.w.ButtonTerminalConnectClick();
    EXPECT_FALSE(r.w.ComPort1->Connected());
    ASSERT_EQ(r.warnings.size(), 1);
    EXPECT_TRUE(r.warnings[0].startsWith(QStringLiteral("Die Schnittstelle ist nicht aktiviert\r\n")));
    EXPECT_TRUE(r.warnings[0].contains(QStringLiteral("\"Schnittstelle\"")));

    // With a real port Start View opens it without the Connect button.
    r.w.ComPort1->SetPort(r.device.slave);
    r.w.ButtonTerminalConnectClick();
    EXPECT_EQ(r.warnings.size(), 1);
    ASSERT_TRUE(r.w.ComPort1->Connected());
    r.device.write("\x1b[6n");
    EXPECT_EQ(r.device.read(6), QByteArray("\x1b[1;1R"));

    // Connect closes the port through the still attached view and opens it again.
    r.w.ButtonConnectComPort1Click();
    EXPECT_TRUE(r.w.ComPort1->Connected());
    r.device.write("#1M6<ok");
    EXPECT_TRUE(waitFor([&] { return r.screen().RowText(1) == "#1M6<ok"; }));
    EXPECT_EQ(r.meter(1), 6.0f);
}
