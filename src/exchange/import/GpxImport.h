#pragma once
// The GPX reader of the import engine: the walker streams the file's waypoints, tracks
// and routes through the per-point step.

#include "ImportReader.h"

namespace sotrix {

class GpxImport final : public ImportReader {
public:
    // Fails for a file that cannot be read or whose root is not gpx; a fault further in
    // ends lit() with a read failure.
    bool ouvre(const QString& path) override;
    Flow lit(PointStore& store, bool fromGps) override;

private:
    QString path_;
};

}  // namespace sotrix
