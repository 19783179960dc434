#pragma once
// The messages about a file that cannot be written or read, shared by the File menu,
// the import and export engines and the GPS transfers, and the questions asked before
// the workspace is replaced or emptied.

#include <QString>

namespace sotrix {

// A file that cannot be created, replaced or deleted.
QString msgEchecFichier(const QString& path);
// A file that cannot be opened for reading, or turns out unreadable.
QString msgEchecLecture(const QString& path);

// Before a file or a download replaces the waypoints and tracks held.
QString msgRemplacerDonnees();
// Before unsaved waypoints or tracks are dropped.
QString msgNonEnregistres();

}  // namespace sotrix
