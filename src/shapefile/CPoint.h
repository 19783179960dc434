#pragma once
// A coordinate pair with a null flag: a record of a point file, the vertex of parts and
// multipoints, the corner of rectangles. Its box is the point itself.

#include "IShape.h"

namespace shapefile {

class CPolyLine;
class CPolygon;
class CPart;

class CPoint final : public IShape {
public:
    CPoint() = default;
    CPoint(double xValue, double yValue) : x_(xValue), y_(yValue) {}

    double x() const noexcept { return x_; }
    void setX(double xValue) noexcept { x_ = xValue; }
    double y() const noexcept { return y_; }
    void setY(double yValue) noexcept { y_ = yValue; }

    double top() const override { return y_; }
    double bottom() const override { return y_; }
    double left() const override { return x_; }
    double right() const override { return x_; }
    bool isNull() const override { return null_; }
    void makeNull(bool trueOrFalse) override { null_ = trueOrFalse; }
    // To a point, a polyline or a polygon; 0 for any other shape. Raises 530 when either
    // shape is null.
    double distance(const IShape* aShape) const override;
    ShapeClass shapeClass() const noexcept override { return ShapeClass::Point; }

    double distanceToPoint(const CPoint& p) const;

private:
    void setNull(bool value) noexcept { null_ = value; }
    double distanceToPolyLine(const CPolyLine& line) const;
    double distanceToPolygon(const CPolygon& polygon) const;

    double x_ = 0.0;
    double y_ = 0.0;
    bool null_ = false;

    friend class CShapeFile;
    friend struct ShapeTestPeer;
};

}  // namespace shapefile
