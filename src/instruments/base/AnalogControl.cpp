#include "AnalogControl.h"

#include "Announcer.h"
#include "FlashService.h"
#include "FormatSettings.h"
#include "NumberFormat.h"
#include "Numeric.h"

#include <cmath>

TGvAnalogGControl::TGvAnalogGControl(QWidget *parent)
    : TGvGraphicControl(parent), sectorSettings(new TSectorSettings(this)),
      signalSettings(new TSignalSettings(this)), minMax(new TMinMax(this))
{
    Font()->SetName(QStringLiteral("Arial"));
    Font()->SetSize(8);
    // Valid factors from the start, so values set before loaded() map correctly.
    signalSettings->Recompute();
    // With the default limits this clears both flags.
    CheckLimits();
}

int TGvAnalogGControl::DigitOf(double v) const
{
    const TSignalSettings &s = *signalSettings;
    if (logScale) {
        const double l = std::log10(v / double(s.ValueFrom())) * digitsPerDecade;
        return tg::saturate<int>(tg::roundEven(l) + double(s.DigitalFrom()));
    }
    return tg::roundTo<int>((v - double(s.ValueFrom())) * s.DigitsPerValue() + s.DigitalFrom());
}

float TGvAnalogGControl::ValueOfDigit(int d) const
{
    const TSignalSettings &s = *signalSettings;
    double v;
    if (logScale) {
        if (digitsPerDecade - decadeOffset == 0 || digitsPerDecade == 0)
            return value;
        v = std::pow(10.0, (double(d) - s.DigitalFrom()) / digitsPerDecade - decadeOffset);
    } else {
        v = (double(d) - s.DigitalFrom()) * s.ValuePerDigit() + double(s.ValueFrom());
    }
    const float f = float(v);
    return std::isfinite(f) ? f : value;
}

void TGvAnalogGControl::SetValue(float v)
{
    if (!std::isfinite(v) || v == value || (logScale && v <= 0))
        return;
    value = v;
    digit = DigitOf(v);
    ValueChange();    tg::AnnounceChange(this);
}

void TGvAnalogGControl::SetDigit(int d)
{
    if (d == digit)
        return;
    digit = d;
    value = ValueOfDigit(d);
    ValueChange();    tg::AnnounceChange(this);
}

void TGvAnalogGControl::SetLimitUpper(float x)
{
    if (!std::isfinite(x) || x == limitUpper)
        return;
    limitUpper = x;
    limitUpperPPT = signalSettings->ValueToPPT(x);
    ValueChange();    tg::AnnounceChange(this);
}

void TGvAnalogGControl::SetLimitLower(float x)
{
    if (!std::isfinite(x) || x == limitLower)
        return;
    limitLower = x == 0.0f ? 0.0001f : x;
    limitLowerPPT = signalSettings->ValueToPPT(limitLower);
    ValueChange();    tg::AnnounceChange(this);
}

void TGvAnalogGControl::SetHintOptions(gv::THintOptions s)
{
    const bool autoOn = !(hintOptions & gv::hoAutoHint) && (s & gv::hoAutoHint);
    hintOptions = s;
    if (autoOn)
        ValueChange();
}

void TGvAnalogGControl::updateLogFactors()
{
    const TSignalSettings &s = *signalSettings;
    const double from = s.ValueFrom(), to = s.ValueTo();
    const double decades = std::log10(to / from);
    // Both ends in the same decade: fall back to one decade over the whole range.
    digitsPerDecade = (to != from && std::isfinite(decades) && decades != 0)
                          ? s.DigitalRange() / decades : s.DigitalRange();
    if (from > 0)
        decadeOffset = std::log10(1.0 / from);
}

void TGvAnalogGControl::SetLogScale(bool b)
{
    logScale = b;
    signalSettings->LogMode = b;
    if (b) {
        if (value <= 0)
            value = 0.001f;
        const float from = signalSettings->ValueFrom();
        signalSettings->SetLogRange(from > 0 ? TSignalSettings::Decade(from) : 0.001f,
                                    TSignalSettings::Decade(signalSettings->ValueTo()));
        updateLogFactors();
    }
    digit = DigitOf(value);
    LogScaleChange();
}

void TGvAnalogGControl::LogScaleChange() { Change(); }

void TGvAnalogGControl::ParamChange()
{
    signalSettings->Recompute();
    if (logScale) {
        updateLogFactors();
        if (value <= 0)
            value = 1.0f;
    }
    digit = DigitOf(value);
    if (OnSettingsChange)
        OnSettingsChange(this);
}

void TGvAnalogGControl::MinMaxChange()
{
    if (OnMinMaxChange)
        OnMinMaxChange(this);
    ValueChange();
}

void TGvAnalogGControl::CheckLimits()
{
    const bool upper = value > limitUpper;
    const bool lower = value < limitLower;
    if (upper == upperExceeded && lower == lowerExceeded)
        return;
    upperExceeded = upper;
    lowerExceeded = lower;
    LimitChange();
    if (OnLimit)
        OnLimit(this, lowerExceeded, upperExceeded);
}

void TGvAnalogGControl::ValueChange()
{
    const TSignalSettings &s = *signalSettings;
    // 1. texts, formatted when read
    textsStale = true;

    // 2. position; a zero digital range keeps the last position
    int raw = ppt;
    if (s.DigitalRange() != 0)
        raw = tg::roundTo<int>(1000.0 / s.DigitalRange() * (double(digit) - s.DigitalFrom()));
    ppt = raw;

    // 3. sectors; the higher-numbered sector wins where they overlap
    for (int i = 0; i < 3; ++i) {
        const bool in = sectorSettings->InSector(i, ppt);
        if (in)
            sectorColor = sectorSettings->SectorColor(i);
        if (in != inSector[i]) {
            inSector[i] = in;
            if (OnSectorChange)
                OnSectorChange(this, i == 0, i == 1, i == 2, in);
        }
    }

    // 4. limits
    CheckLimits();

    // 5. overflow, reported once per direction, on the unclamped position
    if (ppt < 0) {
        if (!overflowLow) {
            overflowLow = true;
            overflowHigh = false;
            OverflowChange(ppt);
            if (OnOverflow)
                OnOverflow(this, ppt);
        }
        ppt = 0;
    } else if (ppt > 1000) {
        if (!overflowHigh) {
            overflowHigh = true;
            overflowLow = false;
            OverflowChange(ppt);
            if (OnOverflow)
                OnOverflow(this, ppt);
        }
        ppt = 1000;
    } else if (overflowHigh || overflowLow) {
        overflowHigh = overflowLow = false;
        OverflowChange(ppt);
        if (OnOverflow)
            OnOverflow(this, ppt);
    }

    // 6. min and max; the very first value sets both marks without an event
    if (minMax->Min() > value) {
        const float old = minMax->Min();
        minMax->SetMin(value);
        minPPT = ppt;
        if (old != TMinMax::NoMin)
            MinMaxChange();
    }
    if (minMax->Max() < value) {
        const float old = minMax->Max();
        minMax->SetMax(value);
        maxPPT = ppt;
        if (old != TMinMax::NoMax)
            MinMaxChange();
    }

    // 7, 8
    if (hintOptions & gv::hoAutoHint)
        MarkHintStale();
    if (OnValueChange)
        OnValueChange(this);
}

const QString &TGvAnalogGControl::hintPiece(HintPiece &c, const QString &label, float v, const QDateTime &when)
{
    const TSignalSettings &s = *signalSettings;
    const gv::THintOptions opts = hintOptions & (gv::hoMinMaxDate | gv::hoMinMaxTime);
    const unsigned gen = FormatSettingsGeneration();
    if (c.generation == gen && c.value == v && c.options == opts && c.when == when &&
        c.format == s.ValueFormat() && c.unit == s.ValueUnit())
        return c.text;
    const TFormatSettings &fs = FormatSettings();
    QString t = label + FormatFloat(s.ValueFormat(), v, fs) + u' ' + s.ValueUnit();
    if (opts & gv::hoMinMaxDate)
        t += u' ' + fs.formatShortDate(when);
    if (opts & gv::hoMinMaxTime)
        t += u' ' + fs.formatLongTime(when);
    c = HintPiece{v, when, opts, s.ValueFormat(), s.ValueUnit(), gen, t};
    return c.text;
}

QString TGvAnalogGControl::ValueText() const
{
    if (textsStale) {
        textsStale = false;
        digitText = QString::number(digit);
        valueText = FormatFloat(signalSettings->ValueFormat(), value);
    }
    return valueText;
}

QString TGvAnalogGControl::DigitText() const
{
    ValueText();
    return digitText;
}

void TGvAnalogGControl::ComposeHint()
{
    if (!(hintOptions & gv::hoAutoHint))
        return;
    const TSignalSettings &s = *signalSettings;
    QStringList parts;
    if (hintOptions & gv::hoValue)
        parts << QStringLiteral("Value= ") + ValueText() + u' ' + s.ValueUnit();
    if (hintOptions & gv::hoMin)
        parts << hintPiece(minPiece, QStringLiteral("MIN= "), minMax->Min(), minMax->MinDateTime());
    if (hintOptions & gv::hoMax)
        parts << hintPiece(maxPiece, QStringLiteral("MAX= "), minMax->Max(), minMax->MaxDateTime());
    if (hintOptions & gv::hoName1)
        parts << s.Name1();
    if (hintOptions & gv::hoName2)
        parts << s.Name2();
    SetHint(parts.join(QChar(13)));
}

void TGvAnalogGControl::loaded()
{
    if (!IsLoading())
        return;
    signalSettings->OnChange = [this](QObject *) { ParamChange(); };
    sectorSettings->OnChange = [this](QObject *) { ParamChange(); };
    minMax->OnChange = [this](QObject *) { MinMaxChange(); };
    minMax->SetMin(TMinMax::NoMin);
    minMax->SetMax(TMinMax::NoMax);
    TGvGraphicControl::loaded();
}

bool TGvAnalogGControl::flashAlarm(bool onOverflow, bool onLimit)
{
    const int p = PPT(); // not yet clamped while the value sequence runs
    const bool alarm = (onOverflow && (p > 1000 || p < 0)) || (onLimit && (UpperExceeded() || LowerExceeded()));
    if (alarm)
        FlashRegister(this, TFlashService::FlashInterval(gv::ff2Hz));
    else
        FlashUnregister(this);
    return alarm;
}
