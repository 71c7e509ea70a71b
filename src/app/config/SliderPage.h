#pragma once
// The ASlider sub-page: name, range, unit, format and colour of a dial (80, 81). An apply whose
// range fields do not both convert changes nothing.
#include <QGroupBox>

class QLineEdit;
class QPushButton;
class TColorBox;
class TGvDial;
class TGvNumEdit;

class TSliderPage : public QGroupBox {
    Q_OBJECT
public:
    explicit TSliderPage(QWidget *parent = nullptr);

    void Select(TGvDial *dial, int id);
    // Writes the fields into the selected dial and closes the page; false (and nothing
    // written) when a range field holds no number.
    bool Apply();

    TGvDial *Dial() const { return dial; }
    QPushButton *ApplyButton() const { return applyButton; }
    QPushButton *ShowButton() const { return showButton; }

private:
    TGvDial *dial = nullptr;
    QLineEdit *name, *unit, *format;
    TGvNumEdit *from, *to;
    TColorBox *color;
    QPushButton *showButton, *applyButton;
};
