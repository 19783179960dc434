#include "InsertPath.h"

#include "Database.h"
#include "Stopwatch.h"

namespace sotrix::bench {

namespace {

void bindOptional(Statement& st, int index, const std::optional<QString>& text) {
    if (text)
        st.bindText(index, *text);
    else
        st.bindNull(index);
}

// The rows with the keys ImportInserts would give them, in temp.lignes_trace and
// temp.lignes_point.
void loadTempTables(Database& db, const ImportRows& rows) {
    db.exec(QStringLiteral("PRAGMA temp_store = MEMORY"));
    db.exec(
        QStringLiteral("CREATE TEMP TABLE lignes_trace (Id_trace INTEGER, Nom TEXT, Description TEXT, "
                       "Fermer INTEGER)"));
    db.exec(
        QStringLiteral("CREATE TEMP TABLE lignes_point (Id_point INTEGER, Nom TEXT, Lon REAL, Lat REAL, X REAL, "
                       "Y REAL, Altitude REAL, \"Date\" TEXT, Description TEXT, Trace INTEGER, Num_trace INTEGER)"));
    qint64 nextTrace = db.scalar(QStringLiteral("SELECT MAX(Id_trace) FROM Trace")).toLongLong() + 1;
    qint64 nextPoint = db.scalar(QStringLiteral("SELECT MAX(Id_point) FROM Points")).toLongLong() + 1;
    Transaction tx(db);
    Statement trace(db, QStringLiteral("INSERT INTO temp.lignes_trace VALUES (?, ?, ?, ?)"));
    Statement point(db, QStringLiteral("INSERT INTO temp.lignes_point VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    auto addPoint = [&](const LignePoint& p, qint64 traceKey) {
        point.bindInt(1, nextPoint++);
        bindOptional(point, 2, p.nom);
        point.bindDouble(3, p.lon);
        point.bindDouble(4, p.lat);
        point.bindDouble(5, p.x);
        point.bindDouble(6, p.y);
        if (p.altitude)
            point.bindDouble(7, *p.altitude);
        else
            point.bindNull(7);
        const QString date = QString::fromUtf8(p.date.utf8().data(), qsizetype(p.date.utf8().size()));
        if (p.date.vide())
            point.bindNull(8);
        else
            point.bindText(8, date);
        bindOptional(point, 9, p.description);
        point.bindInt(10, traceKey);
        if (traceKey == 0)
            point.bindNull(11);
        else
            point.bindInt(11, p.numTrace);
        point.execute();
    };
    for (const LignePoint& p : rows.waypoints) addPoint(p, 0);
    for (const TrackRows& t : rows.tracks) {
        const qint64 key = nextTrace++;
        trace.bindInt(1, key);
        trace.bindText(2, t.trace.nom);
        bindOptional(trace, 3, t.trace.description);
        trace.bindInt(4, t.trace.fermer ? 1 : 0);
        trace.execute();
        for (const LignePoint& p : t.points) addPoint(p, key);
    }
    tx.commit();
}

}  // namespace

double writeThroughImportInserts(Database& db, ImportRows rows) {
    const Stopwatch clock;
    Transaction tx(db);
    ImportInserts inserts(db);
    for (LignePoint& p : rows.waypoints) inserts.point(std::move(p));
    for (TrackRows& t : rows.tracks) {
        const qint64 key = inserts.prochaineTrace();
        inserts.trace(std::move(t.trace));
        for (LignePoint& p : t.points) {
            p.trace = key;
            inserts.point(std::move(p));
        }
    }
    inserts.termine();
    tx.commit();
    return clock.seconds();
}

double writeThroughInsertSelect(Database& db, const ImportRows& rows) {
    loadTempTables(db, rows);
    const Stopwatch clock;
    Transaction tx(db);
    db.exec(
        QStringLiteral("INSERT INTO main.Trace (Id_trace, Nom, Description, Fermer) "
                       "SELECT Id_trace, Nom, Description, Fermer FROM temp.lignes_trace"));
    db.exec(
        QStringLiteral("INSERT INTO main.Points (Id_point, Nom, Lon, Lat, X, Y, Altitude, \"Date\", Description, "
                       "Trace, Num_trace) SELECT Id_point, Nom, Lon, Lat, X, Y, Altitude, \"Date\", Description, "
                       "Trace, Num_trace FROM temp.lignes_point"));
    tx.commit();
    return clock.seconds();
}

}  // namespace sotrix::bench
