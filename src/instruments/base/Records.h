#pragma once
// Settings records of the instruments: small property objects that the configuration pages
// edit and the settings file stores through their properties. Every setter stores only a
// different value (unless noted) and then calls Changed, which recomputes what the record
// derives and tells the owner through OnChange. The records hold data only; the drawing
// routines that use them live apart and take the record as an argument.
#include "GvTypes.h"
#include "Color.h"
#include "Font.h"
#include "StoredObject.h"

#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class TGvPersistent : public QObject {
    Q_OBJECT
public:
    explicit TGvPersistent(QObject *parent = nullptr) : QObject(parent) {}

    // Recomputes the derived values (where a class has them), then fires OnChange(self).
    virtual void Changed();

    std::function<void(QObject *sender)> OnChange;
};

// Four-sided inset of a bevel.
class TGvOffset : public TGvPersistent {
    Q_OBJECT
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int Right READ Right WRITE SetRight)
    Q_PROPERTY(int Bottom READ Bottom WRITE SetBottom)
public:
    using TGvPersistent::TGvPersistent;
    int Top() const { return top; }
    int Left() const { return left; }
    int Right() const { return right; }
    int Bottom() const { return bottom; }
    void SetTop(int v);
    void SetLeft(int v);
    void SetRight(int v);
    void SetBottom(int v);
    void Assign(const TGvOffset &src);

    // Moves each edge of r inwards by its inset. Works on any rectangle by edges.
    template <typename R>
    void Deflate(R &r) const
    {
        r.Left = addSat(r.Left, left);
        r.Top = addSat(r.Top, top);
        r.Right = addSat(r.Right, -int64_t(right));
        r.Bottom = addSat(r.Bottom, -int64_t(bottom));
    }
    QRect Deflate(const QRect &r) const;

private:
    static int addSat(int a, int64_t b);
    int top = 0, left = 0, right = 0, bottom = 0;
};

class TGvGradSettings : public TGvPersistent {
    Q_OBJECT
    Q_PROPERTY(TColor ColorFrom READ ColorFrom WRITE SetColorFrom)
    Q_PROPERTY(TColor ColorTo READ ColorTo WRITE SetColorTo)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(gv::TGradientStyle Style READ Style WRITE SetStyle)
public:
    using TGvPersistent::TGvPersistent;
    TColor ColorFrom() const { return colorFrom; }
    TColor ColorTo() const { return colorTo; }
    bool Visible() const { return visible; }
    gv::TGradientStyle Style() const { return style; }
    void SetColorFrom(TColor c);
    void SetColorTo(TColor c);
    void SetVisible(bool v);
    void SetStyle(gv::TGradientStyle s);
    void Assign(const TGvGradSettings &src);

private:
    TColor colorFrom{14869218u};
    TColor colorTo{9408399u};
    bool visible = false;
    gv::TGradientStyle style = gv::gsHorizontal1;
};

// A bevel: optional line, a graded 3-D frame of Width layers, a surface and a spacing.
class TGvSBevel : public TGvPersistent {
    Q_OBJECT
    Q_PROPERTY(gv::TBevelStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing)
    Q_PROPERTY(gv::TBevelLine BevelLine READ BevelLine WRITE SetBevelLine)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(TGvOffset *Offset READ Offset)
    Q_PROPERTY(TColor ColorShadowFrom READ ColorShadowFrom WRITE SetColorShadowFrom)
    Q_PROPERTY(TColor ColorShadowTo READ ColorShadowTo WRITE SetColorShadowTo)
    Q_PROPERTY(TColor ColorHighLightFrom READ ColorHighLightFrom WRITE SetColorHighLightFrom)
    Q_PROPERTY(TColor ColorHighLightTo READ ColorHighLightTo WRITE SetColorHighLightTo)
    Q_PROPERTY(TColor PenColor READ PenColor WRITE SetPenColor)
    Q_PROPERTY(TGvGradSettings *SurfaceGrad READ SurfaceGrad)
public:
    explicit TGvSBevel(QObject *parent = nullptr);

    gv::TBevelStyle Style() const { return style; }
    int Spacing() const { return spacing; }
    gv::TBevelLine BevelLine() const { return bevelLine; }
    int Width() const { return width; }
    TColor Color() const { return color; }
    TGvOffset *Offset() const { return offset; }
    TColor ColorShadowFrom() const { return shadowFrom; }
    TColor ColorShadowTo() const { return shadowTo; }
    TColor ColorHighLightFrom() const { return highFrom; }
    TColor ColorHighLightTo() const { return highTo; }
    TColor PenColor() const { return penColor; }
    TGvGradSettings *SurfaceGrad() const { return surfaceGrad; }

    void SetStyle(gv::TBevelStyle s);
    void SetSpacing(int v);
    void SetBevelLine(gv::TBevelLine l);
    void SetWidth(int v); // negative refused
    void SetColor(TColor c);
    void SetColorShadowFrom(TColor c);
    void SetColorShadowTo(TColor c);
    void SetColorHighLightFrom(TColor c);
    void SetColorHighLightTo(TColor c);
    void SetPenColor(TColor c);
    void Assign(const TGvSBevel &src);

    // Spacing + Width (+1 for one bevel line, +2 for both), saturated to the int range:
    // stored sizes may be absurd.
    int TotalWidth() const { return totalWidth; }

    // Only the dial's knob is round. A round bevel keeps a 30 x 30 shading picture that the
    // drawing routines refill (from ColorShadowFrom to ColorShadowTo) whenever ShadingStale.
    bool RoundShape() const { return roundShape; }
    void SetRoundShape(bool b);
    QImage Shading;
    bool ShadingStale = true;

    void Changed() override;

private:
    gv::TBevelStyle style = gv::bsRaised;
    int spacing = 5;
    gv::TBevelLine bevelLine = gv::blNone;
    int width = 2;
    TColor color = clBtnFace;
    TGvOffset *offset;
    TColor shadowFrom = clBtnShadow, shadowTo = clBtnShadow;
    TColor highFrom = clBtnHighlight, highTo = clBtnHighlight;
    TColor penColor = clBlack;
    TGvGradSettings *surfaceGrad;
    int totalWidth = 7;
    bool roundShape = false;
};

// The frame of a push button.
class TGvBtnBevel : public TGvPersistent {
    Q_OBJECT
    Q_PROPERTY(TColor ShadowColFrom READ ShadowColFrom WRITE SetShadowColFrom)
    Q_PROPERTY(TColor ShadowColTo READ ShadowColTo WRITE SetShadowColTo)
    Q_PROPERTY(TColor HighlightColFrom READ HighlightColFrom WRITE SetHighlightColFrom)
    Q_PROPERTY(TColor HighlightColTo READ HighlightColTo WRITE SetHighlightColTo)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
public:
    using TGvPersistent::TGvPersistent;
    TColor ShadowColFrom() const { return shadowFrom; }
    TColor ShadowColTo() const { return shadowTo; }
    TColor HighlightColFrom() const { return highFrom; }
    TColor HighlightColTo() const { return highTo; }
    int Width() const { return width; }
    void SetShadowColFrom(TColor c);
    void SetShadowColTo(TColor c);
    void SetHighlightColFrom(TColor c);
    void SetHighlightColTo(TColor c);
    void SetWidth(int v); // negative refused
    void Assign(const TGvBtnBevel &src);

private:
    TColor shadowFrom = clBlack;
    TColor shadowTo = clBtnShadow;
    TColor highFrom{13816530u};
    TColor highTo = clBtnHighlight;
    int width = 2;
};

// The lamp of an LED instrument. No copy-from.
class TLED : public TGvPersistent {
    Q_OBJECT
    Q_PROPERTY(gv::TLEDShape Shape READ Shape WRITE SetShape)
    Q_PROPERTY(TColor ColorOn READ ColorOn WRITE SetColorOn)
    Q_PROPERTY(TColor ColorOff READ ColorOff WRITE SetColorOff)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
public:
    using TGvPersistent::TGvPersistent;
    gv::TLEDShape Shape() const { return shape; }
    TColor ColorOn() const { return colorOn; }
    TColor ColorOff() const { return colorOff; }
    int Width() const { return width; }
    int Height() const { return height; }
    void SetShape(gv::TLEDShape s);
    void SetColorOn(TColor c);
    void SetColorOff(TColor c);
    void SetWidth(int v);  // 4 to 80, else ignored
    void SetHeight(int v); // 4 to 80, else ignored

    // Where the owner places the lamp (left, top, width, height).
    QRect Rect;

private:
    gv::TLEDShape shape = gv::sRound;
    TColor colorOn = clLime;
    TColor colorOff = clBtnFace;
    int width = 13, height = 13;
};

// The pointer of the round meters.
class TArrowSettings : public TGvPersistent {
    Q_OBJECT
    Q_PROPERTY(int Shape READ Shape WRITE SetShape)
    Q_PROPERTY(TColor ColorPen READ ColorPen WRITE SetColorPen)
    Q_PROPERTY(TColor ColorBrush READ ColorBrush WRITE SetColorBrush)
    Q_PROPERTY(TColor ColorCP1Pen READ ColorCP1Pen WRITE SetColorCP1Pen)
    Q_PROPERTY(TColor ColorCP1Brush READ ColorCP1Brush WRITE SetColorCP1Brush)
    Q_PROPERTY(TColor ColorCP2Pen READ ColorCP2Pen WRITE SetColorCP2Pen)
    Q_PROPERTY(TColor ColorCP2Brush READ ColorCP2Brush WRITE SetColorCP2Brush)
public:
    using TGvPersistent::TGvPersistent;
    int Shape() const { return shape; }
    TColor ColorPen() const { return pen; }
    TColor ColorBrush() const { return brush; }
    TColor ColorCP1Pen() const { return cp1Pen; }
    TColor ColorCP1Brush() const { return cp1Brush; }
    TColor ColorCP2Pen() const { return cp2Pen; }
    TColor ColorCP2Brush() const { return cp2Brush; }
    void SetShape(int v);
    void SetColorPen(TColor c);
    void SetColorBrush(TColor c);
    void SetColorCP1Pen(TColor c);
    void SetColorCP1Brush(TColor c);
    void SetColorCP2Pen(TColor c);
    void SetColorCP2Brush(TColor c);
    void Assign(const TArrowSettings &src);

private:
    int shape = 0;
    TColor pen = clBlack, brush = clLime;
    TColor cp1Pen = clBlack, cp1Brush = clBlack;
    TColor cp2Pen = clBlack, cp2Brush = clBtnFace;
};

// Three coloured bands of the range, in parts per thousand (PPT).
class TSectorSettings : public TGvPersistent {
    Q_OBJECT
    Q_PROPERTY(TColor Sector1Color READ Sector1Color WRITE SetSector1Color)
    Q_PROPERTY(int Sector1From READ Sector1From WRITE SetSector1From)
    Q_PROPERTY(int Sector1To READ Sector1To WRITE SetSector1To)
    Q_PROPERTY(TColor Sector2Color READ Sector2Color WRITE SetSector2Color)
    Q_PROPERTY(int Sector2From READ Sector2From WRITE SetSector2From)
    Q_PROPERTY(int Sector2To READ Sector2To WRITE SetSector2To)
    Q_PROPERTY(TColor Sector3Color READ Sector3Color WRITE SetSector3Color)
    Q_PROPERTY(int Sector3From READ Sector3From WRITE SetSector3From)
    Q_PROPERTY(int Sector3To READ Sector3To WRITE SetSector3To)
    Q_PROPERTY(int Offset READ Offset WRITE SetOffset STORED true)
    Q_PROPERTY(int WidthOffset READ WidthOffset WRITE SetWidthOffset STORED true)
public:
    using TGvPersistent::TGvPersistent;
    TColor Sector1Color() const { return col[0]; }
    int Sector1From() const { return from[0]; }
    int Sector1To() const { return to[0]; }
    TColor Sector2Color() const { return col[1]; }
    int Sector2From() const { return from[1]; }
    int Sector2To() const { return to[1]; }
    TColor Sector3Color() const { return col[2]; }
    int Sector3From() const { return from[2]; }
    int Sector3To() const { return to[2]; }
    int Offset() const { return offset; }
    int WidthOffset() const { return widthOffset; }
    void SetSector1Color(TColor c) { setCol(0, c); }
    void SetSector1From(int v) { setInt(from[0], v); }
    void SetSector1To(int v) { setInt(to[0], v); }
    void SetSector2Color(TColor c) { setCol(1, c); }
    void SetSector2From(int v) { setInt(from[1], v); }
    void SetSector2To(int v) { setInt(to[1], v); }
    void SetSector3Color(TColor c) { setCol(2, c); }
    void SetSector3From(int v) { setInt(from[2], v); }
    void SetSector3To(int v) { setInt(to[2], v); }
    void SetOffset(int v) { setInt(offset, v); }
    void SetWidthOffset(int v) { setInt(widthOffset, v); }

    // Sector i (0, 1, 2) by index.
    TColor SectorColor(int i) const { return col[i]; }
    int SectorFrom(int i) const { return from[i]; }
    int SectorTo(int i) const { return to[i]; }
    bool InSector(int i, int ppt) const { return from[i] <= ppt && ppt <= to[i]; }

    // The colour of the first sector (1, 2, 3) that holds ppt; nothing when none does.
    std::optional<TColor> SectorColorAt(int ppt) const;

    // Copies the colours and bounds, not Offset nor WidthOffset.
    void Assign(const TSectorSettings &src);

private:
    void setCol(int i, TColor c);
    void setInt(int &field, int v);
    TColor col[3] = {clYellow, clGreen, clRed};
    int from[3] = {0, 334, 667};
    int to[3] = {333, 666, 1000};
    int offset = 0, widthOffset = 0;
};

// What the signal is and how its value maps to digits.
class TSignalSettings : public TGvPersistent, public TStoredObject {
    Q_OBJECT
    Q_PROPERTY(int DigitalFrom READ DigitalFrom WRITE SetDigitalFrom)
    Q_PROPERTY(int DigitalTo READ DigitalTo WRITE SetDigitalTo)
    Q_PROPERTY(QString Name1 READ Name1 WRITE SetName1)
    Q_PROPERTY(QString Name2 READ Name2 WRITE SetName2)
    Q_PROPERTY(QString ValueFormat READ ValueFormat WRITE SetValueFormat)
    Q_PROPERTY(float ValueFrom READ ValueFrom WRITE SetValueFrom)
    Q_PROPERTY(float ValueTo READ ValueTo WRITE SetValueTo)
    Q_PROPERTY(QString ValueUnit READ ValueUnit WRITE SetValueUnit)
public:
    using TGvPersistent::TGvPersistent;

    int DigitalFrom() const { return digitalFrom; }
    int DigitalTo() const { return digitalTo; }
    QString Name1() const { return name1; }
    QString Name2() const { return name2; }
    QString ValueFormat() const { return valueFormat; }
    float ValueFrom() const { return valueFrom; }
    float ValueTo() const { return valueTo; }
    QString ValueUnit() const { return valueUnit; }

    void SetDigitalFrom(int v);
    void SetDigitalTo(int v);
    void SetName1(const QString &s);
    void SetName2(const QString &s);
    void SetValueFormat(const QString &s);
    // Ignored when x equals either end or is not finite; 0 is stored as 1e-6; in log mode the
    // stored value becomes its decade. While the settings file is read, an end equal to the
    // other one is taken, so that any stored range comes back whatever the range before.
    void SetValueFrom(float x);
    void SetValueTo(float x);
    void SetValueUnit(const QString &s);

    void BeginLoad() override;
    // A range that came out with equal ends (only a hand-edited file gives one) is refused as a
    // whole: the range before the load stays.
    void EndLoad() override;

    // Copies, through the setters: DigitalFrom, DigitalTo, ValueFormat, ValueFrom, ValueTo,
    // ValueUnit, Name1, Name2.
    void Assign(const TSignalSettings &src);

    // Derived values (see Recompute).
    double ValueRange() const { return valueRange; }
    int DigitalRange() const { return digitalRange; }
    double ValuePerDigit() const { return valuePerDigit; }
    double DigitsPerValue() const { return digitsPerValue; }
    double PPTPerValue() const { return pptPerValue; }
    QString FormatSample() const { return formatSample; }

    // round((x - ValueFrom) * PPTPerValue), saturated to the int range.
    int ValueToPPT(double x) const;

    // Log-mode flag, set by the owner.
    bool LogMode = false;

    // Recomputes the derived values without firing OnChange. A degenerate range (zero or
    // inverted, or digits that do not fit 32 bits) keeps the previous factors.
    void Recompute();
    void Changed() override;

    // Log mode starts: ValueFrom and ValueTo become from and to through the setters. Ends the
    // setters refuse (equal to the other end) but that are not positive, as linear ranges
    // allow, take their decade directly, so the log mapping never sees 0 or a negative end.
    void SetLogRange(float from, float to);

    // 10^round(log10(x)), kept inside the float range; a value <= 0 counts as 1.
    static float Decade(double x);

private:
    int digitalFrom = 0, digitalTo = 1000;
    QString name1 = QStringLiteral("SignalName1");
    QString name2 = QStringLiteral("SignalName2");
    QString valueFormat = QStringLiteral("##0.0");
    float valueFrom = 0.0f, valueTo = 100.0f;
    QString valueUnit = QStringLiteral("%");
    bool loading = false;
    float fromBeforeLoad = 0.0f, toBeforeLoad = 0.0f;

    double valueRange = 100;
    int digitalRange = 1000;
    double valuePerDigit = 0, digitsPerValue = 0, pptPerValue = 0;
    QString formatSample = QStringLiteral("##0.0");
};

// One channel of a trend.
class TChSettings : public TSignalSettings {
    Q_OBJECT
    Q_PROPERTY(int Digit READ Digit WRITE SetDigit)
    Q_PROPERTY(float Value READ Value WRITE SetValue)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int PenWidth READ PenWidth WRITE SetPenWidth)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
public:
    using TSignalSettings::TSignalSettings;
    ~TChSettings() override;

    int Digit() const { return digit; }
    float Value() const { return value; }
    TColor Color() const { return color; }
    int PenWidth() const { return penWidth; }
    bool Visible() const { return visible; }
    // Digit - DigitalFrom, kept for the trend's drawing.
    int DigitOffset() const { return digitOffset; }

    void SetDigit(int d);
    void SetValue(float v); // non-finite values ignored
    void SetColor(TColor c);
    void SetPenWidth(int w);
    void SetVisible(bool b);

    std::function<void(QObject *sender)> OnValueChange;

private:
    int digit = 0;
    float value = 0.0f;
    TColor color = clBlack;
    int penWidth = 1;
    bool visible = true;
    int digitOffset = 0;
};

// The lowest and highest value seen. No copy-from.
class TMinMax : public TGvPersistent {
    Q_OBJECT
    Q_PROPERTY(float Max READ Max WRITE SetMax STORED false)
    Q_PROPERTY(QDateTime MaxDateTime READ MaxDateTime STORED false)
    Q_PROPERTY(float Min READ Min WRITE SetMin STORED false)
    Q_PROPERTY(QDateTime MinDateTime READ MinDateTime STORED false)
    Q_PROPERTY(TColor MaxColor READ MaxColor WRITE SetMaxColor)
    Q_PROPERTY(TColor MinColor READ MinColor WRITE SetMinColor)
    Q_PROPERTY(bool UseSectorCol READ UseSectorCol WRITE SetUseSectorCol)
    Q_PROPERTY(bool MinVisible READ MinVisible WRITE SetMinVisible)
    Q_PROPERTY(bool MaxVisible READ MaxVisible WRITE SetMaxVisible)
public:
    // Markers for "nothing seen yet".
    static constexpr float NoMin = 9999999.0f;
    static constexpr float NoMax = -9999999.0f;

    explicit TMinMax(QObject *parent = nullptr);

    float Max() const { return max; }
    QDateTime MaxDateTime() const { return maxTime; }
    float Min() const { return min; }
    QDateTime MinDateTime() const { return minTime; }
    TColor MaxColor() const { return maxColor; }
    TColor MinColor() const { return minColor; }
    bool UseSectorCol() const { return useSectorCol; }
    bool MinVisible() const { return minVisible; }
    bool MaxVisible() const { return maxVisible; }

    // Store and stamp the time, without Changed; non-finite values ignored.
    void SetMax(float v);
    void SetMin(float v);
    void SetMaxColor(TColor c);
    void SetMinColor(TColor c);
    void SetUseSectorCol(bool b);
    void SetMinVisible(bool b);
    void SetMaxVisible(bool b);

    // Where "now" comes from; tests replace it.
    static std::function<QDateTime()> Now;

private:
    float max = NoMax;
    QDateTime maxTime;
    float min = NoMin;
    QDateTime minTime;
    TColor maxColor = clAqua, minColor = clAqua;
    bool useSectorCol = true, minVisible = true, maxVisible = true;
};

// The scale of a meter or dial.
class TScaleSettings : public TGvPersistent {
    Q_OBJECT
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(TColor PointerColor READ PointerColor WRITE SetPointerColor)
    Q_PROPERTY(bool DrawLine READ DrawLine WRITE SetDrawLine)
    Q_PROPERTY(TFont *Font READ Font WRITE SetFont)
    Q_PROPERTY(bool PosLeftTop READ PosLeftTop WRITE SetPosLeftTop)
    Q_PROPERTY(int Steps READ Steps WRITE SetSteps)
    Q_PROPERTY(int SubSteps READ SubSteps WRITE SetSubSteps)
    Q_PROPERTY(QString ValueFormat READ ValueFormat WRITE SetValueFormat)
    Q_PROPERTY(QString ValueFormatLog READ ValueFormatLog WRITE SetValueFormatLog)
public:
    explicit TScaleSettings(QObject *parent = nullptr);

    TColor Color() const { return color; }
    TColor PointerColor() const { return pointerColor; }
    bool DrawLine() const { return drawLine; }
    TFont *Font() const { return font; }
    bool PosLeftTop() const { return posLeftTop; }
    int Steps() const { return steps; }
    int SubSteps() const { return subSteps; }
    QString ValueFormat() const { return valueFormat; }
    QString ValueFormatLog() const { return valueFormatLog; }

    void SetColor(TColor c);
    void SetPointerColor(TColor c);
    void SetDrawLine(bool b);         // always Changed
    void SetFont(const TFont *f);     // copied in, always Changed
    void SetPosLeftTop(bool b);
    void SetSteps(int n);             // 1 to 20, then always Changed
    void SetSubSteps(int n);          // 1 to 10, then always Changed
    void SetValueFormat(const QString &s);
    void SetValueFormatLog(const QString &s);
    void Assign(const TScaleSettings &src);

    // Set by the owner from its LogScale.
    bool LogMode = false;

    // Layout metrics left here by the scale routines.
    int LogStepCount = 0;
    QPoint Center;
    int TickLength = 14;
    int SubTickLength = 7;
    int TickWidth = 2;
    int SubTickWidth = 1;
    int LabelGap = 4;
    QString LabelList;
    int LabelWidth = 0, LabelHeight = 0;
    int ScaleWidth = 0;
    int MinScaleLength = 0;
    int PointerGap = 0;
    int ScaleBottom = 0, ScaleTop = 0;
    QPoint ArcTopLeft, ArcBottomRight;
    QPoint ArcEnd, ArcStart;
    int LogLow = 0, LogHigh = 0;

private:
    TColor color = clBlack;
    TColor pointerColor = clLime;
    bool drawLine = true;
    TFont *font;
    bool posLeftTop = false;
    int steps = 5, subSteps = 2;
    QString valueFormat = QStringLiteral("##0");
    QString valueFormatLog = QStringLiteral("0e-0");
};
