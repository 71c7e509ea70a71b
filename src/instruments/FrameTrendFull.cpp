#include "FrameTrendFull.h"

#include "Draw.h"
#include "GvTrend.h"
#include "GvValueInd.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

using namespace tg;

namespace {
constexpr int FrameW = 770, FrameH = 480, PanelH = 460, ColumnW = 41, RowH = 41, BottomH = 128;

QLabel *label(QWidget *parent, const QString &text, int x, int y, const char *name = nullptr)
{
    auto *l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    if (name)
        l->setObjectName(QString::fromLatin1(name));
    l->adjustSize();
    l->move(x, y);
    return l;
}

QCheckBox *check(QWidget *parent, const QString &text, int x, int y, bool checked, const QString &name)
{
    auto *c = new QCheckBox(text, parent);
    c->setObjectName(name);
    c->setChecked(checked);
    c->adjustSize();
    c->move(x, y);
    return c;
}

QToolButton *flatButton(QWidget *parent, const QRect &r, const QString &hint, Qt::ArrowType arrow, const QString &name)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setAutoRaise(true);
    b->setToolTip(hint);
    if (arrow != Qt::NoArrow)
        b->setArrowType(arrow);
    else
        b->setText(hint.left(1));
    b->setGeometry(r);
    return b;
}

void setupChannel(TChSettings &c, float from, float to, const QString &unit, const QString &format, TColor colour,
                  bool visible)
{
    c.SetName1(QStringLiteral("SignalName1"));
    c.SetName2(QStringLiteral("SignalName2"));
    c.SetValueFrom(from);
    c.SetValueTo(to);
    c.SetValueUnit(unit);
    if (!format.isEmpty())
        c.SetValueFormat(format);
    c.SetColor(colour);
    c.SetVisible(visible);
}
} // namespace

TFrame1::TFrame1(QWidget *parent) : QFrame(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qc(clSilver));
    setPalette(pal);
    setMinimumWidth(FrameW);
    setMaximumHeight(FrameH);
    resize(FrameW, FrameH);

    QLabel *hint = label(this, QStringLiteral("Move Instrument with Double Click at free Space on the Right >"), 8, 464);
    QPalette grey = hint->palette();
    grey.setColor(QPalette::WindowText, Qc(clGray));
    hint->setPalette(grey);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(0, 0, FrameW, PanelH);
    const int trendH = PanelH - RowH - BottomH;

    trend = new TGvTrend(panel);
    trend->setObjectName(QStringLiteral("GvTrend1"));
    trend->setGeometry(0, 0, FrameW - ColumnW, trendH);
    trend->SetCaption(QStringLiteral("Versuch Nr. 1"));
    trend->CaptionFont()->SetName(QStringLiteral("Arial"));
    trend->CaptionFont()->SetStyle(TFont::TFontStyles(TFont::fsBold));
    trend->CaptionFont()->SetColor(clMaroon);
    trend->Font()->SetHeight(-15);
    for (TTrendLimit *l : {trend->LimitUpper(), trend->LimitLower()}) {
        l->SetColor(clMaroon);
        l->SetFilled(false);
        l->SetEnabled(false);
    }
    trend->SetLeftScaleCh(2);
    trend->BevelOuter()->SurfaceGrad()->SetVisible(true);
    setupChannel(*trend->Channel1(), 0, 100, QStringLiteral("%"), QStringLiteral("##0.0"), clLime, true);
    trend->Channel1()->SetPenWidth(3);
    setupChannel(*trend->Channel2(), 0, 10, QStringLiteral("V"), QStringLiteral("#0.00"), clYellow, true);
    setupChannel(*trend->Channel3(), -5, 5, QStringLiteral("A"), {}, clRed, true);
    setupChannel(*trend->Channel4(), -40, 60, QStringLiteral("°C"), {}, clAqua, true);
    setupChannel(*trend->Channel5(), 47.5f, 51.5f, QStringLiteral("Hz"), {}, trend->Channel5()->Color(), false);
    setupChannel(*trend->Channel6(), 4, 20, QStringLiteral("mA"), {}, trend->Channel6()->Color(), false);
    setupChannel(*trend->Channel7(), 0, 20, QStringLiteral("mm/s"), {}, trend->Channel7()->Color(), false);
    setupChannel(*trend->Channel8(), -10, 200, QStringLiteral("MW"), {}, trend->Channel8()->Color(), false);
    trend->SetCursorLinePenMode(gv::pmNotMask);
    trend->SetColorGrid(clMaroon);
    trend->SetFillChannelNo(0);
    trend->SetGridXPixel(60);
    trend->SetInterval(500);
    trend->SetInterval2(100);
    trend->SetMaxRecords(10000);
    trend->SetOptions(TGvTrend::opCaption | TGvTrend::opGrid | TGvTrend::opCursorOnRec | TGvTrend::opSeparator |
                      TGvTrend::opTime | TGvTrend::opLeftScale | TGvTrend::opRightScale);
    trend->SetFlow(true);
    trend->SetStartRecording(true);
    trend->loaded();

    // Right column: zoom and move.
    const struct { const char *hint; Qt::ArrowType arrow; } column[] = {
        {"Move up", Qt::UpArrow}, {"ZoomIn", Qt::NoArrow}, {"default", Qt::NoArrow},
        {"ZoomOut", Qt::NoArrow}, {"Move down", Qt::DownArrow}};
    const int pitch = trendH / 5;
    for (int i = 0; i < 5; ++i)
        flatButton(panel, {FrameW - ColumnW, i * pitch, ColumnW, pitch}, QString::fromLatin1(column[i].hint),
                   column[i].arrow, QStringLiteral("SpeedButton%1").arg(i + 1));

    // Bottom row: navigation, recording and file controls.
    const int rowY = trendH;
    const Qt::ArrowType arrows[4] = {Qt::LeftArrow, Qt::LeftArrow, Qt::RightArrow, Qt::RightArrow};
    const char *arrowHints[4] = {"<<", "<", ">", ">>"};
    for (int i = 0; i < 4; ++i)
        flatButton(panel, {4 + i * 32, rowY + 4, 32, 32}, QString::fromLatin1(arrowHints[i]), arrows[i],
                   QStringLiteral("SpeedButton%1").arg(6 + i));
    check(panel, QStringLiteral("Start Recording"), 140, rowY + 4, true, QStringLiteral("CheckBoxStartRecording"));
    check(panel, QStringLiteral("Flow"), 140, rowY + 21, true, QStringLiteral("CheckBoxFlow"));
    label(panel, QStringLiteral("Run Interval 2"), 270, rowY + 4);
    label(panel, QStringLiteral("(300x100ms)"), 270, rowY + 21);
    flatButton(panel, {360, rowY + 4, 32, 32}, QStringLiteral("Run Interval 2"), Qt::NoArrow,
               QStringLiteral("SpeedButtonInterval2"));
    const char *files[4] = {"Load", "Save", "Delete", "Print"};
    for (int i = 0; i < 4; ++i) {
        auto *b = new QPushButton(QString::fromLatin1(files[i]), panel);
        b->setObjectName(QStringLiteral("Button%1").arg(QString::fromLatin1(files[i])));
        b->setGeometry(410 + i * 88, rowY + 8, 80, 25);
    }

    // Bottom panel: values at the cursor, record counters, scale channels, list length, visibility.
    auto *bottom = new QFrame(panel);
    bottom->setObjectName(QStringLiteral("PanelBottom"));
    bottom->setFrameShape(QFrame::StyledPanel);
    bottom->setGeometry(0, PanelH - BottomH, FrameW, BottomH);
    label(bottom, QStringLiteral("Value at Cursor"), 8, 4);
    label(bottom, QStringLiteral("Record :"), 8, 24);
    label(bottom, QString(), 80, 24, "LabelRecordNo");
    label(bottom, QStringLiteral("DateTime :"), 8, 42);
    label(bottom, QString(), 80, 42, "LabelDateTime");
    for (int i = 0; i < 4; ++i) {
        auto *v = new TGvValueInd(bottom);
        v->setObjectName(QStringLiteral("GvValueInd%1").arg(i + 1));
        const TChSettings &ch = *trend->Channel(i);
        v->SignalSettings()->SetValueFrom(ch.ValueFrom());
        v->SignalSettings()->SetValueTo(ch.ValueTo());
        v->SignalSettings()->SetValueUnit(ch.ValueUnit());
        v->SignalSettings()->SetValueFormat(ch.ValueFormat());
        v->SignalSettings()->SetName1(QStringLiteral("Channel %1").arg(i + 1));
        v->SetOptions(TGvValueInd::opName1 | TGvValueInd::opUnit);
        v->move(8 + i * 95, 62);
        v->loaded();
        valueInd[i] = v;
    }
    label(bottom, QStringLiteral("Total number of records: "), 400, 4);
    label(bottom, QString(), 560, 4, "LabelTotal");
    label(bottom, QStringLiteral("StartTime:"), 400, 22);
    label(bottom, QString(), 480, 22, "LabelStartTime");
    label(bottom, QStringLiteral("EndTime:"), 400, 40);
    label(bottom, QString(), 480, 40, "LabelEndTime");
    auto spin = [&](const QString &caption, int y, int value, const QString &name) {
        label(bottom, caption, 400, y + 3);
        auto *s = new QSpinBox(bottom);
        s->setObjectName(name);
        s->setRange(0, 8);
        s->setValue(value);
        s->setGeometry(480, y, 44, 22);
        check(bottom, QString(), 528, y + 3, false, QStringLiteral("CheckBox") + name);
        return s;
    };
    leftScaleCh = spin(QStringLiteral("LeftScaleCh"), 60, trend->LeftScaleCh(), QStringLiteral("NumSpinLeftScaleCh"));
    absScaleCh = spin(QStringLiteral("AbsScaleCh"), 86, trend->AbsScaleCh(), QStringLiteral("NumSpinAbsScaleCh"));
    label(bottom, QStringLiteral("Max Record Numbers"), 540, 4);
    maxRecords = new QListWidget(bottom);
    maxRecords->setObjectName(QStringLiteral("ListBoxMaxRecords"));
    for (const char *n : {"1000", "2000", "5000", "10000", "20000", "50000", "100000", "200000", "500000"})
        maxRecords->addItem(QString::fromLatin1(n));
    maxRecords->setCurrentRow(0);
    maxRecords->setGeometry(560, 22, 80, 98);
    label(bottom, QStringLiteral("Visible"), 672, 4);
    for (int i = 0; i < 4; ++i)
        check(bottom, QStringLiteral("Ch%1").arg(i + 1), 668, 22 + i * 17, true, QStringLiteral("CheckBoxCh%1").arg(i + 1))
            ->setEnabled(i < 2);
    check(bottom, QStringLiteral("Date"), 718, 22, false, QStringLiteral("CheckBoxDate"));
    check(bottom, QStringLiteral("Time"), 718, 39, true, QStringLiteral("CheckBoxTime"));
}
