// Reads the input as a gdalinfo report: an extent with min <= max on both axes, or a
// refusal, never a crash.
#include "GdalInfoReport.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto extent = sotrix::lireRapportGdalinfo(std::string_view(reinterpret_cast<const char*>(data), size));
    if (extent && !(extent->minX <= extent->maxX && extent->minY <= extent->maxY && std::isfinite(extent->minX) &&
                    std::isfinite(extent->maxX) && std::isfinite(extent->minY) && std::isfinite(extent->maxY)))
        std::abort();
    return 0;
}
