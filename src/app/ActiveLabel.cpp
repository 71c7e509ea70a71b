#include "ActiveLabel.h"

#include "Announcer.h"

ActiveLabel::ActiveLabel(QWidget *parent) : QLabel(parent), labelFont(new TFont(this))
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    SetAlignment(taCenter);
    labelFont->OnChange = [this] { applyFont(); };
    applyFont();
    applyBackground();
}

void ActiveLabel::SetColor(TColor c)
{
    if (c == color)
        return;
    color = c;
    applyBackground();
}

void ActiveLabel::SetAlignment(TAlignment a)
{
    textAlignment = a;
    const Qt::Alignment h = a == taLeftJustify    ? Qt::AlignLeft
                            : a == taRightJustify ? Qt::AlignRight
                                                  : Qt::AlignHCenter;
    setAlignment(h | Qt::AlignVCenter);
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

void ActiveLabel::applyFont()
{
    setFont(labelFont->toQFont());
    QPalette p = palette();
    p.setColor(QPalette::WindowText, toQColor(labelFont->Color()));
    setPalette(p);
}

void ActiveLabel::setText(const QString &s)
{
    if (s == text())
        return;
    QLabel::setText(s);
    tg::AnnounceChange(this);
}
