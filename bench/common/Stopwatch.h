#pragma once
// Wall time since construction, on the monotonic clock.

#include <chrono>

namespace sotrix::bench {

class Stopwatch {
public:
    double seconds() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace sotrix::bench
