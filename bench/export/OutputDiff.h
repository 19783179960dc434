#pragma once
// What a byte of a shapefile set stands for, to tell where two outputs differ.

#include <QString>

namespace sotrix::bench {

// The place of offset at in the file a (a .shp, .shx or .dbf, by its suffix) and the
// bytes of a and b there, in words.
QString describeOffset(const QString& a, const QString& b, qint64 at);

}  // namespace sotrix::bench
