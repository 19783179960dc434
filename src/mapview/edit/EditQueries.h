#pragma once
// The statements of the editing commands: name look-ups, new waypoints and tracks, the
// mean of the selected waypoints, merging, closing and deleting. Each write runs in one
// transaction; a new object becomes the only selected one of its kind and the selection
// of the other kind stays.

#include <QPointF>
#include <QString>

#include <optional>
#include <vector>

namespace sotrix {

class Database;

enum class TableNom { Points, Trace };

// Whether a row of the table has that name (every row of Points, track points included),
// compared as the database compares names.
bool nomExiste(Database& db, TableNom table, const QString& nom);

// Stores a waypoint and makes it the only selected waypoint; its key.
qint64 ajouteWaypoint(Database& db, const QString& nom, double x, double y, double lon, double lat);

struct PointSaisi {
    qint64 numTrace = 0;
    double x = 0, y = 0, lon = 0, lat = 0;
};
// Stores a track with its points and makes it the only selected track; its key.
qint64 ajouteTrace(Database& db, const QString& nom, const std::vector<PointSaisi>& points);

// Mean map position of the selected waypoints; nullopt when none is selected.
std::optional<QPointF> moyenneWaypointsSelectionnes(Database& db);

// Whether at least two open tracks are selected and they hold points.
bool fusionPossible(Database& db);
// A new track made of the points of the selected open tracks, each in its order, tracks by
// key, numbered from 1; it becomes the only selected track and the merged tracks lose their
// selection with all their points. Its key.
qint64 fusionneTraces(Database& db, const QString& nom);

struct TraceAFermer {
    qint64 id = 0;
    QString nom;
    bool fermee = false;
};
// The selected track of lowest key.
std::optional<TraceAFermer> traceSelectionnee(Database& db);
void ecritFermer(Database& db, qint64 idTrace, bool fermee);

// Deletes the selected waypoints, every point of the selected tracks and those tracks.
void supprimeSelection(Database& db);

}  // namespace sotrix
