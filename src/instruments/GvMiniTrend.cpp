#include "GvMiniTrend.h"

#include "Announcer.h"
#include "Bevel.h"
#include "Draw.h"
#include "FlashService.h"
#include "FormatSettings.h"
#include "NumberFormat.h"
#include "Numeric.h"
#include "Scale.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cstring>
#include <limits>

using namespace tg;

std::function<QDateTime()> TGvMiniTrend::Now = [] { return QDateTime::currentDateTime(); };

namespace {
// Longest period asked of the flash service at once, so the first sample comes soon after a
// start; the real interval follows with the first sample.
constexpr int FirstSamplePeriod = 200;

int toRow(double v) { return roundTo<int16_t>(v); }
} // namespace

TGvMiniTrend::TGvMiniTrend(QWidget *parent) : TGvGraphicControl(parent)
{
    captionFont = new TFont(this);
    captionFont->SetName(QStringLiteral("Arial"));
    captionFont->SetSize(14);
    captionFont->SetStyle(TFont::TFontStyles(TFont::fsUnderline));
    bevelInner = new TGvSBevel(this);
    bevelInner->SetStyle(gv::bsLowered);
    bevelInner->SetSpacing(0);
    bevelInner->SetWidth(2);
    bevelInner->SetBevelLine(gv::blNone);
    bevelOuter = new TGvSBevel(this);
    bevelOuter->SetSpacing(10);
    bevelOuter->SetWidth(2);
    bevelOuter->SetBevelLine(gv::blOuter);
    for (Channel &c : ch) {
        c.settings = new TSignalSettings(this);
        c.settings->SetName1(QStringLiteral("Name1"));
        c.settings->SetName2(QStringLiteral("Name2"));
        c.settings->SetValueFormat(QStringLiteral("##0"));
    }
    ch[0].color = clLime;
    ch[1].color = rgbColor(255, 255, 0);
    // These differ from the values the settings file takes as defaults (300 and 700); kept.
    SetDigitCh1(700);
    SetDigitCh2(300);
    resize(400, 300);
}

TGvMiniTrend::~TGvMiniTrend() { FlashUnregister(this); }

void TGvMiniTrend::loaded()
{
    for (Channel &c : ch)
        c.settings->OnChange = [this](QObject *) { ParamChange(); };
    bevelInner->OnChange = [this](QObject *) { ParamChange(); };
    bevelOuter->OnChange = [this](QObject *) { ParamChange(); };
    captionFont->OnChange = [this] { Change(); };
    TGvGraphicControl::loaded();
}

void TGvMiniTrend::ParamChange() { Invalidate(); }

void TGvMiniTrend::SetCaptionFont(const TFont *f)
{
    if (f && f != captionFont)
        captionFont->Assign(*f);
    Change();
}

void TGvMiniTrend::setDigit(int i, int d)
{
    Channel &c = ch[size_t(i)];
    c.digit = saturate64<int16_t>(d);
    const TSignalSettings &s = *c.settings;
    c.value = float((double(c.digit) - s.DigitalFrom()) * s.ValuePerDigit() + s.ValueFrom());
}

void TGvMiniTrend::setValue(int i, float v)
{
    // A value that is not a number has no row; the last one stays.
    if (!std::isfinite(v))
        return;
    Channel &c = ch[size_t(i)];
    c.value = v;
    const TSignalSettings &s = *c.settings;
    c.digit = roundTo<int16_t>((double(v) - s.ValueFrom()) * s.DigitsPerValue() + s.DigitalFrom());    tg::AnnounceChange(this);
}

void TGvMiniTrend::SetTimeScale(int minutes)
{
    if (minutes <= 0 || minutes == timeScale)
        return;
    timeScale = std::min(minutes, int(std::numeric_limits<int16_t>::max()));
    if (UpdateLock() == 0)
        ResetPlot();
}

void TGvMiniTrend::colourChanged()
{
    if (UpdateLock() == 0)
        ResetPlot();
}

void TGvMiniTrend::SetGridColor(TColor c)
{
    gridColor = c;
    colourChanged();
}

void TGvMiniTrend::SetTimeLineColor(TColor c)
{
    timeLineColor = c;
    colourChanged();
}

void TGvMiniTrend::SetBkColor(TColor c)
{
    bkColor = c;
    colourChanged();
}

void TGvMiniTrend::setSignalColor(int i, TColor c)
{
    ch[size_t(i)].color = c;
    colourChanged();
    Change();
}

void TGvMiniTrend::SetOptions(TMiniTrendOptions o)
{
    options = o & AllOptions;
    colourChanged();
    Change();
}

void TGvMiniTrend::SetCaption(const QString &s)
{
    if (captionSet && s == caption)
        return;
    caption = s;
    captionSet = true;
    Change();
}

void TGvMiniTrend::SetFlow(bool b)
{
    flow = b;
    applyInterval(interval);
}

void TGvMiniTrend::applyInterval(int t)
{
    if (t > 0)
        interval = t;
    reRegister = false;
    // No interval is known before the first layout: nothing to sample at yet.
    if (!flow || interval <= 0) {
        FlashUnregister(this);
    } else if (interval <= FirstSamplePeriod) {
        FlashRegister(this, interval);
    } else {
        FlashRegister(this, FirstSamplePeriod);
        reRegister = true;
    }
    divisionCounter = 5;
}

void TGvMiniTrend::ResetPlot()
{
    if (!plot.isNull())
        plot.fill(Qc(bkColor));
    for (Channel &c : ch)
        c.row = plotH;
    step = timeScale == 1 ? 2 : 1;
    int d = roundTo<int>(double(plotW) / (10.0 * step) - 0.49) * step;
    // A plot narrower than ten steps still gets divisions one step wide.
    if (d <= 0)
        d = step;
    divisionWidth = d;
    applyInterval(roundTo<int>(double(step) * timeScale * 60000.0 / (10.0 * d)));

    const int g = roundTo<int>(double(d) * interval / 1000.0 / step);
    const int hours = g / 3600, minutes = g / 60 - hours * 60, seconds = g % 60;
    timeText.clear();
    if (hours > 0)
        timeText += QString::number(hours) + QStringLiteral("h");
    if (minutes > 0)
        timeText += QString::number(minutes) + QStringLiteral("min");
    if (seconds > 0)
        timeText += QString::number(seconds) + QStringLiteral("s");
    timeText += QStringLiteral("/div");

    for (int i = 0; i < 9; ++i)
        gridRows[size_t(i)] = toRow(double(plotH - 1) / 10.0 * (i + 1));
    sinceGridLine = d;
    if (plot.isNull())
        return;
    {
        TCanvas c(plot);
        if (options & opGrid) {
            c.setBrushColor(Qc(gridColor));
            for (int y : gridRows)
                c.FillRect({0, y, plotW, y + 1});
            for (int j = 1; j <= 10; ++j) {
                const bool timeLine = j == 5 && (options & opTimeLine);
                c.setBrushColor(Qc(timeLine ? timeLineColor : gridColor));
                const int x = saturate64<int>(int64_t(plotW) - int64_t(j) * d);
                c.FillRect({x, 0, x + 1, plotH});
            }
        }
        drawTimeLabel(c);
    }
    RepaintPart(PlotRect());
}

void TGvMiniTrend::drawTimeLabel(TCanvas &c)
{
    SelectFont(c, *Font());
    c.setFontColor(Qc(timeLineColor));
    c.setBrushColor(Qc(bkColor)); // the label keeps the plot's background behind it
    c.setBrushStyle(TBrushStyle::bsSolid);
    const QString perDivision = QStringLiteral(" ") + timeText + QStringLiteral(" -");
    const QString clock = QStringLiteral(" ") + FormatSettings().formatLongTime(Now()) + QStringLiteral(">");
    // A plot too narrow for the label on one line (the panel's small trend) gets it on two,
    // rather than losing the time per division off its left edge.
    if (c.TextWidth(perDivision + clock) <= plotW)
        TextAligned(c, plotW, plotH - 3, 8, perDivision + clock);
    else
        TextLines(c, plotW, plotH - 3, 8, perDivision + QLatin1Char('|') + clock, 0);
}

bool TGvMiniTrend::rowOf(const Channel &c, int &row) const
{
    const TSignalSettings &s = *c.settings;
    const double range = s.ValueRange();
    if (range == 0 || !std::isfinite(range))
        return false;
    const double r = 1000.0 / range * (double(c.value) - s.ValueFrom());
    row = toRow(plotH - roundEven(double(plotH - 1) / 1000.0 * r) - 1);
    return true;
}

void TGvMiniTrend::scrollPlot(int pixels)
{
    // In place, row by row: the same picture as drawing the old plot shifted onto a new one.
    const int shift = std::min(roundTo<int>(pixels * plot.devicePixelRatio()), plot.width());
    const size_t keep = size_t(plot.width() - shift) * 4;
    for (int y = 0; y < plot.height(); ++y) {
        uchar *line = plot.scanLine(y);
        std::memmove(line, line + size_t(shift) * 4, keep);
    }
}

void TGvMiniTrend::Sample()
{
    if (reRegister) {
        reRegister = false;
        FlashRegister(this, interval);
    }
    std::array<int, 2> rows{};
    if (!rowOf(ch[0], rows[0]) || !rowOf(ch[1], rows[1]))
        return;
    const int s = step;
    sinceGridLine = saturate64<int>(int64_t(sinceGridLine) + s);
    if (plot.isNull())
        return;
    scrollPlot(s);
    TCanvas c(plot);
    c.setBrushColor(Qc(bkColor));
    c.FillRect({plotW - s, 0, plotW, plotH});
    if (options & opGrid) {
        QColor pen = Qc(gridColor);
        if (sinceGridLine >= divisionWidth) {
            ++divisionCounter;
            if (divisionCounter > 4 && (options & opTimeLine)) {
                pen = Qc(timeLineColor);
                drawTimeLabel(c);
                divisionCounter = 0;
            }
            c.setBrushColor(pen);
            c.FillRect({plotW - 1, 0, plotW, plotH});
            sinceGridLine = 0;
        }
        c.setBrushColor(pen);
        for (int y : gridRows)
            c.FillRect({plotW - s, y, plotW, y + 1});
    }
    for (size_t i = 0; i < ch.size(); ++i) {
        c.setPenColor(Qc(ch[i].color));
        c.MoveTo(plotW - s - 1, ch[i].row);
        c.LineTo(plotW - 1, ch[i].row);
        c.LineTo(plotW - 1, rows[i]);
        ch[i].row = rows[i];
    }
    RepaintPart(PlotRect());
}

void TGvMiniTrend::FlashMessage(uint32_t, int) { Sample(); }

void TGvMiniTrend::resizeEvent(QResizeEvent *e)
{
    // Never smaller than the minimum; grown here, outside painting, where resizing is safe.
    if (width() < MinSide || height() < MinSide) {
        resize(std::max(width(), MinSide), std::max(height(), MinSide));
        return;
    }
    TGvGraphicControl::resizeEvent(e);
}

void TGvMiniTrend::BuildBackground(TCanvas &c)
{
    TRect r{0, 0, width(), height()};
    if (options & opBevelOuter)
        PaintInto(c, *bevelOuter, r);
    c.setBrushStyle(TBrushStyle::bsClear);
    if (options & opCaption) {
        SelectFont(c, *captionFont);
        const QString text = Caption();
        TextAligned(c, width() / 2, r.Top, 1, text);
        r.Top = saturate64<int>(int64_t(r.Top) + c.TextHeight(text) + bevelOuter->Spacing());
    }
    SelectFont(c, *Font());
    const int h = c.TextHeight(QStringLiteral("H"));
    const int b = r.Bottom;
    if (options & (opSignDescCh1 | opSignDescCh2))
        r.Bottom = saturate64<int>(int64_t(r.Bottom) - h - bevelOuter->Spacing());
    struct ScaleTexts {
        QString to, from;
        int x = 0;
    } scale[2];
    for (int i = 0; i < 2; ++i) {
        if (!(options & (i == 0 ? opScaleCh1 : opScaleCh2)))
            continue;
        const TSignalSettings &s = *ch[size_t(i)].settings;
        scale[i].to = FormatFloat(s.ValueFormat(), s.ValueTo());
        scale[i].from = FormatFloat(s.ValueFormat(), s.ValueFrom());
        const int w = std::max(c.TextWidth(scale[i].to), c.TextWidth(scale[i].from));
        if (i == 0) {
            scale[i].x = saturate64<int>(int64_t(r.Left) + w / 2);
            r.Left = saturate64<int>(int64_t(r.Left) + w + 12);
        } else {
            scale[i].x = saturate64<int>(int64_t(r.Right) - w / 2);
            r.Right = saturate64<int>(int64_t(r.Right) - w - 12);
        }
    }
    if (options & (opScaleCh1 | opScaleCh2)) {
        if (!(options & opCaption))
            r.Top = saturate64<int>(int64_t(r.Top) + h / 3);
        r.Bottom = saturate64<int>(int64_t(r.Bottom) - h / 2);
    }
    if (options & opBevelInner)
        PaintInto(c, *bevelInner, r);
    const int outer = (options & opBevelOuter) ? bevelOuter->TotalWidth() : 0;
    for (int i = 0; i < 2; ++i) {
        if (!(options & (i == 0 ? opSignDescCh1 : opSignDescCh2)))
            continue;
        const TSignalSettings &s = *ch[size_t(i)].settings;
        const int e = i == 0 ? outer : saturate64<int>(int64_t(width()) - outer);
        const int dir = i == 0 ? 1 : -1;
        c.setPenColor(Qc(bkColor));
        c.setBrushColor(Qc(ch[size_t(i)].color));
        c.setBrushStyle(TBrushStyle::bsSolid);
        const int x2 = saturate64<int>(int64_t(e) + dir * int64_t(h - 2));
        c.Rectangle({std::min(e, x2), b - h + 1, std::max(e, x2), b - 1});
        c.setBrushStyle(TBrushStyle::bsClear);
        const QString text = QStringLiteral("Ch%1 : ").arg(i + 1) + s.Name1() + QStringLiteral(" - ") + s.Name2();
        TextAligned(c, saturate64<int>(int64_t(e) + dir * int64_t(h + 3)), b, i == 0 ? 6 : 8, text);
    }
    for (int i = 0; i < 2; ++i) {
        if (!(options & (i == 0 ? opScaleCh1 : opScaleCh2)))
            continue;
        const int edge = i == 0 ? r.Left : r.Right;
        const int x0 = i == 0 ? edge - 10 : edge, x1 = i == 0 ? edge : edge + 10;
        c.setBrushColor(Qt::black);
        c.setBrushStyle(TBrushStyle::bsSolid);
        for (int k = 0; k <= 10; ++k) {
            const int y = roundTo<int>(double(r.height() - 1) / 10.0 * k + r.Top);
            c.FillRect({x0, y, x1, y + 1});
        }
        c.setBrushStyle(TBrushStyle::bsClear);
        TextAligned(c, scale[i].x, r.Top, 4, scale[i].to);
        TextAligned(c, scale[i].x, saturate64<int>(int64_t(r.Top) + h), 4, ch[size_t(i)].settings->ValueUnit());
        TextAligned(c, scale[i].x, r.Bottom, 4, scale[i].from);
    }
    // A new plot size clears the curve; the plot picture is rebuilt at the screen's ratio.
    const QSize want(std::max(r.width(), 0), std::max(r.height(), 0));
    const qreal dpr = devicePixelRatioF();
    if (want != QSize(plotW, plotH) || plot.devicePixelRatio() != dpr || plot.isNull() != want.isEmpty()) {
        plotW = want.width();
        plotH = want.height();
        plotPos = QPoint(r.Left, r.Top);
        plot = MakeScratchImage(roundTo<int>(plotW * dpr), roundTo<int>(plotH * dpr));
        plot.setDevicePixelRatio(dpr);
        ResetPlot();
    }
    plotPos = QPoint(r.Left, r.Top);
}

void TGvMiniTrend::PaintForeground(QPainter &p, const QRegion &asked)
{
    if (!plot.isNull() && asked.intersects(PlotRect()))
        tg::DrawImage(p, plotPos, plot);
}

void SetUpPanelMiniTrend(TGvMiniTrend &t)
{
    t.setObjectName(QStringLiteral("Instr90"));
    t.setGeometry(352, 8, 150, 150);
    t.SetOptions(TGvMiniTrend::opBevelInner | TGvMiniTrend::opBevelOuter | TGvMiniTrend::opScaleCh1 |
                 TGvMiniTrend::opGrid | TGvMiniTrend::opTimeLine);
    t.SetTimeScale(1);
    t.SetGridColor(clOlive);
    t.SetTimeLineColor(clLime);
    t.SetBkColor(clGreen);
    t.SetSignalColorCh1(clWhite);
    t.SetSignalColorCh2(clSilver);
    t.SetDigitCh1(0);
    t.SetDigitCh2(0);
    for (TSignalSettings *s : {t.SignalSettingsCh1(), t.SignalSettingsCh2()}) {
        s->SetValueFrom(0);
        s->SetValueTo(100);
        s->SetValueUnit(QStringLiteral("%"));
    }
    t.SignalSettingsCh1()->SetValueFormat(QStringLiteral("##0.000"));
    t.SignalSettingsCh2()->SetValueFormat(QStringLiteral("##0"));
    TFont *f = t.Font();
    f->SetName(QStringLiteral("MS Sans Serif"));
    f->SetHeight(-13);
    f->SetStyle(TFont::TFontStyles(TFont::fsBold));
    t.CaptionFont()->SetName(QStringLiteral("Arial"));
    t.CaptionFont()->SetHeight(-18);
    t.SetCaption(QStringLiteral("Instr90"));
    t.SetFlow(false);
}
