#include "LectureSink.h"

#include "ImportEngine.h"
#include "TexteAdmis.h"

namespace sotrix {

namespace {

// Control characters become U+FFFD, as the GPX reader's do (TexteAdmis.h).
std::optional<QString> admis(const std::optional<QString>& texte) {
    if (!texte) return std::nullopt;
    return remplaceNonAdmis(*texte);
}

std::optional<QString> nettoye(const std::optional<QString>& nom) {
    if (!nom) return std::nullopt;
    return nettoieNom(remplaceNonAdmis(*nom), false);
}

}  // namespace

Flow StoreLectureSink::waypoint(const WaypointLu& w) {
    ChampsWaypoint champs;
    champs.altitude = w.altitude;
    champs.date = w.date;
    champs.description = admis(w.description);
    champs.nom = nettoye(w.nom);
    return store_.waypoint(source_, w.a, w.b, champs);
}

Flow StoreLectureSink::trackStart(const TraceLue& t) {
    ChampsTrace champs;
    champs.nom = nettoye(t.nom);
    champs.fermer = t.fermer;
    champs.suffixe = t.suffixe;
    return store_.debutTrace(champs);
}

Flow StoreLectureSink::trackPoint(const PointLu& p) {
    ChampsPoint champs;
    champs.altitude = p.altitude;
    champs.date = p.date;
    return store_.pointTrace(source_, p.a, p.b, champs, admis(p.description));
}

}  // namespace sotrix
