#include "SelectionQueries.h"

#include "Database.h"
#include "MapIndexSql.h"

namespace sotrix {

namespace {
const char* const kDansBoite = " Trace = 0 and X >= :x1 and X <= :x2 and Y >= :y1 and Y <= :y2";
const char* const kDistance = "((X-:x)*(X-:x)+(Y-:y)*(Y-:y))";

QVariantList bornes(const Boite& b) { return {b.minX, b.maxX, b.minY, b.maxY}; }

// Waypoints by their position index: left to itself, the database would go through every
// waypoint by Trace.
QString waypointsParPosition() { return QStringLiteral("Points indexed by ") + QLatin1String(kIndexPositions); }

// The first column of the row nearest (x, y) within t among the rows that filtre keeps.
// filtre may name the square around the press (:x1, :x2, :y1, :y2, first in that order),
// so that the database reads only the rows its indexes place there.
std::optional<qint64> plusProche(Database& db, const char* colonne, const QString& table, const char* filtre, double x,
                                 double y, double t) {
    const QString d = QString::fromLatin1(kDistance);
    const QString sql =
        QStringLiteral("select %1 from %2 where %3 and X >= :x1 and X <= :x2 and Y >= :y1 and Y <= :y2 "
                       "and %4 <= :t2 order by %4, Id_point limit 1")
            .arg(QString::fromLatin1(colonne), table, QString::fromLatin1(filtre), d);
    // A hair wider than the tolerance: the square holds every point the distance keeps.
    const double c = t * (1 + 1e-9);
    const QVariant v = db.scalar(sql, {x - c, x + c, y - c, y + c, x, y, t * t});
    if (v.isNull()) return std::nullopt;
    return v.toLongLong();
}
}  // namespace

bool waypointDansBoite(Database& db, const Boite& b) {
    return !db.scalar(QStringLiteral("select 1 from ") + waypointsParPosition() + QStringLiteral(" where") +
                          QString::fromLatin1(kDansBoite) +
                          QStringLiteral(" limit 1"),
                      bornes(b))
                .isNull();
}

bool selectionExiste(Database& db) {
    // The index of the selected points answers without a pass over every point.
    return !db.scalar(QStringLiteral("select 1 from Points indexed by ") + QLatin1String(kIndexSelection) +
                      QStringLiteral(" where Selected <> 0 limit 1"))
                .isNull();
}

std::optional<qint64> waypointProche(Database& db, double x, double y, double t) {
    return plusProche(db, "Id_point", waypointsParPosition(), "Trace = 0", x, y, t);
}

std::optional<qint64> traceProche(Database& db, double x, double y, double t) {
    // The points of the tracks whose box meets the square (or that have no box yet).
    return plusProche(db, "Trace", QStringLiteral("Points"),
                      "Trace in (select T.Id_trace from Trace T left join EtendueTrace E on E.Id_trace = T.Id_trace "
                      "where E.Id_trace is null or not coalesce(E.maxX < :x1 or E.minX > :x2 or E.maxY < :y1 "
                      "or E.minY > :y2, 0))",
                      x, y, t);
}

SelectionChangee selectWaypointsBoite(Database& db, const Boite& b, bool remplace) {
    const QString dansBoite = QLatin1Char('(') + QString::fromLatin1(kDansBoite) + QLatin1Char(')');
    // The box's waypoints from the position index, then written in key order: driven by the
    // index, the write would go to the table's pages at random.
    const QString waypointsBoite = QStringLiteral("select Id_point from ") + waypointsParPosition() +
                                   QStringLiteral(" where") + QString::fromLatin1(kDansBoite);
    const QString selectionne =
        QStringLiteral("update Points set Selected = 1 where Selected is not 1 and Id_point in (") + waypointsBoite +
        QLatin1Char(')');
    SelectionChangee c;
    Transaction tx(db);
    if (remplace) {
        // The list learns the waypoints of the box rather than each of the many rows cleared.
        effaceSauf(db, c, {dansBoite, bornes(b)}, {}, {}, true);
        db.exec(selectionne, bornes(b));
        Statement k = db.prepare(waypointsBoite);
        k.bind(bornes(b));
        while (k.step()) c.waypoints.selectionnees.push_back(k.intValue(0));
    } else {
        ecritEtNote(db, selectionne + QString::fromLatin1(kRetourWaypoints), bornes(b), c.waypoints);
    }
    tx.commit();
    return c;
}

SelectionChangee selectWaypoint(Database& db, qint64 idPoint, bool remplace) {
    SelectionChangee c;
    Transaction tx(db);
    const QString selectionne = QStringLiteral("update Points set Selected = 1 where Id_point = ? and Selected is not 1");
    if (remplace) {
        // The list learns that this waypoint alone is selected.
        effaceSauf(db, c, {QStringLiteral("Id_point = ?"), {idPoint}}, {}, {}, true);
        db.exec(selectionne, {idPoint});
        c.waypoints.selectionnees.push_back(idPoint);
    } else {
        ecritEtNote(db, selectionne + QString::fromLatin1(kRetourWaypoints), {idPoint}, c.waypoints);
    }
    tx.commit();
    return c;
}

SelectionChangee selectTrace(Database& db, qint64 idTrace, bool remplace) {
    SelectionChangee c;
    Transaction tx(db);
    // No waypoint stays selected.
    if (remplace)
        effaceSauf(db, c, {}, {QStringLiteral("Trace = ?"), {idTrace}}, {QStringLiteral("Id_trace = ?"), {idTrace}}, true);
    db.exec(QStringLiteral("update Points set Selected = 1 where Trace = ? and Selected is not 1"), {idTrace});
    ecritEtNote(db,
                QStringLiteral("update Trace set Selected = 1 where Id_trace = ? and Selected is not 1") +
                    QString::fromLatin1(kRetourTraces),
                {idTrace}, c.traces);
    tx.commit();
    return c;
}

}  // namespace sotrix
