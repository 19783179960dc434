#pragma once
// The median of a benchmark's repeated timings (0 when there are none).

#include <algorithm>
#include <vector>

namespace sotrix::bench {

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace sotrix::bench
