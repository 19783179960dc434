#pragma once
// What the main window reads from and writes to the workspace tables, as plain functions
// over the database: extents and the selection by list.
// Every write function runs in its own transaction.

#include "SelectionChangee.h"
#include "viewmath.h"

#include <QString>

#include <optional>
#include <vector>

namespace sotrix {

class Database;

// Extent of every point (waypoints and track points), or of the selected ones; nullopt
// when there is none.
std::optional<Extent> etenduePoints(Database& db, bool selectedOnly);

// Rows whose selection changed, by key; or every row of their kind at once.
struct ChangementSelection {
    std::vector<qint64> selectionnees, deselectionnees;
    // Set: every row is now selected (true) or none is (false), written by one statement;
    // the keys are then left out.
    std::optional<bool> toutes;
};

// Writes the changes of the selection by list: waypoints by key, tracks with all their
// points. Only rows whose value differs are written.
void ecritSelection(Database& db, const ChangementSelection& waypoints, const ChangementSelection& traces);
// Selects or unselects every waypoint; tracks and their points are left alone.
void selectTousWaypoints(Database& db, bool selected);
// Selects or unselects every track and every track point; waypoints are left alone.
void selectToutesTraces(Database& db, bool selected);
// Unselects everything; returns the listed rows changed.
SelectionChangee effaceSelection(Database& db);

}  // namespace sotrix
