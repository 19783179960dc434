// Reads the input as a gdalinfo report: an extent with min <= max on both axes, or a
// refusal, the bands' type, and their range of values with min <= max, never a crash.
#include "GdalInfoReport.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view report(reinterpret_cast<const char*>(data), size);
    const auto extent = sotrix::lireRapportGdalinfo(report);
    static_cast<void>(sotrix::bandesHuitBits(report));
    if (extent && !(extent->minX <= extent->maxX && extent->minY <= extent->maxY && std::isfinite(extent->minX) &&
                    std::isfinite(extent->maxX) && std::isfinite(extent->minY) && std::isfinite(extent->maxY)))
        std::abort();
    const auto range = sotrix::plageValeurs(report);
    if (range && !(range->min <= range->max && std::isfinite(range->min) && std::isfinite(range->max))) std::abort();
    return 0;
}
