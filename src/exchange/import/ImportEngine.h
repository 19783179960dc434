#pragma once
// The import engine: replaces the waypoints and tracks of the workspace with those of
// one file (state().nomFichier, read by the reader of state().typeFichier). The import
// is atomic: whatever fails leaves Points and Trace as they were.

#include <QString>

namespace sotrix {

struct LignesIgnorees;

enum class ImportOutcome {
    Ok,
    Stopped,          // the user declined to go on after a projection failure; what was
                      // stored before it is kept
    Refused,          // duplicate waypoint or track names; nothing changed
    ReadFailure,      // the file cannot be read; nothing changed
    SetupFailure,     // a coordinate system is missing or cannot be set up; nothing changed
    DatabaseFailure,  // the database failed; nothing changed
};

// Runs one import and tells the user of every failure. On Ok and Stopped both
// unsaved-changes flags are set and the main window's lists are refreshed.
// fromGps: the file comes from the receiver, so names keep their "/".
ImportOutcome importeFichier(bool fromGps);

// A name taken from a file: blanks trimmed, "/" made "X" unless fromGps, trailing "-"
// removed.
QString nettoieNom(const QString& nom, bool fromGps);

// "1 ligne du fichier '<path>' a été ignorée (ligne 5)." or "3 lignes du fichier '<path>'
// ont été ignorées (lignes 5, 11, 15)."; past ten numbers the list ends with ", …".
QString texteLignesIgnorees(const QString& path, const LignesIgnorees& lignes);

}  // namespace sotrix
