// The views of the link on the real window: the status strip under the pages.
#include "../serial/Pty.h"
#include "ComPort.h"
#include "MainWindow.h"
#include "StatusStrip.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString field(TFormMain &w, const char *name)
{
    w.StatusStrip1->refresh();
    return w.findChild<QLabel *>(QString::fromLatin1(name))->text();
}

QAction *menuItem(TFormMain &w, const char *name)
{
    return w.findChild<QAction *>(QString::fromLatin1(name));
}

} // namespace

TEST(StatusStrip, ShownFromTheMenuKeepsThePanelsSizeAndIsRemembered)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("s.ini"));
    const QString features = dir.filePath(QStringLiteral("s-features.ini"));
    QSize first, page;
    {
        TFormMain w(settings);
        w.show();
        first = w.PageControl1->size();
        w.StandardViewClick();
        page = w.PageControl1->size();
        EXPECT_FALSE(w.StatusStripShown());
        EXPECT_FALSE(QFile::exists(features)); // nothing written while unused
        menuItem(w, "StatusBar1Item")->trigger();
        EXPECT_TRUE(w.StatusStrip1->isVisible());
        EXPECT_EQ(w.PageControl1->size(), page);
        w.StandardViewClick();
        EXPECT_EQ(w.PageControl1->size(), page);
        EXPECT_TRUE(QFile::exists(features));
    }
    {
        TFormMain w(settings);
        w.show();
        // Shown from the start, the window starts taller by the strip.
        EXPECT_TRUE(w.StatusStripShown());
        EXPECT_EQ(w.PageControl1->size(), first);
        menuItem(w, "StatusBar1Item")->trigger();
        EXPECT_FALSE(w.StatusStripShown());
        EXPECT_EQ(w.PageControl1->size(), first);
    }
    TFormMain w(settings);
    EXPECT_FALSE(w.StatusStripShown());
}

TEST(StatusStrip, CountsWhatTheLinkDelivered)
{
    TFormMain w;
    w.show();
    w.SetStatusStripShown(true);
    w.findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->click();
    EXPECT_EQ(field(w, "StatusLatency"), QStringLiteral("latency -"));
    Pty device;
    w.ComPort1->SetPort(device.slave);
    w.ComPort1->SetConnected(true);
    // Two stray bytes, an id no table holds, an id that cannot be read, an id whose
    // instrument is switched off, and one that is shown.
    device.write("xx#999M1<#abcM2<#2M3<#1M5<");
    ASSERT_TRUE(waitFor([&] { return w.LinkStats().packets() == 4; }));
    EXPECT_EQ(field(w, "StatusDiscarded"), QStringLiteral("discarded 2 B"));
    EXPECT_EQ(field(w, "StatusIgnored"), QStringLiteral("ignored 1"));
    EXPECT_EQ(field(w, "StatusUnknownIds"), QStringLiteral("unknown ids 2"));
    EXPECT_TRUE(waitFor([&] { return field(w, "StatusLatency") != QStringLiteral("latency -"); }));
    EXPECT_TRUE(field(w, "StatusLatency").endsWith(QStringLiteral(" ms")));
    EXPECT_EQ(w.Journal().endOffset(), 26u);

    const tg::app::IdStats *one = w.LinkStats().id(1);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->count, 1u);
    EXPECT_EQ(one->last, 5.0f);
    EXPECT_EQ(one->lastRaw(), QByteArrayView("#1M5<"));
    EXPECT_GT(one->lastTime, 0);
    EXPECT_EQ(w.LinkStats().id(3), nullptr);
    ASSERT_NE(w.LinkStats().id(999), nullptr);
}
