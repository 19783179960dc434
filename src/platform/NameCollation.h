#pragma once
// The order and the equality of names (Points.Nom, Trace.Nom, Proj.Desc), as a French
// user expects them.
//
// Equality ignores case, accented letters included: "ÉGLISE" = "église", but
// "eglise" <> "église" and "oe" <> "œ" (the duplicate-name checks rely on it).
// Order first compares the names with case and accents folded and ligatures spelt out
// (É with E, œ with oe, ß with ss), then, among names that only differ there, the
// case-folded characters: "Abbaye" < "ecluse" < "Écluse" < "église" = "Église" < "Zoo".
// The two keys make one total order whose ties are exactly the equal names.

#include <string_view>

namespace sotrix {

// Compares two UTF-8 names: negative, 0 or positive. Invalid bytes compare as U+FFFD.
int compareNoms(std::string_view a, std::string_view b);

}  // namespace sotrix
