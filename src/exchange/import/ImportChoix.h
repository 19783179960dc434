#pragma once
// What the field-mapping dialog decides without a widget: the lists it fills, the columns
// it picks by itself and the checks of "Ouvrir".

#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace sotrix {

// Positions in the dialog's lists; -1 for no selection. projection: 0 "GPS", 1 "Affichage".
struct ChoixImport {
    int nom = -1;
    int x = -1;
    int y = -1;
    int projection = 1;
};

// The choices the dialog makes by itself. Name: the first item reading "NOM", "NAME" or
// "LABEL" in upper case. X: the first coordinate item reading "X" (then "Affichage") or
// "LON", "LONG", "LONGITUDE" (then "GPS"); Y likewise with "Y", "LAT", "LATITUDE", after
// X, so that its projection wins.
ChoixImport choixAutomatiques(const QStringList& noms, const QStringList& coordonnees);

// The refusal of "Ouvrir" for these choices, in the order the checks run; nothing when
// they are complete.
std::optional<QString> refusChoix(int typeFichier, const ChoixImport& choix, const QString& sepDecimal);

// "Une erreur est survenue lors de l'importation du shapefile."
QString texteEchecShapefile();

// The field names of the attribute table beside a shapefile, in file order; or the text
// telling why they cannot be had (no table, an unreadable one, two names equal ignoring
// case).
std::variant<QStringList, QString> champsAttributs(const QString& shpPath);

}  // namespace sotrix
