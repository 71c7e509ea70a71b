#include "InstrumentsPage.h"

#include "AMeterPage.h"
#include "AktivLabelPage.h"
#include "ApplicationException.h"
#include "DigitalPage.h"
#include "FormControls.h"
#include "GvColBitBtn.h"
#include "GvDial.h"
#include "GvMiniTrend.h"
#include "GvVMeter.h"
#include "GvValueInd.h"
#include "MiniTrendPage.h"
#include "NumDisplayPage.h"
#include "SevenSeg.h"
#include "SevenSegPage.h"
#include "SliderPage.h"
#include "TasterPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <stdexcept>

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

// The page was loaded with factor 1 in place of the hint; the user learns why afterwards.
void ReportBadHint(const QString &hint)
{
    tg::handleApplicationException(std::make_exception_ptr(
        std::invalid_argument(QStringLiteral("'%1' is not a valid number").arg(hint).toStdString())));
}

} // namespace

TInstrumentsPage::TInstrumentsPage(QWidget *panel, QWidget *parent) : QWidget(parent), panel(panel)
{
    setObjectName(QStringLiteral("TabSheetInstrumente"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto *left = new QGroupBox(this);
    left->setObjectName(QStringLiteral("GroupBox1"));
    BuildGroups(left);
    // On a short screen or with a large font the groups scroll rather than being squeezed.
    auto *scroll = new QScrollArea(this);
    scroll->setWidget(left);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(left->sizeHint().width() + scroll->verticalScrollBar()->sizeHint().width());
    layout->addWidget(scroll);

    pageControl = new TPageControl(this);
    pageControl->setObjectName(QStringLiteral("PageControl2"));
    // Sub-pages change only through selection.
    pageControl->tabBar()->hide();
    pageControl->setEnabled(false);
    ameter = AddFieldsPage<TAMeterPage>("TabSheetAnalogMeter", QStringLiteral("AMeter"));
    digital = AddFieldsPage<TDigitalPage>("TabSheetDigital", QStringLiteral("Dig"));
    AddSubPage("TabSheet3", QStringLiteral("Virtuell"), false);
    miniTrend = AddFieldsPage<TMiniTrendPage>("TabSheetMiniTrend", QStringLiteral("MiniTrend"));
    AddSubPage("TabSheet5", QStringLiteral("FullTrend"), false);
    AddSubPage("TabSheet1", QStringLiteral("DesTool"), false);
    sevenSeg = AddFieldsPage<TSevenSegPage>("TabSheet7Seg", QStringLiteral("7Seg"));
    numDisplay = AddFieldsPage<TNumDisplayPage>("TabSheetNumDisplay", QStringLiteral("NumDisp"));
    taster = AddFieldsPage<TTasterPage>("TabSheetTaster", QStringLiteral("Taster"));
    slider = AddFieldsPage<TSliderPage>("TabSheetAnalogSlider", QStringLiteral("ASlider"));
    aktivLabel = AddFieldsPage<TAktivLabelPage>("TabSheetAktivLabel", QStringLiteral("AktivLabel"));
    layout->addWidget(pageControl, 1);

    // A sub-page that hides its fields after an apply ends the edit.
    const std::pair<QPushButton *, QWidget *> ending[] = {{ameter->ApplyButton(), ameter},
                                                          {miniTrend->ApplyButton(), miniTrend},
                                                          {numDisplay->ApplyButton(), numDisplay},
                                                          {slider->ApplyButton(), slider},
                                                          {aktivLabel->ApplyButton(), aktivLabel}};
    for (const auto &[apply, fields] : ending)
        connect(apply, &QPushButton::clicked, this, [this, fields = fields] {
            if (fields->isHidden())
                pageControl->setEnabled(false);
        });
    for (QPushButton *show : {ameter->ShowButton(), sevenSeg->ShowButton(), digital->ShowButton(),
                              miniTrend->ShowButton(), numDisplay->ShowButton(), taster->ShowButton(),
                              slider->ShowButton(), aktivLabel->ShowButton()})
        connect(show, &QPushButton::clicked, this, [this] {
            if (Apply() && OnShowPanel)
                OnShowPanel();
        });
}

template <class Page> Page *TInstrumentsPage::AddFieldsPage(const char *name, const QString &caption)
{
    QWidget *sheet = AddSubPage(name, caption, true);
    auto *page = new Page(sheet);
    new QVBoxLayout(sheet);
    sheet->layout()->addWidget(page);
    return page;
}

void TInstrumentsPage::ShowSheet(QWidget *fields)
{
    pageControl->setCurrentWidget(fields->parentWidget());
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
    // Two columns of groups; in a group, five ids to a row with the button above the box.
    auto *columns = new QGridLayout(left);
    columns->setContentsMargins(4, 4, 4, 4);
    constexpr int PerRow = 5;
    int placed = 0;
    for (const GroupDef &g : groups) {
        auto *box = new QGroupBox(QString::fromUtf8(g.caption), left);
        box->setObjectName(g.name);
        box->setEnabled(g.enabled);
        box->setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; color: maroon; }"));
        auto *grid = new QGridLayout(box);
        // Tight, so that both columns of groups and the widest fields page fit the window side
        // by side.
        grid->setVerticalSpacing(0);
        grid->setHorizontalSpacing(4);
        grid->setContentsMargins(4, grid->contentsMargins().top(), 4, grid->contentsMargins().bottom());
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
            grid->addWidget(button, col / PerRow * 2, col % PerRow);
            grid->addWidget(check, col / PerRow * 2 + 1, col % PerRow);
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
            grid->addWidget(check, col / PerRow * 2 + 1, col % PerRow);
            ++col;
        }
        columns->addWidget(box, placed % 6, placed / 6);
        ++placed;
    }
    columns->setRowStretch(6, 1);
}

void TInstrumentsPage::PageShown()
{
    pageControl->setCurrentIndex(0);
    ameter->ResetFields();
    digital->ResetFields();
    miniTrend->ResetFields();
    numDisplay->ResetFields();
    aktivLabel->ResetFields();
}

void TInstrumentsPage::Select(int id)
{
    pageControl->setEnabled(true);
    selectedId = id;
    const QString name = SelectedName();
    if (id >= 1 && id <= 10) {
        ShowSheet(ameter);
        if (auto *meter = panel->findChild<TGvVMeter *>(name); meter && !ameter->Select(meter, id))
            ReportBadHint(meter->Hint());
    } else if (id == 40) {
        ShowSheet(sevenSeg);
        if (auto *display = panel->findChild<TSevenSeg *>(name))
            sevenSeg->Select(display, id);
    } else if (id >= 41 && id <= 44) {
        ShowSheet(numDisplay);
        if (auto *indicator = panel->findChild<TGvValueInd *>(name))
            numDisplay->Select(indicator, id);
    } else if (id == 60) {
        ShowSheet(digital);
        if (auto *lamps = panel->findChild<QWidget *>(name))
            digital->Select(lamps, id);
    } else if (id == 35 || id == 36) {
        ShowSheet(aktivLabel);
        if (auto *label = panel->findChild<QWidget *>(name))
            aktivLabel->Select(label, id);
    } else if (id >= 70 && id <= 73) {
        ShowSheet(taster);
        if (auto *button = panel->findChild<TGvColBitBtn *>(name))
            taster->Select(button, id);
    } else if (id == 80 || id == 81) {
        ShowSheet(slider);
        if (auto *dial = panel->findChild<TGvDial *>(name))
            slider->Select(dial, id);
    } else if (id == 90) {
        ShowSheet(miniTrend);
        if (auto *trend = panel->findChild<TGvMiniTrend *>(name); trend && !miniTrend->Select(trend, id))
            ReportBadHint(trend->Hint());
    }
}

bool TInstrumentsPage::Apply()
{
    bool endsEdit = false;
    bool applied = false;
    if (selectedId >= 1 && selectedId <= 10) {
        applied = endsEdit = ameter->Apply();
    } else if (selectedId == 40) {
        // The display's page stays open: its fields go on steering the display.
        sevenSeg->Apply();
        applied = true;
    } else if (selectedId >= 41 && selectedId <= 44) {
        applied = endsEdit = numDisplay->Apply();
    } else if (selectedId == 60) {
        applied = digital->Apply();
    } else if (selectedId == 35 || selectedId == 36) {
        applied = endsEdit = aktivLabel->Apply();
    } else if (selectedId >= 70 && selectedId <= 73) {
        // The push button's page stays open.
        taster->Apply();
        applied = true;
    } else if (selectedId == 80 || selectedId == 81) {
        applied = endsEdit = slider->Apply();
    } else if (selectedId == 90) {
        applied = endsEdit = miniTrend->Apply();
    }
    if (endsEdit)
        pageControl->setEnabled(false);
    return applied;
}
