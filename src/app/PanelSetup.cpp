// The initial settings of the panel's instruments, as the form creates them.
#include "PanelSetup.h"

#include "GvColBitBtn.h"
#include "GvDial.h"
#include "GvLED.h"
#include "GvRMeter.h"
#include "GvVMeter.h"
#include "GvValueInd.h"

namespace tg::app {

void setFont(TFont *f, const QString &name, int height, TColor color, bool bold)
{
    f->SetName(name);
    f->SetHeight(height);
    f->SetColor(color);
    f->SetStyle(bold ? TFontStyles(fsBold) : TFontStyles());
}

namespace {

void setBevel(TGvSBevel &b, gv::TBevelStyle style, int spacing, gv::TBevelLine line, int width)
{
    b.SetStyle(style);
    b.SetSpacing(spacing);
    b.SetBevelLine(line);
    b.SetWidth(width);
}

// What the vertical meters and the round meter share.
template <class M>
void meterCommon(M &m, int id)
{
    m.setObjectName(QStringLiteral("Instr%1").arg(id));
    m.SetDigit(500);
    m.SetLimitUpper(90);
    m.SetLimitLower(10);
    m.SetHintOptions({});
    TSignalSettings &s = *m.SignalSettings();
    s.SetName1(QStringLiteral("SignalName1"));
    s.SetName2(QStringLiteral("#%1").arg(id, 2, 10, QLatin1Char('0')));
    s.SetValueFormat(QStringLiteral("##0.0"));
    s.SetValueTo(100);
    s.SetValueUnit(QStringLiteral("%"));
    setFont(m.Font(), QStringLiteral("Arial"), -13, clBlack, false);
    setBevel(*m.BevelInner(), gv::bsLowered, 5, gv::blInner, 2);
    setBevel(*m.BevelOuter(), gv::bsRaised, 5, gv::blOuter, 2);
    m.BevelOuter()->SetColor(clSilver);
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

} // namespace

void panelMeter(TGvVMeter &m, int id)
{
    meterCommon(m, id);
    m.setGeometry(8, 2, 100, 150);
    m.SetHint(QStringLiteral("1"));
    m.SetValue(50);
    m.SectorSettings()->SetOffset(0);
    m.SectorSettings()->SetWidthOffset(0);
    m.MinMax()->SetUseSectorCol(false);
    m.MinMax()->SetMinVisible(false);
    m.MinMax()->SetMaxVisible(false);
    m.SetOptions(TGvVMeter::opBevelInner | TGvVMeter::opBevelOuter | TGvVMeter::opValue | TGvVMeter::opName1 |
                 TGvVMeter::opName2 | TGvVMeter::opUnit);
    setFont(m.FontValue(), QStringLiteral("System"), -17, clLime, true);
    setBevel(*m.BevelValue(), gv::bsLowered, 0, gv::blNone, 2);
    m.BevelValue()->SetColor(clBlack);
}

void panelRoundMeter(TGv270Meter &m)
{
    meterCommon(m, 20);
    m.SetOptions(TGvRMeter::opBevelInner | TGvRMeter::opBevelOuter | TGvRMeter::opName1 | TGvRMeter::opName2 |
                 TGvRMeter::opOverflow | TGvRMeter::opSector | TGvRMeter::opUnit);
    TSectorSettings &sec = *m.SectorSettings();
    sec.SetSector1To(1000);
    sec.SetSector2Color(clLime);
    sec.SetSector2From(1000);
    sec.SetSector2To(1000);
    sec.SetSector3From(1000);
    setFont(m.FontUnit(), QStringLiteral("Arial"), -13, clBlack, false);
    m.ScaleSettings()->SetSteps(10);
    m.ScaleSettings()->SetSubSteps(5);
}

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

void panelButton(TGvColBitBtn &b, int id)
{
    b.setObjectName(QStringLiteral("Instr%1").arg(id));
    b.resize(81, 32);
    b.SetHint(QStringLiteral("1"));
    b.GradBtnFace()->SetColorFrom(clCream);
    b.GradBtnFace()->SetColorTo(clGray);
    b.SetTextOn(QStringLiteral("#%1").arg(id));
    b.SetTextColOn(clRed);
    b.SetText3D(false);
    setFont(b.Font(), QStringLiteral("MS Sans Serif"), -13, clBlack, true);
}

void panelDial(TGvDial &d, int id)
{
    d.setObjectName(QStringLiteral("Instr%1").arg(id));
    d.resize(121, 169);
    TSignalSettings &s = *d.SignalSettings();
    s.SetName1(QStringLiteral("SignalName1"));
    s.SetName2(QStringLiteral("#%1").arg(id));
    s.SetValueFormat(QStringLiteral("##0.0"));
    s.SetValueFrom(0.000001f);
    s.SetValueTo(100.0f);
    s.SetValueUnit(QStringLiteral("%"));
    d.SetValue(0.000001f);
    setBevel(*d.BevelDial(), gv::bsRaised, 1, gv::blOuter, 2);
    d.BevelDial()->SetColor(clCream);
    setFont(d.FontValue(), QStringLiteral("System"), -17, clLime, true);
    TScaleSettings &sc = *d.ScaleSettings();
    sc.SetColor(clBlack);
    sc.SetPointerColor(clLime);
    sc.SetDrawLine(true);
    setFont(sc.Font(), QStringLiteral("MS Sans Serif"), -13, clBlack, true);
    sc.SetSteps(5);
    sc.SetSubSteps(2);
    sc.SetValueFormat(QStringLiteral("##0"));
    d.SetPointerType(TGvDial::dpTriangle);
    d.SetPointerSize(10);
}

} // namespace tg::app
