#pragma once
// GIS test data made by the real tools in a folder of the test's own: rasters from
// gdal_create, shapefiles from ogr2ogr (through a CSV of WKT geometries) and tile
// indexes from gdaltindex. Every tool must exit 0, or the test fails.
//
// The standard data lie in Belgian Lambert 72 (EPSG:31370) around (152000, 169500):
//   - tile 1: 150000..152000 x 169000..170000, 200 x 100 pixels, orange (200, 100, 50);
//   - tile 2: 152000..154000 x 169000..170000, one band burned at 7;
//   - points (151000 169500) and (153000 169500), the line 150000 -> 154000 at y 169500,
//     the polygon 152500..153500 x 169200..169800.

#include <QColor>
#include <QString>
#include <QStringList>

namespace sotrix::test {

inline const QColor kOrange(200, 100, 50);

// Runs a tool to its end with its output and error captured; ADD_FAILURE unless it exits
// 0. Returns whether it did; its standard output goes to output when given.
bool runTool(const QString& program, const QStringList& args, QByteArray* output = nullptr);

class GisData {
public:
    explicit GisData(const QString& folder) : folder_(folder) {}
    const QString& folder() const { return folder_; }
    QString path(const QString& name) const;

    // gdal_create -ot Byte with the options; "" when it failed.
    QString raster(const QString& name, const QStringList& options);
    // The options of the standard tiles, for a driver ("GTiff", "JPEG", "HFA", "EHdr").
    static QStringList tile1(const QString& driver = QStringLiteral("GTiff"));
    static QStringList tile2(const QString& driver = QStringLiteral("GTiff"));
    // One band burned at value over tile 1's extent.
    static QStringList greyTile(const QString& driver, int value);

    // A shapefile of one feature per WKT geometry; dim is "", "XYZ" or "XYM".
    QString shapefile(const QString& name, const QStringList& wkts, const QString& dim = {});
    static QStringList points();
    static QString line();
    static QString polygon();

    // gdaltindex over the rasters (absolute paths).
    QString catalogue(const QString& name, const QStringList& rasters);

    // Renames a file of the folder to a name made of these bytes, which need not be UTF-8;
    // the new path as the program holds such names (NomsOctets.h), or "" on failure.
    QString renameToBytes(const QString& file, const QByteArray& name);

private:
    QString folder_;
};

}  // namespace sotrix::test
