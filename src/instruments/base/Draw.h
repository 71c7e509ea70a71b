#pragma once
// Drawing routines shared by every instrument: gradients, LED shapes, knobs, aligned and
// multi-line text, measuring, colour blending and point geometry. They keep no state.
#include "Canvas.h"
#include "Color.h"
#include "GvTypes.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <vector>

namespace tg {

// Resolves system colours and markers to the colour painted.
QColor Qc(TColor c);

// c1 + round((c2 - c1) / n * i) per channel, wrapping modulo 256; c1 itself when both resolve
// to the same colour. n = 0 counts as 1.
TColor BlendColor(TColor c1, TColor c2, int n, int i);

TRect DeflateRect(const TRect &r, int k);
TRect DeflateRect4(const TRect &r, int left, int top, int bottom, int right);
QPoint RectCenter(const TRect &r);
// The common rectangle; true when it is not empty (Right >= Left and Bottom >= Top).
bool IntersectRects(const TRect &a, const TRect &b, TRect &out);
bool PointInRect(int x, int y, const TRect &r);
bool PointInCircle(int x, int y, const TRect &r);
QPoint RotatePoint(QPoint p, QPoint c, bool clockwise, double degrees);
// Compass angle of p seen from c: 0 straight down, 90 left, 180 up, 270 right.
float PointAngle(QPoint c, QPoint p);
inline int MinInt(int a, int b) { return a < b ? a : b; }
inline int MaxInt(int a, int b) { return a > b ? a : b; }
inline int ClampInt(int v, int lo, int hi) { return MaxInt(MinInt(v, hi), lo); }

// Text helpers
int CountChar(const QString &text, QChar ch);
// The text before the first sep, removed from text together with sep; all of it when none.
QString NextToken(QString &text, QChar sep);
struct TTextSize { int w, h, w2, h2; };
TTextSize TextSize(const TCanvas &c, const QString &text);
// Places the text's corner by code (0..8): code mod 3 left/centre/right, code div 3 top/middle/bottom.
void TextAligned(TCanvas &c, int x, int y, int code, const QString &text);
// Lines separated by '|', laid out around y by the code.
void TextLines(TCanvas &c, int x, int y, int code, const QString &text, int spacing);
void TextLines3D(TCanvas &c, int x, int y, bool threeD, int code, const QString &text, TColor extra1,
                 TColor extra2, TColor textColor, int spacing);
// Widest piece between separators and the height of the whole text.
QSize MeasureLines(const TCanvas &c, const QString &text, QChar sep);
inline QSize MeasureLabels(const TCanvas &c, const QString &text) { return MeasureLines(c, text, u';'); }

// Painting
void GradientFill(TCanvas &c, const TRect &r, TColor from, gv::TGradientStyle style, TColor to);
void PaintLEDShape(TCanvas &c, const TRect &r, gv::TLEDShape shape, TColor fill, TColor outline);
void PaintKnob(TCanvas &c, QPoint centre, int radius, TColor fill);
void PaintPieSector(TCanvas &c, const TRect &r, int start, int sweep);
// points[0].x low byte = entry count n, points[1] = centre, points[2..n] = corners.
void PaintRotatedPolygon(TCanvas &c, const std::vector<QPoint> &points, bool clockwise, double angle,
                         std::vector<QPoint> &scratch);

// Number texts of the numeric edit field.
QString IntToBinText(quint32 v, int n);
qint64 BinTextToInt(const QString &t);
QString RemoveChar(const QString &t, QChar ch);

} // namespace tg
