#pragma once
// The extent of the chosen WMS layers in the chosen system.

#include "LayerExtent.h"
#include "WmsCapabilities.h"

#include <optional>
#include <vector>

namespace sotrix {

class ProjSystems;

// Points per edge of a layer's box when it is converted: enough that a curved edge's
// bulge counts, where two corners alone would cut it off.
inline constexpr int kPointsParBord = 21;

// The union of the layers' boxes (degrees) converted by systems (from 4326 to the chosen
// system; with convert false the boxes are taken as they stand). Each box is converted
// along its four edges. A layer some of whose points fail asks once whether to go on: No
// gives nullopt; Yes counts the points that did convert. Nullopt too when no point of any
// layer converted.
std::optional<LayerExtent> etendueWms(const std::vector<WmsLayer>& layers, ProjSystems& systems, bool convert);

}  // namespace sotrix
