#pragma once
// Number pictures as the instruments use them ("##0.0", "#0.00", "0e-0", "#,##0", quoted
// text, up to three sections "positive;negative;zero"), with the locale's separators.
//   0  digit, shown even when it is a leading or trailing zero
//   #  digit, left out when it would be a leading or trailing zero
//   .  decimal separator (first one); ,  thousands grouping (anywhere before the point)
//   E+ E- e+ e-  scientific notation, the 0s after it give the exponent's minimum digits
//   'x' "x"  literal text; any other character is copied
// Digits are rounded in decimal, halves away from zero. An empty picture gives the general
// format (up to 15 significant digits).
#include "FormatSettings.h"

#include <QString>

QString FormatFloat(const QString &format, double value, const TFormatSettings &fs);
inline QString FormatFloat(const QString &format, double value)
{
    return FormatFloat(format, value, FormatSettings());
}

// Up to 15 significant digits, scientific ("1.5E-7") for very small and very large values.
QString FormatGeneral(double value, const TFormatSettings &fs);
