#pragma once
// A text label of the panel: plain text only (device text must never be read as markup),
// background colour, font, alignment, word wrap and a transparency switch.
#include "Color.h"
#include "ControlBounds.h"
#include "Font.h"

#include <QLabel>

class ActiveLabel : public QLabel, public TControlBounds<ActiveLabel> {
    Q_OBJECT
    TG_CONTROL_BOUNDS_PROPERTIES
    Q_PROPERTY(QString Caption READ text WRITE setText)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(TFont *Font READ Font)
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
public:
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlignment)

    explicit ActiveLabel(QWidget *parent = nullptr);

    TColor Color() const { return color; }
    void SetColor(TColor c);
    // The label draws with this font (and its colour); changing it redraws.
    TFont *Font() const { return labelFont; }
    TAlignment Alignment() const { return textAlignment; }
    void SetAlignment(TAlignment a);
    bool Transparent() const { return transparent; }
    void SetTransparent(bool t);
    // Hides QLabel::setText: device text may change thousands of times a second, so it is told
    // to assistive technology at a bounded rate, not by the label's own notice at every change
    // (which the label leaves out once it has an accessible name).
    void setText(const QString &s);

private:
    void applyBackground();
    void applyFont();

    TColor color = clSilver;
    TFont *labelFont;
    TAlignment textAlignment = taCenter;
    bool transparent = false;
};
