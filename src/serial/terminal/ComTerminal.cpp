#include "ComTerminal.h"

#include "ComPort.h"
#include "Font.h"

#include <QApplication>
#include <QFontInfo>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

// Code page 1252 for 0x80..0x9F; the rest maps to the same code point. 0 marks unused bytes.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QColor rgb(TTermRgb c) { return QColor::fromRgb(QRgb(c)); }

bool sameLook(const TTermCell &a, const TTermCell &b)
{
    return a.FrontColor == b.FrontColor && a.BackColor == b.BackColor && a.Underline == b.Underline;
}

// A device repaints at most this often however fast it sends.
constexpr int RepaintMs = 16;

} // namespace

QChar TCustomComTerminal::DecodeByte(unsigned char ch)
{
    if (ch >= 0x80 && ch < 0xA0)
        return Cp1252High[ch - 0x80] ? QChar(Cp1252High[ch - 0x80]) : QChar(ch);
    return QChar(ch);
}

QByteArray TCustomComTerminal::EncodeKeys(const QString &text)
{
    QByteArray out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += char(u);
            continue;
        }
        char byte = '?';
        for (int i = 0; i < 32; ++i)
            if (Cp1252High[i] == u && u != 0)
                byte = char(0x80 + i);
        out += byte;
    }
    return out;
}

TCustomComTerminal::TCustomComTerminal(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    SetScrollBars(ssBoth);
    SetBorderStyle(bsSingle);
    SetSmoothScroll(false);
    FLink.LinkRxBuf = [this](TCustomComPort *, const char *data, int count) { Received(data, count); };
    FScreen.SendBack = [this](const std::string &bytes) {
        SendBytes(QByteArray(bytes.data(), qsizetype(bytes.size())));
    };
    FRepaint.setSingleShot(true);
    FRepaint.setInterval(RepaintMs);
    connect(&FRepaint, &QTimer::timeout, this, &TCustomComTerminal::Flush);
    connect(&FBlink, &QTimer::timeout, this, [this] {
        FCaretOn = !FCaretOn;
        viewport()->update(CellRect({FScreen.CaretColumn(), FScreen.CaretRow()}));
        viewport()->update(CellRect(FCaretShown));
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int) {
        if (FOwnScroll)
            return;
        // The user scrolled: follow again only once the caret row is back in view.
        const int caret = FScreen.CaretRow();
        const int visible = VisibleRows();
        FUserScrolled = caret < TopRow() || caret >= TopRow() + visible;
        viewport()->update();
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
    resize(400, 250);
    TFont::installSubstitutions();
    SetTermFont(QFont(QStringLiteral("Fixedsys"), 9));
    SetColors(Qt::black, Qt::white);
    UpdateScrollRange();
}

TCustomComTerminal::~TCustomComTerminal()
{
    SetComPort(nullptr);
}

void TCustomComTerminal::SetComPort(TCustomComPort *port)
{
    if (FPort == port)
        return;
    if (FPort)
        FPort->DetachLink(&FLink);
    FPort = port;
    if (FPort)
        FPort->AttachLink(&FLink);
}

bool TCustomComTerminal::Connected() const
{
    return FPort && FPort->Connected();
}

void TCustomComTerminal::SetConnected(bool value)
{
    if (FPort)
        FPort->SetConnected(value);
}

void TCustomComTerminal::SetColumns(int value)
{
    FScreen.SetColumns(value);
    ApplyAutoSize();
    UpdateScrollRange();
    viewport()->update();
}

void TCustomComTerminal::SetRows(int value)
{
    FScreen.SetRows(value);
    ApplyAutoSize();
    UpdateScrollRange();
    viewport()->update();
}

void TCustomComTerminal::SetTermFont(const QFont &font)
{
    QFont f = font;
    // Cells are one width: the installed font behind the name decides, not the name.
    if (!QFontInfo(f).fixedPitch())
        f.setFamily(QStringLiteral("Fixedsys"));
    f.setUnderline(false);
    setFont(f);
    const QFontMetrics m(f);
    FCharW = qMax(1, m.horizontalAdvance(QLatin1Char('W')));
    FCharH = qMax(1, m.height());
    FAscent = m.ascent();
    FRawFont = QRawFont::fromFont(QWidget::font());
    for (int b = 0; b < 256; ++b) {
        const QChar c = DecodeByte(static_cast<unsigned char>(b));
        quint32 glyph = 0;
        int glyphs = 1;
        if (c.isPrint() && FRawFont.supportsCharacter(c))
            FRawFont.glyphIndexesForChars(&c, 1, &glyph, &glyphs);
        FGlyphs[std::size_t(b)] = glyph;
    }
    ApplyAutoSize();
    UpdateScrollRange();
    FollowCaret();
    viewport()->update();
}

void TCustomComTerminal::SetScrollBars(TScrollStyle value)
{
    FScrollBars = value;
    // A bar shows only while its range is not empty, so a screen that fits needs no bar.
    const bool h = value == ssHorizontal || value == ssBoth;
    const bool v = value == ssVertical || value == ssBoth;
    setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(v ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    UpdateScrollRange();
    viewport()->update();
}

void TCustomComTerminal::SetBorderStyle(TBorderStyle value)
{
    FBorderStyle = value;
    setFrameStyle(value == bsSingle ? QFrame::StyledPanel | QFrame::Sunken : QFrame::NoFrame);
    ApplyAutoSize();
    UpdateScrollRange();
}

void TCustomComTerminal::SetSmoothScroll(bool value)
{
    FSmoothScroll = value;
    // Without tracking a dragged thumb moves the view only when it is released.
    horizontalScrollBar()->setTracking(value);
    verticalScrollBar()->setTracking(value);
}

void TCustomComTerminal::SetAutoSize(bool value)
{
    FAutoSize = value;
    ApplyAutoSize();
}

void TCustomComTerminal::SetAlign(TTermAlign value)
{
    FAlign = value;
    ApplyAutoSize();
}

void TCustomComTerminal::ApplyAutoSize()
{
    if (!FAutoSize)
        return;
    const int edges = 2 * frameWidth();
    QSize s = size();
    if (FAlign == alNone || FAlign == alLeft || FAlign == alRight)
        s.setWidth(FCharW * FScreen.Columns() + edges);
    if (FAlign == alNone || FAlign == alTop || FAlign == alBottom)
        s.setHeight(FCharH * FScreen.Rows() + edges);
    resize(s);
}

int TCustomComTerminal::VisibleRows() const
{
    return qMax(1, viewport()->height() / FCharH);
}

void TCustomComTerminal::SetColors(QColor background, QColor fontColor)
{
    FBackground = background;
    FScreen.SetBackgroundColor(TTermRgb(background.rgb() & 0xFFFFFF));
    FScreen.SetFontColor(TTermRgb(fontColor.rgb() & 0xFFFFFF));
    viewport()->update();
}

void TCustomComTerminal::ClearView()
{
    FScreen.ClearView();
    viewport()->update();
}

void TCustomComTerminal::Received(const char *data, int count)
{
    if (FHeld)
        return;
    FScreen.ReceiveBytes(data, count);
    ScheduleRepaint();
}

void TCustomComTerminal::ShowRecorded(const char *data, int count)
{
    FScreen.ReceiveBytes(data, count);
    ScheduleRepaint();
}

// At most one repaint a frame however fast the device sends: the first change after a quiet
// frame shows at once, later ones wait for the frame to end.
void TCustomComTerminal::ScheduleRepaint()
{
    if (FRepaint.isActive())
        return;
    const qint64 since = FSinceFlush.isValid() ? FSinceFlush.elapsed() : RepaintMs;
    if (since >= RepaintMs)
        Flush();
    else
        FRepaint.start(int(RepaintMs - since));
}

void TCustomComTerminal::Flush()
{
    FSinceFlush.start();
    // Columns may have been changed by the device ("?3" mode).
    ApplyAutoSize();
    UpdateScrollRange();
    FollowCaret();
    RepaintChanged();
}

// Only the rows whose cells changed, and the caret's old and new cell; a moved view repaints
// itself whole.
void TCustomComTerminal::RepaintChanged()
{
    const int top = TopRow();
    const QRect shown = viewport()->rect();
    for (const auto &[first, last] : FScreen.TakeChangedRows()) {
        const QRect band = QRect(0, (first - top) * FCharH, shown.width(), (last - first + 1) * FCharH) & shown;
        if (!band.isEmpty())
            viewport()->update(band);
    }
    const QPoint caret(FScreen.CaretColumn(), FScreen.CaretRow());
    if (caret != FCaretShown) {
        viewport()->update(CellRect(FCaretShown));
        viewport()->update(CellRect(caret));
        FCaretShown = caret;
    }
}

QRect TCustomComTerminal::CellRect(QPoint cell) const
{
    return {(cell.x() - LeftColumn()) * FCharW, (cell.y() - TopRow()) * FCharH, FCharW, FCharH};
}

void TCustomComTerminal::UpdateScrollRange()
{
    const bool h = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
    const bool v = FScrollBars == ssVertical || FScrollBars == ssBoth;
    // Measured without bars when the whole screen fits, so bars shown earlier can go again.
    const QSize full = maximumViewportSize();
    const bool fits = FScreen.Columns() * FCharW <= full.width() && FScreen.Rows() * FCharH <= full.height();
    const QSize area = fits ? full : viewport()->size();
    const int rows = qMax(1, area.height() / FCharH);
    const int columns = qMax(1, area.width() / FCharW);
    FOwnScroll = true;
    // Without its bar a direction stays at the first cell.
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, v ? qMax(0, FScreen.Rows() - rows) : 0);
    bar->setPageStep(rows);
    bar->setSingleStep(1);
    bar = horizontalScrollBar();
    bar->setRange(0, h ? qMax(0, FScreen.Columns() - columns) : 0);
    bar->setPageStep(columns);
    bar->setSingleStep(1);
    FOwnScroll = false;
}

void TCustomComTerminal::FollowCaret()
{
    const int caret = FScreen.CaretRow();
    const int visible = VisibleRows();
    if (FUserScrolled) {
        if (caret >= TopRow() && caret < TopRow() + visible)
            FUserScrolled = false;
        return;
    }
    int top = TopRow();
    if (caret < top)
        top = caret;
    else if (caret >= top + visible)
        top = caret - visible + 1;
    FOwnScroll = true;
    verticalScrollBar()->setValue(top - 1);
    FOwnScroll = false;
}

void TCustomComTerminal::paintEvent(QPaintEvent *event)
{
    QPainter p(viewport());
    p.fillRect(event->rect(), FBackground);
    p.setFont(font());
    const int top = TopRow();
    const int left = LeftColumn();
    const QRect area = event->rect();
    const int firstRow = qMax(1, top + area.top() / FCharH);
    const int lastRow = qMin(FScreen.Rows(), top + area.bottom() / FCharH);
    const int firstCol = qMax(1, left + area.left() / FCharW);
    const int lastCol = qMin(FScreen.Columns(), left + area.right() / FCharW);
    const TComTermBuffer &buf = FScreen.Buffer();
    for (int r = firstRow; r <= lastRow; ++r) {
        const int y = (r - top) * FCharH;
        if (!event->region().intersects(QRect(area.left(), y, area.width(), FCharH)))
            continue;
        const TTermCell *row = buf.Row(r);
        // Stretches of cells that look alike are drawn at once; empty cells keep the background.
        for (int c = firstCol; c <= lastCol;) {
            const TTermCell &first = row[c - 1];
            int end = c + 1;
            if (first.Ch) {
                while (end <= lastCol && row[end - 1].Ch && sameLook(row[end - 1], first))
                    ++end;
                DrawRun(p, &first, end - c, QPoint((c - left) * FCharW, y));
            }
            c = end;
        }
    }
    if (hasFocus() && FCaretOn && Caret != tcNone) {
        const int h = Caret == tcBlock ? FCharH : qMax(1, FCharH / 8);
        const int x = (FScreen.CaretColumn() - left) * FCharW;
        const int y = (FScreen.CaretRow() - top + 1) * FCharH - h;
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(QRect(x, y, FCharW, h), Qt::white);
    }
}

void TCustomComTerminal::DrawRun(QPainter &p, const TTermCell *cells, int count, QPoint at)
{
    const QRect box(at, QSize(count * FCharW, FCharH));
    p.fillRect(box, rgb(cells->BackColor));
    p.setPen(rgb(cells->FrontColor));
    // Each glyph at its own cell, so the grid holds whatever the font's fractional advance.
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(count);
    positions.reserve(count);
    for (int i = 0; i < count; ++i) {
        const unsigned char ch = cells[i].Ch;
        if (const quint32 glyph = FGlyphs[ch]) {
            glyphs.append(glyph);
            positions.append(QPointF(i * FCharW, FAscent));
        } else {
            p.drawText(at.x() + i * FCharW, at.y() + FAscent, QString(DecodeByte(ch)));
        }
    }
    if (!glyphs.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(FRawFont);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        p.drawGlyphRun(at, run);
    }
    if (cells->Underline)
        p.drawLine(box.left(), box.bottom(), box.right(), box.bottom());
}

void TCustomComTerminal::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
    FollowCaret();
}

void TCustomComTerminal::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    FCaretOn = true;
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0)
        FBlink.start(flash / 2);
    viewport()->update();
}

void TCustomComTerminal::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    FBlink.stop();
    viewport()->update();
}

bool TCustomComTerminal::focusNextPrevChild(bool next)
{
    return WantTab ? false : QAbstractScrollArea::focusNextPrevChild(next);
}

void TCustomComTerminal::SendBytes(const QByteArray &bytes)
{
    if (bytes.isEmpty() || !Connected() || FHeld)
        return;
    FPort->WriteText(bytes);
}

void TCustomComTerminal::SendCode(TEscapeCode code)
{
    const bool app = FScreen.AppCursorMode();
    if (app && code == ecCursorHome)
        return;
    if (app) {
        code = code == ecCursorUp     ? ecAppCursorUp
             : code == ecCursorDown   ? ecAppCursorDown
             : code == ecCursorLeft   ? ecAppCursorLeft
                                      : ecAppCursorRight;
    }
    TEscapeCodes *codes = FScreen.EscapeCodes();
    if (!app && ArrowKeys == akWindows) {
        FScreen.DoCode(code);
    } else {
        if (codes)
            SendBytes(QByteArray::fromStdString(codes->EncodeCode(code, {})));
        if (!app && LocalEcho)
            FScreen.DoCode(code);
    }
    ScheduleRepaint();
}

void TCustomComTerminal::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Home: SendCode(ecCursorHome); return;
    case Qt::Key_Left: SendCode(ecCursorLeft); return;
    case Qt::Key_Up: SendCode(ecCursorUp); return;
    case Qt::Key_Right: SendCode(ecCursorRight); return;
    case Qt::Key_Down: SendCode(ecCursorDown); return;
    default: break;
    }
    QString text = event->text();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        text = QStringLiteral("\r");
    if (text.isEmpty() || (event->key() == Qt::Key_Tab && !WantTab)) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (!Connected())
        return;
    for (QChar c : text) {
        const QByteArray bytes = EncodeKeys(QString(c));
        SendBytes(bytes);
        if (LocalEcho)
            for (char b : bytes)
                FScreen.WriteChar(static_cast<unsigned char>(b));
        if (c == QLatin1Char('\r') && SendLF) {
            SendBytes("\n");
            if (LocalEcho)
                FScreen.WriteChar('\n');
        }
    }
    ScheduleRepaint();
}
