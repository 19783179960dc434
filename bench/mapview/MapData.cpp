#include "MapData.h"

#include "Database.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sotrix::bench {

namespace {
constexpr double kMapWidth = 100000, kMapHeight = 70000, kStep = 600;
// A GPS log: a point every 1 to 50 m, the heading turning by up to this much at each.
constexpr double kLogMinStep = 1, kLogMaxStep = 50, kLogTurn = 0.35;

// The walker of one track: the next point from the last.
class Walker {
public:
    Walker(QRandomGenerator& rng, TrackShape shape)
        : rng_(rng), shape_(shape), x_(rng.bounded(kMapWidth)), y_(rng.bounded(kMapHeight)),
          heading_(shape == TrackShape::GpsLog ? rng.bounded(2 * std::numbers::pi) : 0) {}
    MapPoint next() {
        if (shape_ == TrackShape::FarApart) {
            x_ += rng_.bounded(kStep) - kStep / 2;
            y_ += rng_.bounded(kStep) - kStep / 2;
            return {x_, y_};
        }
        heading_ += rng_.bounded(2 * kLogTurn) - kLogTurn;
        const double step = kLogMinStep + rng_.bounded(kLogMaxStep - kLogMinStep);
        x_ += step * std::cos(heading_);
        y_ += step * std::sin(heading_);
        // Turned back at the edges of the map, as a walker is by a coast.
        if (x_ < 0 || x_ > kMapWidth) heading_ = std::numbers::pi - heading_;
        if (y_ < 0 || y_ > kMapHeight) heading_ = -heading_;
        x_ = std::clamp(x_, 0.0, kMapWidth);
        y_ = std::clamp(y_, 0.0, kMapHeight);
        return {x_, y_};
    }

private:
    QRandomGenerator& rng_;
    TrackShape shape_;
    double x_, y_, heading_;
};

}  // namespace

MapData writeMapData(Database& db, int waypoints, int tracks, int pointsPerTrack, TrackShape shape) {
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
        Walker walker(rng, shape);
        for (int n = 1; n <= pointsPerTrack; ++n) {
            const MapPoint p = walker.next();
            track.points.push_back(p);
            tp.bindText(1, nom);
            tp.bindDouble(2, p.x);
            tp.bindDouble(3, p.y);
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
