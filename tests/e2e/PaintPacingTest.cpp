// A device that sends one value per read must not make the window repaint per value.
#include "../serial/Pty.h"
#include "ComDataPacket.h"
#include "FormatSettings.h"
#include "FramePacer.h"
#include "GvVMeter.h"
#include "MainWindow.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <gtest/gtest.h>

namespace {

// Counts the paints of one meter and notes the value each paint showed.
struct PaintWatch : QObject {
    TGvVMeter *meter;
    int paints = 0;
    float painted = -1.0f;
    explicit PaintWatch(TGvVMeter *meter) : meter(meter) { meter->installEventFilter(this); }
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o == meter && e->type() == QEvent::Paint) {
            ++paints;
            painted = meter->Value();
        }
        return false;
    }
};

} // namespace

TEST(PaintPacing, OnePaintPerFrameAndTheLastValueIsPainted)
{
    TScopedFormatSettings fs(TFormatSettings::dot());
    TFormMain w;
    // Meter 2 overlaps meter 1, so its values repaint part of meter 1 as well.
    for (int id : {1, 2})
        w.findChild<QCheckBox *>(QStringLiteral("CheckBox%1").arg(id))->setChecked(true);
    auto *meter = qobject_cast<TGvVMeter *>(w.instrument(1));
    ASSERT_TRUE(meter);
    PaintWatch watch(meter);
    w.show();
    ASSERT_TRUE(waitFor([&] { return watch.paints > 0; }));

    constexpr int kValues = 300;
    QElapsedTimer running;
    running.start();
    const int before = watch.paints;
    for (int k = 0; k < kValues; ++k) {
        // One value per read, the event loop turning between reads.
        w.ComDataPacket1->HandleData("#" + QByteArray::number(k % 2 + 1) + "M" + QByteArray::number(k % 90) + ".5<");
        QCoreApplication::processEvents();
    }
    const qint64 elapsed = running.elapsed();
    const int paints = watch.paints - before;
    EXPECT_LE(paints, elapsed / FramePacer::kFrameMs + 2) << "in " << elapsed << " ms";
    EXPECT_FLOAT_EQ(meter->Value(), float((kValues - 2) % 90) + 0.5f);
    // Held changes are painted with the next frame, not lost.
    EXPECT_TRUE(waitFor([&] { return watch.painted == meter->Value(); })) << watch.painted;
}
