#include "PanelTerminal.h"

#include "ComTerminal.h"
#include "Font.h"

void setupPanelTerminal(TCustomComTerminal &term)
{
    TFont font;
    font.SetName(QStringLiteral("Courier"));
    font.SetHeight(-20);
    font.SetStyle(fsBold);
    term.SetTermFont(font.toQFont()); // the stored name goes through the font substitution
    term.SetColors(QColor(255, 251, 240), Qt::black);
    term.SetColumns(60);
    term.SetRows(100);
    term.Screen().WrapLines = true;
    term.SetScrollBars(ssVertical);
}
