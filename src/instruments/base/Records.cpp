#include "Records.h"

#include "Numeric.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Store v in field when it differs; tell whether it did.
template <typename T>
bool store(T &field, const T &v)
{
    if (field == v)
        return false;
    field = v;
    return true;
}

} // namespace

void TGvPersistent::Changed()
{
    if (OnChange)
        OnChange(this);
}

// ---- TGvOffset ----

int TGvOffset::addSat(int a, int64_t b) { return tg::saturate64<int>(int64_t(a) + b); }

void TGvOffset::SetTop(int v) { if (store(top, v)) Changed(); }
void TGvOffset::SetLeft(int v) { if (store(left, v)) Changed(); }
void TGvOffset::SetRight(int v) { if (store(right, v)) Changed(); }
void TGvOffset::SetBottom(int v) { if (store(bottom, v)) Changed(); }

void TGvOffset::Assign(const TGvOffset &src)
{
    top = src.top;
    left = src.left;
    right = src.right;
    bottom = src.bottom;
    Changed();
}

QRect TGvOffset::Deflate(const QRect &r) const
{
    struct E { int Left, Top, Right, Bottom; } e{r.left(), r.top(), tg::saturate64<int>(int64_t(r.left()) + r.width()),
                                              tg::saturate64<int>(int64_t(r.top()) + r.height())};
    Deflate(e);
    return QRect(e.Left, e.Top, tg::saturate64<int>(int64_t(e.Right) - e.Left),
                 tg::saturate64<int>(int64_t(e.Bottom) - e.Top));
}

// ---- TGvGradSettings ----

void TGvGradSettings::SetColorFrom(TColor c) { if (store(colorFrom, c)) Changed(); }
void TGvGradSettings::SetColorTo(TColor c) { if (store(colorTo, c)) Changed(); }
void TGvGradSettings::SetVisible(bool v) { if (store(visible, v)) Changed(); }
void TGvGradSettings::SetStyle(gv::TGradientStyle s) { if (store(style, s)) Changed(); }

void TGvGradSettings::Assign(const TGvGradSettings &src)
{
    colorFrom = src.colorFrom;
    colorTo = src.colorTo;
    visible = src.visible;
    style = src.style;
    Changed();
}

// ---- TGvSBevel ----

TGvSBevel::TGvSBevel(QObject *parent)
    : TGvPersistent(parent), offset(new TGvOffset(this)), surfaceGrad(new TGvGradSettings(this))
{
    // A change inside a nested record is a change of the bevel.
    offset->OnChange = [this](QObject *) { Changed(); };
    surfaceGrad->OnChange = [this](QObject *) { Changed(); };
}

void TGvSBevel::SetStyle(gv::TBevelStyle s) { if (store(style, s)) Changed(); }
void TGvSBevel::SetSpacing(int v) { if (store(spacing, v)) Changed(); }
void TGvSBevel::SetBevelLine(gv::TBevelLine l) { if (store(bevelLine, l)) Changed(); }
void TGvSBevel::SetWidth(int v)
{
    if (v >= 0 && store(width, v))
        Changed();
}
void TGvSBevel::SetColor(TColor c) { if (store(color, c)) Changed(); }
void TGvSBevel::SetColorShadowFrom(TColor c) { if (store(shadowFrom, c)) Changed(); }
void TGvSBevel::SetColorShadowTo(TColor c) { if (store(shadowTo, c)) Changed(); }
void TGvSBevel::SetColorHighLightFrom(TColor c) { if (store(highFrom, c)) Changed(); }
void TGvSBevel::SetColorHighLightTo(TColor c) { if (store(highTo, c)) Changed(); }
void TGvSBevel::SetPenColor(TColor c) { if (store(penColor, c)) Changed(); }

void TGvSBevel::SetRoundShape(bool b)
{
    if (store(roundShape, b))
        Changed();
}

void TGvSBevel::Assign(const TGvSBevel &src)
{
    style = src.style;
    spacing = src.spacing;
    bevelLine = src.bevelLine;
    width = src.width;
    color = src.color;
    shadowFrom = src.shadowFrom;
    shadowTo = src.shadowTo;
    highFrom = src.highFrom;
    highTo = src.highTo;
    penColor = src.penColor;
    // The nested copies would each notify the bevel; one notice at the end is enough.
    auto keepOffset = std::move(offset->OnChange);
    auto keepGrad = std::move(surfaceGrad->OnChange);
    offset->OnChange = nullptr;
    surfaceGrad->OnChange = nullptr;
    offset->Assign(*src.offset);
    surfaceGrad->Assign(*src.surfaceGrad);
    offset->OnChange = std::move(keepOffset);
    surfaceGrad->OnChange = std::move(keepGrad);
    Changed();
}

void TGvSBevel::Changed()
{
    int64_t total = int64_t(spacing) + width;
    if (bevelLine == gv::blOuter || bevelLine == gv::blInner)
        total += 1;
    else if (bevelLine == gv::blBoth)
        total += 2;
    totalWidth = tg::saturate64<int>(total);
    if (roundShape)
        ShadingStale = true;
    TGvPersistent::Changed();
}

// ---- TGvBtnBevel ----

void TGvBtnBevel::SetShadowColFrom(TColor c) { if (store(shadowFrom, c)) Changed(); }
void TGvBtnBevel::SetShadowColTo(TColor c) { if (store(shadowTo, c)) Changed(); }
void TGvBtnBevel::SetHighlightColFrom(TColor c) { if (store(highFrom, c)) Changed(); }
void TGvBtnBevel::SetHighlightColTo(TColor c) { if (store(highTo, c)) Changed(); }
void TGvBtnBevel::SetWidth(int v)
{
    if (v >= 0 && store(width, v))
        Changed();
}

void TGvBtnBevel::Assign(const TGvBtnBevel &src)
{
    shadowFrom = src.shadowFrom;
    shadowTo = src.shadowTo;
    highFrom = src.highFrom;
    highTo = src.highTo;
    width = src.width;
    Changed();
}

// ---- TLED ----

void TLED::SetShape(gv::TLEDShape s) { if (store(shape, s)) Changed(); }
void TLED::SetColorOn(TColor c) { if (store(colorOn, c)) Changed(); }
void TLED::SetColorOff(TColor c) { if (store(colorOff, c)) Changed(); }
void TLED::SetWidth(int v)
{
    if (v >= 4 && v <= 80 && store(width, v))
        Changed();
}
void TLED::SetHeight(int v)
{
    if (v >= 4 && v <= 80 && store(height, v))
        Changed();
}

// ---- TArrowSettings ----

void TArrowSettings::SetShape(int v) { if (store(shape, v)) Changed(); }
void TArrowSettings::SetColorPen(TColor c) { if (store(pen, c)) Changed(); }
void TArrowSettings::SetColorBrush(TColor c) { if (store(brush, c)) Changed(); }
void TArrowSettings::SetColorCP1Pen(TColor c) { if (store(cp1Pen, c)) Changed(); }
void TArrowSettings::SetColorCP1Brush(TColor c) { if (store(cp1Brush, c)) Changed(); }
void TArrowSettings::SetColorCP2Pen(TColor c) { if (store(cp2Pen, c)) Changed(); }
void TArrowSettings::SetColorCP2Brush(TColor c) { if (store(cp2Brush, c)) Changed(); }

void TArrowSettings::Assign(const TArrowSettings &src)
{
    shape = src.shape;
    pen = src.pen;
    brush = src.brush;
    cp1Pen = src.cp1Pen;
    cp1Brush = src.cp1Brush;
    cp2Pen = src.cp2Pen;
    cp2Brush = src.cp2Brush;
    Changed();
}

// ---- TSectorSettings ----

void TSectorSettings::setCol(int i, TColor c) { if (store(col[i], c)) Changed(); }
void TSectorSettings::setInt(int &field, int v) { if (store(field, v)) Changed(); }

std::optional<TColor> TSectorSettings::SectorColorAt(int ppt) const
{
    for (int i = 0; i < 3; ++i)
        if (InSector(i, ppt))
            return col[i];
    return std::nullopt;
}

void TSectorSettings::Assign(const TSectorSettings &src)
{
    SetSector1Color(src.col[0]);
    SetSector2Color(src.col[1]);
    SetSector3Color(src.col[2]);
    SetSector1From(src.from[0]);
    SetSector1To(src.to[0]);
    SetSector2From(src.from[1]);
    SetSector2To(src.to[1]);
    SetSector3From(src.from[2]);
    SetSector3To(src.to[2]);
}

// ---- TSignalSettings ----

float TSignalSettings::Decade(double x)
{
    if (!(x > 0) || !std::isfinite(x))
        return 1.0f;
    // 1e39 is no float; 1e-38 only a denormal one.
    return float(std::pow(10.0, std::clamp(tg::roundEven(std::log10(x)), -37.0, 38.0)));
}

void TSignalSettings::SetLogRange(float from, float to)
{
    SetValueFrom(from);
    SetValueTo(to);
    if (valueFrom > 0 && valueTo > 0)
        return;
    if (!(valueFrom > 0))
        valueFrom = Decade(from);
    if (!(valueTo > 0))
        valueTo = Decade(to);
    Changed();
}

void TSignalSettings::SetDigitalFrom(int v) { if (store(digitalFrom, v)) Changed(); }
void TSignalSettings::SetDigitalTo(int v) { if (store(digitalTo, v)) Changed(); }
void TSignalSettings::SetName1(const QString &s) { if (store(name1, s)) Changed(); }
void TSignalSettings::SetName2(const QString &s) { if (store(name2, s)) Changed(); }
void TSignalSettings::SetValueFormat(const QString &s) { if (store(valueFormat, s)) Changed(); }
void TSignalSettings::SetValueUnit(const QString &s) { if (store(valueUnit, s)) Changed(); }

void TSignalSettings::SetValueFrom(float x)
{
    if (!std::isfinite(x) || x == valueFrom || (x == valueTo && !loading))
        return;
    // 0 would make the value range and the log mapping degenerate; the dials rely on this.
    valueFrom = x == 0.0f ? 0.000001f : x;
    if (LogMode)
        valueFrom = Decade(valueFrom);
    Changed();
}

void TSignalSettings::SetValueTo(float x)
{
    if (!std::isfinite(x) || (x == valueFrom && !loading) || x == valueTo)
        return;
    valueTo = LogMode ? Decade(x) : x;
    Changed();
}

void TSignalSettings::BeginLoad()
{
    loading = true;
    fromBeforeLoad = valueFrom;
    toBeforeLoad = valueTo;
}

void TSignalSettings::EndLoad()
{
    loading = false;
    if (valueFrom != valueTo)
        return;
    valueFrom = fromBeforeLoad;
    valueTo = toBeforeLoad;
    Changed();
}

void TSignalSettings::Assign(const TSignalSettings &src)
{
    SetDigitalFrom(src.digitalFrom);
    SetDigitalTo(src.digitalTo);
    SetValueFormat(src.valueFormat);
    SetValueFrom(src.valueFrom);
    SetValueTo(src.valueTo);
    SetValueUnit(src.valueUnit);
    SetName1(src.name1);
    SetName2(src.name2);
}

void TSignalSettings::Recompute()
{
    const double from = valueFrom, to = valueTo;
    if (from < 0 || to > 0)
        valueRange = to - from;
    // else (from >= 0 and to <= 0): keep the previous range

    int64_t dr = int64_t(digitalTo) - digitalFrom;
    if (digitalFrom >= 0 && digitalTo <= 0)
        dr = 0;
    // A digital range that does not fit 32 bits is unusable; keep the last one.
    if (dr >= std::numeric_limits<int>::min() && dr <= std::numeric_limits<int>::max())
        digitalRange = int(dr);

    if (digitalRange > 0)
        valuePerDigit = valueRange / digitalRange;
    if (valueRange > 0) {
        digitsPerValue = digitalRange / valueRange;
        pptPerValue = 1000.0 / valueRange;
        const int semi = valueFormat.indexOf(QLatin1Char(';'));
        if (semi < 0) {
            formatSample = valueFormat;
        } else {
            const QString first = valueFormat.left(semi);
            const QString second = valueFormat.mid(semi + 1);
            formatSample = first.size() > second.size() ? first : second;
        }
    }
}

void TSignalSettings::Changed()
{
    Recompute();
    TGvPersistent::Changed();
}

int TSignalSettings::ValueToPPT(double x) const
{
    return tg::roundTo<int>((x - double(valueFrom)) * pptPerValue);
}

// ---- TChSettings ----

TChSettings::~TChSettings()
{
    visible = false;
    OnValueChange = nullptr;
}

void TChSettings::SetDigit(int d)
{
    if (d == digit)
        return;
    digit = d;
    const double v = (int64_t(d) - DigitalFrom()) * ValuePerDigit() + double(ValueFrom());
    if (std::isfinite(float(v)))
        value = float(v);
    digitOffset = tg::saturate64<int>(int64_t(digit) - DigitalFrom());
    if (OnValueChange)
        OnValueChange(this);
}

void TChSettings::SetValue(float v)
{
    if (!std::isfinite(v) || v == value)
        return;
    value = v;
    digit = tg::roundTo<int>((double(v) - ValueFrom()) * DigitsPerValue() + DigitalFrom());
    digitOffset = tg::saturate64<int>(int64_t(digit) - DigitalFrom());
    if (OnValueChange)
        OnValueChange(this);
}

void TChSettings::SetColor(TColor c) { if (store(color, c)) Changed(); }
void TChSettings::SetPenWidth(int w) { if (store(penWidth, w)) Changed(); }
void TChSettings::SetVisible(bool b) { if (store(visible, b)) Changed(); }

// ---- TMinMax ----

std::function<QDateTime()> TMinMax::Now = [] { return QDateTime::currentDateTime(); };

TMinMax::TMinMax(QObject *parent) : TGvPersistent(parent), maxTime(Now()), minTime(maxTime) {}

void TMinMax::SetMax(float v)
{
    if (!std::isfinite(v))
        return;
    max = v;
    maxTime = Now();
}

void TMinMax::SetMin(float v)
{
    if (!std::isfinite(v))
        return;
    min = v;
    minTime = Now();
}

void TMinMax::SetMaxColor(TColor c) { if (store(maxColor, c)) Changed(); }
void TMinMax::SetMinColor(TColor c) { if (store(minColor, c)) Changed(); }
void TMinMax::SetUseSectorCol(bool b) { if (store(useSectorCol, b)) Changed(); }
void TMinMax::SetMinVisible(bool b) { if (store(minVisible, b)) Changed(); }
void TMinMax::SetMaxVisible(bool b) { if (store(maxVisible, b)) Changed(); }

// ---- TScaleSettings ----

TScaleSettings::TScaleSettings(QObject *parent) : TGvPersistent(parent), font(new TFont(this))
{
    font->SetName(QStringLiteral("Arial"));
    font->SetSize(14);
    font->OnChange = [this] { Changed(); };
}

void TScaleSettings::SetColor(TColor c) { if (store(color, c)) Changed(); }
void TScaleSettings::SetPointerColor(TColor c) { if (store(pointerColor, c)) Changed(); }

void TScaleSettings::SetDrawLine(bool b)
{
    drawLine = b;
    Changed();
}

void TScaleSettings::SetFont(const TFont *f)
{
    if (f && f != font) {
        // The font's own notice would come on top of ours; one is enough.
        auto keep = std::move(font->OnChange);
        font->OnChange = nullptr;
        font->Assign(*f);
        font->OnChange = std::move(keep);
    }
    Changed();
}

void TScaleSettings::SetPosLeftTop(bool b) { if (store(posLeftTop, b)) Changed(); }

void TScaleSettings::SetSteps(int n)
{
    if (n < 1 || n > 20)
        return;
    steps = n;
    Changed();
}

void TScaleSettings::SetSubSteps(int n)
{
    if (n < 1 || n > 10)
        return;
    subSteps = n;
    Changed();
}

void TScaleSettings::SetValueFormat(const QString &s) { if (store(valueFormat, s)) Changed(); }
void TScaleSettings::SetValueFormatLog(const QString &s) { if (store(valueFormatLog, s)) Changed(); }

void TScaleSettings::Assign(const TScaleSettings &src)
{
    SetColor(src.color);
    SetDrawLine(src.drawLine);
    SetFont(src.font);
    SetPointerColor(src.pointerColor);
    SetPosLeftTop(src.posLeftTop);
    SetSteps(src.steps);
    SetSubSteps(src.subSteps);
    SetValueFormat(src.valueFormat);
    SetValueFormatLog(src.valueFormatLog);
}
