#include "FileDialogs.h"

#include "State.h"

#include <QFileInfo>

namespace sotrix {

namespace {

std::optional<FileChoice> montre(FileRequest request, const QString& key, bool save) {
    const int kept = state().positionFiltre.value(key, 1);
    request.filterIndex = kept >= 1 && kept <= request.filters.size() ? kept : 1;
    std::optional<FileChoice> choice = save ? prompter().saveFile(request) : prompter().openFile(request);
    if (choice) state().positionFiltre[key] = choice->filterIndex;
    return choice;
}

}  // namespace

std::optional<FileChoice> dialogueOuvrir(FileRequest request, const QString& dialogue) {
    return montre(std::move(request), dialogue, false);
}

std::optional<FileChoice> dialogueEnregistrer(FileRequest request, const QString& dialogue) {
    return montre(std::move(request), dialogue, true);
}

QString avecSuffixe(const QString& path, const QString& suffixe) {
    if (path.isEmpty() || QFileInfo(path).fileName().contains(u'.')) return path;
    return path + u'.' + suffixe;
}

}  // namespace sotrix
