#pragma once
// Rows of an import as the readers hand them to ImportInserts: the waypoints, then each
// track with its points in order. Keys are left to the writer.

#include "ImportInserts.h"

#include <vector>

namespace sotrix::bench {

struct TrackRows {
    LigneTrace trace;
    std::vector<LignePoint> points;  // numTrace from 1; trace is set from the writer's key
};

struct ImportRows {
    std::vector<LignePoint> waypoints;
    std::vector<TrackRows> tracks;
    qint64 points() const;
};

// Named waypoints and tracks of points inside Belgium, each with coordinates in both
// systems, an altitude and a date; the same rows on every call.
ImportRows makeImportRows(int waypoints, int tracks, int pointsPerTrack);

}  // namespace sotrix::bench
