#pragma once
// An ordered list of points.

#include "CompositeShape.h"

namespace shapefile {

class CMultiPoint final : public CompositeShape<CPoint> {
public:
    CMultiPoint();

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
