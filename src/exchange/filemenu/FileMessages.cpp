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

QString msgRemplacerDonnees() { return QStringLiteral("Etes-vous sûr de vouloir remplacer les Waypoints/Traces en cours ?"); }

QString msgNonEnregistres() {
    return QStringLiteral("Les Waypoints et/ou les Traces en cours n'ont pas été enregistrés.\n"
                          "Voulez-vous néanmoins continuer ?");
}

}  // namespace sotrix
