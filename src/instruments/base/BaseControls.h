#pragma once
// The base controls every instrument stands on:
//   TGvControl        common root: hint text, update lock, loaded(), flash messages, mouse events
//   TGvGraphicControl instruments that only show (meters, value indicator)
//   TGvAnalogGControl the analog value model (Value, Digit, PPT, sectors, limits, overflow,
//                     min/max, automatic hint, value events)
//   TGvBinGControl    the on/off model (Checked, StatusInt, StatusBit, Mode, groups, flashing)
//   TGvCustomControl  instruments that take the keyboard focus
//   TGvAnalogCControl the analog input (keys, wheel, drag) of the dial
// The controls do not paint. Instruments override the hooks (ParamChange, ValueChange,
// OverflowChange, LimitChange, StatusChanged, FlashChange ...) to lay out and call update().
#include "GvTypes.h"
#include "Records.h"

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>

class TGvControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
public:
    explicit TGvControl(QWidget *parent = nullptr);
    ~TGvControl() override; // leaves the flash service

    // The hint is only a stored text (the panel keeps factors in it); it is not a tooltip.
    QString Hint() const { return hint; }
    void SetHint(const QString &s) { hint = s; }
    bool ShowHint() const { return showHint; }
    void SetShowHint(bool b) { showHint = b; }
    int Tag = 0;

    // Own font of the control (drawing font of the instruments).
    TFont *Font() const { return font; }
    void SetFont(const TFont *f);

    // Update lock: held from construction until loaded(); Change runs ParamChange only when
    // the lock is 0.
    void BeginUpdate();
    void EndUpdate();
    int UpdateLock() const { return updateLock; }
    virtual void Change();
    virtual void ParamChange() {}

    // Called once after construction and the form's initial values: wires the change notices
    // and releases the constructor's update lock (which runs Change).
    virtual void loaded();
    bool IsLoading() const { return loading; }

    // Marks the cached background stale and asks for a repaint.
    void Invalidate();
    bool BackgroundStale = true;

    // A message of the flash service (counter, phase / lateness / 0).
    virtual void FlashMessage(uint32_t counter, int param);

    std::function<void(QObject *sender)> OnClick;
    std::function<void(QObject *sender)> OnDblClick;
    std::function<void(QObject *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)> OnMouseDown;
    std::function<void(QObject *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)> OnMouseUp;
    std::function<void(QObject *sender, Qt::KeyboardModifiers shift, int x, int y)> OnMouseMove;

protected:
    bool event(QEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;

private:
    QString hint;
    bool showHint = false;
    TFont *font;
    int updateLock = 0;
    bool loading = true;
};

class TGvGraphicControl : public TGvControl {
    Q_OBJECT
public:
    using TGvControl::TGvControl;
};

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
    // Stored only when not all eight (Qt 6 has no per-object STORED functions).
    bool IsHintOptionsStored() const { return hintOptions != AllHintOptions; }
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
    QString ValueText() const { return valueText; }
    QString DigitText() const { return digitText; }
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
    void UpdateHint();

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
    QString valueText, digitText;
    bool overflowHigh = false, overflowLow = false;
    bool upperExceeded = true, lowerExceeded = true;
    int limitUpperPPT = 900, limitLowerPPT = 100;
    int ppt = 500;
    int maxPPT = 0, minPPT = 0;
    bool inSector[3] = {false, false, false};
    TColor sectorColor = clYellow;
};

class TGvBinGControl : public TGvControl {
    Q_OBJECT
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked STORED true)
    Q_PROPERTY(bool Flashing READ Flashing WRITE SetFlashing STORED true)
    Q_PROPERTY(gv::TFlashFreq Frequency READ Frequency WRITE SetFrequency STORED true)
    Q_PROPERTY(int StatusInt READ StatusInt WRITE SetStatusInt STORED true)
    Q_PROPERTY(int StatusBit READ StatusBit WRITE SetStatusBit STORED true)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex STORED true)
    Q_PROPERTY(gv::TMode Mode READ Mode WRITE SetMode STORED true)
public:
    explicit TGvBinGControl(QWidget *parent = nullptr);

    bool Checked() const { return checked; }
    bool Flashing() const { return flashing; }
    gv::TFlashFreq Frequency() const { return frequency; }
    int StatusInt() const { return int(statusInt); }
    int StatusBit() const { return statusBit; }
    int GroupIndex() const { return groupIndex; }
    gv::TMode Mode() const { return mode; }
    bool Pressed() const { return pressed; }
    int FirstSetBit() const { return firstSetBit; }

    void SetChecked(bool b);
    void SetFlashing(bool b);
    void SetFrequency(gv::TFlashFreq f);
    void SetStatusInt(int v);
    void SetStatusBit(int n);    // 0 to 31
    void SetGroupIndex(int g);   // >= 0
    void SetMode(gv::TMode m);

    // Hooks
    virtual void StatusChanged() {}
    virtual void GroupIndexChanged() {}
    virtual void StatusIntChanged() {}
    virtual void FlashChange(bool on) { Q_UNUSED(on); }
    void FlashMessage(uint32_t counter, int param) override;

    std::function<void(QObject *sender)> OnStatusChanged;
    std::function<void(QObject *sender)> OnStatusIntChanged;

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    void updateFlashRegistration();
    QList<TGvBinGControl *> groupMembers() const;

    bool checked = false;
    gv::TFlashFreq frequency = gv::ff1Hz;
    bool flashing = false;
    uint32_t statusInt = 0; // a bit set: bit 31 must not overflow
    int statusBit = 0;
    int groupIndex = 0;
    gv::TMode mode = gv::mIndicator;
    bool pressed = false;
    int firstSetBit = 32;
};

class TGvCustomControl : public TGvControl {
    Q_OBJECT
public:
    explicit TGvCustomControl(QWidget *parent = nullptr);
};

class TGvAnalogCControl : public TGvCustomControl {
    Q_OBJECT
    Q_PROPERTY(int Digit READ Digit WRITE SetDigit STORED false)
    Q_PROPERTY(float Value READ Value WRITE SetValue)
    Q_PROPERTY(int ChangeLarge READ ChangeLarge WRITE SetChangeLarge)
    Q_PROPERTY(int ChangeSmall READ ChangeSmall WRITE SetChangeSmall)
    Q_PROPERTY(TSignalSettings *SignalSettings READ SignalSettings)
    Q_PROPERTY(TColor ColorFocus READ ColorFocus WRITE SetColorFocus)
    Q_PROPERTY(TColor ColorNonFocus READ ColorNonFocus WRITE SetColorNonFocus)
    Q_PROPERTY(int CursorSlide READ CursorSlide WRITE SetCursorSlide)
    Q_PROPERTY(bool EnableKeyboard READ EnableKeyboard WRITE SetEnableKeyboard)
    Q_PROPERTY(gv::TEnabledKeys EnabledKeys READ EnabledKeys WRITE SetEnabledKeys STORED true)
    Q_PROPERTY(TGvAnalogGControl *ValueIndicator READ ValueIndicator WRITE SetValueIndicator)
public:
    explicit TGvAnalogCControl(QWidget *parent = nullptr);

    int Digit() const { return digit; }
    float Value() const { return value; }
    int ChangeLarge() const { return changeLarge; }
    int ChangeSmall() const { return changeSmall; }
    TSignalSettings *SignalSettings() const { return signalSettings; }
    TColor ColorFocus() const { return colorFocus; }
    TColor ColorNonFocus() const { return colorNonFocus; }
    int CursorSlide() const { return cursorSlide; }
    bool EnableKeyboard() const { return enableKeyboard; }
    gv::TEnabledKeys EnabledKeys() const { return enabledKeys; }
    TGvAnalogGControl *ValueIndicator() const { return valueIndicator.data(); }

    // Clamped to the digital range; fires OnValueChange (not while loading).
    void SetDigit(int d);
    // Clamped to the value range, then SetDigit; non-finite values are ignored.
    void SetValue(float v);
    void SetChangeLarge(int v) { changeLarge = v; }
    void SetChangeSmall(int v) { changeSmall = v; }
    void SetColorFocus(TColor c);
    void SetColorNonFocus(TColor c);
    void SetCursorSlide(int c) { cursorSlide = c; }
    void SetEnableKeyboard(bool b) { enableKeyboard = b; }
    void SetEnabledKeys(gv::TEnabledKeys k) { enabledKeys = k; }
    void SetValueIndicator(TGvAnalogGControl *c);

    // up > 0: Digit + up; else Digit - down; clamped to the digital range.
    void ChangeDigitBy(int up, int down);

    QString ValueText() const { return valueText; }
    QString DigitText() const { return digitText; }
    bool ValueChangedPending() const { return valueChangedPending; }
    bool Dragging() const { return dragging; }
    QPoint LastMousePos() const { return lastMousePos; }
    bool InSlideArea() const { return inSlideArea; }
    // Set by the descendant: the area where a drag moves the value (left, top, width,
    // height; the bottom row y = top + height still counts as inside).
    QRect SlideArea;
    bool RoundSlideArea = false;
    bool HitTest(int x, int y) const;

    // Hooks
    void ParamChange() override;
    virtual void ValueChange();
    virtual void MouseSlide(Qt::KeyboardModifiers shift, int x, int y, QPoint lastPos);
    void loaded() override;

    std::function<void(QObject *sender)> OnValueChange;
    std::function<void(QObject *sender)> OnValueChanged;
    std::function<void(QObject *sender, int key, Qt::KeyboardModifiers shift)> OnKeyDown;
    std::function<void(QObject *sender, int key, Qt::KeyboardModifiers shift)> OnKeyUp;

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void changeEvent(QEvent *e) override;

    QPoint lastMousePos;
    int SavedCursor = 0;

private:
    void finishChange();

    int changeLarge = 10, changeSmall = 1;
    int digit = 0;
    float value = 0.0f;
    TSignalSettings *signalSettings;
    int cursorSlide = 5;
    bool enableKeyboard = true;
    gv::TEnabledKeys enabledKeys = gv::TEnabledKeys(0xFF);
    TColor colorFocus = clLime, colorNonFocus = clGreen;
    QPointer<TGvAnalogGControl> valueIndicator;
    bool valueChangedPending = false;
    QString valueText, digitText;
    bool dragging = false;
    bool inSlideArea = false;
};
