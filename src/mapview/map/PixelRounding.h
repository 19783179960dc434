#pragma once
// Rounding of pixel coordinates to whole pixels, for values well within the range of an
// int (the callers keep to a few times the picture's size): cheaper than std::floor and
// std::ceil, which this build cannot inline.

namespace sotrix {

inline int floorToInt(double v) {
    const int i = int(v);
    return i - (v < i);
}

inline int ceilToInt(double v) {
    const int i = int(v);
    return i + (v > i);
}

}  // namespace sotrix
