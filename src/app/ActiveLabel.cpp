#include "ActiveLabel.h"

ActiveLabel::ActiveLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    applyBackground();
}

void ActiveLabel::SetColor(TColor c)
{
    if (c == color)
        return;
    color = c;
    applyBackground();
}

void ActiveLabel::SetTransparent(bool t)
{
    if (t == transparent)
        return;
    transparent = t;
    applyBackground();
}

void ActiveLabel::applyBackground()
{
    setAutoFillBackground(!transparent);
    QPalette p = palette();
    p.setColor(QPalette::Window, toQColor(color));
    setPalette(p);
}
