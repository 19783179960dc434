#pragma once
// The GPX 1.0 branch of the export: the waypoints and tracks of the workspace as one
// file, written whole or not at all.

#include "ExportFiles.h"

#include <QDateTime>
#include <QString>

#include <functional>

namespace sotrix {

class Database;

struct GpxExport {
    bool waypoints = true;
    bool tracks = true;
    bool selectedOnly = false;
    int decalageHours = 0;  // local time minus GPS time, taken off every date written
    QDateTime now;          // local time of the export, for the file's own <time>
    std::function<void(const QString&)> beforeRename;  // test seam: the final name, before its rename
    SaveName kind = SaveName::User;                     // whose file the path names
};

// Writes the file at path (an older file stays as it was on failure). Throws
// ExportFileError naming path when the file cannot be written, DbError on a database error.
void ecritGpx(Database& db, const QString& path, const GpxExport& options);

}  // namespace sotrix
