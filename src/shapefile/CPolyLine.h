#pragma once
// An ordered list of parts (lines).

#include "CompositeShape.h"

namespace shapefile {

class CPolyLine final : public CompositeShape<CPart> {
public:
    CPolyLine();

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
