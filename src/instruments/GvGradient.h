#pragma once
// A windowless control that fills its client area with a colour gradient (page backgrounds).
#include "BaseControls.h"

class TGvGradient : public TGvGraphicControl {
    Q_OBJECT
    Q_PROPERTY(TGvGradSettings *GradSettings READ GradSettings)
    Q_PROPERTY(TAlign Align READ Align WRITE SetAlign)
public:
    enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
    Q_ENUM(TAlign)

    explicit TGvGradient(QWidget *parent = nullptr);

    TGvGradSettings *GradSettings() const { return gradSettings; }
    TAlign Align() const { return align; }
    // alClient follows the parent's size; the other values only store the setting.
    void SetAlign(TAlign a);

    void ParamChange() override;
    void loaded() override;

protected:
    void BuildBackground(tg::TCanvas &c) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void followParent();

    TGvGradSettings *gradSettings;
    TAlign align = alNone;
};
