#pragma once
// One-line number entry: checks every keystroke, colours itself by its state, takes suffixes
// (k, M, m ...) and one-entry notation prefixes, steps with the arrow keys and clamps to
// optional limits. TGvNumSpin adds auto-repeat up/down buttons inside the right edge.
#include "Color.h"

#include <QLineEdit>
#include <functional>

class TGvSpinButton;

class TGvNumEdit : public QLineEdit {
    Q_OBJECT
public:
    enum TEditBase { ebBin, ebHex, ebFloat, ebInt };
    Q_ENUM(TEditBase)
    enum TNumEditOption { eoLimitMax = 1, eoLimitMin = 2, eoMultiply = 4 };
    Q_DECLARE_FLAGS(TNumEditOptions, TNumEditOption)
    Q_FLAG(TNumEditOptions)
    enum TNumEditState { esNormal, esEditing, esError };
    Q_ENUM(TNumEditState)

private:
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE SetAutoSelect)
    Q_PROPERTY(TColor ColorDefault READ ColorDefault WRITE SetColorDefault)
    Q_PROPERTY(TColor ColorError READ ColorError WRITE SetColorError)
    Q_PROPERTY(TColor ColorEditing READ ColorEditing WRITE SetColorEditing)
    Q_PROPERTY(int DigitsBool READ DigitsBool WRITE SetDigitsBool)
    Q_PROPERTY(int DigitsHex READ DigitsHex WRITE SetDigitsHex)
    Q_PROPERTY(bool EditorEnabled READ EditorEnabled WRITE SetEditorEnabled)
    Q_PROPERTY(TEditBase EditBase READ EditBase WRITE SetEditBase)
    Q_PROPERTY(QString FormatStr READ FormatStr WRITE SetFormatStr)
    Q_PROPERTY(float Increment READ Increment WRITE SetIncrement)
    Q_PROPERTY(double MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(double MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(TNumEditOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(TNumEditState State READ State STORED false)
    Q_PROPERTY(double Value READ Value WRITE SetValue)
    Q_PROPERTY(QString ValueAsBool READ ValueAsBool WRITE SetValueAsBool STORED false)
    Q_PROPERTY(QString ValueAsHex READ ValueAsHex WRITE SetValueAsHex STORED false)
    Q_PROPERTY(float ValueAsSingle READ ValueAsSingle WRITE SetValueAsSingle STORED false)
    Q_PROPERTY(int ValueAsInt READ ValueAsInt WRITE SetValueAsInt STORED false)

public:
    explicit TGvNumEdit(QWidget *parent = nullptr);

    // Ends the loading phase; OnValueChanged fires only after it.
    void Loaded() { loading = false; }

    bool AutoSelect() const { return autoSelect; }
    void SetAutoSelect(bool b) { autoSelect = b; }
    TColor ColorDefault() const { return colorDefault; }
    void SetColorDefault(TColor c);
    TColor ColorError() const { return colorError; }
    void SetColorError(TColor c) { colorError = c; }
    TColor ColorEditing() const { return colorEditing; }
    void SetColorEditing(TColor c) { colorEditing = c; }
    int DigitsBool() const { return digitsBool; }
    void SetDigitsBool(int n) { digitsBool = n; }
    int DigitsHex() const { return digitsHex; }
    void SetDigitsHex(int n) { digitsHex = n; }
    bool EditorEnabled() const { return editorEnabled; }
    void SetEditorEnabled(bool b) { editorEnabled = b; }
    TEditBase EditBase() const { return editBase; }
    void SetEditBase(TEditBase b);
    QString FormatStr() const { return formatStr; }
    void SetFormatStr(const QString &f);
    // The number setters below ignore NaN and infinities: the value is always finite.
    float Increment() const { return increment; }
    void SetIncrement(float f);
    double MaxValue() const { return maxValue; }
    void SetMaxValue(double v);
    double MinValue() const { return minValue; }
    void SetMinValue(double v);
    TNumEditOptions Options() const { return options; }
    void SetOptions(TNumEditOptions o);
    TNumEditState State() const { return state; }
    double Value() const { return value; }
    void SetValue(double v);
    QString ValueAsBool() const { return valueAsBool; }
    void SetValueAsBool(const QString &t);
    QString ValueAsHex() const { return valueAsHex; }
    void SetValueAsHex(const QString &t);
    float ValueAsSingle() const { return valueAsSingle; }
    void SetValueAsSingle(float v);
    int ValueAsInt() const { return valueAsInt; }
    void SetValueAsInt(int v);

    bool AtMaximum() const { return atMax; }
    bool AtMinimum() const { return atMin; }

    void Increase();
    void Decrease();
    // Checks the text; with commit the value takes it. False when the text is no number.
    bool CheckText(bool commit);

    std::function<void(QObject *sender)> OnChange;
    std::function<void(QObject *sender)> OnLimit;
    std::function<void(QObject *sender)> OnValueChanged;
    std::function<void(QObject *sender)> OnKeyUp;

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void changeEvent(QEvent *e) override;
    // Called whenever the state, a limit flag or the value changed.
    virtual void StateChanged() {}

private:
    void setState(TNumEditState s);
    void setValueInternal(double x);
    double clampToLimits(double x);
    QString shownText() const;
    void showQuiet(const QString &t);
    void commitEmptyAsZero();
    void step(bool up);
    void applyBackground(TColor c);

    TColor colorDefault = clWindow;
    TColor colorError = TColor(255);
    TColor colorEditing = TColor(65280);
    int digitsBool = 0;
    int digitsHex = 0;
    bool editorEnabled = true;
    bool autoSelect = true;
    TEditBase editBase = ebFloat;
    QString formatStr = QStringLiteral("#0.#");
    float increment = 1.0f;
    double maxValue = 0, minValue = 0;
    TNumEditOptions options;
    TNumEditState state = esNormal;
    double value = 0;
    QString valueAsBool = QStringLiteral("0"), valueAsHex = QStringLiteral("0");
    float valueAsSingle = 0;
    int valueAsInt = 0;

    QString committed;
    bool atMax = false, atMin = false;
    bool loading = true;
    bool quiet = false; // text set by the field itself, not typed
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TGvNumEdit::TNumEditOptions)

class TGvNumSpin : public TGvNumEdit {
    Q_OBJECT
    Q_PROPERTY(int Interval READ Interval WRITE SetInterval)
    Q_PROPERTY(uint StartDelay READ StartDelay WRITE SetStartDelay)
public:
    explicit TGvNumSpin(QWidget *parent = nullptr);

    int Interval() const;
    void SetInterval(int ms);
    uint StartDelay() const;
    void SetStartDelay(uint ms);
    TGvSpinButton *Button() const { return button; }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void StateChanged() override;

private:
    int minHeight() const;
    TGvSpinButton *button;
};
