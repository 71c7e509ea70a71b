#pragma once
// Standard controls of the window's pages with the property names the settings file keeps.
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QRadioButton>
#include <QTabWidget>

// An editable combo box whose typed or chosen text is kept as "Text".
class TTextComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString Text READ currentText WRITE setCurrentText)
public:
    using QComboBox::QComboBox;
};

// A radio button whose "Checked" can also be set false from outside, as a stored pair
// "both unchecked" must read back; clicks keep the group exclusive.
class TRadioButton : public QRadioButton {
    Q_OBJECT
    Q_PROPERTY(bool Checked READ isChecked WRITE SetChecked)
public:
    using QRadioButton::QRadioButton;

    void SetChecked(bool on)
    {
        setAutoExclusive(false);
        setChecked(on);
        setAutoExclusive(true);
    }
};

class TCheckBox : public QCheckBox {
    Q_OBJECT
    Q_PROPERTY(bool Checked READ isChecked WRITE setChecked)
public:
    using QCheckBox::QCheckBox;
};

// Pages whose tabs are hidden: they change only by menu and selection, so the keys a tab
// widget switches pages with (Ctrl+Tab, Ctrl+Shift+Tab) pass it by.
class TPageControl : public QTabWidget {
    Q_OBJECT
public:
    using QTabWidget::QTabWidget;

protected:
    void keyPressEvent(QKeyEvent *e) override { e->ignore(); }
};
