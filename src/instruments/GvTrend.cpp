#include "GvTrend.h"

#include "Bevel.h"
#include "Draw.h"
#include "FlashService.h"
#include "FormatSettings.h"
#include "Numeric.h"
#include "Scale.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

using namespace tg;

void TTrendLimit::SetValue(float v)
{
    if (v != value && std::isfinite(v)) {
        value = v;
        Changed();
    }
}
void TTrendLimit::SetColor(TColor c)
{
    if (c != color) {
        color = c;
        Changed();
    }
}
void TTrendLimit::SetFilled(bool b)
{
    if (b != filled) {
        filled = b;
        Changed();
    }
}
void TTrendLimit::SetEnabled(bool b)
{
    if (b != enabled) {
        enabled = b;
        Changed();
    }
}

namespace {
const QDateTime Epoch(QDate(1899, 12, 30), QTime(0, 0));
}

double TGvTrend::ToDateTime(const QDateTime &t)
{
    const QDateTime local(t.date(), t.time());
    return double(Epoch.msecsTo(local)) / 86400000.0;
}

QDateTime TGvTrend::FromDateTime(double d) { return Epoch.addMSecs(int64_t(std::llround(d * 86400000.0))); }

TGvTrend::TGvTrend(QWidget *parent)
    : TGvGraphicControl(parent), limitUpper(new TTrendLimit(90, this)), limitLower(new TTrendLimit(10, this)),
      bevelInner(new TGvSBevel(this)), bevelOuter(new TGvSBevel(this)), captionFont(new TFont(this)),
      recordInfo(new TRecInfo(this)), valueAtCursor(new TVAtCursor(this))
{
    bevelInner->SetStyle(gv::bsLowered);
    bevelInner->SetSpacing(1);
    bevelInner->SetWidth(2);
    bevelInner->SetBevelLine(gv::blNone);
    bevelInner->SetColor(clBlack);
    bevelOuter->SetSpacing(10);
    bevelOuter->SetWidth(2);
    bevelOuter->SetBevelLine(gv::blOuter);
    captionFont->SetName(QStringLiteral("Arial"));
    captionFont->SetSize(14);
    captionFont->SetStyle(TFont::TFontStyles(TFont::fsUnderline));
    const TColor colours[8] = {clLime, clYellow, clRed, clFuchsia, TColor{0x004080FFu}, clAqua, clBtnFace, clBtnHighlight};
    for (int i = 0; i < 8; ++i) {
        channels[i] = new TChSettings(this);
        channels[i]->SetColor(colours[i]);
    }
    setMouseTracking(true); // the cursor line follows the mouse without a button
    resize(500, 300);
}

TGvTrend::~TGvTrend()
{
    FlashUnregister(this);
}

void TGvTrend::loaded()
{
    if (!IsLoading())
        return;
    if (caption.isNull())
        caption = objectName();
    const auto change = [this](QObject *) { ParamChange(); };
    limitUpper->OnChange = change;
    limitLower->OnChange = change;
    bevelInner->OnChange = change;
    bevelOuter->OnChange = change;
    for (TChSettings *ch : channels)
        ch->OnChange = change;
    Font()->OnChange = [this] { ParamChange(); };
    captionFont->OnChange = [this] { ParamChange(); };
    TGvGraphicControl::loaded();
    SetStartRecording(startRecording); // registers with the interval service
}

void TGvTrend::ParamChange() { Invalidate(); }

void TGvTrend::SetCaption(const QString &s)
{
    caption = s;
    Change();
}
void TGvTrend::SetAbsScaleCh(int c)
{
    if (c >= 0 && c <= 8)
        absScaleCh = c;
    Change();
}
void TGvTrend::SetLeftScaleCh(int c)
{
    if (c >= 0 && c <= 8)
        leftScaleCh = c;
    Change();
}
void TGvTrend::SetCaptionFont(const TFont *f)
{
    if (f && f != captionFont)
        captionFont->Assign(*f);
    Change();
}
void TGvTrend::SetColorGrid(TColor c)
{
    colorGrid = c;
    Change();
}
void TGvTrend::SetColorTime(TColor c)
{
    colorTime = c;
    Change();
}
void TGvTrend::SetFillChannelNo(int c)
{
    // An out-of-range channel keeps the old one but still repaints.
    if (c >= 0 && c <= 8)
        fillChannelNo = c;
    Change();
}
void TGvTrend::SetOptions(TTrendOptions o)
{
    options = o;
    Change();
}
void TGvTrend::SetTimeFormat(const QString &s)
{
    timeFormat = s;
    Change();
}
void TGvTrend::SetGridXPixel(int n)
{
    if (n < 30)
        return;
    gridXPixel = n;
    Invalidate();
}
void TGvTrend::SetGridYSteps(int n)
{
    if (n < 1 || n > 10)
        return;
    gridYSteps = n;
    Change();
}
void TGvTrend::SetMaxRecords(int n)
{
    if (n >= 100)
        maxRecords = n;
}
void TGvTrend::SetInterval2(uint ms)
{
    if (ms >= 100)
        interval2 = ms;
}

void TGvTrend::SetFlow(bool b)
{
    flow = b;
    recordingActive = flow && startRecording;
}

void TGvTrend::SetStartRecording(bool b)
{
    startRecording = b;
    recordingActive = flow && b;
    if (IsLoading())
        return;
    if (!b) {
        FlashUnregister(this);
    } else {
        FlashRegister(this, interval);
        insertSeparators();
    }
}

void TGvTrend::SetInterval(uint ms)
{
    if (ms < 100 || ms == interval)
        return;
    interval = ms;
    if (startRecording && !IsLoading()) {
        insertSeparators();
        FlashRegister(this, interval);
    }
}

void TGvTrend::insertSeparators()
{
    if (records.size() < 2 || !(options & opSeparator))
        return;
    TTrendRecord sep = records[records.size() - 2];
    sep.Time = 0;
    records.insert(records.end() - 1, 5, sep);
    updateRecordInfo();
}

void TGvTrend::updateRecordInfo()
{
    TRecInfo &ri = *recordInfo;
    ri.TotalRecords = uint(records.size());
    ri.FirstRecord = records.empty() ? 0 : records.front().Time;
    ri.LastRecord = records.empty() ? 0 : records.back().Time;
}

void TGvTrend::Clear()
{
    const bool was = startRecording;
    SetStartRecording(false);
    records.clear();
    firstDisplayed = 0;
    nextColumn = 0;
    recordInfo->FirstDisplayedRec = recordInfo->LastDisplayedRec = 0;
    updateRecordInfo();
    rebuildPlotBackground();
    RepaintPart(plotRect);
    SetStartRecording(was);
}

void TGvTrend::FlashMessage(uint32_t counter, int param)
{
    TGvGraphicControl::FlashMessage(counter, param);
    if (!startRecording)
        return;
    AddRecord();
    if (OnInterval)
        OnInterval(this);
}

void TGvTrend::AddRecord()
{
    busy = true;
    bool jumped = false;
    if (int64_t(records.size()) >= int64_t(maxRecords) + 1 && flow) {
        // Never more than the list holds, however wide a grid division is.
        const int64_t k = std::min<int64_t>(int64_t(records.size()) - 1 + gridXPixel - maxRecords, int64_t(records.size()));
        if (OnMaxRecords)
            OnMaxRecords(this);
        records.erase(records.begin(), records.begin() + k);
        firstDisplayed = 0;
        nextColumn = 0;
        jumped = true;
    }
    TTrendRecord r{ToDateTime(Now()), {}};
    for (int i = 0; i < 8; ++i)
        r.Ch[i] = uint16_t(uint32_t(channels[i]->DigitOffset()) & 0xFFFF); // modulo 65536, as stored
    records.push_back(r);
    updateRecordInfo();
    if (OnRecNoChanged)
        OnRecNoChanged(this);
    const int count = int(std::min<size_t>(records.size(), size_t(INT32_MAX)));
    if (flow && plot.width() > 0) {
        const int before = firstDisplayed;
        while (int64_t(plot.width()) + firstDisplayed < count - 1)
            firstDisplayed += gridXPixel;
        if (firstDisplayed != before) {
            nextColumn = 0;
            jumped = true;
        }
    }
    if (count - 1 - firstDisplayed >= nextColumn && !plot.isNull()) {
        if (jumped)
            rebuildPlotBackground();
        const int from = nextColumn;
        drawRecords();
        repaintPlot(jumped ? 0 : std::max(0, from - 1), nextColumn);
    }
    busy = false;
}

void TGvTrend::repaintPlot(int fromCol, int toCol)
{
    RepaintPart(QRect(plotRect.left() + fromCol, plotRect.top(), toCol - fromCol + 1, plotRect.height()) & plotRect);
}

bool TGvTrend::scaleShowsChannel() const
{
    return ((options & opLeftScale) && leftScaleCh > 0) || ((options & opRightScale) && absScaleCh > 0);
}

int TGvTrend::labelRows() const
{
    const int n = bool(options & opDate) + bool(options & opTime);
    if (n > 0)
        return n * labelH + 4;
    return scaleShowsChannel() ? labelH + 4 : 0;
}

TGvTrend::TScaleLabels TGvTrend::scaleLabels(TCanvas &c, int ch) const
{
    TScaleLabels l;
    if (ch > 0) {
        const TChSettings &s = *channels[ch - 1];
        l.text = LinearLabels(gridYSteps, s.ValueFormat(), s.ValueTo(), s.ValueFrom());
    } else {
        l.text = LinearLabels(gridYSteps, QStringLiteral("##0.#"), 100, 0);
    }
    const QSize sz = MeasureLabels(c, l.text);
    l.width = sz.width();
    l.height = sz.height();
    return l;
}

void TGvTrend::BuildBackground(TCanvas &c)
{
    TRect r{0, 0, width(), height()};
    PaintInto(c, *bevelOuter, r);
    c.setBrushStyle(TBrushStyle::bsClear);
    const bool left = options & opLeftScale, right = options & opRightScale;
    if (options & opCaption) {
        SelectFont(c, *captionFont);
        TextAligned(c, width() / 2, r.Top, 1, caption);
        r.Top += c.TextHeight(caption) + bevelOuter->Spacing();
    } else if (left || right) {
        SelectFont(c, *Font());
        r.Top += c.TextHeight(QStringLiteral("X"));
    }
    SelectFont(c, *Font());
    TScaleLabels ll = scaleLabels(c, leftScaleCh), rl = scaleLabels(c, absScaleCh);
    labelH = std::max(ll.height, rl.height);
    const int t = ClampInt(bevelOuter->Spacing(), 2, 8);
    const int g = ClampInt(t + t / 2, 4, 12);
    const int labelColumn = r.Right;
    if (left)
        r.Left += ll.width + g;
    if (right)
        r.Right -= rl.width + g;
    const int tw = bevelInner->TotalWidth();
    const int plotTop = r.Top + tw;
    const int plotBottom = r.Bottom - tw - labelRows();
    const double span = double(plotBottom) - plotTop - 1;
    for (int i = 0; i < 8; ++i)
        pixelFactor[i] = channels[i]->DigitalRange() != 0 ? span / channels[i]->DigitalRange() : 0;
    pixelsPerPercent = span / 100;
    pixelsPerThousandth = span / 1000;

    auto channelName = [&](int ch, int x) {
        c.setFontColor(Qc(channels[ch - 1]->Color()));
        TextAligned(c, x, r.Bottom, 8, QStringLiteral(" Ch%1 ").arg(ch));
        c.setFontColor(Qc(Font()->Color()));
    };
    if (right && absScaleCh > 0)
        channelName(absScaleCh, labelColumn);
    if (left && leftScaleCh > 0)
        channelName(leftScaleCh, r.Left - g);
    auto unit = [&](int ch) { return ch > 0 ? channels[ch - 1]->ValueUnit() : QStringLiteral("%"); };
    if (left)
        TextAligned(c, r.Left - g, plotTop - labelH, 5, unit(leftScaleCh));
    if (right)
        TextAligned(c, labelColumn, plotTop - labelH, 5, unit(absScaleCh));
    c.setPenColor(Qc(Font()->Color()));
    c.setPenWidth(1);
    for (int s = 0; s <= gridYSteps; ++s) {
        const int y = roundTo<int>(s * pixelsPerThousandth * 1000 / gridYSteps) + plotTop;
        if (left) {
            c.MoveTo(r.Left - t, y);
            c.LineTo(r.Left, y);
            TextAligned(c, r.Left - g, y, 5, NextToken(ll.text, u';'));
        }
        if (right) {
            c.MoveTo(r.Right + t, y);
            c.LineTo(r.Right, y);
            TextAligned(c, labelColumn, y, 5, NextToken(rl.text, u';'));
        }
    }
    PaintInto(c, *bevelInner, r);
    const QRect pr = r.isEmpty() ? QRect() : r.toQRect();
    const bool resized = pr.size() != plotRect.size();
    plotRect = pr;
    if (resized || plot.isNull()) {
        // A new plot size starts the display again at the first record.
        firstDisplayed = 0;
        if (flow)
            while (plotRect.width() > 0 && int64_t(plotRect.width()) + firstDisplayed < int64_t(records.size()) - 1)
                firstDisplayed += gridXPixel;
    }
    rebuildPlotBackground();
    drawRecords();
}

void TGvTrend::gridColumn(QPainter &p, int x)
{
    if (!(options & opGrid))
        return;
    const int H = roundTo<int>(pixelsPerThousandth * 1000);
    p.setPen(Qc(colorGrid));
    // Dotted: every other pixel of each line.
    if (x % gridXPixel == 0)
        for (int y = 0; y < plot.height(); y += 2)
            p.drawPoint(x, y);
    if (x % 2 == 0)
        for (int c = 0; c <= gridYSteps; ++c)
            p.drawPoint(x, roundTo<int>(double(c) * H / gridYSteps));
}

void TGvTrend::rebuildPlotBackground()
{
    nextColumn = 0;
    plot = MakeScratchImage(plotRect.width(), plotRect.height());
    if (plot.isNull())
        return;
    plot.fill(Qc(bevelInner->Color()));
    QPainter p(&plot);
    const int H = roundTo<int>(pixelsPerThousandth * 1000);
    const int w = plot.width();
    if (limitUpper->Enabled()) {
        const int y = H - roundTo<int>(limitUpper->Value() * pixelsPerPercent);
        if (limitUpper->Filled())
            p.fillRect(QRect(QPoint(0, 0), QPoint(w - 1, y)), Qc(limitUpper->Color()));
        else {
            p.setPen(Qc(limitUpper->Color()));
            p.drawLine(0, y, w - 1, y);
        }
    }
    if (limitLower->Enabled()) {
        const int y = H - roundTo<int>(limitLower->Value() * pixelsPerPercent);
        if (limitLower->Filled()) {
            if (y < H)
                p.fillRect(QRect(QPoint(0, y), QPoint(w - 1, H)), Qc(limitLower->Color()));
        } else {
            p.setPen(Qc(limitLower->Color()));
            p.drawLine(0, y, w - 1, y);
        }
    }
    for (int x = 0; x < w; ++x)
        gridColumn(p, x);
}

int TGvTrend::CurveY(int i, uint16_t digit) const
{
    const int base = plot.height() - 1 - labelRows();
    return saturate64<int>(int64_t(base) - roundTo<int64_t>(digit * pixelFactor[i]));
}

void TGvTrend::drawRecords()
{
    const int count = int(std::min<size_t>(records.size(), size_t(INT32_MAX)));
    if (count < 2 || plot.isNull())
        return;
    const int last = std::min<int64_t>(int64_t(plot.width()) - 1, int64_t(count) - 1 - firstDisplayed);
    recordInfo->FirstDisplayedRec = firstDisplayed;
    recordInfo->LastDisplayedRec = firstDisplayed + last;
    if (last < nextColumn)
        return;
    QPainter p(&plot);
    const int bottom = plot.height() - 1 - labelRows() + ((options & (opDate | opTime)) ? 4 : 0);
    auto y = [&](int ch, int x) { return CurveY(ch, records[size_t(firstDisplayed + x)].Ch[ch]); };
    auto band = [&](int ch, int x, int y0) {
        p.setPen(QPen(Qc(channels[ch]->Color()), 1));
        p.drawLine(x, y0, x, y(ch, x));
    };
    const bool ul = options & opCh7isUL, ll = options & opCh8isLL;
    for (int x = nextColumn; x <= last; ++x) {
        bool banded = false;
        if (ul && channels[6]->Visible()) {
            band(6, x, 0);
            banded = true;
        }
        if (ll && channels[7]->Visible()) {
            band(7, x, bottom);
            banded = true;
        }
        if (fillChannelNo > 0 && channels[fillChannelNo - 1]->Visible()) {
            band(fillChannelNo - 1, x, bottom - 4);
            banded = true;
        }
        if (banded)
            gridColumn(p, x);
    }
    for (int ch = 0; ch < 8; ++ch) {
        const TChSettings &s = *channels[ch];
        if (!s.Visible() || (ch == 6 && ul) || (ch == 7 && ll) || ch == fillChannelNo - 1)
            continue;
        p.setPen(QPen(Qc(s.Color()), std::max(1, s.PenWidth()), Qt::SolidLine, Qt::SquareCap));
        for (int x = std::max(1, nextColumn); x <= last; ++x) {
            const int y0 = y(ch, x - 1), y1 = y(ch, x);
            p.drawLine(x - 1, y0, x, y0); // a staircase: across at the old value, then up or down
            p.drawLine(x, y0, x, y1);
        }
    }
    const bool date = options & opDate, time = options & opTime;
    for (int x = nextColumn; x <= last; ++x) {
        const TTrendRecord &rec = records[size_t(firstDisplayed + x)];
        if (rec.Time == 0) {
            p.setPen(QPen(Qc(colorSeparator), 1));
            p.drawLine(x, 0, x, plot.height() - 1);
        } else if (x > 0 && x % gridXPixel == 0 && (date || time)) {
            p.end();
            {
                TCanvas c(plot);
                SelectFont(c, *Font());
                c.setFontColor(Qc(colorTime));
                c.setBrushStyle(TBrushStyle::bsClear);
                const QDateTime when = FromDateTime(rec.Time);
                int yb = plot.height();
                if (date) {
                    TextAligned(c, x, yb, 7, FormatSettings().formatShortDate(when));
                    yb -= labelH;
                }
                if (time)
                    TextAligned(c, x, yb, 7, timeFormat.isEmpty() ? FormatSettings().formatLongTime(when)
                                                                : when.toString(timeFormat));
            }
            p.begin(&plot);
        }
    }
    nextColumn = last + 1;
}

void TGvTrend::PaintForeground(QPainter &p, const QRegion &asked)
{
    if (plot.isNull())
        return;
    const QRegion inPlot = asked & plotRect;
    if (inPlot.isEmpty())
        return;
    for (const QRect &r : inPlot) {
        QImage part = plot.copy(r.translated(-plotRect.topLeft()));
        const int cx = cursorColumn + plotRect.left();
        if (cursorShown && cx >= r.left() && cx <= r.right()) {
            TCanvas c(part);
            c.setPenColor(Qc(colorCursorLine));
            c.setPenMode(cursorLinePenMode);
            c.MoveTo(cx - r.left(), -r.top() + plotRect.top());
            c.LineTo(cx - r.left(), plotRect.top() + plot.height() - labelRows() - r.top());
        }
        tg::DrawImage(p, r.topLeft(), part);
    }
}

void TGvTrend::mouseMoveEvent(QMouseEvent *e)
{
    TGvGraphicControl::mouseMoveEvent(e);
    if (!cursorLine || busy || (recordingActive && !(options & opCursorOnRec)))
        return;
    const QPoint pos = e->position().toPoint();
    const int x = pos.x() - plotRect.left();
    if (plotRect.contains(pos)) {
        if (x != cursorColumn || !cursorShown)
            moveCursor(x);
    } else if (cursorShown) {
        hideCursor();
    }
}

void TGvTrend::moveCursor(int x)
{
    TVAtCursor &v = *valueAtCursor;
    const int64_t i = int64_t(firstDisplayed) + x;
    if (i < 0 || i >= int64_t(records.size())) {
        v.DataValid = false;
        if (OnNewCursorPos)
            OnNewCursorPos(this);
        return;
    }
    const int old = cursorColumn;
    const bool wasShown = cursorShown;
    cursorColumn = x;
    cursorShown = true;
    if (wasShown)
        repaintPlot(old, old);
    repaintPlot(x, x);
    const TTrendRecord &rec = records[size_t(i)];
    v.DataValid = rec.Time != 0;
    v.RecordNo = int(i);
    v.Time = rec.Time;
    for (int ch = 0; ch < 8; ++ch)
        v.ValueCh[ch] = float(rec.Ch[ch] * channels[ch]->ValuePerDigit() + channels[ch]->ValueFrom());
    if (OnNewCursorPos)
        OnNewCursorPos(this);
}

void TGvTrend::hideCursor()
{
    cursorShown = false;
    repaintPlot(cursorColumn, cursorColumn);
    valueAtCursor->DataValid = false;
    if (OnNewCursorPos)
        OnNewCursorPos(this);
}
