#include "ImportRows.h"

#include <cmath>
#include <cstdio>
#include <random>

namespace sotrix::bench {

namespace {

// "yyyy-MM-dd HH:mm:ss" of 2024-05-01 06:00:00 plus seconds (below one month).
QString dateApres(qint64 seconds) {
    const qint64 s = 6 * 3600 + seconds;
    char buf[32];
    std::snprintf(buf, sizeof buf, "2024-05-%02lld %02lld:%02lld:%02lld", 1 + s / 86400, s / 3600 % 24, s / 60 % 60,
                  s % 60);
    return QString::fromLatin1(buf);
}

}  // namespace

qint64 ImportRows::points() const {
    qint64 n = qint64(waypoints.size());
    for (const TrackRows& t : tracks) n += qint64(t.points.size());
    return n;
}

ImportRows makeImportRows(int waypoints, int tracks, int pointsPerTrack) {
    std::mt19937_64 rng(1001000);
    std::uniform_real_distribution<double> lon(2.6, 6.3), lat(49.6, 51.4), alt(0, 700);
    auto point = [&](qint64 seconds) {
        LignePoint p;
        p.lon = lon(rng);
        p.lat = lat(rng);
        p.x = 150000 + (p.lon - 4.37) * 70000;
        p.y = 170000 + (p.lat - 50.5) * 111000;
        p.altitude = std::round(alt(rng) * 10) / 10;
        p.date = DateLigne(dateApres(seconds));
        return p;
    };
    ImportRows rows;
    rows.waypoints.reserve(std::size_t(waypoints));
    for (int i = 0; i < waypoints; ++i) {
        LignePoint p = point(i * 60);
        p.nom = QStringLiteral("WPT%1").arg(10000 + i);
        rows.waypoints.push_back(std::move(p));
    }
    rows.tracks.resize(std::size_t(tracks));
    for (int t = 0; t < tracks; ++t) {
        TrackRows& track = rows.tracks[std::size_t(t)];
        track.trace.nom = QStringLiteral("Trace %1").arg(1000 + t);
        track.points.reserve(std::size_t(pointsPerTrack));
        for (int n = 1; n <= pointsPerTrack; ++n) {
            LignePoint p = point(qint64(t) * 20000 + n);
            p.numTrace = n;
            track.points.push_back(std::move(p));
        }
    }
    return rows;
}

}  // namespace sotrix::bench
