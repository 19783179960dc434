#pragma once

#include <QString>

namespace sotrix::bench {

// The child side of the import benchmark: imports gpx into the workspace database that
// home already holds (through importeFichier, as File > Open does), then reports the
// import's time and this process's peak memory. Returns the exit code.
int importOnce(const QString& gpx, const QString& home);

}  // namespace sotrix::bench
