#pragma once
// Checks that each benchmark run wrote every row it was given; a shortfall ends the program.

#include "GpxGenerator.h"

#include <QString>

namespace sotrix {
class Database;
}

namespace sotrix::bench {

// Our import of a file of that layout: every point stored, every track whole.
void checkImport(const QString& dbPath, const GpxLayout& layout);

// ogr2ogr's SQLite output of the same file: its waypoints and track_points tables.
void checkOgrOutput(const QString& dbPath, const GpxLayout& layout);

// The insert path: every track and every point in its track.
void checkInserted(Database& db, int waypoints, int tracks, int pointsPerTrack);

}  // namespace sotrix::bench
