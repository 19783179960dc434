#pragma once
// The extent of a reference layer in map units.

namespace sotrix {

struct LayerExtent {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;

    // Min and max per axis, whatever order the corners came in.
    LayerExtent normalised() const;
};

}  // namespace sotrix
