#pragma once
// One scale for a raster catalogue whose tiles are not 8-bit. MapServer stretches such a
// tile over the values that each drawing reads of it, so that neighbouring tiles would
// each get a range of their own and not match; the catalogue gets the range of all its
// tiles instead, from their statistics.

#include "GdalInfoReport.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace sotrix {

// The tiles a tile index names in its "Location" field, in record order and once each;
// a relative path is taken from the index's folder, as MapServer takes it. The field's
// bytes are kept as they stand (NomsOctets.h). Empty when the table cannot be read.
QStringList tuilesCatalogue(const QString& catalogue);

// The range of the tiles' values when they are not 8-bit: the statistics that gdalinfo
// -approx_stats gives a mosaic of them built by gdalbuildvrt (each tile's from its
// overviews or a sample of its blocks, nothing written beside the tiles), widened to a
// unit when all values are equal. nullopt when the tiles are 8-bit, or give no values.
std::optional<PlageValeurs> echelleCatalogue(const QString& catalogue, int timeoutMs);

}  // namespace sotrix
