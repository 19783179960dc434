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

// The range of the tiles' values when one of them is not 8-bit: gdalinfo -approx_stats
// on each (from overviews or a sample of blocks, nothing written beside the tile), the
// range widened to a unit when all values are equal. nullopt when every tile that reports
// is 8-bit, or none reports its values.
std::optional<PlageValeurs> echelleCatalogue(const QString& catalogue, int timeoutMs);

}  // namespace sotrix
