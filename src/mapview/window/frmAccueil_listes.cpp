// The two lists of names, their counters, and the selection made from the list side.
// Every item carries its row key; every write from a list is keyed on it, so an item
// shows its name bounded (nomAffiche, in ListeNoms) and its layout costs the same for
// any name.

#include "frmAccueil.h"

#include "Database.h"
#include "LignesListe.h"
#include "ListeNoms.h"
#include "MapQueries.h"
#include "State.h"

#include <QCheckBox>
#include <QLabel>
#include <QScopedValueRollback>

namespace sotrix {

namespace {
void ecritCompteur(QLabel* label, const QString& word, qint64 n, qint64 s) {
    if (n <= 0) {
        label->setText(word + QStringLiteral(" :"));
        label->setToolTip(QString());
    } else if (s <= 0) {
        label->setText(word + QStringLiteral(" (") + QString::number(n) + QStringLiteral(") :"));
        label->setToolTip(QStringLiteral("Nb. : ") + QString::number(n));
    } else {
        label->setText(word + QStringLiteral(" (") + QString::number(n) + QLatin1Char('/') + QString::number(s) +
                       QStringLiteral(") :"));
        label->setToolTip(QStringLiteral("Nb. : ") + QString::number(n) + QStringLiteral(", Nb. select. : ") +
                          QString::number(s));
    }
}
// Beyond this many changed rows, one statement over every row of the kind costs less than
// a statement per row.
constexpr qint64 kParCle = 4096;

// How many rows runs hold.
qint64 lignesDe(const Plages& p) {
    qint64 n = 0;
    for (const auto& [first, last] : p) n += last - first + 1;
    return n;
}

// The change of one list as keys, or as every row at once.
ChangementSelection changement(const ListeNoms& list, const EcartSelection& e, bool parLot) {
    ChangementSelection c;
    const qint64 lignes = lignesDe(e.ajoutees) + lignesDe(e.retirees);
    if (parLot && e.toutes && lignes > kParCle) {
        c.toutes = e.toutes;
        return c;
    }
    for (const auto& [keys, plages] : {std::pair(&c.selectionnees, &e.ajoutees), std::pair(&c.deselectionnees, &e.retirees)})
        for (const auto& [first, last] : *plages)
            for (int row = first; row <= last; ++row) keys->push_back(list.key(row));
    return c;
}
}  // namespace

void frmAccueil::majListes() {
    State& s = state();
    LignesListe waypoints;
    LignesListe traces;
    try {
        DbGuard db;
        waypoints = lignesWaypoints(*db);
        traces = lignesTraces(*db);
    } catch (...) {
        // Lists and counters keep what the tables held when last read, until they can be
        // read again: emptied, they would let a command drop rows without its question.
        s.comptesIncertains = true;
        throw;
    }
    {
        QScopedValueRollback<bool> filling(remplissageListes, true);
        s.nbWaypoints = waypoints.size();
        s.nbWaypointsSel = lstWaypoint_->remplit(std::move(waypoints));
        s.nbTraces = traces.size();
        s.nbTracesSel = lstTrace_->remplit(std::move(traces));
    }
    s.comptesIncertains = false;
    majNb();
}

void frmAccueil::appliqueSelection(const SelectionChangee& c) {
    std::optional<qint64> waypoints, traces;
    {
        QScopedValueRollback<bool> filling(remplissageListes, true);
        waypoints = lstWaypoint_->change(c.waypoints);
        traces = lstTrace_->change(c.traces);
    }
    if (!waypoints || !traces) {
        majListes();
        return;
    }
    State& s = state();
    s.nbWaypointsSel = *waypoints;
    s.nbTracesSel = *traces;
    majNb();
}

void frmAccueil::majNb() {
    const State& s = state();
    ecritCompteur(lblWaypoints_, QStringLiteral("Waypoints"), s.nbWaypoints, s.nbWaypointsSel);
    ecritCompteur(lblTraces_, QStringLiteral("Traces"), s.nbTraces, s.nbTracesSel);
}

void frmAccueil::selectListes() {
    const EcartSelection ecartWaypoints = lstWaypoint_->ecart();
    const EcartSelection ecartTraces = lstTrace_->ecart();
    // Tracks always go by key: each carries its points.
    const ChangementSelection waypoints = changement(*lstWaypoint_, ecartWaypoints, true);
    const ChangementSelection traces = changement(*lstTrace_, ecartTraces, false);
    {
        DbGuard db;
        ecritSelection(*db, waypoints, traces);
    }
    State& s = state();
    s.nbWaypointsSel = ecartWaypoints.nombre;
    s.nbTracesSel = ecartTraces.nombre;
    lstWaypoint_->selectionEcrite();
    lstTrace_->selectionEcrite();
    majNb();
}

void frmAccueil::lstWaypoint_Click() {
    if (remplissageListes) return;
    guarded([this] {
        selectListes();
        redraw();
    });
}

void frmAccueil::lstTrace_Click() {
    if (remplissageListes) return;
    guarded([this] {
        selectListes();
        redraw();
    });
}

void frmAccueil::selectAllItems(ListeNoms* list, bool checked) {
    QScopedValueRollback<bool> filling(remplissageListes, true);
    list->selectAllRows(checked);
    list->selectionEcrite();
    if (list->count() > 0) list->setCurrentRow(0);
}

void frmAccueil::toutSelectionner(bool checked, QCheckBox* box, ListeNoms* list, const qint64& total,
                                  qint64& selectedCount, void (*ecrit)(Database&, bool)) {
    guarded([&] {
        if (total == 0) {
            box->setChecked(false);
            return;
        }
        {
            DbGuard db;
            ecrit(*db, checked);
        }
        selectAllItems(list, checked);
        selectedCount = checked ? total : 0;
        majNb();
        redraw();
    });
}

void frmAccueil::chkToutWaypoints_Click(bool checked) {
    State& s = state();
    toutSelectionner(checked, chkToutWaypoints_, lstWaypoint_, s.nbWaypoints, s.nbWaypointsSel, selectTousWaypoints);
}

void frmAccueil::chkToutTrace_Click(bool checked) {
    State& s = state();
    toutSelectionner(checked, chkToutTrace_, lstTrace_, s.nbTraces, s.nbTracesSel, selectToutesTraces);
}

void frmAccueil::cmdUnselect_Click() {
    guarded([this] {
        SelectionChangee c;
        {
            DbGuard db;
            c = effaceSelection(*db);
        }
        appliqueSelection(c);
        redraw();
    });
}

}  // namespace sotrix
