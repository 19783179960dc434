#pragma once
// The CSV branch of the export: one line per stored point, fields separated by ";",
// names and descriptions between double quotes, numbers with the user's decimal
// separator. UTF-8 without BOM, CR LF line ends, written whole or not at all.

#include <QString>

#include <functional>

namespace sotrix {

class Database;

struct CsvExport {
    bool waypoints = true;
    bool tracks = true;
    bool selectedOnly = false;
    bool mapCoordinates = true;                     // X and Y; else Lon and Lat
    QString decimalSeparator = QStringLiteral(".");  // replaces "." in every number
    std::function<void(const QString&)> beforeRename;  // test seam: the final name, before its rename
};

// Writes the file at path (an older file stays as it was on failure). Throws
// ExportFileError naming path when the file cannot be written, DbError on a database error.
void ecritCsv(Database& db, const QString& path, const CsvExport& options);

}  // namespace sotrix
