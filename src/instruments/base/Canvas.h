#pragma once
// The drawing surface every instrument paints on: QPainter over a QImage, with the pixel
// coverage rules the instrument layouts were designed for (right and bottom edges excluded,
// lines without their end point, counter-clockwise arcs from start ray to end ray).
#include "GvTypes.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRegion>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace tg {

// Rectangle by its edges; Right and Bottom lie just outside what it covers.
struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    constexpr TRect() = default;
    constexpr TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
    // Saturated: edges built from absurd stored sizes may lie far apart.
    constexpr int width() const { return span(Left, Right); }
    constexpr int height() const { return span(Top, Bottom); }
    constexpr bool isEmpty() const { return Right <= Left || Bottom <= Top; }
    // 64-bit arithmetic: rectangles built from stored sizes may hold extreme edges.
    QRect toQRect() const;
    static TRect fromQRect(const QRect &r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
    friend bool operator==(const TRect &, const TRect &) = default;

private:
    static constexpr int span(int a, int b)
    {
        const long long d = static_cast<long long>(b) - a;
        return d > 2147483647LL ? 2147483647 : d < -2147483647LL - 1 ? -2147483647 - 1 : static_cast<int>(d);
    }
};

enum class TPenStyle { psSolid, psDot, psClear };
using TPenMode = gv::TPenMode;
enum class TBrushStyle { bsSolid, bsClear };
enum class TFillStyle { fsSurface, fsBorder };
enum class TCopyMode { cmSrcCopy, cmSrcAnd };

// An off-screen picture that may leave out one colour when drawn.
struct TBitmap {
    QImage Image;
    bool Transparent = false;
    QColor TransparentColor; // invalid: the bottom-left pixel decides
};

// img with every pixel of the key colour (alpha ignored) made fully transparent.
QImage KeyedOut(const QImage &img, const QColor &key);
// The colour a picture leaves out when none is given: its bottom-left pixel's.
QColor AutoTransparentColor(const QImage &img);

// Bitmap resource by name (":/bitmaps/<name>.png"); a null image when there is none.
QImage LoadBitmapResource(const QString &name);

// Largest side a scratch image may have; settings files can ask for absurd sizes.
constexpr int MaxScratchSide = 16384;
// Largest area of a scratch image: a huge stored font makes a meter of 3270 x 14966 pixels,
// whose background alone would take some 200 MB.
constexpr int64_t MaxScratchPixels = int64_t(1) << 25;
// A scratch image of w x h, or a null image when a side is not in 1..MaxScratchSide or the
// area exceeds MaxScratchPixels.
QImage MakeScratchImage(int w, int h, QImage::Format fmt = QImage::Format_RGB32);

// Font pixel sizes are clamped to this range when text is rendered.
constexpr int MinFontPixels = 1;
constexpr int MaxFontPixels = 1000;

class TCanvas {
public:
    explicit TCanvas(QImage &image);
    ~TCanvas();
    TCanvas(const TCanvas &) = delete;
    TCanvas &operator=(const TCanvas &) = delete;

    QImage &image() { return *img; }
    int width() const { return img->width(); }
    int height() const { return img->height(); }

    // Pen
    void setPenColor(const QColor &c);
    void setPenWidth(int w);
    void setPenStyle(TPenStyle s);
    void setPenMode(TPenMode m);
    QColor penColor() const { return penCol; }
    int penWidth() const { return penW; }
    // Brush
    void setBrushColor(const QColor &c);
    void setBrushStyle(TBrushStyle s);
    QColor brushColor() const { return brushCol; }
    TBrushStyle brushStyle() const { return brushSty; }
    // Font
    void setFont(const QFont &f);
    void setFontColor(const QColor &c);
    const QFont &font() const { return fnt; }
    QColor fontColor() const { return fontCol; }

    // Shapes, all covering Left <= x < Right, Top <= y < Bottom.
    void FillRect(const TRect &r);              // brush only
    void Rectangle(const TRect &r);             // pen outline, brush interior
    void FrameRect(const TRect &r);             // outline in the brush colour
    void RoundRect(const TRect &r, int cornerW, int cornerH);
    void Ellipse(const TRect &r);
    void MoveTo(int x, int y) { cur = {x, y}; }
    void LineTo(int x, int y);                  // end point not drawn, becomes current
    QPoint PenPos() const { return cur; }
    void Polyline(const std::vector<QPoint> &pts);
    void Polygon(const std::vector<QPoint> &pts);
    // Counter-clockwise from the ray through start to the ray through end.
    void Arc(const TRect &r, QPoint start, QPoint end);
    void Pie(const TRect &r, QPoint start, QPoint end);

    // Text: top-left corner at (x, y); background in the brush colour unless the brush is clear.
    void TextOut(int x, int y, const QString &text);
    int TextWidth(const QString &text) const;
    int TextHeight(const QString &text) const;
    QSize TextExtent(const QString &text) const;

    // Pixels
    QColor Pixel(int x, int y) const;
    QRgb PixelRgb(int x, int y) const;          // 0xAARRGGBB, 0 outside the image
    void SetPixel(int x, int y, const QColor &c);
    // Recolours with the brush the 4-connected area at (x, y): fsSurface, the pixels of colour c;
    // fsBorder, the pixels that are not c. Iterative scan-line fill.
    void FloodFill(int x, int y, const QColor &c, TFillStyle mode);

    // Bitmaps
    void Draw(int x, int y, const QImage &src);
    void Draw(int x, int y, const TBitmap &bmp);
    void CopyRect(const TRect &dst, const QImage &src, const TRect &srcRect, TCopyMode mode = TCopyMode::cmSrcCopy);
    void StretchDraw(const TRect &dst, const QImage &src);
    // Averaging stretch of srcRect of src into dst.
    void StretchHalftone(const TRect &dst, const QImage &src, const TRect &srcRect);

    // Clipping
    TRect ClipRect() const;
    void SelectClipRegion(const QRegion &rgn);
    void SelectClipRect(const TRect &r);
    void RemoveClipRegion();
    static QRegion RectRegion(const TRect &r);
    static QRegion EllipticRegion(const TRect &r);
    static QRegion RegionDifference(const QRegion &a, const QRegion &b) { return a.subtracted(b); }

    // Direct access for code that needs QPainter features the surface does not wrap.
    QPainter &painter() { return p; }

private:
    void applyPen();
    void applyBrush();
    void applyMode();
    void arcAngles(const TRect &r, QPoint start, QPoint end, int &a16, int &span16) const;

    QImage *img;
    QPainter p;
    QColor penCol = Qt::black;
    int penW = 1;
    TPenStyle penSty = TPenStyle::psSolid;
    TPenMode penMd = TPenMode::pmCopy;
    QColor brushCol = Qt::white;
    TBrushStyle brushSty = TBrushStyle::bsSolid;
    QFont fnt;
    QColor fontCol = Qt::black;
    QPoint cur;
    bool clipped = false;
};

// Clamps the pixel size of f into MinFontPixels..MaxFontPixels (point sizes likewise).
QFont ClampedFont(const QFont &f);

} // namespace tg
