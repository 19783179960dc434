#include "LectureSink.h"

#include "ImportEngine.h"

namespace sotrix {

namespace {

std::optional<QString> nettoye(const std::optional<QString>& nom) {
    if (!nom) return std::nullopt;
    return nettoieNom(*nom, false);
}

}  // namespace

Flow StoreLectureSink::waypoint(const WaypointLu& w) {
    ChampsWaypoint champs;
    champs.altitude = w.altitude;
    champs.date = w.date;
    champs.description = w.description;
    champs.nom = nettoye(w.nom);
    return store_.waypoint(source_, w.a, w.b, champs);
}

void StoreLectureSink::trackStart(const TraceLue& t) {
    ChampsTrace champs;
    champs.nom = nettoye(t.nom);
    champs.fermer = t.fermer;
    champs.suffixe = t.suffixe;
    store_.debutTrace(champs);
}

Flow StoreLectureSink::trackPoint(const PointLu& p) {
    ChampsPoint champs;
    champs.altitude = p.altitude;
    champs.date = p.date;
    return store_.pointTrace(source_, p.a, p.b, champs, p.description);
}

}  // namespace sotrix
