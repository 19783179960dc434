#pragma once
// The rectangle of the library: the extent held by parts, shapes and the shapefile.
// Corner 1 is (Left, Top), corner 2 is (Right, Bottom). No order between the sides is
// enforced: each setter stores what it is given.

#include "CPoint.h"
#include "IShape.h"

namespace shapefile {

class CRect final : public IShape {
public:
    double top() const override { return corner1_.y(); }
    double left() const override { return corner1_.x(); }
    double bottom() const override { return corner2_.y(); }
    double right() const override { return corner2_.x(); }
    void setTop(double aValue) noexcept { corner1_.setY(aValue); }
    void setBottom(double aValue) noexcept { corner2_.setY(aValue); }
    void setLeft(double aValue) noexcept { corner1_.setX(aValue); }
    void setRight(double aValue) noexcept { corner2_.setX(aValue); }

    // All four sides to 0; the null flag is left alone.
    void makeEmpty() noexcept;
    // Left/Top from originPoint, Right/Bottom from sizePoint (the opposite corner, not a
    // size); the points are not kept.
    void make(const CPoint& originPoint, const CPoint& sizePoint) noexcept;
    void makeXY(double x1, double y1, double x2, double y2) noexcept;

    bool isNull() const override { return null_; }
    void makeNull(bool trueOrFalse) override { null_ = trueOrFalse; }
    // Not implemented for rectangles: shows "NOT IMPLEMENTED" and gives 0.
    double distance(const IShape* aShape) const override;
    ShapeClass shapeClass() const noexcept override { return ShapeClass::Rect; }

private:
    void setNull(bool value) noexcept { null_ = value; }

    CPoint corner1_;
    CPoint corner2_;
    bool null_ = false;

    friend class CShapeFile;
    friend struct ShapeTestPeer;
};

}  // namespace shapefile
