#include "SevenSeg.h"

#include "Announcer.h"
#include "Draw.h"
#include "Numeric.h"
#include "SevenSegGlyphs.h"

#include <QPaintEvent>
#include <QPainter>
#include <limits>

using namespace tg;

namespace {
bool isPoint(QChar c) { return c == u'.' || c == u','; }

constexpr int PointCell = SevenSegCellCount - 1;

// Two one-pixel rings per 3-D style: outer top-left, outer bottom-right, inner top-left,
// inner bottom-right.
struct FrameColours {
    QRgb otl, obr, itl, ibr;
};
constexpr QRgb K = 0xFF000000u, G = 0xFF808080u, S = 0xFFC0C0C0u, W = 0xFFFFFFFFu;

// Left and top edges in tl, right and bottom edges (with both far corners) in br.
void ring(QPainter &p, int l, int t, int r, int b, QRgb tl, QRgb br)
{
    if (r < l || b < t)
        return;
    p.fillRect(QRect(l, t, 1, b - t), QColor(tl));
    p.fillRect(QRect(l, t, r - l, 1), QColor(tl));
    p.fillRect(QRect(r, t, 1, b - t + 1), QColor(br));
    p.fillRect(QRect(l, b, r - l + 1, 1), QColor(br));
}
} // namespace

TSevenSeg::TSevenSeg(QWidget *parent) : TGvGraphicControl(parent)
{
    resize(216, 76);
}

void TSevenSeg::SetCaption(const QString &s)
{
    if (s == caption)
        return;
    caption = s;
    repaintDigits();    tg::AnnounceChange(this);
}

void TSevenSeg::SetColorBackGnd(TColor c)
{
    if (c == colorBackGnd)
        return;
    colorBackGnd = c;
    settingsChanged();
}

void TSevenSeg::SetColorText(TColor c)
{
    if (c == colorText)
        return;
    colorText = c;
    settingsChanged();
}

void TSevenSeg::SetColorScheme(TColorScheme s)
{
    if (s == colorScheme)
        return;
    colorScheme = s;
    Invalidate();
}

void TSevenSeg::SetFrameStyle(TFrameStyle s)
{
    if (s == frameStyle)
        return;
    frameStyle = s;
    Invalidate();
}

void TSevenSeg::SetNumDigits(int n)
{
    if (n < 1 || n > 32 || n == numDigits)
        return;
    numDigits = n;
    settingsChanged();
}

void TSevenSeg::SetMargin(int m)
{
    if (m == margin)
        return;
    margin = std::min(m, height() / 2 - 1);
    settingsChanged();
}

void TSevenSeg::SetInterDigDist(int d)
{
    d = std::min(d, 255);
    if (d == interDigDist)
        return;
    interDigDist = d;
    settingsChanged();
}

TSevenSeg::TSchemeColors TSevenSeg::SchemeColors() const
{
    if (colorScheme == csSystem)
        return {clBlack, clBtnShadow, clBtnHighlight};
    return {clBlack, rgbColor(128, 128, 128), clWhite};
}

// 64-bit: margin and distance are free values from the settings file.
int TSevenSeg::CellWidth() const
{
    const int64_t room = int64_t(width()) - 2 * int64_t(margin);
    return saturate64<int>(room / numDigits - interDigDist);
}

int TSevenSeg::CellHeight() const { return saturate64<int>(int64_t(height()) - 2 * int64_t(margin)); }

QList<TSevenSeg::TDigit> TSevenSeg::Walk(const QString &text, int limit)
{
    QList<TDigit> out;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n && out.size() < limit;) {
        const QChar ch = text[i];
        if (isPoint(ch)) {
            out.append({-1, true});
            ++i;
            continue;
        }
        const bool point = i + 1 < n && isPoint(text[i + 1]);
        out.append({SevenSegCell(ch), point});
        i += point ? 2 : 1;
    }
    return out;
}

int TSevenSeg::PositionsOf(const QString &text)
{
    return int(Walk(text, std::numeric_limits<int>::max()).size());
}

void TSevenSeg::settingsChanged()
{
    if (UpdateLock() > 0)
        return;
    rebuildStrip();
    Invalidate();
}

void TSevenSeg::ParamChange()
{
    // Runs when the update lock ends: everything the setters skipped meanwhile.
    rebuildStrip();
    Invalidate();
}

void TSevenSeg::rebuildStrip()
{
    stripSize = size();
    stripDpr = devicePixelRatioF();
    const int w = CellWidth(), h = CellHeight();
    // Too small for its digits: background and frame only.
    if (w <= 0 || h <= 0) {
        strip.clear();
        return;
    }
    strip = BuildSevenSegStrip(roundTo<int>(w * stripDpr), roundTo<int>(h * stripDpr), Qc(colorText), Qc(colorBackGnd));
}

QRect TSevenSeg::digitArea() const
{
    return QRect(QPoint(margin, margin), QPoint(width() - margin - 1, height() - margin - 1)) & rect();
}

void TSevenSeg::repaintDigits() { RepaintPart(digitArea()); }

void TSevenSeg::BuildBackground(TCanvas &c)
{
    // Moved to a screen of another pixel ratio: the cells are scaled anew for it.
    if (stripDpr != devicePixelRatioF())
        rebuildStrip();
    if (c.image().isNull())
        return;
    QPainter &p = c.painter();
    p.fillRect(QRect(0, 0, width(), height()), Qc(colorBackGnd));
    const int r = width() - 1, b = height() - 1;
    switch (frameStyle) {
    case fsNone:
        break;
    case fsSimple:
        ring(p, 0, 0, r, b, K, K);
        break;
    default: {
        static constexpr FrameColours styles[] = {
            {G, W, K, S}, // fsLowered
            {W, K, S, G}, // fsRaised
            {W, G, G, W}, // fsEmbossed
            {G, W, W, G}, // fsEngraved
        };
        const FrameColours &f = styles[frameStyle - fsLowered];
        ring(p, 0, 0, r, b, f.otl, f.obr);
        ring(p, 1, 1, r - 1, b - 1, f.itl, f.ibr);
    }
    }
}

void TSevenSeg::PaintForeground(QPainter &p, const QRegion &asked)
{
    if (strip.size() != SevenSegCellCount || !asked.intersects(digitArea()))
        return;
    const int w = CellWidth(), h = CellHeight();
    // Strip pixels per control pixel (the strip may have been built for another screen).
    const double sx = double(strip[0].width()) / w, sy = double(strip[0].height()) / h;
    const int pw = (w * 5) / 6, ph = (h * 5) / 6;
    const QList<TDigit> digits = Digits();
    int64_t x = margin;
    for (const TDigit &d : digits) {
        if (d.cell >= 0)
            p.drawImage(QRectF(x, margin, w, h), strip[d.cell]);
        if (d.point)
            p.drawImage(QRectF(x + pw, margin + ph, w - pw, h - ph), strip[PointCell],
                        QRectF(pw * sx, ph * sy, (w - pw) * sx, (h - ph) * sy));
        x += int64_t(w) + interDigDist;
    }
}

void TSevenSeg::resizeEvent(QResizeEvent *e)
{
    if (size() != stripSize && UpdateLock() == 0)
        rebuildStrip();
    TGvGraphicControl::resizeEvent(e); // rebuilds the background and repaints all
    if (OnResize)
        OnResize(this);
}

void SetUpPanelSevenSeg(TSevenSeg &s)
{
    s.setObjectName(QStringLiteral("Instr40"));
    s.setGeometry(352, 176, 121, 49);
    s.SetCaption(QStringLiteral("0"));
    s.SetColorBackGnd(cl3DDkShadow);
    s.SetColorScheme(TSevenSeg::csBWG);
    s.SetColorText(clRed);
    s.SetFrameStyle(TSevenSeg::fsRaised);
    s.SetInterDigDist(8);
    s.SetMargin(8);
    s.SetNumDigits(6);
}
