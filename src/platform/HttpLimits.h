#pragma once
// The longest an HTTP exchange of the program may last as a whole, however steadily its
// bytes come: the update check and the WMS capabilities.

namespace sotrix {

inline constexpr int kDelaiTotalHttpMs = 60000;

}  // namespace sotrix
