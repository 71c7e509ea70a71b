// The time machine on the real window: freezing, scrubbing, back to live, recordings saved and
// played, and a recorded run replayed into exactly the state the live run ended in.
#include "../serial/Pty.h"
#include "ActiveLabel.h"
#include "AnalogControl.h"
#include "ComPort.h"
#include "ComTerminal.h"
#include "GvColBitBtn.h"
#include "GvLED.h"
#include "GvMiniTrend.h"
#include "GvVMeter.h"
#include "MainWindow.h"
#include "Recording.h"
#include "SevenSeg.h"
#include "TimeMachine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

float meter(TFormMain &w, int id)
{
    return qobject_cast<TGvAnalogGControl *>(w.instrument(id))->Value();
}

void connectTo(TFormMain &w, const Pty &device)
{
    w.ComPort1->SetPort(device.slave);
    w.ComPort1->SetConnected(true);
}

// Waits until the clock has moved past the journal's last time, so the next bytes get a later one.
void nextMoment(TFormMain &w)
{
    const tg::journal::Micros last = w.Journal().lastTime();
    ASSERT_TRUE(waitFor([&] { return tg::journal::nowMicros() > last + 2 * tg::journal::Journal::kMergeWithin; }));
}

QString screen(TFormMain &w)
{
    QString text;
    for (int r = 1; r <= w.ComTerminal1->Screen().Rows(); ++r)
        text += QString::fromStdString(w.ComTerminal1->Screen().RowText(r));
    return text;
}

// Everything packets set on the panel, read through each instrument's own getters.
QStringList panelState(TFormMain &w)
{
    QStringList out;
    for (int id = 0; id <= tg::app::kMaxId; ++id) {
        QObject *o = w.instrument(id);
        if (auto *a = qobject_cast<TGvAnalogGControl *>(o))
            out << QStringLiteral("%1 %2 %3 %4").arg(id).arg(a->Value()).arg(a->MinMax()->Min()).arg(a->MinMax()->Max());
        else if (auto *l = qobject_cast<ActiveLabel *>(o))
            out << QString::number(id) + l->text();
        else if (auto *s = qobject_cast<TSevenSeg *>(o))
            out << QString::number(id) + s->Caption();
        else if (auto *t = qobject_cast<TGvMiniTrend *>(o))
            out << QStringLiteral("%1 %2").arg(id).arg(t->ValueCh1());
        if (o && id == 60)
            for (TGvLED *led : o->findChildren<TGvLED *>())
                out << led->objectName() + (led->Checked() ? QStringLiteral(" on") : QStringLiteral(" off"));
    }
    return out;
}

} // namespace

TEST(TimeMachine, FreezesScrubsAndReturnsToLiveWithoutSending)
{
    TFormMain w;
    w.show();
    Pty device;
    connectTo(w, device);
    device.write("#1M10<");
    ASSERT_TRUE(waitFor([&] { return meter(w, 1) == 10.0f; }));
    const tg::journal::Micros first = w.Journal().lastTime();
    nextMoment(w);
    device.write("#1M5<");
    ASSERT_TRUE(waitFor([&] { return meter(w, 1) == 5.0f; }));
    const tg::journal::Micros second = w.Journal().lastTime();

    w.FreezeClick();
    nextMoment(w);
    device.write("#1M30<");
    ASSERT_TRUE(waitFor([&] { return w.Journal().endOffset() == 17u; }));
    EXPECT_EQ(meter(w, 1), 5.0f) << "a frozen panel does not follow the device";

    // The panel's push buttons send nothing while it shows the past.
    auto *button = qobject_cast<TGvColBitBtn *>(w.instrument(70));
    w.Instr1MouseDown(button, Qt::LeftButton);
    EXPECT_TRUE(device.read(1, 300).isEmpty());

    w.ShowMoment(first);
    EXPECT_EQ(meter(w, 1), 10.0f);
    EXPECT_EQ(qobject_cast<TGvAnalogGControl *>(w.instrument(1))->MinMax()->Min(), 10.0f);
    EXPECT_TRUE(screen(w).contains(QStringLiteral("#1M10<")));
    EXPECT_FALSE(screen(w).contains(QStringLiteral("#1M5<")));
    w.ShowMoment(second);
    EXPECT_EQ(meter(w, 1), 5.0f);
    EXPECT_EQ(qobject_cast<TGvAnalogGControl *>(w.instrument(1))->MinMax()->Min(), 5.0f);
    EXPECT_TRUE(screen(w).contains(QStringLiteral("#1M10<#1M5<")));

    // Back to live: what came while frozen shows, and the panel follows again.
    w.LiveClick();
    EXPECT_EQ(meter(w, 1), 30.0f);
    device.write("#1M40<");
    ASSERT_TRUE(waitFor([&] { return meter(w, 1) == 40.0f; }));
    w.Instr1MouseDown(button, Qt::LeftButton);
    EXPECT_EQ(device.read(6, 5000), QByteArray("#70M1<"));
}

TEST(TimeMachine, HostileRecordingsAreRefusedWithTheReason)
{
    QTemporaryDir dir;
    TFormMain w;
    w.show();
    Pty device;
    connectTo(w, device);
    device.write("#2M5<");
    ASSERT_TRUE(waitFor([&] { return meter(w, 2) == 5.0f; }));
    const QString good = dir.filePath(QStringLiteral("good.tgrec"));
    ASSERT_EQ(w.SaveRecording(good), QString());
    EXPECT_EQ(w.SaveRecording(dir.filePath(QStringLiteral("no/such/folder.tgrec"))).isEmpty(), false);
    QFile f(good);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray sound = f.readAll();
    EXPECT_TRUE(sound.startsWith("TGRECORD\x01\x00\x10\x00"));
    EXPECT_TRUE(sound.endsWith("#2M5<"));

    QByteArray newer = sound;
    newer[8] = 2;
    QByteArray backwards = sound + sound.mid(16);
    backwards[backwards.size() - 17] = char(0x80); // the second record's time, far in the past
    const struct {
        QByteArray content;
        const char *reason;
    } cases[] = {
        {QByteArray(), "not a recording"},
        {"#1M2<#1M3<#1M4<#1M5<", "not a recording"},
        {newer, "version 2 is not supported"},
        {sound.chopped(2), "truncated record at byte"},
        {sound.chopped(sound.size() - 20), "truncated record at byte 16"},
        {sound.left(16) + QByteArray("\0\0\0\0\0\0\0\0\xff\xff\xff\x7f", 12), "too long"},
        {backwards, "time goes back"},
    };
    for (const auto &c : cases) {
        const QString name = dir.filePath(QStringLiteral("bad.tgrec"));
        QFile bad(name);
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
        bad.write(c.content);
        bad.close();
        const QString error = w.OpenRecording(name);
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << c.reason << " got: " << error.toStdString();
        EXPECT_FALSE(w.TimeMachine().Frozen());
    }
    EXPECT_FALSE(w.OpenRecording(dir.filePath(QStringLiteral("missing.tgrec"))).isEmpty());
    EXPECT_EQ(meter(w, 2), 5.0f);
}

TEST(TimeMachine, AMillionMessageRecordingReplaysIntoTheStateTheLiveRunEndedIn)
{
    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("run.tgrec"));
    QStringList live;
    {
        TFormMain w;
        w.show();
        Pty device;
        connectTo(w, device);
        const int ids[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 35, 36, 40, 41, 42, 43, 44, 60, 90};
        constexpr int kMessages = 1000000;
        QByteArray batch;
        for (int i = 0; i < kMessages; ++i) {
            const int id = ids[size_t(i) % std::size(ids)];
            const int x = int((uint32_t(i) * 2654435761u) >> 8) % 20000;
            if (id == 35 || id == 36)
                batch += "#" + QByteArray::number(id) + "MT" + QByteArray::number(x) + "<";
            else if (id == 60)
                batch += "#60M" + QByteArray::number(x % 256) + "<";
            else
                batch += "#" + QByteArray::number(id) + "M" + QByteArray::number(x / 100.0) + "<";
            if (i % 997 == 0)
                batch += "zz#qM1<"; // stray bytes and an id that cannot be read
            if (batch.size() > 60000) {
                device.write(batch);
                batch.clear();
            }
        }
        device.write(batch);
        ASSERT_TRUE(waitFor([&] { return w.LinkStats().packets() >= uint64_t(kMessages + kMessages / 997 + 1); }, 120000));
        EXPECT_EQ(w.ComPort1->DroppedInput(), 0u);
        live = panelState(w);

        // Rebuilt from the snapshots the journal's blocks carry, the present is the same again.
        w.FreezeClick();
        w.ShowMoment(w.TimeMachine().EarliestTime() + (w.Journal().lastTime() - w.TimeMachine().EarliestTime()) / 2);
        EXPECT_NE(panelState(w), live);
        w.LiveClick();
        EXPECT_EQ(panelState(w), live);
        ASSERT_EQ(w.SaveRecording(recording), QString());
    }
    TFormMain w;
    w.show();
    const QStringList before = panelState(w);
    ASSERT_EQ(w.OpenRecording(recording), QString());
    w.findChild<QComboBox *>(QStringLiteral("ComboBoxReplaySpeed"))->setCurrentIndex(2);
    ASSERT_TRUE(waitFor([&] { return !w.PlayingRecording(); }, 120000));
    EXPECT_NE(before, live);
    EXPECT_EQ(panelState(w), live);
}
