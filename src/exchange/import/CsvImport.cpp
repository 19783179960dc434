#include "CsvImport.h"

#include "DecoupeCsv.h"
#include "Divers.h"
#include "State.h"
#include "TypeFichier.h"

#include <algorithm>

namespace sotrix {

QChar delimiteurCsv(int typeFichier) {
    return typeFichier == typefichier::kOuvrirCsvVirgule ? QLatin1Char(',') : QLatin1Char(';');
}

std::optional<ChoixCsv> choixCsvCourants() {
    const State& s = state();
    ChoixCsv choix;
    choix.delimiteur = s.sepChamps.isEmpty() ? delimiteurCsv(s.typeFichier) : s.sepChamps.front();
    bool ok = false;
    choix.colonneNom = s.champNom.toInt(&ok);
    choix.colonneX = s.colonneX;
    choix.colonneY = s.colonneY;
    if (!ok || choix.colonneNom < 0 || choix.colonneX < 0 || choix.colonneY < 0) return std::nullopt;
    choix.sepDecimalFichier = s.sepDecimalFichier;
    choix.sepDecimal = s.sepDecimal;
    return choix;
}

Flow parcourtCsv(LecteurTexte& lignes, const ChoixCsv& choix, LectureSink& sink) {
    const QChar marque = choix.sepDecimal.isEmpty() ? QLatin1Char('.') : choix.sepDecimal.front();
    const qsizetype besoin = qsizetype(std::max({choix.colonneNom, choix.colonneX, choix.colonneY})) + 1;
    QString ligne;
    QStringList champs;
    if (!lignes.suivante(ligne)) return lignes.echec() ? Flow::ReadFailure : Flow::Continue;  // the header
    while (lignes.suivante(ligne)) {
        if (ligne.isEmpty()) continue;
        decoupeLigneCsv(ligne, choix.delimiteur, champs);
        if (champs.size() < besoin) {
            sink.skipped(lignes.numero());
            continue;
        }
        const auto x = lireNombreStrict(remplace(champs[choix.colonneX], choix.sepDecimalFichier, choix.sepDecimal), marque);
        const auto y = lireNombreStrict(remplace(champs[choix.colonneY], choix.sepDecimalFichier, choix.sepDecimal), marque);
        if (!x || !y) {
            sink.skipped(lignes.numero());
            continue;
        }
        WaypointLu w;
        w.a = *x;
        w.b = *y;
        if (!remplace(champs[choix.colonneNom], {}, {}).isEmpty()) w.nom = champs[choix.colonneNom];
        if (sink.waypoint(w) == Flow::Stop) return Flow::Stop;
    }
    return lignes.echec() ? Flow::ReadFailure : Flow::Continue;
}

bool CsvImport::ouvre(const QString& path) {
    const auto choix = choixCsvCourants();
    if (!choix) return false;
    choix_ = *choix;
    return lignes_.ouvre(path);
}

Flow CsvImport::lit(PointStore& store, bool) {
    StoreLectureSink sink(store, state().projImport == 1 ? SourceSysteme::Carte : SourceSysteme::Gps, ignorees_);
    return parcourtCsv(lignes_, choix_, sink);
}

}  // namespace sotrix
