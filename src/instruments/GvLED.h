#pragma once
// A signal lamp with a caption beside it. The caption is the cached layer; switching or flashing
// repaints only the lamp.
#include "BaseControls.h"
#include "Canvas.h"

class TGvLED : public TGvBinGControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TFont *Font READ Font WRITE SetFont)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(TLED *LED READ LED STORED true)
    Q_PROPERTY(TLEDPos LED_Position READ LED_Position WRITE SetLED_Position STORED true)
    Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing STORED true)
public:
    enum TLEDPos { lpLeft, lpRight, lpTop, lpBottom };
    Q_ENUM(TLEDPos)

    explicit TGvLED(QWidget *parent = nullptr);
    ~TGvLED() override;

    // The component's name until a caption is set.
    QString Caption() const { return captionSet ? caption : objectName(); }
    void SetCaption(const QString &s);
    // While set, the caption uses the parent's Font (when the parent has one); giving the LED
    // a font of its own clears it.
    bool ParentFont() const { return parentFont; }
    void SetParentFont(bool b);
    TLED *LED() const { return led; }
    TLEDPos LED_Position() const { return position; }
    void SetLED_Position(TLEDPos p);
    int Spacing() const { return spacing; }
    void SetSpacing(int s);

    // Whether the lamp is drawn lit now (the steady state or the current flash phase).
    bool LampLit() const { return lit; }

    Q_INVOKABLE bool IsCaptionStored() const { return Caption() != objectName(); }
    Q_INVOKABLE bool IsFontStored() const { return !parentFont; }
    Q_INVOKABLE bool IsParentFontStored() const { return !parentFont; }

    void ParamChange() override;
    void StatusChanged() override;
    void FlashChange(bool on) override;
    void loaded() override;

protected:
    void BuildBackground(tg::TCanvas &c) override;
    bool event(QEvent *e) override;
    void PaintForeground(QPainter &p, const QRegion &asked) override;

private:
    void repaintLamp();
    const TFont &captionFont() const;

    TLED *led;
    TLEDPos position = lpLeft;
    int spacing = 5;
    QString caption;
    bool captionSet = false;
    bool parentFont = true;
    bool lit = false;
    int captionW = 0, captionH = 0;
};
