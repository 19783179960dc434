#include "RowChecks.h"

#include "Database.h"
#include "Fail.h"

namespace sotrix::bench {

namespace {

qint64 count(Database& db, const QString& sql, const QVariantList& params = {}) {
    return db.scalar(sql, params).toLongLong();
}

}  // namespace

void checkImport(const QString& dbPath, const GpxLayout& l) {
    Database db(dbPath);
    const qint64 points = count(db, QStringLiteral("SELECT COUNT(*) FROM Points"));
    const qint64 waypoints = count(db, QStringLiteral("SELECT COUNT(*) FROM Points WHERE Trace = 0"));
    qint64 whole = 0;
    for (int t = 0; t < l.tracks; ++t)
        whole += count(db, QStringLiteral("SELECT COUNT(*) FROM Trace WHERE Nom = ? AND Nb = ?"),
                       {QStringLiteral("Trace %1").arg(1000 + t), l.pointsInTrack(t)});
    if (points != l.points || waypoints != l.waypoints || whole != l.tracks)
        fail(QStringLiteral("import rows: %1 points, %2 waypoints, %3 whole tracks")
                 .arg(points)
                 .arg(waypoints)
                 .arg(whole));
}

void checkOgrOutput(const QString& dbPath, const GpxLayout& l) {
    Database db(dbPath);
    const qint64 waypoints = count(db, QStringLiteral("SELECT COUNT(*) FROM waypoints"));
    const qint64 trackPoints = count(db, QStringLiteral("SELECT COUNT(*) FROM track_points"));
    if (waypoints != l.waypoints || trackPoints != l.trackPoints())
        fail(QStringLiteral("ogr2ogr rows: %1 waypoints, %2 track points").arg(waypoints).arg(trackPoints));
}

void checkInserted(Database& db, int waypoints, int tracks, int pointsPerTrack) {
    const qint64 inTracks = qint64(tracks) * pointsPerTrack;
    const qint64 points = count(db, QStringLiteral("SELECT COUNT(*) FROM Points"));
    const qint64 traces = count(db, QStringLiteral("SELECT COUNT(*) FROM Trace"));
    const qint64 placed = count(db,
                                QStringLiteral("SELECT COUNT(*) FROM Points JOIN Trace ON Trace = Id_trace "
                                               "WHERE Num_trace BETWEEN 1 AND ?"),
                                {pointsPerTrack});
    if (points != waypoints + inTracks || traces != tracks || placed != inTracks)
        fail(QStringLiteral("inserted rows: %1 points, %2 tracks, %3 in tracks").arg(points).arg(traces).arg(placed));
}

}  // namespace sotrix::bench
