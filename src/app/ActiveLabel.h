#pragma once
// A text label of the panel: plain text only (device text must never be read as markup),
// background colour, alignment, word wrap and a transparency switch.
#include "Color.h"

#include <QLabel>

class ActiveLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ text WRITE setText)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
public:
    explicit ActiveLabel(QWidget *parent = nullptr);

    TColor Color() const { return color; }
    void SetColor(TColor c);
    bool Transparent() const { return transparent; }
    void SetTransparent(bool t);

private:
    void applyBackground();

    TColor color = clSilver;
    bool transparent = false;
};
