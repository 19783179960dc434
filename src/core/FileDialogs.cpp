#include "FileDialogs.h"

#include "State.h"

namespace sotrix {

namespace {

std::optional<FileChoice> dialogue(FileRequest request, bool save) {
    int& kept = state().positionFiltre[request.title];
    if (kept < 1 || kept > request.filters.size()) kept = 1;
    request.filterIndex = kept;
    std::optional<FileChoice> choice = save ? prompter().saveFile(request) : prompter().openFile(request);
    if (choice) state().positionFiltre[request.title] = choice->filterIndex;
    return choice;
}

}  // namespace

std::optional<FileChoice> dialogueOuvrir(FileRequest request) { return dialogue(std::move(request), false); }

std::optional<FileChoice> dialogueEnregistrer(FileRequest request) { return dialogue(std::move(request), true); }

}  // namespace sotrix
