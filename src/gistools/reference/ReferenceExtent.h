#pragma once
// The extent of a chosen reference layer, read from its file: a shapefile's header, or
// the report that gdalinfo writes for a raster.

#include "LayerExtent.h"

#include <QString>

#include <optional>

namespace sotrix {

inline constexpr int kDelaiGdalinfoMs = 60000;

struct ShapefileHeader {
    LayerExtent extent;
    qint32 shapeType = 0;
};

// The header of the shapefile pair named by path; nullopt when the name is not a valid
// file spec, the .shp or .shx is missing, or a header is not a shapefile's.
std::optional<ShapefileHeader> lireEnteteShapefile(const QString& path);

struct RapportRaster {
    LayerExtent extent;
    bool huitBits = true;  // every band is of type Byte
};

// Runs gdalinfo on the raster with its report in "info.txt" (an old report is deleted
// first, and the new one after reading when working files are not kept). nullopt when
// gdalinfo is missing, does not start or times out, or its report holds no extent.
std::optional<RapportRaster> rapportRaster(const QString& path, int timeoutMs = kDelaiGdalinfoMs);

}  // namespace sotrix
