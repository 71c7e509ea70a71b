// The view on a real pseudo-terminal: the test plays the device.
#include "ComDataPacket.h"
#include "ComTerminal.h"
#include "Pty.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Rig {
    Pty pty;
    TComPort port;
    TComTerminal term;
    Rig()
    {
        port.SetPort(pty.slave);
        term.SetComPort(&port);
        term.resize(400, 200);
        term.show();
        port.Open();
    }
};

TEST(TermView, DeviceBytesReachScreenAndFramerAlike)
{
    Rig rig;
    ASSERT_TRUE(rig.port.Connected());
    TComDataPacket framer;
    framer.SetStartString("#");
    framer.SetStopString("<");
    QByteArray packet;
    framer.OnPacket = [&](TComDataPacket *, const QByteArray &p) { packet = p; };
    framer.SetComPort(&rig.port);
    rig.pty.write("\x1b[2;3Hhi #42<\x1b[6n");
    EXPECT_TRUE(waitFor([&] { return rig.term.Screen().RowText(2) == "  hi #42<"; }));
    EXPECT_TRUE(waitFor([&] { return packet == "42"; }));
    EXPECT_EQ(rig.pty.read(7), QByteArray("\x1b[2;10R"));
}

TEST(TermView, TypedKeysArriveEncodedAtTheDevice)
{
    Rig rig;
    rig.term.SendLF = true;
    QTest::keyClick(&rig.term, Qt::Key_A, Qt::NoModifier);
    for (const QString &text : {QString(QChar(0x20AC)), QString(QChar(0x4E2D))}) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(&rig.term, &key);
    }
    QTest::keyClick(&rig.term, Qt::Key_Return);
    QTest::keyClick(&rig.term, Qt::Key_Up);
    EXPECT_EQ(rig.pty.read(9), QByteArray("a\x80?\r\n\x1b[A"));
    rig.pty.write("\x1b[?1h");
    EXPECT_TRUE(waitFor([&] { return rig.term.Screen().AppCursorMode(); }));
    QTest::keyClick(&rig.term, Qt::Key_Left);
    EXPECT_EQ(rig.pty.read(3), QByteArray("\x1bOD"));
    rig.term.ArrowKeys = akWindows;
    rig.pty.write("\x1b[?1l");
    EXPECT_TRUE(waitFor([&] { return !rig.term.Screen().AppCursorMode(); }));
    QTest::keyClick(&rig.term, Qt::Key_Down);
    EXPECT_EQ(rig.term.Screen().CaretRow(), 2);
}

TEST(TermView, ViewFollowsCaretUnlessUserScrolledAway)
{
    Rig rig;
    rig.term.SetRows(100);
    QByteArray lines;
    for (int i = 0; i < 60; ++i)
        lines += "line\r\n";
    rig.pty.write(lines);
    EXPECT_TRUE(waitFor([&] { return rig.term.Screen().CaretRow() == 61; }));
    EXPECT_TRUE(waitFor([&] { return rig.term.TopRow() > 40; }));
    rig.term.verticalScrollBar()->setValue(0); // the user looks back
    rig.pty.write("more\r\n");
    EXPECT_TRUE(waitFor([&] { return rig.term.Screen().CaretRow() == 62; }));
    QTest::qWait(100);
    EXPECT_EQ(rig.term.TopRow(), 1);
    rig.term.verticalScrollBar()->setValue(rig.term.verticalScrollBar()->maximum());
    rig.pty.write("x\r\n");
    EXPECT_TRUE(waitFor([&] { return rig.term.Screen().CaretRow() == 63; }));
    EXPECT_TRUE(waitFor([&] { return rig.term.TopRow() > 40; }));
}

TEST(TermView, DeviceBytesShowUnchangedAndResizeAnAutoSizedView)
{
    Rig rig;
    rig.term.Force7Bit = true; // stored only: the top bit is kept
    rig.pty.write("\xe4\xb0");
    EXPECT_TRUE(waitFor([&] { return rig.term.Screen().RowText(1) == "\xe4\xb0"; }));

    rig.term.SetAutoSize(true);
    const int cellW = rig.term.CellSize().width();
    EXPECT_EQ(rig.term.width(), 80 * cellW + 2 * rig.term.frameWidth());
    rig.pty.write("\x1b[?3h");
    EXPECT_TRUE(waitFor([&] { return rig.term.width() == 132 * cellW + 2 * rig.term.frameWidth(); }));
}

} // namespace
