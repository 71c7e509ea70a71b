#pragma once
// The AMeter sub-page: the fields of one vertical meter, loaded on selection and written back
// by "Werte zuweisen". An apply whose numeric fields do not all convert changes nothing.
#include "Font.h"

#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class TGvNumEdit;
class TGvNumSpin;
class TGvVMeter;

class TAMeterPage : public QGroupBox {
    Q_OBJECT
public:
    explicit TAMeterPage(QWidget *parent = nullptr);

    // The page's reset when the Instruments page is shown.
    void ResetFields();
    // Fills the fields from meter (id for the caption); returns false when its hint was no
    // number (the factor then reads 1 and every other field is loaded all the same).
    bool Select(TGvVMeter *meter, int id);
    // Writes the fields into the selected meter; false (and nothing written) on a bad number.
    bool Apply();
    // "Set to Default": steps, substeps and the two pending fonts; the meter is untouched.
    void SetToDefault();
    // The font buttons: a confirmed font goes to the meter at once and is kept for apply.
    void ChooseNameFont();
    void ChooseScaleFont();

    TGvVMeter *Meter() const { return meter; }
    QPushButton *ApplyButton() const { return applyButton; }
    QPushButton *ShowButton() const { return showButton; }
    QPushButton *DefaultButton() const { return defaultButton; }

private:
    TGvVMeter *meter = nullptr;
    TFont pendingNameFont;
    TFont pendingScaleFont;
    QLineEdit *name, *unit, *format;
    TGvNumEdit *from, *to, *factor;
    QCheckBox *frameOuter, *frameInner;
    TGvNumSpin *width, *height, *steps, *subSteps;
    QComboBox *scaleColor, *pointerColor, *background, *instrColor;
    QPushButton *defaultButton, *showButton, *applyButton;
};
