#include "FichierCible.h"

#include <QFileInfo>

namespace sotrix {

std::optional<QString> fichierCible(const QString& path) {
    const QFileInfo info(path);
    if (!info.isSymLink()) return path;
    const QString cible = info.canonicalFilePath();
    if (cible.isEmpty()) return std::nullopt;
    return cible;
}

}  // namespace sotrix
