#pragma once
// The 80-bit extended floating-point form that the settings file stores: 8 bytes of mantissa
// with an explicit integer bit, then 15 bits of exponent and the sign, little-endian. Converted
// bit by bit, so the result does not depend on what `long double` is on this machine.
#include <array>
#include <cstdint>
#include <optional>

namespace tg {

using Extended80 = std::array<std::uint8_t, 10>;

// Exact for every double (the extended format has more range and precision). NaN and the
// infinities get their extended encodings.
Extended80 doubleToExtended(double v);

// The nearest double, rounded to even. Nothing for NaN, the infinities, encodings the format
// declares invalid (unnormals, pseudo-denormals) and values beyond the range of double.
std::optional<double> extendedToDouble(const Extended80 &bytes);

} // namespace tg
