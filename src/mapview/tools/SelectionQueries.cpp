#include "SelectionQueries.h"

#include "Database.h"

namespace sotrix {

namespace {
const char* const kDansBoite = " Trace = 0 and X >= :x1 and X <= :x2 and Y >= :y1 and Y <= :y2";
const char* const kDistance = "((X-:x)*(X-:x)+(Y-:y)*(Y-:y))";

QVariantList bornes(const Boite& b) { return {b.minX, b.maxX, b.minY, b.maxY}; }

// The first column of the row nearest (x, y) within t among the rows that filtre keeps.
std::optional<qint64> plusProche(Database& db, const char* colonne, const char* filtre, double x, double y,
                                 double t) {
    const QString d = QString::fromLatin1(kDistance);
    const QString sql = QStringLiteral("select %1 from Points where %2 and %3 <= :t2 order by %3, Id_point limit 1")
                            .arg(QString::fromLatin1(colonne), QString::fromLatin1(filtre), d);
    const QVariant v = db.scalar(sql, {x, y, t * t});
    if (v.isNull()) return std::nullopt;
    return v.toLongLong();
}

// Unselects every row but those that garde keeps (with its parameters); only rows whose
// value changes are written.
void effaceTout(Database& db, const QString& garde = QStringLiteral("0"), const QVariantList& params = {}) {
    db.exec(QStringLiteral("update Points set Selected = 0 where Selected <> 0 and not coalesce(%1, 0)").arg(garde),
            params);
    db.exec(QStringLiteral("update Trace set Selected = 0 where Selected <> 0"));
}
}  // namespace

bool waypointDansBoite(Database& db, const Boite& b) {
    return !db.scalar(QStringLiteral("select 1 from Points where") + QString::fromLatin1(kDansBoite) +
                          QStringLiteral(" limit 1"),
                      bornes(b))
                .isNull();
}

bool selectionExiste(Database& db) {
    return !db.scalar(QStringLiteral("select 1 from Points where Selected <> 0 limit 1")).isNull();
}

std::optional<qint64> waypointProche(Database& db, double x, double y, double t) {
    return plusProche(db, "Id_point", "Trace = 0", x, y, t);
}

std::optional<qint64> traceProche(Database& db, double x, double y, double t) {
    return plusProche(db, "Trace", "Trace > 0", x, y, t);
}

void selectWaypointsBoite(Database& db, const Boite& b, bool remplace) {
    const QString dansBoite = QString::fromLatin1(kDansBoite);
    Transaction tx(db);
    // What the box selects stays as it is rather than being unselected, then selected again.
    if (remplace) effaceTout(db, QLatin1Char('(') + dansBoite + QLatin1Char(')'), bornes(b));
    db.exec(QStringLiteral("update Points set Selected = 1 where Selected is not 1 and") + dansBoite, bornes(b));
    tx.commit();
}

void selectWaypoint(Database& db, qint64 idPoint, bool remplace) {
    Transaction tx(db);
    if (remplace) effaceTout(db);
    db.exec(QStringLiteral("update Points set Selected = 1 where Id_point = ?"), {idPoint});
    tx.commit();
}

void selectTrace(Database& db, qint64 idTrace, bool remplace) {
    Transaction tx(db);
    if (remplace) effaceTout(db);
    db.exec(QStringLiteral("update Points set Selected = 1 where Trace = ?"), {idTrace});
    db.exec(QStringLiteral("update Trace set Selected = 1 where Id_trace = ?"), {idTrace});
    tx.commit();
}

}  // namespace sotrix
