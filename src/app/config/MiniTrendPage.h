#pragma once
// The MiniTrend sub-page: range, factor, time scale, format, colour and unit of the mini
// trend's first channel. An apply whose numeric fields do not all convert changes nothing.
#include <QGroupBox>

class QLineEdit;
class QPushButton;
class TColorBox;
class TGvMiniTrend;
class TGvNumEdit;

class TMiniTrendPage : public QGroupBox {
    Q_OBJECT
public:
    explicit TMiniTrendPage(QWidget *parent = nullptr);

    // The page's reset when the Instruments page is shown.
    void ResetFields();
    // Fills the fields from trend; returns false when its hint was no number (the factor then
    // reads 1 and every other field is loaded all the same).
    bool Select(TGvMiniTrend *trend, int id);
    // Writes the fields into the selected trend; false (and nothing written) on a bad number.
    bool Apply();

    TGvMiniTrend *Trend() const { return trend; }
    QPushButton *ApplyButton() const { return applyButton; }
    QPushButton *ShowButton() const { return showButton; }

private:
    TGvMiniTrend *trend = nullptr;
    TGvNumEdit *from, *to, *factor, *timeScale;
    QLineEdit *format, *unit;
    TColorBox *color;
    QPushButton *showButton, *applyButton;
};
