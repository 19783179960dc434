#pragma once
// Messages shared by the tools of the Outils menu.

#include <QString>

namespace sotrix {

// "Le fichier '<path>' existe déjà.\nVoulez-vous le remplacer ?"
QString msgFichierExiste(const QString& path);
// "Impossible de créer le fichier '<path>'.\nVérifiez que ce fichier n'est pas en cours d'utilisation."
QString msgCreationImpossible(const QString& path);
// The same with "supprimer".
QString msgSuppressionImpossible(const QString& path);

// Asks before a file that exists is replaced: true when it does not exist or on Yes.
bool accepteRemplacement(const QString& path);

}  // namespace sotrix
