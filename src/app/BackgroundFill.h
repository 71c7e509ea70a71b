#pragma once
// The Show page's background: a gradient, or a plain brush colour while the gradient is off.
// Both live in one fill object, which the settings keep as a whole.
#include "GvGradient.h"

class TFillObject : public TGvPersistent {
    Q_OBJECT
    Q_PROPERTY(TGvGradSettings *Gradient READ Gradient)
    Q_PROPERTY(TColor Brush READ Brush WRITE SetBrush)
public:
    TFillObject(TGvGradSettings *gradient, QObject *parent);

    TGvGradSettings *Gradient() const { return gradient; }
    TColor Brush() const { return brush; }
    void SetBrush(TColor c);

private:
    TGvGradSettings *gradient;
    TColor brush = clSilver;
};

class TBackgroundFill : public TGvGradient {
    Q_OBJECT
    Q_PROPERTY(TFillObject *FillObject READ FillObject)
public:
    explicit TBackgroundFill(QWidget *parent = nullptr);

    TFillObject *FillObject() const { return fill; }
    void loaded() override;

protected:
    void BuildBackground(tg::TCanvas &c) override;

private:
    TFillObject *fill;
};
