#pragma once
// The data of the CSV benchmark, made outside the timings: the workspace database with 100
// tracks of 10,000 points, and the OGR VRT through which ogr2ogr reads the same database.

#include <QString>

namespace sotrix::bench {

inline constexpr int kCsvTracks = 100;
inline constexpr int kCsvPointsPerTrack = 10000;

// A copy of the delivered database at dbPath, filled with the tracks and their points
// (map coordinates to the millimetre, altitudes, dates), the same on every run.
void fillCsvWorkspace(const QString& dbPath);

// A VRT at vrtPath giving the points of the database dbName (beside it) as the layer "out":
// the columns of our CSV export in its order, with the values it writes (a waypoint's name
// or a track point's number, the dates formatted by SQLite as "dd/MM/yyyy HH:mm:ss"), the
// points in the same order.
void writeCsvVrt(const QString& vrtPath, const QString& dbName);

}  // namespace sotrix::bench
