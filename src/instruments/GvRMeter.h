#pragma once
// Round pointer meter: a round scale with labelled ticks, a pointer turning about the scale's
// centre, min and max marks at the rim, a ring of sector colours inside the ticks, the unit and
// two caption lines, an outer and an inner bevel. Scale, ring, captions and unit live in the
// cached layer; a new value repaints only the square inside the ticks (PointerRect).
// TGv270Meter is the 270-degree form the panel uses.
#include "BaseControls.h"

#include <QImage>
#include <vector>

class TGvRMeter : public TGvAnalogGControl {
    Q_OBJECT
    Q_PROPERTY(TFont *Font READ Font WRITE SetFont)
    Q_PROPERTY(bool LogScale READ LogScale WRITE SetLogScale)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize STORED true)
    Q_PROPERTY(TArrowSettings *ArrowSettings READ ArrowSettings)
    Q_PROPERTY(TFont *FontUnit READ FontUnit WRITE SetFontUnit)
    Q_PROPERTY(TGvSBevel *BevelInner READ BevelInner)
    Q_PROPERTY(TGvSBevel *BevelOuter READ BevelOuter)
    Q_PROPERTY(TRMeterOptions Options READ Options WRITE SetOptions STORED true)
    Q_PROPERTY(TScaleSettings *ScaleSettings READ ScaleSettings)
public:
    enum TRMeterOption {
        opBevelInner = 0x01, opBevelOuter = 0x02, opName1 = 0x04, opName2 = 0x08,
        opOverflow = 0x10, opLimit = 0x20, opSector = 0x40, opUnit = 0x80
    };
    Q_DECLARE_FLAGS(TRMeterOptions, TRMeterOption)
    Q_FLAG(TRMeterOptions)
    static constexpr TRMeterOptions AllOptions = TRMeterOptions(0xFF);

    explicit TGvRMeter(QWidget *parent = nullptr);
    ~TGvRMeter() override;

    // LogScale is stored only when on.
    Q_INVOKABLE bool IsLogScaleStored() const { return LogScale(); }
    bool AutoSize() const { return autoSize; }
    void SetAutoSize(bool b);
    TArrowSettings *ArrowSettings() const { return arrowSettings; }
    TFont *FontUnit() const { return fontUnit; }
    void SetFontUnit(const TFont *f);
    TGvSBevel *BevelInner() const { return bevelInner; }
    TGvSBevel *BevelOuter() const { return bevelOuter; }
    TRMeterOptions Options() const { return options; }
    void SetOptions(TRMeterOptions o);
    TScaleSettings *ScaleSettings() const { return scaleSettings; }

    int StartAngle() const { return startAngle; }
    int SweepAngle() const { return sweepAngle; }
    float RadiusFactor() const { return radiusFactor; }
    int MeterStyle() const { return meterStyle; }

    // Layout results (valid after the last background build).
    bool TooSmall() const { return tooSmall; }
    tg::TRect PointerRect() const { return pointerRect; }
    int NeededWidth() const { return neededWidth; }
    int NeededHeight() const { return neededHeight; }
    bool AlarmActive() const { return alarmActive; }
    TColor AlarmColor() const { return alarmColor; }
    // Clockwise from straight up, where the pointer of the current value points.
    double PointerAngle() const;
    // The dial face under pointer and marks (PointerRect), empty before the first build.
    QImage PointerBackground() const;

    void ParamChange() override;
    void ValueChange() override;
    void OverflowChange(int ppt) override;
    void LimitChange() override;
    void LogScaleChange() override;
    void FlashMessage(uint32_t counter, int param) override;
    void loaded() override;

protected:
    void BuildBackground(tg::TCanvas &c) override;
    void PaintForeground(QPainter &p, const QRegion &asked) override;
    void resizeEvent(QResizeEvent *e) override;

    int startAngle = 0, sweepAngle = 0;
    float radiusFactor = 0;
    int meterStyle = 0;

private:
    struct TPointerShape {
        std::vector<QPoint> corners;
        int cap1, cap2;
    };
    void calcSize();
    void layoutAndResize();
    void fullRepaint();
    void drawSectorRing(tg::TCanvas &c, const tg::TRect &r);
    TPointerShape pointerShape(int b) const;
    void drawPointer();
    void checkAlarm();

    bool autoSize = true;
    TArrowSettings *arrowSettings;
    TGvSBevel *bevelInner;
    TGvSBevel *bevelOuter;
    TFont *fontUnit;
    TRMeterOptions options = AllOptions;
    TScaleSettings *scaleSettings;
    bool tooSmall = true;
    bool alarmActive = false;
    TColor alarmColor = clRed;
    bool inValueChange = false;
    int name1W = 0, name1H = 0, name2W = 0, name2H = 0, unitW = 0, unitH = 0;
    int neededWidth = 0, neededHeight = 0;
    tg::TRect pointerRect;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TGvRMeter::TRMeterOptions)

class TGv270Meter : public TGvRMeter {
    Q_OBJECT
public:
    explicit TGv270Meter(QWidget *parent = nullptr);
};
