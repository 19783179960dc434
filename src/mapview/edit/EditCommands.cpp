// The editing commands: new waypoints and tracks drawn on the map, the average waypoint,
// merging, closing or opening and deleting. Every question is asked and every point
// converted before the one write transaction; the flags, the lists and the map follow.

#include "frmAccueil.h"

#include "Database.h"
#include "Divers.h"
#include "EditPrompts.h"
#include "EditQueries.h"
#include "MapCanvas.h"
#include "MapTools.h"
#include "State.h"
#include "frmEdit.h"
#include "proj4.h"

namespace sotrix {

namespace {
const char* const kEchecProjection = "Une erreur est survenue lors de la projection : ";
const char* const kEchecNouveauWaypoint = ".\nImpossible de créer un nouveau Waypoint.";
const char* const kEchecWaypointMoyen = ".\nImpossible de définir un Waypoint moyen.";
const char* const kEchecPointTrace = "Une erreur est survenue lors de la projection d'un point de la trace : ";
const char* const kContinuer = ".\nVoulez-vous continuer ?";
const char* const kMoyenneRefusee =
    "Vous devez sélectionner plus d'un waypoint pour pouvoir calculer un wayppoint moyen.";
const char* const kFusionRefusee = "Vous devez sélectionner au moins 2 traces non fermées pour pouvoir les fusionner.";
const char* const kFermerRefuse = "Vous devez sélectionner une et une seule trace à fermer/ouvrir.";
const char* const kDejaFermee = "' est déjà fermée.\nVoulez-vous l'ouvrir ?";
const char* const kSupprimerRefuse = "Vous devez sélectionner un ou plusieurs Waypoints/Traces à supprimer.";
const char* const kSupprimerQuestion = "Etes-vous sûr de vouloir supprimer les Waypoints/Traces sélectionnés ?";

void avertit(const char* text) { prompter().message(QString::fromUtf8(text), Icon::Exclamation); }
}  // namespace

// ---------------------------------------------------------------- the chooser

void frmAccueil::cmdEdit_Click() {
    guarded([this] {
        if (tailleVue <= 0) return;
        nbSaisies = 0;
        saisieX.clear();
        saisieY.clear();
        auto* chooser = new frmEdit;
        frmEdit_ = chooser;
        connect(chooser, &frmEdit::choisi, this, [this](int code) {
            guarded([&] {
                state().modeOutil = code;
                Picture1_->setPointer(pointeur::kCroix);
            });
        });
        chooser->showOver(this);
    });
}

// ---------------------------------------------------------------- new waypoints

bool frmAccueil::nouveauWaypoint(double x, double y, const DemandeNom& demande, const char* finEchec) {
    const std::optional<QString> nom = demandeNom(demande);
    if (!nom) return false;
    double lon = 0, lat = 0;
    {
        const std::unique_ptr<ProjSystems> systems = systemesCarteGps();
        if (!systems) return false;
        if (!carteVersGps(*systems, x, y, lon, lat)) {
            prompter().message(QString::fromUtf8(kEchecProjection) + state().derniereErreurProj +
                                   QString::fromUtf8(finEchec),
                               Icon::Exclamation);
            return false;
        }
    }
    {
        DbGuard db;
        ajouteWaypoint(*db, *nom, x, y, lon, lat);
    }
    state().modifWaypoints = true;
    majListes();
    redraw();
    return true;
}

void frmAccueil::addWaypoint() {
    if (saisieX.isEmpty() || saisieY.isEmpty()) return;
    nouveauWaypoint(saisieX.first(), saisieY.first(), kNomWaypoint, kEchecNouveauWaypoint);
}

void frmAccueil::cmdCalcMoyenneSelect_Click() {
    guarded([this] {
        const State& s = state();
        if (s.nbWaypoints == 0) return;
        if (s.nbWaypointsSel < 2) {
            avertit(kMoyenneRefusee);
            return;
        }
        std::optional<QPointF> moyenne;
        {
            DbGuard db;
            moyenne = moyenneWaypointsSelectionnes(*db);
        }
        if (moyenne) nouveauWaypoint(moyenne->x(), moyenne->y(), kNomWaypointMoyen, kEchecWaypointMoyen);
    });
}

// ---------------------------------------------------------------- new track

void frmAccueil::addTrace() {
    // Every ending redraws, so that the sketch goes.
    const std::optional<QString> nom = demandeNom(kNomTrace);
    if (!nom) {
        redraw();
        return;
    }
    std::vector<PointSaisi> points;
    {
        const std::unique_ptr<ProjSystems> systems = systemesCarteGps();
        if (!systems) {
            redraw();
            return;
        }
        const qint64 n = std::min<qint64>(nbSaisies, std::min(saisieX.size(), saisieY.size()));
        for (qint64 i = 0; i < n; ++i) {
            PointSaisi p{i + 1, saisieX[i], saisieY[i], 0, 0};
            if (carteVersGps(*systems, p.x, p.y, p.lon, p.lat)) {
                points.push_back(p);
                continue;
            }
            // The point is skipped on Yes; its number stays unused.
            if (prompter().ask(QString::fromUtf8(kEchecPointTrace) + state().derniereErreurProj +
                               QString::fromUtf8(kContinuer)) == Answer::No)
                break;
        }
    }
    if (points.empty()) {
        redraw();
        return;
    }
    {
        DbGuard db;
        ajouteTrace(*db, *nom, points);
    }
    state().modifTraces = true;
    majListes();
    redraw();
}

// ---------------------------------------------------------------- merge, close, delete

void frmAccueil::cmdFusionner_Click() {
    guarded([this] {
        if (state().nbTraces == 0) return;
        bool possible = false;
        {
            DbGuard db;
            possible = fusionPossible(*db);
        }
        if (!possible) {
            avertit(kFusionRefusee);
            return;
        }
        const std::optional<QString> nom = demandeNom(kNomFusion);
        if (!nom) return;
        {
            DbGuard db;
            fusionneTraces(*db, *nom);
        }
        state().modifTraces = true;
        majListes();
        redraw();
    });
}

void frmAccueil::cmdFermer_Click() {
    guarded([this] {
        const State& s = state();
        if (s.nbTraces == 0) return;
        if (s.nbTracesSel != 1) {
            avertit(kFermerRefuse);
            return;
        }
        std::optional<TraceAFermer> trace;
        {
            DbGuard db;
            trace = traceSelectionnee(*db);
        }
        if (!trace) return;
        const bool ouvre = trace->fermee;
        if (!ouvre || prompter().ask(QStringLiteral("La trace '") + nomAffiche(trace->nom) +
                                     QString::fromUtf8(kDejaFermee)) == Answer::Yes) {
            {
                DbGuard db;
                ecritFermer(*db, trace->id, !ouvre);
            }
            state().modifTraces = true;
        }
        redraw();
    });
}

void frmAccueil::cmdSupprimer_Click() {
    guarded([this] {
        State& s = state();
        if (s.nbTraces == 0 && s.nbWaypoints == 0) return;
        if (s.nbWaypointsSel <= 0 && s.nbTracesSel <= 0) {
            avertit(kSupprimerRefuse);
            return;
        }
        if (prompter().ask(QString::fromUtf8(kSupprimerQuestion)) == Answer::No) return;
        {
            DbGuard db;
            supprimeSelection(*db);
        }
        s.modifTraces = true;
        s.modifWaypoints = true;
        majListes();
        redraw();
    });
}

}  // namespace sotrix
