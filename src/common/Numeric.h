#pragma once
// Arithmetic helpers shared by every subsystem: rounding as the panel defines it,
// float-to-integer conversions that saturate instead of overflowing, and the narrowing to
// single precision that fails instead of giving infinity.
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace tg {

// Round to the nearest integer, halves to the even neighbour.
inline double roundEven(double v) { return std::nearbyint(v); }

// Converts v to the integer type T, saturating at T's range. NaN gives 0.
template <typename T>
T saturate(double v)
{
    if (std::isnan(v))
        return 0;
    constexpr double lo = static_cast<double>(std::numeric_limits<T>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<T>::max());
    if (v <= lo)
        return std::numeric_limits<T>::min();
    if (v >= hi)
        return std::numeric_limits<T>::max();
    return static_cast<T>(v);
}

// round() into T with saturation.
template <typename T>
T roundTo(double v) { return saturate<T>(roundEven(v)); }

// v rounded to single precision; nothing when v is not finite or rounds beyond the single range.
inline std::optional<float> toSingle(double v)
{
    // The largest single plus half its last step: from there on the rounding gives infinity.
    constexpr double limit = 0x1.ffffffp+127;
    if (!(std::fabs(v) < limit))
        return std::nullopt;
    return static_cast<float>(v);
}

// Saturating narrowing of a 64-bit integer.
template <typename T>
T saturate64(int64_t v)
{
    if (v < static_cast<int64_t>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (v > static_cast<int64_t>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(v);
}

// max(min(v, hi), lo): well defined for inverted ranges, unlike std::clamp.
template <typename T>
T clampInt(T v, T lo, T hi)
{
    const T m = v < hi ? v : hi;
    return m > lo ? m : lo;
}

} // namespace tg
