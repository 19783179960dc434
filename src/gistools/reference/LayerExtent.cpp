#include "LayerExtent.h"

#include <algorithm>

namespace sotrix {

LayerExtent LayerExtent::normalised() const {
    return {std::min(minX, maxX), std::min(minY, maxY), std::max(minX, maxX), std::max(minY, maxY)};
}

}  // namespace sotrix
