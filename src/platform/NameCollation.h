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

#include <QStringView>

#include <cstdint>
#include <string_view>

namespace sotrix {

// Compares two UTF-8 names: negative, 0 or positive. Invalid bytes compare as U+FFFD.
int compareNoms(std::string_view a, std::string_view b);

// A fingerprint of a UTF-8 name: names that compareNoms finds equal have the same one, so
// that different fingerprints prove names different without comparing them.
std::uint64_t empreinteNom(std::string_view nom);
// The same fingerprint of the name in UTF-16 (a lone surrogate counts as U+FFFD, as it
// does once stored).
std::uint64_t empreinteNom(QStringView nom);

}  // namespace sotrix
