#pragma once
// The benchmark's workspace: waypoints scattered over the map and tracks as random walks,
// one in ten selected, one track in seven closed; written to the database and kept in
// memory for the bare drawing loops.

#include <vector>

namespace sotrix {
class Database;
}

namespace sotrix::bench {

struct MapPoint {
    double x, y;
};

struct MapTrack {
    std::vector<MapPoint> points;
    bool closed = false;
    bool selected = false;
};

struct MapData {
    std::vector<MapPoint> waypoints[2];  // unselected, selected
    std::vector<MapTrack> tracks;
};

// Fills the empty workspace tables in one transaction and returns the same data.
MapData writeMapData(Database& db, int waypoints, int tracks, int pointsPerTrack);

}  // namespace sotrix::bench
