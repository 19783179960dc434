#pragma once
// The open and save dialogs of the commands, through the Prompter. Each dialog offers
// the filter position last chosen in a dialog of the same title and filters (the first
// one at first) and keeps the position chosen for the next time.

#include "Prompter.h"

#include <optional>

namespace sotrix {

// request.filterIndex is replaced by the position kept for that dialog; nullopt on
// cancel.
std::optional<FileChoice> dialogueOuvrir(FileRequest request);
std::optional<FileChoice> dialogueEnregistrer(FileRequest request);

}  // namespace sotrix
