#pragma once
// The AktivLabel sub-page: background colour, transparency, alignment and font of a text label
// (35, 36). The label class belongs to the application layer above this library, so the page
// reaches the label through its stored properties (Color, Transparent, Alignment, Font).
#include "Font.h"

#include <QGroupBox>

class QCheckBox;
class QPushButton;
class QRadioButton;
class TColorBox;

class TAktivLabelPage : public QGroupBox {
    Q_OBJECT
public:
    explicit TAktivLabelPage(QWidget *parent = nullptr);

    // The page's reset when the Instruments page is shown.
    void ResetFields();
    // False when `label` lacks one of the properties the page edits; the page then keeps no
    // reference to it.
    bool Select(QWidget *label, int id);
    // Writes the fields into the selected label and closes the page.
    bool Apply();
    // The font button: a confirmed font goes to the label at once and is kept for apply.
    void ChooseLabelFont();

    QWidget *Label() const { return label; }
    QPushButton *ApplyButton() const { return applyButton; }
    QPushButton *ShowButton() const { return showButton; }

private:
    QWidget *label = nullptr;
    TFont *labelFont = nullptr; // the label's own font object
    TFont pendingFont;
    TColorBox *background;
    QCheckBox *transparent;
    QRadioButton *left, *centre, *right;
    QPushButton *showButton, *applyButton;
};
