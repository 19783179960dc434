#pragma once
// The GPX reader of the import engine: the whole document is parsed first, then the
// walker's waypoints, tracks and routes go through the per-point step.

#include "ImportReader.h"
#include "Xml.h"

namespace sotrix {

class GpxImport final : public ImportReader {
public:
    // Fails for a file that cannot be read, is not well-formed or whose root is not gpx.
    bool ouvre(const QString& path) override;
    Flow lit(PointStore& store, bool fromGps) override;

private:
    XmlDocument doc_;
};

}  // namespace sotrix
