#include "FileMessages.h"

namespace sotrix {

QString msgEchecFichier(const QString& path) {
    return QStringLiteral("Impossible de créer/supprimer le fichier '") + path +
           QStringLiteral("'.\nVérifiez que ce fichier n'est pas en cours d'utilisation.");
}

QString msgEchecLecture(const QString& path) {
    return QStringLiteral("Impossible de lire le fichier '") + path +
           QStringLiteral("'.\nVérifiez que ce fichier n'est pas en cours d'utilisation.");
}

}  // namespace sotrix
