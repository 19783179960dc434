#pragma once
// The rows shown in the information window: one waypoint with its columns, or the
// figures of one track computed over all its points. A Null column stays a null QVariant.

#include <QVariant>

#include <optional>

namespace sotrix {

class Database;

struct InfoWaypoint {
    QVariant Nom, X, Y, Lat, Lon, Altitude, Date, Description;
};

struct InfoTrace {
    QVariant nomTrace, descriptionTrace, fermerTrace;
    QVariant minDate, maxDate, minAltitude, maxAltitude, nb;
    QVariant minX, maxX, minY, maxY, minLat, maxLat, minLon, maxLon;
};

// The waypoint nearest (x, y) within r (ties by Id_point).
std::optional<InfoWaypoint> infoWaypointProche(Database& db, double x, double y, double r);
// The waypoint of that key.
std::optional<InfoWaypoint> infoWaypointCle(Database& db, qint64 idPoint);
// The figures of the track of that key; nullopt when it has no point. A track of more than
// pointsParPartie points is read in parts side by side.
std::optional<InfoTrace> infoTraceCle(Database& db, qint64 idTrace, qint64 pointsParPartie = 250000);

}  // namespace sotrix
