#pragma once
// The Dig sub-page: the block of eight lamps (instrument 60), its colour and the captions of
// its lamps. The block is reached through its properties and its lamps by name, so this page
// needs nothing of the window's own classes.
#include <QGroupBox>
#include <array>

class QLineEdit;
class QPushButton;
class TColorBox;
class TGvLED;

class TDigitalPage : public QGroupBox {
    Q_OBJECT
public:
    explicit TDigitalPage(QWidget *parent = nullptr);

    // The page's reset when the Instruments page is shown.
    void ResetFields();
    void Select(QWidget *ledPanel, int id);
    // Colour and captions into the block; the page stays open. False with nothing selected.
    bool Apply();

    QPushButton *ApplyButton() const { return applyButton; }
    QPushButton *ShowButton() const { return showButton; }

    // Lamp n = 1 ... 8 of a lamp block; null where it has none.
    static TGvLED *Led(QWidget *ledPanel, int n);

private:
    QWidget *ledPanel = nullptr;
    std::array<QLineEdit *, 8> captions{};
    TColorBox *color;
    QPushButton *showButton, *applyButton;
};
