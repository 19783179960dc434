#include "CPoint.h"

#include "CPolyLine.h"
#include "CPolygon.h"
#include "ShapeError.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace shapefile {

namespace {

enum class Neighbours { Line, Ring };

// The point's distance to a polyline or a polygon, as the library has always computed it:
// pass 1 measures every vertex and marks one anchor vertex per part; pass 2 tries the
// perpendicular foot on the segments beside each anchor only. This is not the true
// minimum distance (a segment away from every anchor is never tried); callers and stored
// results rely on these values, so the method is kept.
// Inputs the measure cannot handle raise numbered errors instead of reading past a part
// or dividing by zero: no part, an empty part or a missing neighbour (9), a neighbour at
// the anchor's place (11).
template <class Shape>
double anchoredDistance(const CPoint& from, const Shape& shape, Neighbours kind,
                        const char* source) {
    const auto vertexDistance = [&](const CPoint& v) {
        return std::sqrt((from.y() - v.y()) * (from.y() - v.y()) +
                         (from.x() - v.x()) * (from.x() - v.x()));
    };
    if (shape.count() == 0) throw ShapeError::platform(PlatformError::SubscriptOutOfRange, source);

    // Pass 1: anchors (1-based vertex positions, 0 for an empty part) and the minimum.
    std::vector<std::int32_t> anchors(std::size_t(shape.count()), 0);
    double minimum = 0.0;
    bool minimumSet = false;
    std::size_t i = 0;
    for (const auto& part : shape) {
        std::int32_t j = 0;
        for (const auto& v : *part) {
            ++j;
            const double d = vertexDistance(*v);
            if (j == 1) {
                anchors[i] = 1;
                if (!minimumSet || d < minimum) {
                    minimum = d;
                    minimumSet = true;
                }
            } else if (d < minimum) {
                minimum = d;
                anchors[i] = j;
            }
        }
        ++i;
    }

    // Pass 2: the feet of the perpendiculars from the point on the anchor's segments.
    for (std::int32_t k = 1; k <= shape.count(); ++k) {
        const CPart& part = *shape.item(k);
        const std::int32_t p = part.count();
        const std::int32_t c = anchors[std::size_t(k - 1)];
        const auto vertex = [&](std::int32_t n) -> const CPoint& {
            if (n < 1 || n > p) throw ShapeError::platform(PlatformError::SubscriptOutOfRange, source);
            return *part.item(n);
        };
        std::int32_t neighbours[2];
        int nNeighbours = 0;
        if (c == 1) {
            neighbours[nNeighbours++] = 2;
            if (kind == Neighbours::Ring) neighbours[nNeighbours++] = p - 1;
        } else if (c == p) {
            neighbours[nNeighbours++] = p - 1;
            if (kind == Neighbours::Ring) neighbours[nNeighbours++] = 2;
        } else {
            neighbours[nNeighbours++] = c - 1;
            neighbours[nNeighbours++] = c + 1;
        }
        const CPoint& a = vertex(c);
        for (int n = 0; n < nNeighbours; ++n) {
            const CPoint& nb = vertex(neighbours[n]);
            const double dx = nb.x() - a.x();
            const double dy = nb.y() - a.y();
            const double px = from.x() - a.x();
            const double py = from.y() - a.y();
            const double length = std::sqrt(dy * dy + dx * dx);
            if (length == 0.0) throw ShapeError::platform(PlatformError::DivisionByZero, source);
            const double t = (px * dx + dy * py) / length;
            if (t > 0) {
                const double fx = t / length * dx;
                const double fy = t / length * dy;
                if (std::sqrt(fy * fy + fx * fx) < length) {
                    const double d = std::sqrt((px - fx) * (px - fx) + (py - fy) * (py - fy));
                    if (d < minimum) minimum = d;
                }
            }
        }
    }
    return minimum;
}

}  // namespace

double CPoint::distance(const IShape* aShape) const {
    constexpr const char* kSource = "CPoint::IShape_Distance";
    if (!aShape) throw ShapeError::platform(PlatformError::ObjectNotSet, kSource);
    if (aShape->isNull() || null_) throw ShapeError::library(LibraryError::NullShapeDistance, kSource);
    switch (aShape->shapeClass()) {
    case ShapeClass::Point: return distanceToPoint(static_cast<const CPoint&>(*aShape));
    case ShapeClass::PolyLine: return distanceToPolyLine(static_cast<const CPolyLine&>(*aShape));
    case ShapeClass::Polygon: return distanceToPolygon(static_cast<const CPolygon&>(*aShape));
    case ShapeClass::MultiPoint:
    case ShapeClass::Rect: break;
    }
    return 0.0;
}

double CPoint::distanceToPoint(const CPoint& p) const {
    if (x_ == p.x_ && y_ == p.y_) return 0.0;
    return std::sqrt((y_ - p.y_) * (y_ - p.y_) + (x_ - p.x_) * (x_ - p.x_));
}

double CPoint::distanceToPolyLine(const CPolyLine& line) const {
    return anchoredDistance(*this, line, Neighbours::Line, "CPoint::DistanceToPolyLine");
}

double CPoint::distanceToPolygon(const CPolygon& polygon) const {
    return anchoredDistance(*this, polygon, Neighbours::Ring, "CPoint::DistanceToPolygon");
}

}  // namespace shapefile
