// The point's distance to points, polylines and polygons, with the anchored method the
// library has always used, and its guards against degenerate shapes.
#include "ShapeTestSupport.h"

#include <cmath>

using namespace shapefile;
using namespace shapefile::test;

TEST(Distance, PointToPointAndShapesWithoutDistance) {
    CPoint p(3, 4);
    EXPECT_EQ(p.distance(point(0, 0).get()), 5.0);
    EXPECT_EQ(p.distanceToPoint(CPoint(3, 4)), 0.0);
    CRect r;
    r.makeXY(-5, 5, 5, -5);
    EXPECT_EQ(p.distance(&r), 0.0);
    EXPECT_EQ(p.distance(multiPoint({{3, 4}}).get()), 0.0);
}

TEST(Distance, NullShapesAndMissingObjectAreErrors) {
    CPoint p(1, 1);
    auto target = point(2, 2);
    target->makeNull(true);
    EXPECT_SHAPE_ERROR(p.distance(target.get()), LibraryError::NullShapeDistance, "CPoint::IShape_Distance");
    CMultiPoint nullMulti;
    nullMulti.makeNull(true);
    EXPECT_SHAPE_ERROR(p.distance(&nullMulti), LibraryError::NullShapeDistance, "CPoint::IShape_Distance");
    CPoint nullSelf(0, 0);
    ShapeTestPeer::setNull(nullSelf, true);
    EXPECT_SHAPE_ERROR(nullSelf.distance(point(1, 1).get()), LibraryError::NullShapeDistance,
                       "CPoint::IShape_Distance");
    EXPECT_SHAPE_ERROR(p.distance(nullptr), PlatformError::ObjectNotSet, "CPoint::IShape_Distance");
    EXPECT_SHAPE_ERROR(p.distance(target.get()), LibraryError::NullShapeDistance, "CPoint::IShape_Distance",
                       "Cannot compute distance to a null shape");
    EXPECT_EQ(errorOf([&] { p.distance(target.get()); }).number(), std::int32_t(0x80040212u));
}

TEST(Distance, AnchoredPerpendicularFeet) {
    struct Case {
        double x, y;
        std::shared_ptr<IShape> shape;
        double expected;
    };
    const Case cases[] = {
        // Both ends at sqrt 2; the foot on the segment gives 1.
        {1, 1, shapeOf<CPolyLine>({part({{0, 0}, {2, 0}})}), 1.0},
        // The anchor is the last vertex and the foot falls behind it.
        {3, 1, shapeOf<CPolyLine>({part({{0, 0}, {2, 0}})}), std::sqrt(2.0)},
        // Ring anchored at vertex 1 (the closing vertex ties); neighbours 2 and P - 1.
        {2, -1, shapeOf<CPolygon>({part({{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}})}), 1.0},
        // Not the true minimum (1): only the segments beside the nearest vertex are tried.
        {5, 1, shapeOf<CPolyLine>({part({{0, 0}, {10, 0}, {6, 3}})}), 2.2},
        // The second part lies farther than the first one's nearest vertex: its anchor stays
        // at vertex 1, so its segment 2-3 (0.5 away) is never tried.
        {0, 0, shapeOf<CPolyLine>({part({{1, 0}, {1, 5}}), part({{10, 0.5}, {3, 0.5}, {-3, 0.5}})}), 1.0},
    };
    for (const auto& c : cases) EXPECT_NEAR(CPoint(c.x, c.y).distance(c.shape.get()), c.expected, 1e-12) << c.x << "," << c.y;
}

TEST(Distance, DegenerateShapesGiveNumberedErrors) {
    const CPoint p(1, 1);
    const char* line = "CPoint::DistanceToPolyLine";
    const char* ring = "CPoint::DistanceToPolygon";
    EXPECT_SHAPE_ERROR(p.distance(std::make_shared<CPolyLine>().get()), PlatformError::SubscriptOutOfRange, line);
    EXPECT_SHAPE_ERROR(p.distance(shapeOf<CPolyLine>({part({{0, 0}, {2, 0}}), std::make_shared<CPart>()}).get()),
                       PlatformError::SubscriptOutOfRange, line);
    EXPECT_SHAPE_ERROR(p.distance(shapeOf<CPolyLine>({part({{0, 0}})}).get()), PlatformError::SubscriptOutOfRange, line);
    EXPECT_SHAPE_ERROR(p.distance(shapeOf<CPolygon>({part({{0, 0}})}).get()), PlatformError::SubscriptOutOfRange, ring);
    // Duplicate vertices beside the anchor, and a two-vertex ring (neighbour P - 1 is the anchor).
    EXPECT_SHAPE_ERROR(p.distance(shapeOf<CPolyLine>({part({{1, 2}, {1, 2}, {5, 5}})}).get()),
                       PlatformError::DivisionByZero, line);
    EXPECT_SHAPE_ERROR(p.distance(shapeOf<CPolygon>({part({{0, 0}, {3, 0}})}).get()), PlatformError::DivisionByZero,
                       ring);
}
