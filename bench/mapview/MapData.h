#pragma once
// The benchmark's workspaces: waypoints scattered over the map and tracks as random walks
// with steps far apart, or shaped like GPS logs; one in ten selected, one track in seven
// closed; written to the database and kept in memory for the bare drawing loops.

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

enum class TrackShape {
    FarApart,  // steps of up to 300 map units in x and y
    GpsLog,    // steps of 1-50 m on a heading that turns a little at each point, kept in the map
};

// Fills the empty workspace tables in one transaction and returns the same data.
MapData writeMapData(Database& db, int waypoints, int tracks, int pointsPerTrack,
                     TrackShape shape = TrackShape::FarApart);

}  // namespace sotrix::bench
