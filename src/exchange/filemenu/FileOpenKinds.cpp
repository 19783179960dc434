#include "FileOpenKinds.h"

#include "DecoupeCsv.h"
#include "LecteurTexte.h"
#include "State.h"
#include "frmImport.h"

namespace sotrix {

Disposition verifieG7ToWin(const QString& path) {
    const auto lignes = premieresLignes(path, 2);
    if (!lignes) return Disposition::Unreadable;
    if (lignes->size() < 2) return Disposition::Refused;
    // An empty second line gives no field, hence no keyword.
    QStringList champs;
    decoupeLigneCsv(lignes->at(1), QLatin1Char(','), champs);
    return champs.value(0).trimmed().toUpper() == QLatin1String("DATUM:") ? Disposition::Accepted
                                                                          : Disposition::Refused;
}

Disposition verifieSeparateurCsv(const QString& path, const QString& separator) {
    const auto lignes = premieresLignes(path, 1);
    if (!lignes) return Disposition::Unreadable;
    return !lignes->isEmpty() && lignes->front().contains(separator) ? Disposition::Accepted : Disposition::Refused;
}

void afficheFrmImport() {
    const State& s = state();
    // A failed load has told the user and given the main window back; the path stays shown.
    ouvreFrmImport(s.nomFichier, s.typeFichier);
}

}  // namespace sotrix
