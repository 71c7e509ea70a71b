// Gallery states of the vertical meter.
#include "Gallery.h"
#include "PanelSetup.h"
#include "GvVMeter.h"

namespace gallery {

using tg::app::panelMeter;

void vmeter()
{
    // Vertical meter
    {
        Holder<TGvVMeter> h;
        h.w->loaded();
        save(*h.w, QStringLiteral("vmeter-defaults"));
        for (float v : {0.0f, 50.0f, 100.0f}) {
            h.w->SetValue(v);
            save(*h.w, QStringLiteral("vmeter-defaults-value-%1").arg(int(v)));
        }
    }
    {
        Holder<TGvVMeter> h;
        panelMeter(*h.w, 1);
        h.w->loaded();
        save(*h.w, QStringLiteral("vmeter-instr1-panel"));
        h.w->SetValue(0);
        save(*h.w, QStringLiteral("vmeter-instr1-value-0"));
        h.w->SetValue(100);
        save(*h.w, QStringLiteral("vmeter-instr1-value-100"));
        h.w->SetValue(150); // beyond the range without opOverflow: parked, no flashing
        save(*h.w, QStringLiteral("vmeter-instr1-beyond-range"));
        h.w->SetValue(-20);
        save(*h.w, QStringLiteral("vmeter-instr1-below-range"));
    }
    {
        Holder<TGvVMeter> h;
        panelMeter(*h.w, 2);
        h.w->SetOptions(h.w->Options() | TGvVMeter::opOverflow | TGvVMeter::opSector | TGvVMeter::opLimit);
        h.w->loaded();
        h.w->SetValue(150);
        tickUntil( [&] { return h.w->AlarmColor() == h.w->FlashColorOn; });
        save(*h.w, QStringLiteral("vmeter-overflow-flash-on"));
        tickUntil( [&] { return h.w->AlarmColor() == h.w->FlashColorOff; });
        save(*h.w, QStringLiteral("vmeter-overflow-flash-off"));
        h.w->SetValue(60);
        save(*h.w, QStringLiteral("vmeter-sectors-back-in-range"));
    }
    {
        Holder<TGvVMeter> h;
        panelMeter(*h.w, 3);
        h.w->SetOptions(h.w->Options() | TGvVMeter::opSector | TGvVMeter::opLimit);
        h.w->MinMax()->SetMinVisible(true);
        h.w->MinMax()->SetMaxVisible(true);
        h.w->MinMax()->SetUseSectorCol(true);
        h.w->loaded();
        for (float v : {20.0f, 85.0f, 55.0f})
            h.w->SetValue(v);
        save(*h.w, QStringLiteral("vmeter-minmax-marks-sector-colours"));
        h.w->MinMax()->SetUseSectorCol(false);
        save(*h.w, QStringLiteral("vmeter-minmax-marks-own-colour"));
        h.w->SetValue(95); // above LimitUpper: the pointer turns to the alarm colour
        save(*h.w, QStringLiteral("vmeter-limit-exceeded"));
    }
    {
        Holder<TGvVMeter> h;
        panelMeter(*h.w, 4);
        h.w->ScaleSettings()->SetPosLeftTop(true);
        h.w->SetOptions(h.w->Options() | TGvVMeter::opSector);
        h.w->MinMax()->SetMinVisible(true);
        h.w->MinMax()->SetMaxVisible(true);
        h.w->loaded();
        for (float v : {30.0f, 70.0f, 40.0f})
            h.w->SetValue(v);
        save(*h.w, QStringLiteral("vmeter-scale-left"));
    }
    {
        Holder<TGvVMeter> h;
        panelMeter(*h.w, 5);
        h.w->SignalSettings()->SetValueFrom(0.01f);
        h.w->SignalSettings()->SetValueTo(1000);
        h.w->SetLogScale(true);
        h.w->ScaleSettings()->SetSubSteps(9);
        h.w->loaded();
        h.w->SetValue(10);
        save(*h.w, QStringLiteral("vmeter-log-scale-value-10"));
    }
    {
        Holder<TGvVMeter> h;
        panelMeter(*h.w, 6);
        h.w->SetAutoSize(false);
        h.w->resize(60, 40);
        h.w->loaded();
        save(*h.w, QStringLiteral("vmeter-too-small"));
    }
}

} // namespace gallery
