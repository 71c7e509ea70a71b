#pragma once
// The NumDisp sub-page: name, factor, unit, format, colours and the two fonts of a value
// indicator (41 ... 44). The factor is kept in the indicator's upper limit. An apply whose
// factor does not convert changes nothing.
#include "Font.h"

#include <QGroupBox>

class QLineEdit;
class QPushButton;
class TColorBox;
class TGvNumEdit;
class TGvValueInd;

class TNumDisplayPage : public QGroupBox {
    Q_OBJECT
public:
    explicit TNumDisplayPage(QWidget *parent = nullptr);

    // The page's reset when the Instruments page is shown.
    void ResetFields();
    void Select(TGvValueInd *indicator, int id);
    // Writes the fields into the selected indicator; false (and nothing written) on a bad factor.
    bool Apply();
    // The font buttons: a confirmed font goes to the indicator at once and is kept for apply.
    void ChooseNameFont();
    void ChooseValueFont();

    TGvValueInd *Indicator() const { return indicator; }
    QPushButton *ApplyButton() const { return applyButton; }
    QPushButton *ShowButton() const { return showButton; }

private:
    TGvValueInd *indicator = nullptr;
    TFont nameFont;
    TFont valueFont;
    QLineEdit *name, *unit, *format;
    TGvNumEdit *factor;
    TColorBox *instrColor, *background;
    QPushButton *showButton, *applyButton;
};
