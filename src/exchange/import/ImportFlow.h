#pragma once

namespace sotrix {

// What a reader does after handing over one item: go on, or stop reading at once
// (the user declined to go on after a projection failure). ReadFailure ends a read that
// found the file unreadable partway through: the engine rolls the workspace back.
enum class Flow { Continue, Stop, ReadFailure };

}  // namespace sotrix
