#pragma once
// The Instruments page: on the left one group per instrument kind with selector buttons and
// visibility boxes, on the right the page control with one sub-page per kind. The instruments
// are found on the panel by their names ("Instr" + id).
#include <QWidget>
#include <functional>

class QCheckBox;
class QTabWidget;
class QToolButton;
class TAMeterPage;
class TAktivLabelPage;
class TDigitalPage;
class TMiniTrendPage;
class TNumDisplayPage;
class TSevenSegPage;
class TSliderPage;
class TTasterPage;

class TInstrumentsPage : public QWidget {
    Q_OBJECT
public:
    TInstrumentsPage(QWidget *panel, QWidget *parent = nullptr);

    // Showing the page resets the sub-pages' fields; the selection itself stays.
    void PageShown();
    // A selector button: makes the instrument of id the selected one and loads its sub-page.
    void Select(int id);
    // "Werte zuweisen" for the selected instrument; false when nothing was written.
    bool Apply();

    int SelectedId() const { return selectedId; }
    QString SelectedName() const { return QStringLiteral("Instr%1").arg(selectedId); }
    QTabWidget *PageControl() const { return pageControl; }
    TAMeterPage *AMeterPage() const { return ameter; }
    TSevenSegPage *SevenSegPage() const { return sevenSeg; }
    TDigitalPage *DigitalPage() const { return digital; }
    TMiniTrendPage *MiniTrendPage() const { return miniTrend; }
    TNumDisplayPage *NumDisplayPage() const { return numDisplay; }
    TTasterPage *TasterPage() const { return taster; }
    TSliderPage *SliderPage() const { return slider; }
    TAktivLabelPage *AktivLabelPage() const { return aktivLabel; }

    // Set by the window: the visibility rule behind every check box, and "show the Show page".
    std::function<void(QCheckBox *box)> OnVisibilityClick;
    std::function<void()> OnShowPanel;

private:
    void BuildGroups(QWidget *left);
    QWidget *AddSubPage(const char *name, const QString &caption, bool enabled);
    // A sub-page whose fields fill the sheet of that name.
    template <class Page> Page *AddFieldsPage(const char *name, const QString &caption);
    // The sheet of a sub-page's fields becomes the current one.
    void ShowSheet(QWidget *fields);

    QWidget *panel;
    QTabWidget *pageControl;
    TAMeterPage *ameter;
    TSevenSegPage *sevenSeg;
    TDigitalPage *digital;
    TMiniTrendPage *miniTrend;
    TNumDisplayPage *numDisplay;
    TTasterPage *taster;
    TSliderPage *slider;
    TAktivLabelPage *aktivLabel;
    int selectedId = 0;
};
