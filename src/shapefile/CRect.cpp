#include "CRect.h"

#include "ShapeError.h"

namespace shapefile {

void CRect::makeEmpty() noexcept {
    corner1_.setX(0.0);
    corner1_.setY(0.0);
    corner2_.setX(0.0);
    corner2_.setY(0.0);
}

void CRect::make(const CPoint& originPoint, const CPoint& sizePoint) noexcept {
    setLeft(originPoint.x());
    setTop(originPoint.y());
    setRight(sizePoint.x());
    setBottom(sizePoint.y());
}

void CRect::makeXY(double x1, double y1, double x2, double y2) noexcept {
    setLeft(x1);
    setTop(y1);
    setRight(x2);
    setBottom(y2);
}

double CRect::distance(const IShape*) const {
    detail::notImplemented();
    return 0.0;
}

}  // namespace shapefile
