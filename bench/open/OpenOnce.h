#pragma once
// One File > Ouvrir in the real main window (offscreen), as the program itself builds it:
// the Open dialog answers with the file, the field dialog takes its automatic choices, and
// the process ends as soon as the window is idle, reporting its peak.

#include <QString>

namespace sotrix::bench {

// kind: "csv" (";" CSV), "shp", "gpx" or "log" (a GPX of tracks alone); home: a program folder holding a fresh workspace.
// expected: the number of waypoints the lists must hold. Returns the exit code.
int openOnce(int argc, char** argv, const QString& kind, const QString& file, const QString& home, qint64 expected);

}  // namespace sotrix::bench
