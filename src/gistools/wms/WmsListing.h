#pragma once
// What the WMS tool lists from a capabilities document: one line per layer it can
// request in a system of the Proj table, and the document's systems found there.

#include "WmsCapabilities.h"

#include <QString>

#include <vector>

namespace sotrix {

class Database;

struct LigneCouche {
    int record = 0;  // index into WmsCapabilities::layers
    QString desc;    // of its system in Proj
};

struct SystemeWms {
    QString desc;
    qint32 epsg = 0;
};

struct ListeWms {
    std::vector<LigneCouche> lignes;
    std::vector<SystemeWms> systemes;  // in the document's order of codes
};

// A layer gets a line when it has a title and a name and its code has a Proj row. Each
// code is looked up once.
ListeWms listeWms(Database& db, const WmsCapabilities& caps);

// The text of a line: title + " - projection : " + Desc + " - X : " + minx + " ; " + maxx
// + " - Y : " + miny + " ; " + maxy, the numbers in the user's locale, without group
// separators.
QString texteLigne(const WmsLayer& layer, const QString& desc);

}  // namespace sotrix
