#include "controls/SliderGeometry.h"

#include <cmath>
#include <cstdint>

namespace discdeck {

std::optional<int> ThumbLeft(int pos, int min, int max, int width) {
    if (max <= min) {
        return std::nullopt;
    }
    const double scale = static_cast<double>(width) / (static_cast<double>(max) - min);
    const double x = std::trunc((static_cast<double>(pos) - min) * scale);
    // A position far outside the range would not fit an int; it is off the track either way.
    constexpr double kLimit = 1 << 30;
    if (x > kLimit) {
        return static_cast<int>(kLimit);
    }
    if (x < -kLimit) {
        return -static_cast<int>(kLimit);
    }
    return static_cast<int>(x);
}

std::optional<int> PositionFromPoint(int x, int min, int max, int width) {
    if (width <= 0) {
        return std::nullopt;
    }
    const int64_t step = (static_cast<int64_t>(max) - min) / width;
    const int64_t pos = min + step * x;
    if (pos < min || pos > max) {
        return min;
    }
    return static_cast<int>(pos);
}

}  // namespace discdeck
