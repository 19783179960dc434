#pragma once

#include <QString>

namespace sotrix::bench {

// The child side of the export benchmark: exports the tracks of the workspace (the
// program folder of SOTRIX_HOME) as the shapefile set chosen as nomFichier, their points
// only ("_tw") or their lines and polygons too, then reports the export's time and this
// process's peak memory. Returns the exit code.
int exportOnce(const QString& nomFichier, bool fullSet);

}  // namespace sotrix::bench
