// The information window from the map tools and from F1 in the two lists.

#include "frmAccueil.h"

#include "Database.h"
#include "InfoLines.h"
#include "InfoQueries.h"
#include "ListeNoms.h"
#include "SelectionQueries.h"
#include "State.h"
#include "frmInfo.h"
#include "viewmath.h"

namespace sotrix {

void frmAccueil::afficheInfo(const QStringList& lines) {
    // Every row is read and the database released before the window waits for the user.
    frmInfo window(this);
    window.remplit(lines);
    window.exec();
}

void frmAccueil::infoWaypoint() {
    if (state().nbWaypoints == 0) return;
    std::optional<InfoWaypoint> w;
    {
        DbGuard db;
        w = infoWaypointProche(*db, xClic, yClic, toleranceClic(tailleVue));
    }
    if (w) afficheInfo(lignesWaypoint(*w));
}

void frmAccueil::infoTrace() {
    if (state().nbTraces == 0) return;
    std::optional<InfoTrace> t;
    {
        DbGuard db;
        if (const auto id = traceProche(*db, xClic, yClic, toleranceClic(tailleVue))) t = infoTraceCle(*db, *id);
    }
    if (t) afficheInfo(lignesTrace(*t));
}

void frmAccueil::lstWaypoint_KeyUp(int key) {
    guarded([&] {
        const int row = lstWaypoint_->currentRow();
        if (key != Qt::Key_F1 || row < 0) return;
        std::optional<InfoWaypoint> w;
        {
            DbGuard db;
            w = infoWaypointCle(*db, lstWaypoint_->key(row));
        }
        if (w) afficheInfo(lignesWaypoint(*w));
    });
}

void frmAccueil::lstTrace_KeyUp(int key) {
    guarded([&] {
        const int row = lstTrace_->currentRow();
        if (key != Qt::Key_F1 || row < 0) return;
        std::optional<InfoTrace> t;
        {
            DbGuard db;
            t = infoTraceCle(*db, lstTrace_->key(row));
        }
        if (t) afficheInfo(lignesTrace(*t));
    });
}

}  // namespace sotrix
