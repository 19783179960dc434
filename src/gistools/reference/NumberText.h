#pragma once
// Numbers exchanged with the GIS tools, always with "." whatever the user's locale.

#include <QString>

#include <optional>
#include <string_view>

namespace sotrix {

// The whole text, blanks and tabs trimmed, as a finite number; nullopt otherwise.
std::optional<double> nombreExact(std::string_view text);

// The number the text begins with, after leading blanks: [sign] digits [. digits]
// [e|E [sign] digits], where ".5" and "-.5" count. A text that begins with no number
// gives 0; nullopt only for a number out of a double's range.
std::optional<double> nombreEnTete(std::string_view text);

// A number for a command line: up to 15 significant digits, "." as separator.
QString nombreCommande(double value);

}  // namespace sotrix
