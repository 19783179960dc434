#pragma once
// The shapefile reader of the import engine (typeFichier 1): each record of a point file
// becomes a waypoint, each part of a polyline an open track, each ring of a polygon a
// closed track; names come from the attribute field chosen in the field-mapping dialog,
// read from the .dbf beside the file (record i with row i - 1). Files with Z or M are
// read as their base type.

#include "DbaseTable.h"
#include "ImportReader.h"
#include "LectureSink.h"
#include "Shapefile.h"

#include <optional>

namespace sotrix {

// A field's value as a name: a character field its text; a number field the shortest
// decimal text of its number, with "." ("168", "12.5"); another type its text, trimmed.
// Nothing when it is blank or NULL.
std::optional<QString> texteNomDbase(const DbaseTable& table, std::int64_t ligne, int champ);

// Whether records of this file type are imported (points, polylines, polygons, with or
// without Z and M).
bool typeShapefileLu(const shapefile::CShapeFile& shp);

// Walks the records. A null record makes nothing and uses up its row; a record past the
// last row has no name. A shape of several parts names each part after the record,
// followed by the part number. A ring whose last vertex repeats its first (three
// vertices or more) is given without it. Stop as soon as the sink stops; errors of the
// files are thrown (ShapeError, DbaseError).
Flow parcourtShapefile(shapefile::CShapeFile& shp, const DbaseTable& table, int champNom, LectureSink& sink);

class ShapefileImport final : public ImportReader {
public:
    // Opens the .shp and .shx pair, the .dbf and its field state().champNom; false when
    // one is missing or unreadable, or the file holds shapes that are not imported.
    bool ouvre(const QString& path) override;
    Flow lit(PointStore& store, bool fromGps) override;

private:
    shapefile::CShapeFile shp_;
    std::optional<DbaseTable> table_;
    int champ_ = -1;
};

}  // namespace sotrix
