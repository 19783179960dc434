#pragma once
// Drawing the stored data on the map canvas, in the scale already set: waypoints as
// filled discs, tracks as polylines (rings when closed). Each draws unselected items
// first, then selected ones on top.

#include <QtGlobal>

namespace sotrix {

class Database;
class MapCanvas;

struct DrawColours {
    qint32 couleur = 0xFF0000;  // unselected, 0x00BBGGRR
    qint32 couleurSel = 255;    // selected
};

void afficheWaypoints(Database& db, MapCanvas& canvas, const DrawColours& colours, double tailleSymbole);
// A track of more than pointsParPartie points is read in parts side by side.
inline constexpr qint64 kPointsParPartieTrace = 131072;
void afficheTraces(Database& db, MapCanvas& canvas, const DrawColours& colours,
                   qint64 pointsParPartie = kPointsParPartieTrace);

}  // namespace sotrix
