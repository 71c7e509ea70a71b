#include "SevenSegGlyphs.h"

#include "Canvas.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <array>
#include <vector>

namespace tg {

namespace {

enum Piece { Vert, Horz, Dot, Plus, Colon, Deg, PieceCount };

// Seven-segment bit i = segment i + 1 (top, upper left, upper right, middle, lower left,
// lower right, bottom); the extra bits are the signs that stand alone.
constexpr unsigned SegPoint = 1u << 7, SegPlus = 1u << 8, SegColon = 1u << 9, SegDeg = 1u << 10;

struct Placement {
    Piece piece;
    int x, y;
};
// Top-left corner of each piece on the master canvas, in the bit order above.
constexpr std::array<Placement, 11> Placements = {{
    {Horz, 94, 0}, {Vert, 37, 23}, {Vert, 244, 23}, {Horz, 57, 197}, {Vert, 0, 220},
    {Vert, 207, 220}, {Horz, 20, 394}, {Dot, 269, 394}, {Plus, 57, 120}, {Colon, 122, 121},
    {Deg, 150, 0},
}};

// Lit pieces per strip cell, in the order of SevenSegStripChars().
constexpr std::array<unsigned, SevenSegCellCount> CellPieces = {
    0b1110111, // 0: 1 2 3 5 6 7
    0b0100100, // 1: 3 6
    0b1011101, // 2: 1 3 4 5 7
    0b1101101, // 3: 1 3 4 6 7
    0b0101110, // 4: 2 3 4 6
    0b1101011, // 5: 1 2 4 6 7
    0b1111011, // 6: 1 2 4 5 6 7
    0b0100101, // 7: 1 3 6
    0b1111111, // 8
    0b1101111, // 9: 1 2 3 4 6 7
    0b0001000, // -: 4
    SegPlus,   SegColon, SegDeg,
    0b0111111, // A: 1 2 3 4 5 6
    0b1111010, // B: 2 4 5 6 7
    0b1010011, // C: 1 2 5 7
    0b1111100, // D: 3 4 5 6 7
    0b1011011, // E: 1 2 4 5 7
    0b0011011, // F: 1 2 4 5
    SegPoint,
};

const char16_t StripChars[] = u"0123456789-+:\u00B0ABCDEF.";

constexpr std::array<const char *, PieceCount> PieceNames = {"SEGVERT", "SEGHORZ", "SEGDOT",
                                                              "SEGPLUS", "SEGCOLON", "SEGDEG"};

// Octagon inside the box (l, t)-(r, b) with corners cut by k.
QPolygonF octagon(double l, double t, double r, double b, double k)
{
    return QPolygonF({{l + k, t}, {r - k, t}, {r, t + k}, {r, b - k}, {r - k, b}, {l + k, b}, {l, b - k}, {l, t + k}});
}

// Bars with pointed ends: an upright one from tip (xTop, yTop) to tip (xBottom, yBottom) that
// reaches `half` pixels to either side of its centre line, and a lying one likewise.
QPolygonF verticalBar(double xTop, double xBottom, double yTop, double yBottom, double half)
{
    const double slope = (xBottom - xTop) / (yBottom - yTop);
    auto xAt = [&](double y) { return xTop + (y - yTop) * slope; };
    const double a = yTop + half, b = yBottom - half;
    return QPolygonF({{xTop, yTop}, {xAt(a) + half, a}, {xAt(b) + half, b}, {xBottom, yBottom},
                      {xAt(b) - half, b}, {xAt(a) - half, a}});
}

QPolygonF horizontalBar(double l, double r, double yMid, double half)
{
    return QPolygonF({{l, yMid}, {l + half, yMid - half}, {r - half, yMid - half}, {r, yMid},
                      {r - half, yMid + half}, {l + half, yMid + half}});
}

QImage drawPiece(Piece piece)
{
    static constexpr int sizes[PieceCount][2] = {{68, 190}, {200, 38}, {38, 38}, {200, 190}, {68, 190}, {160, 138}};
    QImage img(sizes[piece][0], sizes[piece][1], QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false); // pure black and white: the fills rely on it
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    switch (piece) {
    case Vert:
        // Slanted like the whole digit: 34 pixels to the right over the height.
        p.drawPolygon(verticalBar(51, 17, 0, 189, 15));
        break;
    case Horz:
        p.drawPolygon(horizontalBar(0, 199, 18.5, 18.5));
        break;
    case Dot:
        p.drawPolygon(octagon(0, 0, 37, 37, 11));
        break;
    case Plus:
        p.drawPolygon(horizontalBar(0, 199, 94.5, 18.5));
        p.drawPolygon(verticalBar(117, 83, 0, 189, 15));
        break;
    case Colon:
        p.drawPolygon(octagon(32, 0, 67, 35, 10));
        p.drawPolygon(octagon(0, 154, 35, 189, 10));
        break;
    case Deg: {
        // Ring: the outer octagon with the inner one left white.
        QPainterPath ring;
        ring.addPolygon(octagon(0, 0, 159, 137, 44));
        ring.closeSubpath();
        ring.addPolygon(octagon(40, 36, 119, 101, 22));
        ring.closeSubpath();
        ring.setFillRule(Qt::OddEvenFill);
        p.drawPath(ring);
        break;
    }
    default:
        break;
    }
    return img;
}

const std::array<QImage, PieceCount> &pieces()
{
    static const std::array<QImage, PieceCount> all = [] {
        std::array<QImage, PieceCount> a;
        for (int i = 0; i < PieceCount; ++i)
            a[i] = drawPiece(Piece(i));
        return a;
    }();
    return all;
}

// The pieces with their shapes flood-filled in c from the points inside them.
std::array<QImage, PieceCount> colouredPieces(const QColor &c)
{
    std::array<QImage, PieceCount> out = pieces();
    for (int i = 0; i < PieceCount; ++i) {
        QImage &img = out[i];
        const int w = img.width(), h = img.height();
        std::vector<QPoint> seeds;
        if (i == Colon)
            seeds = {{18, h - 18}, {w - 18, 18}};
        else if (i == Deg)
            seeds = {{25, h / 2}};
        else
            seeds = {{w / 2, h / 2}};
        TCanvas canvas(img);
        canvas.setBrushColor(c);
        for (const QPoint &s : seeds)
            canvas.FloodFill(s.x(), s.y(), canvas.Pixel(s.x(), s.y()), TFillStyle::fsSurface);
    }
    return out;
}

void composeChar(QImage &master, const std::array<QImage, PieceCount> &coloured, int cell, const QColor &back)
{
    master.fill(Qt::white);
    TCanvas c(master);
    const unsigned bits = CellPieces[size_t(cell)];
    for (size_t i = 0; i < Placements.size(); ++i) {
        if (!(bits & (1u << i)))
            continue;
        const Placement &pl = Placements[i];
        const QImage &src = coloured[pl.piece];
        c.CopyRect({pl.x, pl.y, pl.x + src.width(), pl.y + src.height()}, src, {0, 0, src.width(), src.height()},
                   TCopyMode::cmSrcAnd);
    }
    c.setBrushColor(back);
    if (bits & SegDeg)
        c.FloodFill(230, 70, c.Pixel(230, 70), TFillStyle::fsSurface);
    c.FloodFill(1, 1, Qt::white, TFillStyle::fsSurface);
}

QColor litColour(const QColor &text)
{
    const QColor c = text.toRgb();
    return (c.rgb() & 0xFFFFFFu) == 0xFFFFFFu ? QColor(254, 254, 254) : c;
}

} // namespace

QString SevenSegStripChars() { return QString::fromUtf16(StripChars); }

int SevenSegCell(QChar ch)
{
    if (ch == u',')
        ch = u'.';
    const QString chars = SevenSegStripChars();
    return int(chars.indexOf(ch.toUpper()));
}

QImage SegmentBitmap(const QString &name)
{
    for (int i = 0; i < PieceCount; ++i)
        if (name == QLatin1String(PieceNames[size_t(i)]))
            return pieces()[size_t(i)];
    return {};
}

QImage RenderSevenSegChar(int cell, const QColor &lit, const QColor &back)
{
    if (cell < 0 || cell >= SevenSegCellCount)
        return {};
    QImage master(SevenSegMasterWidth, SevenSegMasterHeight, QImage::Format_RGB32);
    composeChar(master, colouredPieces(litColour(lit)), cell, back);
    return master;
}

QList<QImage> BuildSevenSegStrip(int cellW, int cellH, const QColor &text, const QColor &back)
{
    if (MakeScratchImage(cellW, cellH).isNull())
        return {};
    const auto coloured = colouredPieces(litColour(text));
    QImage master(SevenSegMasterWidth, SevenSegMasterHeight, QImage::Format_RGB32);
    QList<QImage> cells;
    for (int i = 0; i < SevenSegCellCount; ++i) {
        composeChar(master, coloured, i, back);
        cells.append(master.scaled(cellW, cellH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    return cells;
}

} // namespace tg
