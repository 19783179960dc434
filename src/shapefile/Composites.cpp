#include "CMultiPoint.h"
#include "CPolyLine.h"
#include "CPolygon.h"

namespace shapefile {

namespace {

constexpr CompositeTraits kPolyLine{ShapeClass::PolyLine,
                                    {"CPolyLine::Item", "CPolyLine::Remove"},
                                    "CPolyLine::Add",
                                    "CPolyLine Add can only accept objects of type CPart"};
constexpr CompositeTraits kPolygon{ShapeClass::Polygon,
                                   {"CPolygon::Item", "C_Polygon::Remove"},
                                   "CPolygon::Add",
                                   "CPolygon Add can only accept objects of type CPart"};
constexpr CompositeTraits kMultiPoint{ShapeClass::MultiPoint,
                                      {"CMultiPoint::Item", "CMultiPoint::Remove"},
                                      "CMultiPoint::Add",
                                      "CMultiPoint Add can only accept objects of type CPoints"};

}  // namespace

CPolyLine::CPolyLine() : CompositeShape<CPart>(kPolyLine) {}
CPolygon::CPolygon() : CompositeShape<CPart>(kPolygon) {}
CMultiPoint::CMultiPoint() : CompositeShape<CPoint>(kMultiPoint) {}

}  // namespace shapefile
