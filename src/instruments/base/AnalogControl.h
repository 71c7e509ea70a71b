#pragma once
// The analog value model (Value, Digit, PPT, sectors, limits, overflow, min/max, automatic
// hint, value events) of the meters and indicators.
#include "GvControl.h"

#include <QDateTime>

class TGvAnalogGControl : public TGvGraphicControl {
    Q_OBJECT
    Q_PROPERTY(int Digit READ Digit WRITE SetDigit STORED true)
    Q_PROPERTY(float LimitUpper READ LimitUpper WRITE SetLimitUpper)
    Q_PROPERTY(float LimitLower READ LimitLower WRITE SetLimitLower)
    Q_PROPERTY(gv::THintOptions HintOptions READ HintOptions WRITE SetHintOptions)
    Q_PROPERTY(TSectorSettings *SectorSettings READ SectorSettings)
    Q_PROPERTY(TSignalSettings *SignalSettings READ SignalSettings)
    Q_PROPERTY(TMinMax *MinMax READ MinMax)
    Q_PROPERTY(float Value READ Value WRITE SetValue)
public:
    static constexpr gv::THintOptions AllHintOptions = gv::THintOptions(0xFF);

    explicit TGvAnalogGControl(QWidget *parent = nullptr);

    int Digit() const { return digit; }
    float LimitUpper() const { return limitUpper; }
    float LimitLower() const { return limitLower; }
    gv::THintOptions HintOptions() const { return hintOptions; }
    // Stored only when not all eight (Qt 6 has no STORED functions: the settings file asks
    // Is<Property>Stored when an object has it).
    Q_INVOKABLE bool IsHintOptionsStored() const { return hintOptions != AllHintOptions; }
    TSectorSettings *SectorSettings() const { return sectorSettings; }
    TSignalSettings *SignalSettings() const { return signalSettings; }
    TMinMax *MinMax() const { return minMax; }
    float Value() const { return value; }

    // Ignored for non-finite values, an unchanged value and, in log mode, values <= 0.
    void SetValue(float v);
    void SetDigit(int d);
    void SetLimitUpper(float x);
    void SetLimitLower(float x); // 0 is stored as 0.0001
    void SetHintOptions(gv::THintOptions s);
    // Published by the meters as LogScale.
    bool LogScale() const { return logScale; }
    void SetLogScale(bool b);

    double DigitsPerDecade() const { return digitsPerDecade; }
    double DecadeOffset() const { return decadeOffset; }
    QString ValueText() const;
    QString DigitText() const;
    bool OverflowHigh() const { return overflowHigh; }
    bool OverflowLow() const { return overflowLow; }
    bool UpperExceeded() const { return upperExceeded; }
    bool LowerExceeded() const { return lowerExceeded; }
    int LimitUpperPPT() const { return limitUpperPPT; }
    int LimitLowerPPT() const { return limitLowerPPT; }
    int PPT() const { return ppt; } // 0 ... 1000
    TColor FlashColorOff = clYellow;
    TColor FlashColorOn = clRed;
    int MaxPPT() const { return maxPPT; }
    int MinPPT() const { return minPPT; }
    bool InSector1() const { return inSector[0]; }
    bool InSector2() const { return inSector[1]; }
    bool InSector3() const { return inSector[2]; }
    TColor SectorColor() const { return sectorColor; }

    // The digit of a value and the value of a digit in the current mode (saturated; a digit
    // whose value cannot be computed gives the current Value).
    int DigitOf(double v) const;
    float ValueOfDigit(int d) const;

    // Hooks
    void ParamChange() override;
    virtual void ValueChange();
    virtual void OverflowChange(int ppt) { Q_UNUSED(ppt); }
    virtual void LimitChange() {}
    virtual void MinMaxChange();
    virtual void LogScaleChange();
    void loaded() override;

    std::function<void(QObject *sender)> OnMinMaxChange;
    std::function<void(QObject *sender, bool lower, bool upper)> OnLimit;
    std::function<void(QObject *sender, int ppt)> OnOverflow;
    std::function<void(QObject *sender)> OnSettingsChange;
    std::function<void(QObject *sender, bool sector1, bool sector2, bool sector3, bool enter)> OnSectorChange;
    std::function<void(QObject *sender)> OnValueChange;

protected:
    void CheckLimits();
    // Flashes the control at 2 Hz while its value is beyond the scale (onOverflow) or beyond a
    // limit (onLimit), and stops it otherwise; true while it flashes.
    bool flashAlarm(bool onOverflow, bool onLimit);
    void ComposeHint() override;

private:
    void updateLogFactors();

    // The min and max pieces of the hint change only with a new extreme; formatting dates
    // at every value would cost more than the rest of the value model.
    struct HintPiece {
        float value = 0;
        QDateTime when;
        gv::THintOptions options;
        QString format, unit;
        unsigned generation = ~0u;
        QString text;
    };
    const QString &hintPiece(HintPiece &cache, const QString &label, float v, const QDateTime &when);
    HintPiece minPiece, maxPiece;

    int digit = 500;
    gv::THintOptions hintOptions = AllHintOptions;
    TSectorSettings *sectorSettings;
    TSignalSettings *signalSettings;
    TMinMax *minMax;
    float value = 50.0f;
    float limitUpper = 90.0f, limitLower = 10.0f;
    bool logScale = false;
    double digitsPerDecade = 0, decadeOffset = 0;
    // Formatted when read, not at every value: a fast device sends far more values than
    // anyone reads.
    mutable QString valueText, digitText;
    mutable bool textsStale = true;
    bool overflowHigh = false, overflowLow = false;
    bool upperExceeded = true, lowerExceeded = true;
    int limitUpperPPT = 900, limitLowerPPT = 100;
    int ppt = 500;
    int maxPPT = 0, minPPT = 0;
    bool inSector[3] = {false, false, false};
    TColor sectorColor = clYellow;
};
