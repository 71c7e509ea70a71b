// tavelgrid-gallery OUTDIR: renders every instrument offscreen into PNG files in a set of telling
// states, so that a change in drawing can be looked at without running the panel.
#include "FlashService.h"
#include "GvGradient.h"
#include "GvLED.h"
#include "GvVMeter.h"
#include "GvValueInd.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTextStream>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

QString outDir;
int written = 0;

// A clock the gallery steps by hand, so flash phases come out the same on every run.
class SteppedClock : public TFlashClock {
public:
    uint32_t Milliseconds() const override { return ms; }
    uint32_t ms = 1000;
};

void save(QWidget &w, const QString &name)
{
    QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(0xC0, 0xDC, 0xC0)); // the panel's money-green background
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    const QString path = outDir + u'/' + name + QStringLiteral(".png");
    if (!img.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    ++written;
}

void setFont(TFont *f, const QString &name, int height, TColor color, bool bold)
{
    f->SetName(name);
    f->SetHeight(height);
    f->SetColor(color);
    f->SetStyle(bold ? TFontStyles(fsBold) : TFontStyles());
}

// The panel's vertical meters Instr1..Instr10 (initial values of the form).
void panelMeter(TGvVMeter &m, int id)
{
    m.setObjectName(QStringLiteral("Instr%1").arg(id));
    m.setGeometry(8, 2, 100, 150);
    m.SetHint(QStringLiteral("1"));
    m.SetDigit(500);
    m.SetLimitUpper(90);
    m.SetLimitLower(10);
    m.SetHintOptions({});
    m.SetValue(50);
    TSignalSettings &s = *m.SignalSettings();
    s.SetName1(QStringLiteral("SignalName1"));
    s.SetName2(QStringLiteral("#%1").arg(id, 2, 10, QLatin1Char('0')));
    s.SetValueFormat(QStringLiteral("##0.0"));
    s.SetValueTo(100);
    s.SetValueUnit(QStringLiteral("%"));
    m.SectorSettings()->SetOffset(0);
    m.SectorSettings()->SetWidthOffset(0);
    m.MinMax()->SetUseSectorCol(false);
    m.MinMax()->SetMinVisible(false);
    m.MinMax()->SetMaxVisible(false);
    m.SetOptions(TGvVMeter::opBevelInner | TGvVMeter::opBevelOuter | TGvVMeter::opValue | TGvVMeter::opName1 |
                 TGvVMeter::opName2 | TGvVMeter::opUnit);
    setFont(m.Font(), QStringLiteral("Arial"), -13, clBlack, false);
    setFont(m.FontValue(), QStringLiteral("System"), -17, clLime, true);
    TGvSBevel &bi = *m.BevelInner();
    bi.SetStyle(gv::bsLowered);
    bi.SetSpacing(5);
    bi.SetBevelLine(gv::blInner);
    bi.SetWidth(2);
    TGvSBevel &bo = *m.BevelOuter();
    bo.SetStyle(gv::bsRaised);
    bo.SetSpacing(5);
    bo.SetBevelLine(gv::blOuter);
    bo.SetWidth(2);
    bo.SetColor(clSilver);
    TGvSBevel &bv = *m.BevelValue();
    bv.SetStyle(gv::bsLowered);
    bv.SetSpacing(0);
    bv.SetBevelLine(gv::blNone);
    bv.SetWidth(2);
    bv.SetColor(clBlack);
    TScaleSettings &sc = *m.ScaleSettings();
    sc.SetColor(clBlack);
    sc.SetPointerColor(clLime);
    sc.SetDrawLine(true);
    setFont(sc.Font(), QStringLiteral("Arial"), -23, clBlack, false);
    sc.SetPosLeftTop(false);
    sc.SetSteps(5);
    sc.SetSubSteps(2);
    sc.SetValueFormat(QStringLiteral("##0"));
    sc.SetValueFormatLog(QStringLiteral("0e-0"));
}

// The panel's value indicators Instr41..Instr44.
void panelValueInd(TGvValueInd &v, int id)
{
    v.setObjectName(QStringLiteral("Instr%1").arg(id));
    v.setGeometry(232, 408, 96, 71);
    v.SetHint(QStringLiteral("1"));
    v.SetDigit(500);
    v.SetLimitUpper(1.0f);
    v.SetLimitLower(10);
    TSignalSettings &s = *v.SignalSettings();
    s.SetName1(QStringLiteral("SignalName1"));
    s.SetName2(QStringLiteral("#%1").arg(id));
    s.SetValueFormat(QStringLiteral("##0.0"));
    s.SetValueTo(100);
    s.SetValueUnit(QStringLiteral("%"));
    v.MinMax()->SetUseSectorCol(false);
    v.MinMax()->SetMaxVisible(false);
    v.SetValue(50);
    v.SetAutoSize(true);
    setFont(v.Font(), QStringLiteral("Arial"), -13, clBlack, false);
    setFont(v.FontValue(), QStringLiteral("Arial"), -17, clRed, true);
    v.SetOptions(TGvValueInd::opBevelInner | TGvValueInd::opName1 | TGvValueInd::opName2 | TGvValueInd::opUnit);
}

// The LEDs of the panel's LED block.
void panelLed(TGvLED &l, int n)
{
    l.setObjectName(QStringLiteral("LedPanel1Led%1").arg(n));
    l.setGeometry(29, 18, 190, 25);
    l.SetCaption(QStringLiteral("Led%1").arg(n));
    setFont(l.Font(), QStringLiteral("MS Sans Serif"), -13, clBlack, true);
    l.SetMode(gv::mIndicator);
    l.SetFrequency(gv::ff1Hz);
    l.LED()->SetColorOff(clGray);
    l.LED()->SetWidth(20);
    l.LED()->SetHeight(20);
    l.SetLED_Position(TGvLED::lpLeft);
    l.SetSpacing(9);
}

// Steps the flash service until the control reports the wanted phase.
void tickUntil(TFlashService &svc, SteppedClock &clock, const std::function<bool()> &done)
{
    for (int i = 0; i < 300 && !done(); ++i) {
        clock.ms += TFlashService::TickMs;
        svc.Tick();
    }
}

template <typename T>
struct Holder {
    QWidget parent;
    T *w;
    Holder() : w(new T(&parent)) { parent.resize(800, 800); }
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tavelgrid-gallery OUTDIR\n");
        return 2;
    }
    outDir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    auto clock = std::make_shared<SteppedClock>();
    TFlashService service(clock, false);
    SetFlashService(&service);

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
        tickUntil(service, *clock, [&] { return h.w->AlarmColor() == h.w->FlashColorOn; });
        save(*h.w, QStringLiteral("vmeter-overflow-flash-on"));
        tickUntil(service, *clock, [&] { return h.w->AlarmColor() == h.w->FlashColorOff; });
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

    // Value indicator
    {
        Holder<TGvValueInd> h;
        h.w->loaded();
        save(*h.w, QStringLiteral("valueind-defaults"));
    }
    {
        Holder<TGvValueInd> h;
        panelValueInd(*h.w, 41);
        h.w->loaded();
        save(*h.w, QStringLiteral("valueind-instr41-panel"));
        h.w->SetValue(0);
        save(*h.w, QStringLiteral("valueind-instr41-value-0"));
        h.w->SetValue(100);
        save(*h.w, QStringLiteral("valueind-instr41-value-100"));
        h.w->SetValue(-123.4f);
        save(*h.w, QStringLiteral("valueind-instr41-beyond-range"));
        h.w->SetValue(1234567.0f); // wider than the box: cut off on the left
        save(*h.w, QStringLiteral("valueind-instr41-too-wide"));
    }
    {
        Holder<TGvValueInd> h;
        panelValueInd(*h.w, 42);
        h.w->SetOptions(h.w->Options() | TGvValueInd::opBevelOuter);
        h.w->loaded();
        save(*h.w, QStringLiteral("valueind-with-outer-bevel"));
        h.w->SetOptions(TGvValueInd::opBevelInner | TGvValueInd::opName1);
        save(*h.w, QStringLiteral("valueind-no-unit-one-name"));
    }

    // LED
    {
        Holder<TGvLED> h;
        h.w->setObjectName(QStringLiteral("GvLED1"));
        h.w->loaded();
        save(*h.w, QStringLiteral("led-defaults-off"));
        h.w->SetChecked(true);
        save(*h.w, QStringLiteral("led-defaults-on"));
    }
    {
        Holder<TGvLED> h;
        panelLed(*h.w, 3);
        h.w->loaded();
        save(*h.w, QStringLiteral("led-instr60-off"));
        h.w->SetChecked(true);
        save(*h.w, QStringLiteral("led-instr60-on"));
        h.w->SetFlashing(true);
        tickUntil(service, *clock, [&] { return !h.w->LampLit(); });
        save(*h.w, QStringLiteral("led-instr60-flashing-off-phase"));
        tickUntil(service, *clock, [&] { return h.w->LampLit(); });
        save(*h.w, QStringLiteral("led-instr60-flashing-on-phase"));
        h.w->SetFlashing(false);
    }
    const std::pair<TGvLED::TLEDPos, const char *> positions[] = {
        {TGvLED::lpRight, "right"}, {TGvLED::lpTop, "top"}, {TGvLED::lpBottom, "bottom"}};
    for (const auto &[pos, name] : positions) {
        Holder<TGvLED> h;
        h.w->setObjectName(QStringLiteral("GvLED2"));
        h.w->resize(80, 60);
        h.w->SetCaption(QStringLiteral("two|lines"));
        h.w->SetLED_Position(pos);
        h.w->loaded();
        h.w->SetChecked(true);
        save(*h.w, QStringLiteral("led-position-%1").arg(QLatin1String(name)));
    }
    const char *shapes[] = {"round", "arrowleft", "arrowright", "arrowup", "arrowdown", "rectangle", "diamondleft",
                            "diamondright"};
    for (int s = gv::sRound; s <= gv::sDiamondRight; ++s) {
        Holder<TGvLED> h;
        h.w->SetCaption(QStringLiteral("shape"));
        h.w->LED()->SetShape(gv::TLEDShape(s));
        h.w->LED()->SetWidth(24);
        h.w->LED()->SetHeight(16);
        h.w->loaded();
        h.w->SetChecked(s % 2 == 0);
        save(*h.w, QStringLiteral("led-shape-%1").arg(QLatin1String(shapes[s])));
    }

    // Gradient background
    const char *styles[] = {"horizontal1", "horizontal2", "horizontal3", "vertical1", "vertical2",
                            "vertical3", "elliptic1", "elliptic2", "elliptic3", "rectangle",
                            "diamond1", "diamond2", "topleft", "topright"};
    for (int s = gv::gsHorizontal1; s <= gv::gsTopRight; ++s) {
        Holder<TGvGradient> h;
        h.w->resize(160, 100);
        h.w->GradSettings()->SetStyle(gv::TGradientStyle(s));
        h.w->GradSettings()->SetColorFrom(clNavy);
        h.w->GradSettings()->SetColorTo(clYellow);
        h.w->loaded();
        save(*h.w, QStringLiteral("gradient-%1").arg(QLatin1String(styles[s])));
    }
    {
        Holder<TGvGradient> h;
        h.parent.setAttribute(Qt::WA_DontShowOnScreen);
        h.parent.show(); // resize events reach the gradient only from a shown parent
        h.parent.resize(300, 120);
        h.w->SetAlign(TGvGradient::alClient);
        h.w->GradSettings()->SetColorFrom(clMoneyGreen);
        h.w->GradSettings()->SetVisible(false);
        h.w->loaded();
        save(*h.w, QStringLiteral("gradient-page-background"));
    }

    SetFlashService(nullptr);
    QTextStream(stdout) << written << " pictures in " << outDir << '\n';
    return 0;
}
