#pragma once
// Rounding as the program's arithmetic needs it: to nearest, halves to even.
#include <cmath>
#include <cstdint>
#include <optional>

namespace panorel {

inline double RoundHalfEven(double v) {
    if (!std::isfinite(v)) return v;
    double r = std::round(v);  // halves away from zero
    if (std::fabs(v - std::trunc(v)) == 0.5) r = 2.0 * std::round(v / 2.0);
    return r;
}

// A rounded value that must fit a signed 16-bit integer; empty when it does not.
inline std::optional<std::int16_t> RoundToInt16(double v) {
    const double r = RoundHalfEven(v);
    if (!std::isfinite(r) || r < -32768.0 || r > 32767.0) return std::nullopt;
    return static_cast<std::int16_t>(r);
}

inline std::int32_t RoundToInt32(double v) {
    const double r = RoundHalfEven(v);
    if (!std::isfinite(r) || r < -2147483648.0 || r > 2147483647.0) return 0;
    return static_cast<std::int32_t>(r);
}

}  // namespace panorel
