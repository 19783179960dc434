#pragma once
// What the main window reads from and writes to the workspace tables, as plain functions
// over the database: extents, the rows of the two lists and the selection by list.
// Every write function runs in its own transaction.

#include "viewmath.h"

#include <QString>

#include <optional>
#include <vector>

namespace sotrix {

class Database;

// Extent of every point (waypoints and track points), or of the selected ones; nullopt
// when there is none.
std::optional<Extent> etenduePoints(Database& db, bool selectedOnly);

// One item of a list: its row key, its name ("" for Null) and its selected state.
struct ListRow {
    qint64 id = 0;
    QString nom;
    bool selected = false;
};

// Waypoints and tracks in name order, without regard to case (then by key).
std::vector<ListRow> lignesWaypoints(Database& db);
std::vector<ListRow> lignesTraces(Database& db);

// Makes the selection exactly these waypoints and these tracks (with all their points).
void ecritSelection(Database& db, const std::vector<qint64>& waypoints, const std::vector<qint64>& traces);
// Selects or unselects every waypoint; tracks and their points are left alone.
void selectTousWaypoints(Database& db, bool selected);
// Selects or unselects every track and every track point; waypoints are left alone.
void selectToutesTraces(Database& db, bool selected);
// Unselects everything.
void effaceSelection(Database& db);

}  // namespace sotrix
