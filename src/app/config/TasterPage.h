#pragma once
// The Taster sub-page: caption, font and send mode of a push button (70 ... 73). The send mode
// lives in the button's hint text: "1" sends on press only, "0" on press and release.
#include "Font.h"

#include <QGroupBox>

class QLineEdit;
class QPushButton;
class QRadioButton;
class TGvColBitBtn;

class TTasterPage : public QGroupBox {
    Q_OBJECT
public:
    explicit TTasterPage(QWidget *parent = nullptr);

    void Select(TGvColBitBtn *button, int id);
    // Writes caption, font and send mode; the page stays open and the button stays where it
    // is in the stacking order.
    void Apply();
    // The font button: a confirmed font goes to the push button at once and is kept for apply.
    void ChooseButtonFont();

    TGvColBitBtn *Button() const { return button; }
    QPushButton *ApplyButton() const { return applyButton; }
    QPushButton *ShowButton() const { return showButton; }

private:
    TGvColBitBtn *button = nullptr;
    TFont buttonFont;
    QLineEdit *name;
    QRadioButton *single, *twice;
    QPushButton *showButton, *applyButton;
};
