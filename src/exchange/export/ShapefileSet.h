#pragma once
// Names of a shapefile set: up to four shapefiles written side by side from one chosen
// path, each a .shp, a .shx and a .dbf.

#include <QString>
#include <QStringList>

namespace sotrix {

// The chosen path, made absolute, without the suffix of its last component when it has
// one: "/d/sortie.shp" gives "/d/sortie", "/d/my.data.shp" "/d/my.data", "/d/data" itself.
QString shapefileSetBase(const QString& nomFichier);

// The suffixes, in the order the sets are written: waypoints, open tracks, closed tracks,
// track points.
QStringList shapefileSetSuffixes();

// The four ".shp" paths of the set chosen as nomFichier, in the same order.
QStringList shapefileSetShpPaths(const QString& nomFichier);

}  // namespace sotrix
