#pragma once
// The data of the export benchmark, made outside the timings: the workspace database with
// 100 tracks of 10,000 points, and the OGR VRT through which ogr2ogr reads the same
// database.

#include <QString>

namespace sotrix::bench {

inline constexpr int kTracks = 100;
inline constexpr int kPointsPerTrack = 10000;

// A copy of the delivered database at dbPath, filled with the tracks and their points
// (coordinates in degrees, altitudes, dates), the same on every run.
void fillWorkspace(const QString& dbPath);

// A VRT at vrtPath giving the track points of the database dbName (beside it) as the
// layer "out_tw": the fields, widths and order of our "_tw" set, the dates formatted by
// SQLite as our export writes them ("dd/MM/yyyy HH:mm:ss"), the points in the same order.
void writeTrackPointsVrt(const QString& vrtPath, const QString& dbName);

}  // namespace sotrix::bench
