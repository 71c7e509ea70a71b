// The view on a real pseudo-terminal: the test plays the device.
#include "ComDataPacket.h"
#include "ComTerminal.h"
#include "Pty.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPaintEvent>
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

// Everything the viewport is asked to paint.
struct PaintLog : QObject {
    QRegion painted;
    explicit PaintLog(QWidget *w) { w->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(e)->region();
        return false;
    }
};

TEST(TermView, DeviceTextRepaintsOnlyTheRowsItChanged)
{
    Rig rig;
    rig.term.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&rig.term));
    PaintLog log(rig.term.viewport());
    const int w = rig.term.CellSize().width();
    const int h = rig.term.CellSize().height();
    auto row = [&](int r) { return QRect(0, (r - 1) * h, rig.term.viewport()->width(), h); };
    rig.pty.write("hello");
    EXPECT_TRUE(waitFor([&] { return (QRegion(0, 0, 5 * w, h) - log.painted).isEmpty(); }));

    log.painted = QRegion();
    rig.pty.write("\x1b[3;5Hx");
    EXPECT_TRUE(waitFor([&] { return log.painted.intersects(QRect(4 * w, 2 * h, w, h)); }));
    EXPECT_EQ(rig.term.Screen().RowText(3), "    x");
    // Row 1 holds the caret's old cell (and may still be finishing "hello").
    EXPECT_TRUE((log.painted - row(1) - row(3)).isEmpty()) << log.painted.boundingRect().height() / h << " rows";
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
