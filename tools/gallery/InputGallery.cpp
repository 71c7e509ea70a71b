// Gallery states of the push button, the toggle switch and the dial.
#include "Gallery.h"
#include "GvColBitBtn.h"
#include "GvDial.h"
#include "GvSwitch.h"
#include "PanelSetup.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <cstdio>

namespace gallery {

namespace {
// Holds the left button down on w (a real press, so Pressed is set too).
void press(QWidget *w, bool down)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent e(down ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, at, w->mapToGlobal(at),
                  Qt::LeftButton, down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

QImage glyphStrip()
{
    // Three images: normal, disabled, on; magenta (bottom-left) is transparent.
    QImage strip(48, 16, QImage::Format_RGB32);
    strip.fill(qRgb(255, 0, 255));
    const QRgb colours[3] = {qRgb(0, 0, 160), qRgb(128, 128, 128), qRgb(0, 160, 0)};
    for (int i = 0; i < 3; ++i)
        for (int y = 2; y < 14; ++y)
            for (int x = 2; x < 14; ++x)
                if ((x - 8) * (x - 8) + (y - 8) * (y - 8) < 30)
                    strip.setPixel(16 * i + x, y, colours[i]);
    return strip;
}
} // namespace

void input()
{
    {
        Holder<TGvColBitBtn> h;
        tg::app::panelButton(*h.w, 70);
        h.w->loaded();
        save(*h.w, QStringLiteral("button-instr70-up"));
        press(h.w, true);
        save(*h.w, QStringLiteral("button-instr70-down"));
        press(h.w, false);
        h.w->SetEnabled(false);
        save(*h.w, QStringLiteral("button-instr70-disabled"));
    }
    {
        Holder<TGvColBitBtn> h;
        h.w->setObjectName(QStringLiteral("GvColBitBtn1"));
        h.w->resize(110, 40);
        h.w->SetTextOff(QStringLiteral("Start"));
        h.w->SetTextOn(QStringLiteral("Running"));
        h.w->loaded();
        save(*h.w, QStringLiteral("button-defaults-3d-text-off"));
        h.w->SetMode(gv::mSwitch);
        h.w->SetChecked(true);
        save(*h.w, QStringLiteral("button-defaults-3d-text-on"));
    }
    {
        Holder<TGvColBitBtn> h;
        h.w->setObjectName(QStringLiteral("GvColBitBtn2"));
        h.w->resize(110, 40);
        h.w->SetGlyph(glyphStrip());
        h.w->SetNumGlyph(3);
        h.w->SetTextOff(QStringLiteral("Pump"));
        h.w->SetTextOn(QStringLiteral("Pump on"));
        h.w->GradBtnFace()->SetVisible(false);
        h.w->SetColorOn(clYellow);
        h.w->loaded();
        save(*h.w, QStringLiteral("button-glyph-off"));
        h.w->SetMode(gv::mSwitch);
        h.w->SetChecked(true);
        save(*h.w, QStringLiteral("button-glyph-on"));
        h.w->SetPosGlyph(TGvColBitBtn::pTop);
        h.w->resize(70, 60);
        h.w->SetChecked(false);
        h.w->SetEnabled(false);
        save(*h.w, QStringLiteral("button-glyph-top-disabled"));
    }
    {
        Holder<TGvToggleSwitch> h;
        h.w->setObjectName(QStringLiteral("GvToggleSwitch1"));
        h.w->loaded();
        save(*h.w, QStringLiteral("toggle-off"));
        h.w->SetChecked(true);
        save(*h.w, QStringLiteral("toggle-on"));
        h.w->SetOrientation(TGvToggleSwitch::boHorizontal);
        save(*h.w, QStringLiteral("toggle-horizontal-on"));
    }
    const std::pair<float, TGvDial::TDialPointer> dials[] = {
        {0.000001f, TGvDial::dpRound}, {50.0f, TGvDial::dpLine}, {80.0f, TGvDial::dpTriangle}, {100.0f, TGvDial::dpRound}};
    for (const auto &[value, pointer] : dials) {
        Holder<TGvDial> h;
        h.w->setObjectName(QStringLiteral("Instr80"));
        TSignalSettings *s = h.w->SignalSettings();
        s->SetValueFrom(0.000001f);
        s->SetValueTo(100.0f);
        s->SetDigitalTo(1000);
        s->SetValueFormat(QStringLiteral("##0.0"));
        s->SetValueUnit(QStringLiteral("%"));
        s->SetName1(QStringLiteral("Dial"));
        h.w->SetPointerType(pointer);
        h.w->loaded();
        h.w->SetValue(value);
        save(*h.w, QStringLiteral("dial-value-%1").arg(int(value)));
    }
    {
        // Focused (the "changing" colour) and without scale labels.
        Holder<TGvDial> h;
        h.w->setObjectName(QStringLiteral("Instr81"));
        h.w->SetOptions(TGvDial::AllOptions & ~TGvDial::TDialOptions(TGvDial::opScaleText));
        h.w->loaded();
        h.w->SetValue(30.0f);
        h.parent.show();
        h.parent.activateWindow();
        QCoreApplication::processEvents();
        h.w->setFocus();
        if (!h.w->hasFocus())
            std::fprintf(stderr, "dial-focused: the dial did not get the focus\n");
        save(*h.w, QStringLiteral("dial-focused-ticks-only"));
    }
}

} // namespace gallery
