#pragma once
// The statements of the selection on the map: waypoints in a box, the waypoint or track
// point nearest a press, and the writes that select them. Distances compare squared
// against the squared tolerance, bounds included; ties go to the lower Id_point.

#include "SelectionChangee.h"

#include <QtGlobal>

#include <optional>

namespace sotrix {

class Database;

struct Boite {
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
};

// Whether a waypoint lies in the box (edges included).
bool waypointDansBoite(Database& db, const Boite& b);
// Whether any row of Points, waypoint or track point, is selected.
bool selectionExiste(Database& db);
// Id_point of the waypoint nearest (x, y) within t.
std::optional<qint64> waypointProche(Database& db, double x, double y, double t);
// Id_trace of the track whose point is nearest (x, y) within t.
std::optional<qint64> traceProche(Database& db, double x, double y, double t);

// Each write runs in one transaction and writes only the rows whose Selected changes; with
// remplace, the rest of the selection is cleared. They return the listed rows changed.
SelectionChangee selectWaypointsBoite(Database& db, const Boite& b, bool remplace);
SelectionChangee selectWaypoint(Database& db, qint64 idPoint, bool remplace);
// The track and every one of its points.
SelectionChangee selectTrace(Database& db, qint64 idTrace, bool remplace);
}  // namespace sotrix
