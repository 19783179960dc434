#pragma once
// The data of the merge benchmark, made and checked outside the timings: the workspace, the
// statements of our merge as a script for the sqlite3 tool, and the comparison of the
// rows the two sides leave.

#include <QByteArray>
#include <QString>

namespace sotrix::bench {

inline constexpr int kMergedTracks = 100;
inline constexpr int kPointsPerMergedTrack = 10000;

// A copy of the delivered database at dbPath holding the tracks to merge (open, selected
// with their points), a few unselected tracks and waypoints, the same on every run.
void fillMergeWorkspace(const QString& dbPath);

// A copy of the file, written through to the disk, so that no timing pays for flushing it.
void copySynced(const QString& from, const QString& to);

// Merges the selected tracks of the workspace at dbPath into the track `nom`, and gives the
// statements the merge ran there, each with its bound values written in, one per line.
QByteArray mergeStatements(const QString& dbPath, const QString& nom);

// The first difference between the rows of Points and Trace of two workspaces (every
// column, with its type), or an empty text when they hold the same rows.
QString firstDifference(const QString& a, const QString& b);

}  // namespace sotrix::bench
