#pragma once
// The shapefile branch of the export: waypoints as points ("_w"), open tracks as
// polylines ("_tl"), closed tracks as polygons ("_tp") and track vertices as points
// ("_tw"), each set a .shp, a .shx and a dBASE IV .dbf whose row n describes record n.

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

namespace shapefile { class CShapeFile; }

namespace sotrix {

class Database;
class DbaseTable;

struct ShapefileSetExport {
    bool waypoints = true;
    bool tracks = true;
    bool tracksAsLines = true;
    bool tracksAsPoints = false;
    bool selectedOnly = false;
    bool mapCoordinates = false;  // X, Y instead of Lon, Lat, in the shapes and the tables
    QDate lastModified;           // date written in the .dbf headers
    std::function<void(DbaseTable&)> onDbaseCreated;
    std::function<void(shapefile::CShapeFile&)> onShapeFileCreated;
    std::function<void(const QString&)> beforeRename;  // test seam: each final name placed
};

// Writes the sets of the chosen path nomFichier, each a .shp, .shx, .dbf and .cpg, all
// of them to disk before the first one replaces an older set. A set with nothing to
// write is skipped and its older files stay. Throws ExportFileError naming the file that
// failed (with the files already replaced, when it failed while placing them) and
// DbError on a database error; older files that were not replaced stay as they were.
// Returns the side files of the replaced sets (indexes, a stale .prj) that could not be
// removed.
QStringList ecritShapefiles(Database& db, const QString& nomFichier, const ShapefileSetExport& options);

}  // namespace sotrix
