#pragma once
// Reads the extent of a raster from the report that gdalinfo writes: the line holding
// "Lower Left" gives the lower-left corner and the next line the upper-right one, each
// as "(x, y)". A raster without georeferencing reports pixel corners (its Y grows
// downward); the extent is normalised so that min <= max on both axes.

#include "LayerExtent.h"

#include <optional>
#include <string_view>

namespace sotrix {

// The report's bytes (UTF-8, LF, CR LF or CR line ends). nullopt when the report is
// empty, has no "Lower Left" line, or either corner line does not hold two numbers.
std::optional<LayerExtent> lireRapportGdalinfo(std::string_view report);

// Whether every band the report lists ("Band n ... Type=t, ...") is of type Byte; true
// for a report that lists none.
bool bandesHuitBits(std::string_view report);

// The values a raster holds, from the statistics lines of a report made with -stats or
// -approx_stats ("Minimum=a, Maximum=b, ..."), over all its bands; nullopt when the
// report has none.
struct PlageValeurs {
    double min = 0, max = 0;
};
std::optional<PlageValeurs> plageValeurs(std::string_view report);

}  // namespace sotrix
