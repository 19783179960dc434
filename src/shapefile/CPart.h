#pragma once
// A run of points: one line of a polyline or one ring of a polygon, with its own extent.
// The extent grows as points are added and is never derived on demand: a point changed
// after it was added does not move it, and a side written here moves no point.

#include "CPoint.h"
#include "CRect.h"
#include "Members.h"

#include <memory>
#include <span>

namespace shapefile {

class CPart final : public Members<CPoint> {
public:
    CPart();

    double left() const noexcept { return extent_.left(); }
    void setLeft(double aValue) noexcept { extent_.setLeft(aValue); }
    double right() const noexcept { return extent_.right(); }
    void setRight(double aValue) noexcept { extent_.setRight(aValue); }
    double top() const noexcept { return extent_.top(); }
    void setTop(double aValue) noexcept { extent_.setTop(aValue); }
    double bottom() const noexcept { return extent_.bottom(); }
    void setBottom(double aValue) noexcept { extent_.setBottom(aValue); }

    // Appends the point and grows the extent; nullptr raises 527.
    void add(std::shared_ptr<CPoint> aPoint);
    // Appends a new point for each coordinate pair, as add would, all made in one block
    // instead of one allocation each. Spans of different sizes raise 5 and add nothing.
    void addPoints(std::span<const double> x, std::span<const double> y);
    // Removes a point and recomputes the extent over the rest (kept when none remains).
    void remove(std::int32_t index);

private:
    void grow(const CPoint& p) noexcept;

    CRect extent_;
};

}  // namespace shapefile
