#pragma once
// The rotary input knob: a shaded knob with a pointer, a 270-degree scale round it, a read-out
// with unit above and captions below. Bevels, scale, captions and the knob face are the cached
// layer; a value change repaints only the knob face and the read-out box.
#include "BaseControls.h"
#include "Canvas.h"

class TGvDial : public TGvAnalogCControl {
    Q_OBJECT
public:
    enum TDialOption {
        opBevelOuter = 0x01, opUnit = 0x02, opValue = 0x04, opName1 = 0x08,
        opName2 = 0x10, opScale = 0x20, opScaleText = 0x40
    };
    Q_DECLARE_FLAGS(TDialOptions, TDialOption)
    Q_FLAG(TDialOptions)
    static constexpr TDialOptions AllOptions = TDialOptions(0x7F);
    enum TDialPointer { dpRound, dpLine, dpTriangle };
    Q_ENUM(TDialPointer)

private:
    Q_PROPERTY(TFont *Font READ Font WRITE SetFont)
    Q_PROPERTY(TGvSBevel *BevelOuter READ BevelOuter)
    Q_PROPERTY(TGvSBevel *BevelValue READ BevelValue)
    Q_PROPERTY(TGvSBevel *BevelDial READ BevelDial)
    Q_PROPERTY(TFont *FontValue READ FontValue WRITE SetFontValue)
    Q_PROPERTY(TDialOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(TScaleSettings *ScaleSettings READ ScaleSettings)
    Q_PROPERTY(TDialPointer PointerType READ PointerType WRITE SetPointerType STORED true)
    Q_PROPERTY(int PointerSize READ PointerSize WRITE SetPointerSize STORED true)

public:
    explicit TGvDial(QWidget *parent = nullptr);

    TGvSBevel *BevelOuter() const { return bevelOuter; }
    TGvSBevel *BevelValue() const { return bevelValue; }
    TGvSBevel *BevelDial() const { return bevelDial; }
    TFont *FontValue() const { return fontValue; }
    TDialOptions Options() const { return options; }
    TScaleSettings *ScaleSettings() const { return scale; }
    TDialPointer PointerType() const { return pointerType; }
    int PointerSize() const { return pointerSize; }

    void SetFontValue(const TFont *f);
    void SetOptions(TDialOptions o);
    void SetPointerType(TDialPointer t);
    void SetPointerSize(int s);
    // Options are stored unless all are on.
    Q_INVOKABLE bool IsOptionsStored() const { return options != AllOptions; }

    // Layout results (valid after the layer was built).
    QRect KnobRect() const { return knobRect; }
    QPoint KnobCenter() const { return knobCenter; } // in knob coordinates
    QRect ValueRect() const { return valueRect; }
    int DimpleRadius() const { return dimpleRadius; }
    bool KnobValid() const { return knobValid; }
    float PointerAngle() const { return pointerAngle; }
    float LastMouseAngle() const { return lastMouseAngle; }
    static constexpr int MaxDimpleRadius = 6;
    static constexpr int Sweep = 270;
    // The pointer's points at the current angle, in knob coordinates: triangle (tip first),
    // line end, dimple centre.
    struct TPointerGeometry {
        QPoint triangle[4];
        QPoint lineEnd, dimple;
    };
    TPointerGeometry Pointer() const;

    void ParamChange() override;
    void ValueChange() override;
    void MouseSlide(Qt::KeyboardModifiers shift, int x, int y, QPoint lastPos) override;
    void loaded() override;

protected:
    void BuildBackground(tg::TCanvas &c) override;
    void PaintForeground(QPainter &p, const QRegion &asked) override;
    void mousePressEvent(QMouseEvent *e) override;

private:
    float mouseAngle(QPoint p) const;
    void paintPointer(QPainter &p) const;
    void paintReadout(QPainter &p) const;

    TGvSBevel *bevelOuter, *bevelValue, *bevelDial;
    TFont *fontValue;
    TDialOptions options = AllOptions;
    TDialPointer pointerType = dpRound;
    int pointerSize = 8;
    TScaleSettings *scale;
    QPoint knobCenter;
    QRect knobRect, valueRect;
    int dimpleRadius = 2;
    bool knobValid = false;
    float lastMouseAngle = 0, pointerAngle = 0;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TGvDial::TDialOptions)
