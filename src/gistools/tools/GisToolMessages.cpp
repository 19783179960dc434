#include "GisToolMessages.h"

#include "Divers.h"
#include "State.h"

namespace sotrix {
namespace {

const QString kEnUsage = QStringLiteral("Vérifiez que ce fichier n'est pas en cours d'utilisation.");

}  // namespace

QString msgFichierExiste(const QString& path) {
    return QStringLiteral("Le fichier '") + path + QStringLiteral("' existe déjà.\nVoulez-vous le remplacer ?");
}

QString msgCreationImpossible(const QString& path) {
    return QStringLiteral("Impossible de créer le fichier '") + path + QStringLiteral("'.\n") + kEnUsage;
}

QString msgSuppressionImpossible(const QString& path) {
    return QStringLiteral("Impossible de supprimer le fichier '") + path + QStringLiteral("'.\n") + kEnUsage;
}

bool accepteRemplacement(const QString& path) {
    return !fichierExiste(path) || prompter().ask(msgFichierExiste(path)) == Answer::Yes;
}

}  // namespace sotrix
