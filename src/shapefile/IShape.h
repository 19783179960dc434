#pragma once
// The face every shape shows: its box, its null flag and a distance. The box convention of
// the whole library: Left is the smallest X, Right the largest X, Bottom the smallest Y,
// Top the largest Y; coordinates are stored as given, never converted.

#include <string_view>

namespace shapefile {

enum class ShapeClass { Point, PolyLine, Polygon, MultiPoint, Rect };

// The class name as the library's messages spell it: "CPoint", "CPolyLine", ...
std::string_view className(ShapeClass shapeClass);

class IShape {
public:
    virtual ~IShape() = default;

    virtual double top() const = 0;
    virtual double bottom() const = 0;
    virtual double left() const = 0;
    virtual double right() const = 0;
    virtual bool isNull() const = 0;
    virtual void makeNull(bool trueOrFalse) = 0;
    // Distance to aShape (nullptr stands for a missing object).
    virtual double distance(const IShape* aShape) const = 0;
    virtual ShapeClass shapeClass() const noexcept = 0;

protected:
    IShape() = default;
    IShape(const IShape&) = default;
    IShape& operator=(const IShape&) = default;
};

}  // namespace shapefile
