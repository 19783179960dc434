#include "MapData.h"

#include "Database.h"

#include <QRandomGenerator>

namespace sotrix::bench {

namespace {
constexpr double kMapWidth = 100000, kMapHeight = 70000, kStep = 600;
}  // namespace

MapData writeMapData(Database& db, int waypoints, int tracks, int pointsPerTrack) {
    QRandomGenerator rng(42);
    MapData data;
    Transaction tx(db);
    Statement wp(db, QStringLiteral("insert into Points (Nom, X, Y, Trace, Selected) values (?1, ?2, ?3, 0, ?4)"));
    for (int i = 0; i < waypoints; ++i) {
        const MapPoint p{rng.bounded(kMapWidth), rng.bounded(kMapHeight)};
        const bool selected = i % 10 == 0;
        data.waypoints[selected].push_back(p);
        const QString nom = QStringLiteral("wp%1").arg(i);
        wp.bindText(1, nom);
        wp.bindDouble(2, p.x);
        wp.bindDouble(3, p.y);
        wp.bindInt(4, selected);
        wp.execute();
    }
    Statement tr(db, QStringLiteral("insert into Trace (Nom, Fermer, Selected, Nb) values (?1, ?2, ?3, ?4)"));
    Statement tp(db, QStringLiteral(
                         "insert into Points (Nom, X, Y, Trace, Num_trace, Selected) values (?1, ?2, ?3, ?4, ?5, ?6)"));
    for (int t = 0; t < tracks; ++t) {
        MapTrack track;
        track.selected = t % 10 == 0;
        track.closed = t % 7 == 0;
        const QString nom = QStringLiteral("tr%1").arg(t);
        tr.bindText(1, nom);
        tr.bindInt(2, track.closed);
        tr.bindInt(3, track.selected);
        tr.bindInt(4, pointsPerTrack);
        tr.execute();
        const qint64 id = db.lastInsertId();
        double x = rng.bounded(kMapWidth), y = rng.bounded(kMapHeight);
        for (int n = 1; n <= pointsPerTrack; ++n) {
            x += rng.bounded(kStep) - kStep / 2;
            y += rng.bounded(kStep) - kStep / 2;
            track.points.push_back({x, y});
            tp.bindText(1, nom);
            tp.bindDouble(2, x);
            tp.bindDouble(3, y);
            tp.bindInt(4, id);
            tp.bindInt(5, n);
            tp.bindInt(6, track.selected);
            tp.execute();
        }
        data.tracks.push_back(std::move(track));
    }
    tx.commit();
    return data;
}

}  // namespace sotrix::bench
