#include "IShape.h"

namespace shapefile {

std::string_view className(ShapeClass shapeClass) {
    switch (shapeClass) {
    case ShapeClass::Point: return "CPoint";
    case ShapeClass::PolyLine: return "CPolyLine";
    case ShapeClass::Polygon: return "CPolygon";
    case ShapeClass::MultiPoint: return "CMultiPoint";
    case ShapeClass::Rect: return "CRect";
    }
    return {};
}

}  // namespace shapefile
