#pragma once
// The 7Seg sub-page. Its digit, decimal and factor fields are also the live configuration of
// the display: the packet handler reads them for every value, without an apply.
#include <QGroupBox>

class QComboBox;
class QPushButton;
class TGvNumEdit;
class TGvNumSpin;
class TSevenSeg;

class TSevenSegPage : public QGroupBox {
    Q_OBJECT
public:
    explicit TSevenSegPage(QWidget *parent = nullptr);

    void Select(TSevenSeg *display, int id);
    // Colours and digit count into the display; the page stays open for more changes.
    void Apply();

    int Digits() const;
    int Decimals() const;
    // The factor the values are multiplied by: the field's last valid number.
    double Factor() const;

    QPushButton *ApplyButton() const { return applyButton; }
    QPushButton *ShowButton() const { return showButton; }

private:
    TSevenSeg *display = nullptr;
    TGvNumSpin *digits, *decimals;
    QComboBox *textColor, *background;
    TGvNumEdit *factor;
    QPushButton *showButton, *applyButton;
};
