#pragma once
// An ordered list of rings (parts whose last point repeats the first; the library
// neither closes nor reorients them).

#include "CompositeShape.h"

namespace shapefile {

class CPolygon final : public CompositeShape<CPart> {
public:
    CPolygon();

private:
    using CompositeShape::setBottom;
    using CompositeShape::setLeft;
    using CompositeShape::setNull;
    using CompositeShape::setRight;
    using CompositeShape::setTop;

    friend class CShapeFile;
    friend struct ShapeTestPeer;
};

}  // namespace shapefile
