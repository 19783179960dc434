#pragma once
// A quick look into a GPX file before it is imported.

#include <QString>

namespace sotrix {

// True when the file is a GPX document whose root holds no waypoint, track or route.
// A file that cannot be read or parsed gives false: the import reports it.
bool gpxSansDonnees(const QString& path);

}  // namespace sotrix
