#pragma once

#include <QString>

namespace sotrix::bench {

// What a benchmark GPX of a given number of points holds: one waypoint per thousand
// points, the rest track points in as few tracks of at most 10,000 points as can hold
// them, shared out evenly (the first tracks take one more point when it does not divide).
struct GpxLayout {
    int points = 0;
    int waypoints = 0;
    int tracks = 0;
    // Tracks shaped like GPS logs: a point a second, a few metres from the last, on a
    // heading that turns slowly; otherwise a random walk of steps up to 45 m.
    bool gpsLogs = false;

    static GpxLayout forPoints(int points);
    int trackPoints() const { return points - waypoints; }
    int pointsInTrack(int track) const;  // track from 0
};

// Writes a GPX 1.1 file of that layout, every point with "ele" and "time", all inside
// Belgium; the same file for the same layout on every run.
bool writeBenchGpx(const QString& path, const GpxLayout& layout);

}  // namespace sotrix::bench
