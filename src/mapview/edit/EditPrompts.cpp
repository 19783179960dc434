#include "EditPrompts.h"

#include "Database.h"
#include "Divers.h"
#include "State.h"
#include "proj4.h"

namespace sotrix {

namespace {
const char* const kFinRefus = "' existe déjà. Veuillez choisir un autre nom.";
// The number that stands for a failure the layer gave no reason for.
constexpr int kErreurInconnue = -44;
}  // namespace

std::optional<QString> demandeNom(const DemandeNom& d) {
    for (;;) {
        const std::optional<QString> nom =
            prompter().input(QString::fromUtf8(d.prompt), QString::fromUtf8(d.titre), QString());
        if (!nom || nom->isEmpty()) return std::nullopt;
        bool pris = false;
        {
            DbGuard db;
            pris = nomExiste(*db, d.table, *nom);
        }
        if (!pris) return nom;
        prompter().message(QString::fromUtf8(d.debutRefus) + nomAffiche(*nom) + QString::fromUtf8(kFinRefus),
                           Icon::Exclamation);
    }
}

std::unique_ptr<ProjSystems> systemesCarteGps() {
    const State& s = state();
    auto systems = std::make_unique<ProjSystems>(s.paramProjGps, s.paramProjCarto);
    switch (systems->status()) {
    case ProjSystems::Status::Ok: return systems;
    case ProjSystems::Status::NotFound:
        prompter().message(QString::fromUtf8(kMsgProjIntrouvable), Icon::Exclamation);
        return nullptr;
    case ProjSystems::Status::SetupFailed:
        // ProjSystems has shown its report, which always names the error.
        return nullptr;
    }
    return nullptr;
}

bool carteVersGps(ProjSystems& systems, double x, double y, double& lon, double& lat) {
    State& s = state();
    s.derniereErreurProj.clear();
    lon = x;
    lat = y;
    // The systems run from GPS to map: the map system is the source here.
    const bool ok = projTransformePoint(systems.destination(), systems.source(), lon, lat);
    s.resultatOk = ok;
    if (!ok && s.derniereErreurProj.isEmpty())
        s.derniereErreurProj = QStringLiteral("erreur de projection [") + projErreur(kErreurInconnue) + QStringLiteral("]");
    return ok;
}

}  // namespace sotrix
