#pragma once
// The program's one strict reader of number texts. It never follows the C library's locale:
// the decimal separator is always passed in.
#include <QChar>
#include <QLatin1StringView>
#include <QStringView>

namespace tg {

// Strict decimal integer: optional sign and digits, nothing else; false on overflow.
bool parseInt64(QStringView text, qint64 &out);

// What a decimal number beyond the range of double gives.
enum class DecimalOverflow { Fail, Saturate };

// Strict decimal number with `decimalSeparator`: blanks, sign, digits, one separator, optional
// exponent, blanks. No "nan", "inf", hex or group separators. The result is always finite: a
// number too small becomes 0, one too large fails or, with Saturate, becomes the largest double.
bool parseDecimal(QStringView text, QChar decimalSeparator, double &out,
                  DecimalOverflow overflow = DecimalOverflow::Fail);
// The same for single-byte text, read without a conversion (a received value).
bool parseDecimal(QLatin1StringView text, QChar decimalSeparator, double &out,
                  DecimalOverflow overflow = DecimalOverflow::Fail);

} // namespace tg
