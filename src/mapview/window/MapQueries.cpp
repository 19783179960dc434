#include "MapQueries.h"

#include "Database.h"

namespace sotrix {

std::optional<Extent> etenduePoints(Database& db, bool selectedOnly) {
    QString sql = QStringLiteral("select min(X) as minX, min(Y) as minY, max(X) as maxX, max(Y) as maxY from Points");
    if (selectedOnly) sql += QStringLiteral(" where Selected <> 0");
    Cursor c = db.query(sql);
    if (!c.next()) return std::nullopt;
    for (const char* name : {"minX", "minY", "maxX", "maxY"})
        if (c.isNull(QString::fromLatin1(name))) return std::nullopt;
    return Extent{c.value(0).toDouble(), c.value(1).toDouble(), c.value(2).toDouble(), c.value(3).toDouble()};
}

void ecritSelection(Database& db, const std::vector<qint64>& waypoints, const std::vector<qint64>& traces) {
    Transaction tx(db);
    db.exec(QStringLiteral("update Points set Selected = 0"));
    db.exec(QStringLiteral("update Trace set Selected = 0"));
    if (!waypoints.empty()) {
        Statement st = db.prepare(QStringLiteral("update Points set Selected = 1 where Id_point = ? and Trace = 0"));
        for (qint64 id : waypoints) st.run({id});
    }
    if (!traces.empty()) {
        Statement trace = db.prepare(QStringLiteral("update Trace set Selected = 1 where Id_trace = ?"));
        Statement points = db.prepare(QStringLiteral("update Points set Selected = 1 where Trace = ?"));
        for (qint64 id : traces) {
            trace.run({id});
            points.run({id});
        }
    }
    tx.commit();
}

void selectTousWaypoints(Database& db, bool selected) {
    Transaction tx(db);
    db.exec(QStringLiteral("update Points set Selected = ? where Trace = 0"), {selected ? 1 : 0});
    tx.commit();
}

void selectToutesTraces(Database& db, bool selected) {
    Transaction tx(db);
    db.exec(QStringLiteral("update Trace set Selected = ?"), {selected ? 1 : 0});
    db.exec(QStringLiteral("update Points set Selected = ? where Trace > 0"), {selected ? 1 : 0});
    tx.commit();
}

void effaceSelection(Database& db) {
    Transaction tx(db);
    db.exec(QStringLiteral("update Points set Selected = 0"));
    db.exec(QStringLiteral("update Trace set Selected = 0"));
    tx.commit();
}

}  // namespace sotrix
