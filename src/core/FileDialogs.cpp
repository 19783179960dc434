#include "FileDialogs.h"

#include "State.h"

namespace sotrix {

namespace {

// Dialogs of one title may differ by their filters ("Enregistrer"): both make the key.
std::optional<FileChoice> dialogue(FileRequest request, bool save) {
    const QString key = (QStringList{request.title} + request.filters).join(u'\n');
    const int kept = state().positionFiltre.value(key, 1);
    request.filterIndex = kept >= 1 && kept <= request.filters.size() ? kept : 1;
    std::optional<FileChoice> choice = save ? prompter().saveFile(request) : prompter().openFile(request);
    if (choice) state().positionFiltre[key] = choice->filterIndex;
    return choice;
}

}  // namespace

std::optional<FileChoice> dialogueOuvrir(FileRequest request) { return dialogue(std::move(request), false); }

std::optional<FileChoice> dialogueEnregistrer(FileRequest request) { return dialogue(std::move(request), true); }

}  // namespace sotrix
