#include "ImportChoix.h"

#include "DbaseTable.h"
#include "FichierVoisin.h"
#include "TypeFichier.h"

#include <QSet>

#include <initializer_list>

namespace sotrix {

namespace {

constexpr int kGps = 0;
constexpr int kAffichage = 1;

bool parmi(const QString& item, std::initializer_list<const char*> mots) {
    const QString u = item.toUpper();
    for (const char* m : mots)
        if (u == QLatin1String(m)) return true;
    return false;
}

// The first coordinate item of the map word or of a GPS word, and the projection it gives.
void choisitCoordonnee(const QStringList& items, const char* carte, std::initializer_list<const char*> gps,
                       int& colonne, int& projection) {
    for (int i = 0; i < items.size(); ++i) {
        if (parmi(items[i], {carte})) {
            colonne = i;
            projection = kAffichage;
            return;
        }
        if (parmi(items[i], gps)) {
            colonne = i;
            projection = kGps;
            return;
        }
    }
}

}  // namespace

ChoixImport choixAutomatiques(const QStringList& noms, const QStringList& coordonnees) {
    ChoixImport c;
    for (int i = 0; i < noms.size() && c.nom < 0; ++i)
        if (parmi(noms[i], {"NOM", "NAME", "LABEL"})) c.nom = i;
    choisitCoordonnee(coordonnees, "X", {"LON", "LONG", "LONGITUDE"}, c.x, c.projection);
    choisitCoordonnee(coordonnees, "Y", {"LAT", "LATITUDE"}, c.y, c.projection);
    return c;
}

std::optional<QString> refusChoix(int typeFichier, const ChoixImport& choix, const QString& sepDecimal) {
    if (choix.projection < 0)
        return QStringLiteral("Vous devez sélectionner le système de projection des données à importer.");
    if (typeFichier < typefichier::kOuvrirCsvPointVirgule) {
        if (choix.nom < 0) return QStringLiteral("Vous devez sélectionner le champ 'Nom' avant de pouvoir continuer.");
    } else if (choix.y < 0 || choix.x < 0 || choix.nom < 0) {
        return QStringLiteral("Vous devez sélectionner les champs 'Nom', 'X' et 'Y' avant de pouvoir continuer.");
    }
    if (sepDecimal == QLatin1String(",") && typeFichier == typefichier::kOuvrirCsvVirgule)
        return QStringLiteral("Le séparateur décimal doit être différent du délimitateur de champ ('virgule').");
    return std::nullopt;
}

QString texteEchecShapefile() { return QStringLiteral("Une erreur est survenue lors de l'importation du shapefile."); }

std::variant<QStringList, QString> champsAttributs(const QString& shpPath) {
    const auto dbf = fichierVoisin(shpPath, QStringLiteral("dbf"));
    if (!dbf) return texteEchecShapefile();
    QStringList noms;
    try {
        const DbaseTable table = DbaseTable::open(*dbf);
        for (const DbaseField& f : table.fields()) noms << f.name;
    } catch (const DbaseError&) {
        return texteEchecShapefile();
    }
    QSet<QString> vus;
    for (const QString& n : noms) {
        const QString cle = n.toUpper();
        if (vus.contains(cle))
            return texteEchecShapefile() + QStringLiteral("\nDeux champs de la table d'attribut porte le même nom.");
        vus.insert(cle);
    }
    return noms;
}

}  // namespace sotrix
