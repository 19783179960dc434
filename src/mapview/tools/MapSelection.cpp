// The selection on the map: waypoints by box or by the nearest to a press, a track by its
// point nearest to a press. A new selection is added to the current one or replaces it,
// as the user answers.

#include "frmAccueil.h"

#include "Database.h"
#include "MapCanvas.h"
#include "MapTools.h"
#include "SelectionQueries.h"
#include "State.h"
#include "viewmath.h"

#include <algorithm>

namespace sotrix {

namespace {
const char* const kQuestionAjout =
    "Voulez-vous ajouter la nouvelle sélection à la sélection en cours (OUI) ou créer une nouvelle sélection (NON) ?";

// True when the new selection replaces the current one.
bool remplaceSelection(bool demander) {
    return demander && prompter().ask(QString::fromUtf8(kQuestionAjout), Answer::Yes) == Answer::No;
}

bool selectionEnCours() {
    const State& s = state();
    return s.nbWaypointsSel > 0 || s.nbTracesSel > 0;
}
}  // namespace

void frmAccueil::selectWaypoint() {
    if (state().nbWaypoints == 0) return;
    // The box stays local: the view keeps the extent it was built from.
    const Boite b{std::min(boiteX[0], boiteX[1]), std::max(boiteX[0], boiteX[1]), std::min(boiteY[0], boiteY[1]),
                  std::max(boiteY[0], boiteY[1])};
    SelectionChangee c;
    if (b.minX != b.maxX || b.minY != b.maxY) {
        bool found = false, demander = false;
        {
            DbGuard db;
            found = waypointDansBoite(*db, b);
            // A selected waypoint or track is a selection; else a track point may be one.
            demander = found && (selectionEnCours() || selectionExiste(*db));
        }
        if (found) {
            const bool remplace = remplaceSelection(demander);
            DbGuard db;
            c = selectWaypointsBoite(*db, b, remplace);
        }
    } else {
        xClic = b.minX;
        yClic = b.minY;
        std::optional<qint64> id;
        {
            DbGuard db;
            id = waypointProche(*db, xClic, yClic, toleranceClic(tailleVue));
        }
        if (id) {
            const bool remplace = remplaceSelection(selectionEnCours());
            DbGuard db;
            c = sotrix::selectWaypoint(*db, *id, remplace);
        }
    }
    appliqueSelection(c);
    redraw();
    Picture1_->setPointer(pointeur::kFleche);
}

void frmAccueil::selectTrace() {
    if (state().nbTraces == 0) return;
    std::optional<qint64> id;
    {
        DbGuard db;
        id = traceProche(*db, xClic, yClic, toleranceClic(tailleVue));
    }
    SelectionChangee c;
    if (id) {
        const bool remplace = remplaceSelection(selectionEnCours());
        DbGuard db;
        c = sotrix::selectTrace(*db, *id, remplace);
    }
    appliqueSelection(c);
    redraw();
    Picture1_->setPointer(pointeur::kFleche);
}

}  // namespace sotrix
