#pragma once
// The files that bench_open opens: waypoints with unique names scattered over Belgian
// Lambert 72 coordinates, as a ";" CSV (Nom;X;Y) and as a point shapefile made from it
// by ogr2ogr (its table holding Nom alone); and a GPX of as many waypoints and 1,000
// tracks of 1,000 points, every point with its elevation and time; and a GPX of 1,000 GPS
// logs of 1,000 points (a point every few metres) with no waypoint.

#include <QString>

namespace sotrix::bench {

struct OpenFiles {
    QString csv;
    QString shp;
    QString gpx;
    QString log;
    int trackPoints;  // the track points of either GPX: 1,000 tracks of 1,000
};

// The files for that many points in folder, written once and kept for later runs.
OpenFiles prepareOpenFiles(const QString& folder, int points);

}  // namespace sotrix::bench
