#pragma once

#include <QString>

namespace sotrix::bench {

// Writes a GPX 1.1 file of 1,000 waypoints and 100 tracks of 10,000 points each, every
// point with "ele" and "time", all inside Belgium; the same file on every run.
bool writeBenchGpx(const QString& path);

}  // namespace sotrix::bench
