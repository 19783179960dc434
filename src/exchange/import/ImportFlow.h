#pragma once

namespace sotrix {

// What a reader does after handing over one item: go on, or stop reading at once
// (the user declined to go on after a projection failure).
enum class Flow { Continue, Stop };

}  // namespace sotrix
