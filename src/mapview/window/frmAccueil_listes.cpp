// The two lists of names, their counters, and the selection made from the list side.
// Every item carries its row key; every write from a list is keyed on it, so an item
// shows its name bounded (nomAffiche) and its layout costs the same for any name.

#include "frmAccueil.h"

#include "Database.h"
#include "Divers.h"
#include "MapQueries.h"
#include "State.h"

#include <QCheckBox>
#include <QItemSelection>
#include <QLabel>
#include <QListWidget>
#include <QScopedValueRollback>

namespace sotrix {

namespace {
// Replaces the items of the list by the rows, selects the selected ones in one go and
// returns how many they are.
qint64 remplitListe(QListWidget* list, const std::vector<ListRow>& rows) {
    list->clear();
    list->setUpdatesEnabled(false);
    for (const ListRow& row : rows) {
        auto* item = new QListWidgetItem(nomAffiche(row.nom));
        item->setData(Qt::UserRole, row.id);
        list->addItem(item);
    }
    QItemSelection selection;
    qint64 selected = 0;
    QAbstractItemModel* model = list->model();
    for (int i = 0; i < int(rows.size());) {
        if (!rows[size_t(i)].selected) {
            ++i;
            continue;
        }
        int end = i;
        while (end + 1 < int(rows.size()) && rows[size_t(end + 1)].selected) ++end;
        selection.select(model->index(i, 0), model->index(end, 0));
        selected += end - i + 1;
        i = end + 1;
    }
    if (!selection.isEmpty()) list->selectionModel()->select(selection, QItemSelectionModel::Select);
    list->setUpdatesEnabled(true);
    return selected;
}

std::vector<qint64> clesSelectionnees(const QListWidget* list) {
    std::vector<qint64> keys;
    const QList<QListWidgetItem*> items = list->selectedItems();
    keys.reserve(size_t(items.size()));
    for (const QListWidgetItem* item : items) keys.push_back(item->data(Qt::UserRole).toLongLong());
    return keys;
}

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
}  // namespace

void frmAccueil::majListes() {
    State& s = state();
    try {
        std::vector<ListRow> waypoints;
        std::vector<ListRow> traces;
        {
            DbGuard db;
            waypoints = lignesWaypoints(*db);
            traces = lignesTraces(*db);
        }
        QScopedValueRollback<bool> filling(remplissageListes, true);
        s.nbWaypointsSel = remplitListe(lstWaypoint_, waypoints);
        s.nbWaypoints = qint64(waypoints.size());
        s.nbTracesSel = remplitListe(lstTrace_, traces);
        s.nbTraces = qint64(traces.size());
    } catch (...) {
        // The lists show nothing rather than rows the tables may no longer hold.
        {
            QScopedValueRollback<bool> filling(remplissageListes, true);
            lstWaypoint_->clear();
            lstTrace_->clear();
        }
        s.nbWaypoints = s.nbWaypointsSel = s.nbTraces = s.nbTracesSel = 0;
        majNb();
        throw;
    }
    majNb();
}

void frmAccueil::majNb() {
    const State& s = state();
    ecritCompteur(lblWaypoints_, QStringLiteral("Waypoints"), s.nbWaypoints, s.nbWaypointsSel);
    ecritCompteur(lblTraces_, QStringLiteral("Traces"), s.nbTraces, s.nbTracesSel);
}

void frmAccueil::selectListes() {
    const std::vector<qint64> waypoints = clesSelectionnees(lstWaypoint_);
    const std::vector<qint64> traces = clesSelectionnees(lstTrace_);
    {
        DbGuard db;
        ecritSelection(*db, waypoints, traces);
    }
    State& s = state();
    s.nbWaypointsSel = qint64(waypoints.size());
    s.nbTracesSel = qint64(traces.size());
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

void frmAccueil::selectAllItems(QListWidget* list, bool checked) {
    QScopedValueRollback<bool> filling(remplissageListes, true);
    list->clearSelection();
    const int n = list->count();
    if (checked && n > 0) {
        QAbstractItemModel* model = list->model();
        list->selectionModel()->select(QItemSelection(model->index(0, 0), model->index(n - 1, 0)),
                                       QItemSelectionModel::Select);
    }
    if (n > 0) list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

void frmAccueil::toutSelectionner(bool checked, QCheckBox* box, QListWidget* list, const qint64& total,
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
        {
            DbGuard db;
            effaceSelection(*db);
        }
        majListes();
        redraw();
    });
}

}  // namespace sotrix
