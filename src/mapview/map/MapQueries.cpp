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

namespace {
// Each statement runs once per key and value.
void parCle(const std::vector<Statement*>& statements, const ChangementSelection& c) {
    for (const auto& [keys, value] : {std::pair(&c.selectionnees, 1), std::pair(&c.deselectionnees, 0)})
        for (qint64 id : *keys)
            for (Statement* st : statements) st->run({value, id});
}
}  // namespace

void ecritSelection(Database& db, const ChangementSelection& waypoints, const ChangementSelection& traces) {
    Transaction tx(db);
    if (waypoints.toutes) {
        const int v = *waypoints.toutes ? 1 : 0;
        db.exec(QStringLiteral("update Points set Selected = ?1 where Trace = 0 and Selected is not ?1"), {v});
    } else {
        Statement st = db.prepare(
            QStringLiteral("update Points set Selected = ?1 where Id_point = ?2 and Trace = 0 and Selected is not ?1"));
        parCle({&st}, waypoints);
    }
    Statement trace =
        db.prepare(QStringLiteral("update Trace set Selected = ?1 where Id_trace = ?2 and Selected is not ?1"));
    Statement points =
        db.prepare(QStringLiteral("update Points set Selected = ?1 where Trace = ?2 and Selected is not ?1"));
    parCle({&trace, &points}, traces);
    tx.commit();
}

void selectTousWaypoints(Database& db, bool selected) {
    Transaction tx(db);
    db.exec(QStringLiteral("update Points set Selected = ?1 where Trace = 0 and Selected is not ?1"),
            {selected ? 1 : 0});
    tx.commit();
}

void selectToutesTraces(Database& db, bool selected) {
    Transaction tx(db);
    db.exec(QStringLiteral("update Trace set Selected = ?1 where Selected is not ?1"), {selected ? 1 : 0});
    db.exec(QStringLiteral("update Points set Selected = ?1 where Trace > 0 and Selected is not ?1"),
            {selected ? 1 : 0});
    tx.commit();
}

SelectionChangee effaceSelection(Database& db) {
    SelectionChangee c;
    Transaction tx(db);
    // No waypoint stays selected: the list need not be told each one cleared.
    effaceSauf(db, c, {}, {}, {}, true);
    tx.commit();
    return c;
}

}  // namespace sotrix
