#include "InfoQueries.h"

#include "Database.h"

namespace sotrix {

namespace {
const char* const kColonnesWaypoint =
    "select Nom, X, Y, Lat, Lon, Altitude, \"Date\", Description from Points where Trace = 0 and ";

std::optional<InfoWaypoint> litWaypoint(Cursor c) {
    if (!c.next()) return std::nullopt;
    return InfoWaypoint{c.value(0), c.value(1), c.value(2), c.value(3),
                        c.value(4), c.value(5), c.value(6), c.value(7)};
}
}  // namespace

std::optional<InfoWaypoint> infoWaypointProche(Database& db, double x, double y, double r) {
    return litWaypoint(db.query(QString::fromLatin1(kColonnesWaypoint) +
                                    QStringLiteral("(X-:x)*(X-:x)+(Y-:y)*(Y-:y) <= :r2 "
                                                   "order by (X-:x)*(X-:x)+(Y-:y)*(Y-:y), Id_point limit 1"),
                                {x, y, r * r}));
}

std::optional<InfoWaypoint> infoWaypointCle(Database& db, qint64 idPoint) {
    return litWaypoint(db.query(QString::fromLatin1(kColonnesWaypoint) + QStringLiteral("Id_point = ?"), {idPoint}));
}

std::optional<InfoTrace> infoTraceCle(Database& db, qint64 idTrace) {
    Cursor c = db.query(
        QStringLiteral("select Trace.Nom as nomTrace, Trace.Description as descriptionTrace, Trace.Fermer as fermerTrace, "
                       "min(Points.\"Date\") as minDate, max(Points.\"Date\") as maxDate, "
                       "min(Points.Altitude) as minAltitude, max(Points.Altitude) as maxAltitude, "
                       "count(Points.Id_point) as nb, "
                       "min(Points.X) as minX, max(Points.X) as maxX, min(Points.Y) as minY, max(Points.Y) as maxY, "
                       "min(Points.Lat) as minLat, max(Points.Lat) as maxLat, "
                       "min(Points.Lon) as minLon, max(Points.Lon) as maxLon "
                       "from Points join Trace on Trace.Id_trace = Points.Trace "
                       "where Points.Trace = ? group by Points.Trace"),
        {idTrace});
    if (!c.next()) return std::nullopt;
    InfoTrace t;
    QVariant* fields[] = {&t.nomTrace, &t.descriptionTrace, &t.fermerTrace, &t.minDate, &t.maxDate,
                          &t.minAltitude, &t.maxAltitude, &t.nb, &t.minX, &t.maxX, &t.minY, &t.maxY,
                          &t.minLat, &t.maxLat, &t.minLon, &t.maxLon};
    int i = 0;
    for (QVariant* f : fields) *f = c.value(i++);
    return t;
}

}  // namespace sotrix
