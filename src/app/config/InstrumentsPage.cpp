#include "InstrumentsPage.h"

#include "AMeterPage.h"
#include "FormControls.h"
#include "GvVMeter.h"
#include "SevenSeg.h"
#include "SevenSegPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

struct GroupDef {
    const char *name;
    const char *caption;
    bool enabled;
    std::vector<int> selectable; // a selector button and an enabled box each
    std::vector<int> disabled;   // boxes shown but not usable
    bool sendsToDevice; // push buttons and sliders say so in their tooltip
};

const QString MeterTip = QStringLiteral(" Vertikal Analog Meter ");
const QString ButtonTip = QStringLiteral("  Buttons send to MC ");

std::vector<int> Range(int from, int to)
{
    std::vector<int> v;
    for (int i = from; i <= to; ++i)
        v.push_back(i);
    return v;
}

QString TwoDigits(int id) { return QStringLiteral("%1").arg(id, 2, 10, QLatin1Char('0')); }

} // namespace

TInstrumentsPage::TInstrumentsPage(QWidget *panel, QWidget *parent) : QWidget(parent), panel(panel)
{
    setObjectName(QStringLiteral("TabSheetInstrumente"));
    auto *layout = new QHBoxLayout(this);
    auto *left = new QGroupBox(this);
    left->setObjectName(QStringLiteral("GroupBox1"));
    BuildGroups(left);
    layout->addWidget(left);

    pageControl = new QTabWidget(this);
    pageControl->setObjectName(QStringLiteral("PageControl2"));
    // Sub-pages change only through selection.
    pageControl->tabBar()->hide();
    pageControl->setEnabled(false);
    QWidget *ameterSheet = AddSubPage("TabSheetAnalogMeter", QStringLiteral("AMeter"), true);
    ameter = new TAMeterPage(ameterSheet);
    new QVBoxLayout(ameterSheet);
    ameterSheet->layout()->addWidget(ameter);
    AddSubPage("TabSheetDigital", QStringLiteral("Dig"), true);
    AddSubPage("TabSheet3", QStringLiteral("Virtuell"), false);
    AddSubPage("TabSheetMiniTrend", QStringLiteral("MiniTrend"), true);
    AddSubPage("TabSheet5", QStringLiteral("FullTrend"), false);
    AddSubPage("TabSheet1", QStringLiteral("DesTool"), false);
    QWidget *sevenSegSheet = AddSubPage("TabSheet7Seg", QStringLiteral("7Seg"), true);
    sevenSeg = new TSevenSegPage(sevenSegSheet);
    new QVBoxLayout(sevenSegSheet);
    sevenSegSheet->layout()->addWidget(sevenSeg);
    AddSubPage("TabSheetNumDisplay", QStringLiteral("NumDisp"), true);
    AddSubPage("TabSheetTaster", QStringLiteral("Taster"), true);
    AddSubPage("TabSheetAnalogSlider", QStringLiteral("ASlider"), true);
    AddSubPage("TabSheetAktivLabel", QStringLiteral("AktivLabel"), true);
    layout->addWidget(pageControl, 1);

    connect(ameter->ApplyButton(), &QPushButton::clicked, this, [this] {
        if (ameter->isHidden())
            pageControl->setEnabled(false);
    });
    for (QPushButton *show : {ameter->ShowButton(), sevenSeg->ShowButton()})
        connect(show, &QPushButton::clicked, this, [this] {
            if (Apply() && OnShowPanel)
                OnShowPanel();
        });
}

QWidget *TInstrumentsPage::AddSubPage(const char *name, const QString &caption, bool enabled)
{
    auto *sheet = new QWidget(pageControl);
    sheet->setObjectName(name);
    sheet->setEnabled(enabled);
    pageControl->addTab(sheet, caption);
    return sheet;
}

void TInstrumentsPage::BuildGroups(QWidget *left)
{
    const GroupDef groups[] = {
        {"GroupBox2", "Vert.Meter", true, Range(1, 10), {}, false},
        {"GroupBox3", "270° Meter", false, {}, Range(20, 23), false},
        {"GroupBox5", "Dig.Display", true, {60}, Range(61, 65), false},
        {"GroupBox6", "Taster", true, Range(70, 73), Range(74, 79), true},
        {"GroupBox4", "Mini Trend", true, {90}, {91}, false},
        {"GroupBox7", "Horiz.Meter", false, {}, Range(30, 33), false},
        {"GroupBox8", "Virt.Channel", false, {}, {}, false},
        {"GroupBox16", "Design Tools", true, {}, Range(24, 26), false},
        {"GroupBox17", "Full Trend", false, {}, Range(51, 58), false},
        {"GroupBox19", "Num Display", true, Range(40, 44), {}, false},
        {"GroupBox20", "Slider", true, {80, 81}, {82, 83}, true},
        {"GroupBox15", "AktivLabel", true, {35, 36}, {37, 38}, false},
    };
    auto *column = new QVBoxLayout(left);
    for (const GroupDef &g : groups) {
        auto *box = new QGroupBox(QString::fromUtf8(g.caption), left);
        box->setObjectName(g.name);
        box->setEnabled(g.enabled);
        box->setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; color: maroon; }"));
        auto *grid = new QGridLayout(box);
        int col = 0;
        for (int id : g.selectable) {
            auto *button = new QToolButton(box);
            button->setObjectName(QStringLiteral("CButton%1").arg(id));
            button->setText(QLatin1Char('#') + TwoDigits(id));
            button->setToolTip(g.sendsToDevice ? ButtonTip : MeterTip);
            button->setAutoRaise(true);
            connect(button, &QToolButton::clicked, this, [this, id] { Select(id); });
            auto *check = new TCheckBox(QStringLiteral("   #") + TwoDigits(id), box);
            check->setObjectName(QStringLiteral("CheckBox%1").arg(id));
            connect(check, &QCheckBox::clicked, this, [this, check] {
                if (OnVisibilityClick)
                    OnVisibilityClick(check);
            });
            grid->addWidget(button, 0, col);
            grid->addWidget(check, 1, col);
            ++col;
        }
        // The virtual channels have two unnumbered boxes.
        std::vector<QString> offCaptions;
        for (int id : g.disabled)
            offCaptions.push_back(QStringLiteral("   #") + TwoDigits(id));
        if (std::string_view(g.name) == "GroupBox8")
            offCaptions = {QStringLiteral("   #n"), QStringLiteral("   #n")};
        for (const QString &caption : offCaptions) {
            auto *check = new TCheckBox(caption, box);
            check->setEnabled(false);
            grid->addWidget(check, 1, col++);
        }
        column->addWidget(box);
    }
    column->addStretch();
}

void TInstrumentsPage::PageShown()
{
    pageControl->setCurrentIndex(0);
    ameter->ResetFields();
}

void TInstrumentsPage::Select(int id)
{
    pageControl->setEnabled(true);
    selectedId = id;
    if (id >= 1 && id <= 10) {
        pageControl->setCurrentIndex(0);
        if (auto *meter = panel->findChild<TGvVMeter *>(SelectedName()))
            ameter->Select(meter, id);
    } else if (id == 40) {
        pageControl->setCurrentWidget(sevenSeg->parentWidget());
        if (auto *display = panel->findChild<TSevenSeg *>(SelectedName()))
            sevenSeg->Select(display, id);
    }
}

bool TInstrumentsPage::Apply()
{
    if (selectedId >= 1 && selectedId <= 10 && ameter->Apply()) {
        pageControl->setEnabled(false);
        return true;
    }
    if (selectedId == 40) {
        // The display's page stays open: its fields go on steering the display.
        sevenSeg->Apply();
        return true;
    }
    return false;
}
