#pragma once
// The export engine: writes the stored waypoints and tracks to state().nomFichier in the
// format of state().typeFichier (1 shapefile set, 2 GPX 1.0, 3 CSV), all of them or only the
// selected ones, and tells the outcome in state().resultatOk. A failure is told to the
// user here; the unsaved-changes flags are cleared only for what was wholly written.

#include "ExportFiles.h"

#include <QDateTime>

#include <functional>

namespace shapefile { class CShapeFile; }

namespace sotrix {

class DbaseTable;

// What the engine takes from its surroundings, replaceable in tests.
struct ExportContext {
    // The clock: the GPX file's own time and the date in the .dbf headers.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // Called on each file of a shapefile set right after it is created (test seams).
    std::function<void(DbaseTable&)> onDbaseCreated;
    std::function<void(shapefile::CShapeFile&)> onShapeFileCreated;
    // Called with each final name right before it is put in place.
    std::function<void(const QString&)> beforeRename;
    // Whose file state().nomFichier names: the transfers' "gps.gpx" is a working file.
    SaveName kind = SaveName::User;
};

void exporteFichier(bool waypoints, bool tracks, bool tracksAsLines, bool tracksAsPoints, bool selectedOnly);
void exporteFichier(const ExportContext& context, bool waypoints, bool tracks, bool tracksAsLines,
                    bool tracksAsPoints, bool selectedOnly);

}  // namespace sotrix
