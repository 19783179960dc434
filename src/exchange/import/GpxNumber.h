#pragma once
// Numbers of GPX attributes and elements ("lat", "lon", "ele"), read with "." whatever
// the locale.

#include <optional>
#include <string_view>

namespace sotrix {

// Skips leading white space and reads the longest prefix shaped
// [sign] digits [. digits] [(e|E) [sign] digits] (".5" and "5." included); the rest of
// the text is ignored. Nothing when no number starts the text or the value overflows;
// a value too small for a double reads as 0.
std::optional<double> lireNombreGpx(std::string_view text);

}  // namespace sotrix
