#pragma once
// The open and save dialogs of the commands, through the Prompter. Each dialog opens on
// the filter position last chosen in the same dialog (the first one at first) and keeps
// the position chosen for the next time. A dialog is named by its owner: the main
// window's one dialog serves both File > Open and the reference layer.

#include "Prompter.h"

#include <optional>

namespace sotrix {

// The main window's file dialog.
inline constexpr char16_t kDialogueAccueil[] = u"CommonDialog1";

// request.filterIndex is replaced by the position kept for the dialog named `dialogue`;
// nullopt on cancel.
std::optional<FileChoice> dialogueOuvrir(FileRequest request, const QString& dialogue);
std::optional<FileChoice> dialogueEnregistrer(FileRequest request, const QString& dialogue);

// A name saved without any suffix gets "." + suffixe; "" and a name whose last component
// holds a "." are kept as they are.
QString avecSuffixe(const QString& path, const QString& suffixe);

}  // namespace sotrix
