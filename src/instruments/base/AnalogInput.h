#pragma once
// The analog input (keys, wheel, drag) of the dial.
#include "AnalogControl.h"

#include <QPointer>

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
    void hideEvent(QHideEvent *e) override;

    QPoint lastMousePos;
    int SavedCursor = 0;

private:
    void finishChange();
    void endKeyChange();
    // Whether key is one of the enabled keys that change the value.
    bool handlesKey(int key) const;

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
    bool keyHeld = false; // a key that changes the value is down
    bool inSlideArea = false;
};
