#include "EditQueries.h"

#include "Database.h"

namespace sotrix {

bool nomExiste(Database& db, TableNom table, const QString& nom) {
    const QString sql = table == TableNom::Points ? QStringLiteral("select 1 from Points where Nom = ? limit 1")
                                                  : QStringLiteral("select 1 from Trace where Nom = ? limit 1");
    return !db.scalar(sql, {nom}).isNull();
}

qint64 ajouteWaypoint(Database& db, const QString& nom, double x, double y, double lon, double lat) {
    Transaction tx(db);
    const qint64 id = db.insert(QStringLiteral("Points"), {{QStringLiteral("Nom"), nom},
                                                          {QStringLiteral("X"), x},
                                                          {QStringLiteral("Y"), y},
                                                          {QStringLiteral("Lon"), lon},
                                                          {QStringLiteral("Lat"), lat}});
    db.exec(QStringLiteral("update Points set Selected = 0 where Trace = 0"));
    db.exec(QStringLiteral("update Points set Selected = 1 where Id_point = ?"), {id});
    tx.commit();
    return id;
}

qint64 ajouteTrace(Database& db, const QString& nom, const std::vector<PointSaisi>& points) {
    Transaction tx(db);
    const qint64 id = db.insert(QStringLiteral("Trace"), {{QStringLiteral("Nom"), nom}});
    Statement insert =
        db.prepare(QStringLiteral("insert into Points (Trace, Num_trace, X, Y, Lon, Lat) values (?, ?, ?, ?, ?, ?)"));
    for (const PointSaisi& p : points) insert.run({id, p.numTrace, p.x, p.y, p.lon, p.lat});
    db.exec(QStringLiteral("update Points set Selected = 0 where Trace > 0"));
    db.exec(QStringLiteral("update Trace set Selected = 0"));
    db.exec(QStringLiteral("update Points set Selected = 1 where Trace = ?"), {id});
    db.exec(QStringLiteral("update Trace set Selected = 1 where Id_trace = ?"), {id});
    tx.commit();
    return id;
}

std::optional<QPointF> moyenneWaypointsSelectionnes(Database& db) {
    Cursor c = db.query(
        QStringLiteral("select avg(X) as moyX, avg(Y) as moyY from Points where Trace = 0 and Selected <> 0"));
    if (!c.next() || c.isNull(QStringLiteral("moyX")) || c.isNull(QStringLiteral("moyY"))) return std::nullopt;
    return QPointF(c.value(0).toDouble(), c.value(1).toDouble());
}

bool fusionPossible(Database& db) {
    const qint64 traces =
        db.scalar(QStringLiteral("select count(*) from Trace where Selected <> 0 and Fermer = 0")).toLongLong();
    if (traces < 2) return false;
    return !db.scalar(QStringLiteral("select 1 from Points p join Trace t on t.Id_trace = p.Trace "
                                     "where t.Selected <> 0 and t.Fermer = 0 limit 1"))
                .isNull();
}

// Track points take their final selection before the copies are written, so that no
// statement goes over the new points again: the only selected track points afterwards are
// those filed under the new track's key.
qint64 fusionneTraces(Database& db, const QString& nom) {
    Transaction tx(db);
    const qint64 id = db.insert(QStringLiteral("Trace"), {{QStringLiteral("Nom"), nom}});
    db.exec(QStringLiteral("update Points set Selected = (Trace = ?) where Trace > 0 and Selected <> (Trace = ?)"),
            {id, id});
    db.exec(QStringLiteral(
                "insert into Points (Trace, Num_trace, Nom, X, Y, Lat, Lon, Altitude, \"Date\", Description, Selected) "
                "select ?, row_number() over (order by p.Trace, p.Num_trace, p.Id_point), "
                "p.Nom, p.X, p.Y, p.Lat, p.Lon, p.Altitude, p.\"Date\", p.Description, 1 "
                "from Points p join Trace t on t.Id_trace = p.Trace where t.Fermer = 0 and t.Selected <> 0 "
                "order by p.Trace, p.Num_trace, p.Id_point"),
            {id});
    db.exec(QStringLiteral("update Trace set Selected = (Id_trace = ?) where Selected <> (Id_trace = ?)"), {id, id});
    tx.commit();
    return id;
}

std::optional<TraceAFermer> traceSelectionnee(Database& db) {
    Cursor c =
        db.query(QStringLiteral("select Id_trace, Nom, Fermer from Trace where Selected <> 0 order by Id_trace limit 1"));
    if (!c.next()) return std::nullopt;
    return TraceAFermer{c.value(0).toLongLong(), c.value(1).toString(), c.value(2).toLongLong() != 0};
}

void ecritFermer(Database& db, qint64 idTrace, bool fermee) {
    Transaction tx(db);
    db.exec(QStringLiteral("update Trace set Fermer = ? where Id_trace = ?"), {fermee ? 1 : 0, idTrace});
    tx.commit();
}

void supprimeSelection(Database& db) {
    Transaction tx(db);
    db.exec(QStringLiteral("delete from Points where Trace = 0 and Selected <> 0"));
    db.exec(QStringLiteral("delete from Points where Trace in (select Id_trace from Trace where Selected <> 0)"));
    db.exec(QStringLiteral("delete from Trace where Selected <> 0"));
    tx.commit();
}

}  // namespace sotrix
