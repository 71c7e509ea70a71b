#include "Extended80.h"

#include <bit>
#include <cmath>

namespace tg {

namespace {

constexpr int kBias = 16383;
constexpr std::uint64_t kIntegerBit = std::uint64_t(1) << 63;

// m / 2^shift rounded to nearest, ties to even.
std::uint64_t shiftRoundEven(std::uint64_t m, int shift)
{
    if (shift <= 0)
        return m;
    if (shift > 64)
        return 0;
    const std::uint64_t q = shift == 64 ? 0 : m >> shift;
    const std::uint64_t rem = shift == 64 ? m : m & ((std::uint64_t(1) << shift) - 1);
    const std::uint64_t half = std::uint64_t(1) << (shift - 1);
    if (rem > half || (rem == half && (q & 1)))
        return q + 1;
    return q;
}

} // namespace

Extended80 doubleToExtended(double v)
{
    const auto bits = std::bit_cast<std::uint64_t>(v);
    const bool negative = bits >> 63;
    const int exp = int((bits >> 52) & 0x7FF);
    const std::uint64_t frac = bits & ((std::uint64_t(1) << 52) - 1);

    std::uint64_t mant = 0;
    int e = 0;
    if (exp == 0x7FF) {
        e = 0x7FFF;
        mant = kIntegerBit | (frac << 11);
    } else if (exp == 0) {
        if (frac != 0) {
            // Denormal double: normalise, the extended exponent has room for it.
            const int shift = std::countl_zero(frac);
            mant = frac << shift;
            e = kBias + 63 - 1074 - shift;
        }
    } else {
        mant = kIntegerBit | (frac << 11);
        e = exp - 1023 + kBias;
    }

    Extended80 out{};
    for (int i = 0; i < 8; ++i)
        out[i] = std::uint8_t(mant >> (8 * i));
    const unsigned se = unsigned(e) | (negative ? 0x8000u : 0u);
    out[8] = std::uint8_t(se & 0xFF);
    out[9] = std::uint8_t(se >> 8);
    return out;
}

std::optional<double> extendedToDouble(const Extended80 &b)
{
    std::uint64_t mant = 0;
    for (int i = 0; i < 8; ++i)
        mant |= std::uint64_t(b[i]) << (8 * i);
    const unsigned se = unsigned(b[8]) | (unsigned(b[9]) << 8);
    const bool negative = se & 0x8000u;
    const int e = int(se & 0x7FFF);
    const double sign = negative ? -1.0 : 1.0;

    if (e == 0x7FFF)
        return std::nullopt; // infinity, NaN or one of their invalid variants
    if (e == 0) {
        if (mant & kIntegerBit)
            return std::nullopt; // pseudo-denormal
        // True denormals of the extended format are far below the smallest double.
        return std::copysign(0.0, sign);
    }
    if (!(mant & kIntegerBit))
        return std::nullopt; // unnormal

    const int unbiased = e - kBias; // value = mant * 2^(unbiased - 63)
    if (unbiased > 1023)
        return std::nullopt;
    double magnitude;
    if (unbiased >= -1022) {
        // Converting the 64-bit mantissa rounds it to 53 bits; scaling is then exact.
        magnitude = std::ldexp(static_cast<double>(mant), unbiased - 63);
    } else {
        // Denormal result: round once, to units of the smallest denormal 2^-1074.
        const std::uint64_t units = shiftRoundEven(mant, -(unbiased + 1011));
        magnitude = std::ldexp(static_cast<double>(units), -1074);
    }
    if (!std::isfinite(magnitude))
        return std::nullopt;
    return std::copysign(magnitude, sign);
}

} // namespace tg
