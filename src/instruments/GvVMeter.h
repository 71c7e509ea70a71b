#pragma once
// Vertical bar-scale meter: a straight scale with a sliding triangular pointer, optional min and
// max marks and sector band, a digital read-out above the scale with its unit, two caption
// lines, an outer and an inner bevel. The scale, bevels and captions live in a cached
// background layer; a new value repaints only the read-out box and the pointer strip.
#include "ReadoutControl.h"

#include <QImage>
#include <QRegion>
#include <vector>

class TGvVMeter : public TGvReadoutControl {
    Q_OBJECT
    Q_PROPERTY(TFont *Font READ Font WRITE SetFont)
    Q_PROPERTY(bool LogScale READ LogScale WRITE SetLogScale)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize STORED true)
    Q_PROPERTY(TFont *FontValue READ FontValue WRITE SetFontValue)
    Q_PROPERTY(TGvSBevel *BevelInner READ BevelInner)
    Q_PROPERTY(TGvSBevel *BevelOuter READ BevelOuter)
    Q_PROPERTY(TGvSBevel *BevelValue READ BevelValue)
    Q_PROPERTY(TGvVMeterOptions Options READ Options WRITE SetOptions STORED true)
    Q_PROPERTY(TScaleSettings *ScaleSettings READ ScaleSettings)
public:
    enum TGvVMeterOption {
        opBevelInner = 0x001, opBevelOuter = 0x002, opValue = 0x004, opName1 = 0x008, opName2 = 0x010,
        opOverflow = 0x020, opLimit = 0x040, opSector = 0x080, opUnit = 0x100
    };
    Q_DECLARE_FLAGS(TGvVMeterOptions, TGvVMeterOption)
    Q_FLAG(TGvVMeterOptions)
    static constexpr TGvVMeterOptions AllOptions = TGvVMeterOptions(0x1FF);

    explicit TGvVMeter(QWidget *parent = nullptr);
    ~TGvVMeter() override;

    TGvVMeterOptions Options() const { return options; }
    void SetOptions(TGvVMeterOptions o);
    TScaleSettings *ScaleSettings() const { return scaleSettings; }

    // Layout results (valid after the last layout).
    tg::TRect PointerStrip() const { return pointerStrip; }
    bool AlarmActive() const { return alarmActive; }
    TColor AlarmColor() const { return alarmColor; }
    // Where the pointer tip of a PPT value lies, in meter coordinates.
    int PointerY(int ppt) const;
    int PointerTipX() const;

    void ValueChange() override;
    void OverflowChange(int ppt) override;
    void LimitChange() override;
    void LogScaleChange() override;
    Q_INVOKABLE bool IsLogScaleStored() const { return LogScale(); }
    void FlashMessage(uint32_t counter, int param) override;
    void loaded() override;

protected:
    TShownParts shownParts() const override;
    void measure() override;
    void BuildBackground(tg::TCanvas &c) override;
    void paintContents(tg::TCanvas &c, tg::TRect r) override;
    void paintValueParts(QPainter &p, const QRegion &asked) override;
    // The meter's own settings only lay it out and paint it again; they are no settings change
    // of the value model (no OnSettingsChange).
    void ownSettingChange() override { fullRepaint(); }

private:
    // The part (strip coordinates) of the pointer strip with pointer and marks.
    QImage renderStrip(const QRect &part) const;
    void checkAlarm();
    void drawPointerNow();
    void pointerPolygons(std::vector<QPoint> &ptr, std::vector<QPoint> &mn, std::vector<QPoint> &mx) const;

    TScaleSettings *scaleSettings;
    TGvVMeterOptions options = AllOptions;

    int columnLeft = 0, columnRight = 0;
    tg::TRect pointerStrip;
    bool alarmActive = false;
    TColor alarmColor = clRed;

    QImage stripBackground; // the pointer strip of the background without pointer and marks
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TGvVMeter::TGvVMeterOptions)
