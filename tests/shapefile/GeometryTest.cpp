// Rectangles, points, parts and the three composite shapes: extents, null flags, shared
// members, 1-based access and their errors.
#include "ShapeTestSupport.h"

using namespace shapefile;
using namespace shapefile::test;

namespace {

// Counts the "NOT IMPLEMENTED" messages for the duration of a test.
class NotImplementedCounter {
public:
    NotImplementedCounter() {
        setNotImplementedHook([this](std::string_view text) {
            ++calls;
            last = text;
        });
    }
    ~NotImplementedCounter() { setNotImplementedHook(nullptr); }
    int calls = 0;
    std::string last;
};

void expectSides(const IShape& s, double left, double right, double bottom, double top) {
    EXPECT_EQ(s.left(), left);
    EXPECT_EQ(s.right(), right);
    EXPECT_EQ(s.bottom(), bottom);
    EXPECT_EQ(s.top(), top);
}

void expectSides(const CPart& s, double left, double right, double bottom, double top) {
    EXPECT_EQ(s.left(), left);
    EXPECT_EQ(s.right(), right);
    EXPECT_EQ(s.bottom(), bottom);
    EXPECT_EQ(s.top(), top);
}

}  // namespace

TEST(Rect, SidesAreStoredAsGivenAndMakeCopiesCorners) {
    CRect r;
    expectSides(r, 0, 0, 0, 0);
    EXPECT_FALSE(r.isNull());

    r.makeXY(1, 2, 3, 4);
    EXPECT_EQ(r.left(), 1);
    EXPECT_EQ(r.top(), 2);
    EXPECT_EQ(r.right(), 3);
    EXPECT_EQ(r.bottom(), 4);

    CPoint origin(10, 20), size(2, 3);
    r.make(origin, size);
    expectSides(r, 10, 2, 3, 20);  // the size point is the opposite corner, nothing added
    origin.setX(99);
    size.setY(99);
    expectSides(r, 10, 2, 3, 20);  // the points are not kept

    CPoint same(5, 7);
    r.make(same, same);
    expectSides(r, 5, 5, 7, 7);

    r.setLeft(9);
    r.setRight(1);
    EXPECT_EQ(r.left(), 9);
    EXPECT_EQ(r.right(), 1);
}

TEST(Rect, NullFlagIsIndependentOfSides) {
    CRect r;
    r.makeXY(1, 2, 3, 4);
    r.makeNull(true);
    EXPECT_TRUE(r.isNull());
    expectSides(r, 1, 3, 4, 2);
    r.makeEmpty();
    expectSides(r, 0, 0, 0, 0);
    EXPECT_TRUE(r.isNull());  // emptying keeps the flag
    const IShape& asShape = r;
    EXPECT_EQ(asShape.top(), r.top());
    EXPECT_TRUE(asShape.isNull());
    ShapeTestPeer::setNull(r, false);
    EXPECT_FALSE(r.isNull());

    CShape holder;
    EXPECT_EQ(holder.top(), 0);
    EXPECT_EQ(holder.bottom(), 0);
    EXPECT_EQ(holder.left(), 0);
    EXPECT_EQ(holder.right(), 0);
}

TEST(Shapes, DistanceOfNonPointShapesIsNotImplemented) {
    NotImplementedCounter counter;
    CRect r;
    CPolyLine line;
    CPolygon polygon;
    CMultiPoint multi;
    CPoint p(1, 1);
    const IShape* shapes[] = {&r, &line, &polygon, &multi};
    for (const IShape* s : shapes) {
        const int before = counter.calls;
        EXPECT_EQ(s->distance(&p), 0.0);
        EXPECT_EQ(s->distance(nullptr), 0.0);
        EXPECT_EQ(counter.calls, before + 2);
    }
    EXPECT_EQ(counter.last, "NOT IMPLEMENTED");
}

TEST(Point, BoxIsThePointAndClassNamesAreTheLibrarys) {
    CPoint p;
    EXPECT_EQ(p.x(), 0);
    EXPECT_EQ(p.y(), 0);
    EXPECT_FALSE(p.isNull());
    p.setX(3);
    p.setY(-4);
    expectSides(p, 3, 3, -4, -4);
    p.makeNull(true);
    EXPECT_TRUE(p.isNull());
    EXPECT_EQ(className(p.shapeClass()), "CPoint");
    EXPECT_EQ(className(CPolyLine().shapeClass()), "CPolyLine");
    EXPECT_EQ(className(CPolygon().shapeClass()), "CPolygon");
    EXPECT_EQ(className(CMultiPoint().shapeClass()), "CMultiPoint");
    EXPECT_EQ(className(CRect().shapeClass()), "CRect");
}

TEST(Part, ExtentGrowsWithPointsAndRemoveRecomputesIt) {
    CPart p;
    auto a = point(3, 4), b = point(1, 6), c = point(2, 5);
    p.add(a);
    p.add(b);
    p.add(c);
    EXPECT_EQ(p.count(), 3);
    expectSides(p, 1, 3, 4, 6);
    EXPECT_EQ(p.item(2), b);  // the very object given second

    p.remove(1);
    EXPECT_EQ(p.count(), 2);
    EXPECT_EQ(p.item(1), b);
    expectSides(p, 1, 2, 5, 6);

    p.remove(2);
    p.remove(1);
    EXPECT_EQ(p.count(), 0);
    expectSides(p, 1, 1, 6, 6);  // no point left: the extent as it was
}

TEST(Part, GrowthIsElseIfOnEachAxisAndMembersAreShared) {
    CPart p;
    p.add(point(5, 5));
    p.setLeft(9);
    p.add(point(7, 5));
    EXPECT_EQ(p.left(), 7);
    EXPECT_EQ(p.right(), 5);  // X < Left, so Right is not tested

    CPart q;
    auto shared = point(1, 1);
    q.add(shared);
    q.add(shared);
    EXPECT_EQ(q.count(), 2);
    shared->setX(8);
    EXPECT_EQ(q.item(2)->x(), 8);
    EXPECT_EQ(q.right(), 1);  // a later change does not move the extent

    std::vector<double> xs;
    for (const auto& v : p) xs.push_back(v->x());
    EXPECT_EQ(xs, (std::vector<double>{5, 7}));
}

TEST(Part, OutOfRangeAndMissingPointAreNumberedErrors) {
    CPart p;
    p.add(point(1, 2));
    EXPECT_SHAPE_ERROR(p.item(0), PlatformError::SubscriptOutOfRange, "CPart::Item");
    EXPECT_SHAPE_ERROR(p.item(2), PlatformError::SubscriptOutOfRange, "CPart::Item");
    EXPECT_SHAPE_ERROR(p.remove(2), PlatformError::SubscriptOutOfRange, "CPart::Remove");
    EXPECT_SHAPE_ERROR(p.add(nullptr), LibraryError::WrongMemberClass, "CPart::Add",
                       "CPart can only accept objects of type CPoint");
    EXPECT_EQ(errorOf([&] { p.add(nullptr); }).number(), std::int32_t(0x8004020Fu));
    EXPECT_EQ(p.count(), 1);
}

TEST(Composite, FirstMemberReplacesExtentThenSidesGrowIndependently) {
    CPolyLine line;
    line.add(part({{0, 0}, {10, 5}}));
    line.add(part({{-2, 1}, {4, 9}}));
    expectSides(line, -2, 10, 0, 9);
    line.remove(2);
    EXPECT_EQ(line.count(), 1);
    expectSides(line, -2, 10, 0, 9);  // removing keeps the extent

    CPolygon polygon;
    ShapeTestPeer::setBox(polygon, -100, 100, -100, 100);
    polygon.add(part({{5, 5}, {10, 10}}));
    expectSides(polygon, 5, 10, 5, 10);  // a box set by the reader's setters is replaced
    polygon.add(std::make_shared<CPart>());
    expectSides(polygon, 0, 10, 0, 10);  // an empty part is the box 0, 0, 0, 0

    CMultiPoint multi;
    ShapeTestPeer::setBox(multi, 50, 60, 50, 60);
    multi.add(point(3, 4));
    expectSides(multi, 3, 3, 4, 4);
    multi.add(point(-1, 7));
    expectSides(multi, -1, 3, 4, 7);
}

TEST(Composite, PartsChangedAfterAddingDoNotReachTheShape) {
    CPolyLine line;
    auto p = part({{1, 1}, {2, 2}});
    line.add(p);
    p->add(point(50, 50));
    expectSides(line, 1, 2, 1, 2);
    EXPECT_EQ(line.item(1)->count(), 3);  // the part itself is shared
}

TEST(Composite, NewShapesAreEmptyAndNullFlagKeepsMembers) {
    CPolyLine line;
    CPolygon polygon;
    CMultiPoint multi;
    for (IShape* s : std::initializer_list<IShape*>{&line, &polygon, &multi}) {
        expectSides(*s, 0, 0, 0, 0);
        EXPECT_FALSE(s->isNull());
    }
    EXPECT_EQ(line.count() + polygon.count() + multi.count(), 0);
    EXPECT_EQ(line.begin(), line.end());
    line.add(part({{1, 2}, {3, 4}}));
    line.makeNull(true);
    EXPECT_TRUE(line.isNull());
    EXPECT_EQ(line.count(), 1);
    expectSides(line, 1, 3, 2, 4);
}

TEST(Composite, ErrorsCarryTheirClassTexts) {
    CPolyLine line;
    CPolygon polygon;
    CMultiPoint multi;
    struct Case {
        std::function<void()> add;
        const char* source;
        const char* message;
    };
    const Case cases[] = {
        {[&] { line.add(nullptr); }, "CPolyLine::Add", "CPolyLine Add can only accept objects of type CPart"},
        {[&] { polygon.add(nullptr); }, "CPolygon::Add", "CPolygon Add can only accept objects of type CPart"},
        {[&] { multi.add(nullptr); }, "CMultiPoint::Add", "CMultiPoint Add can only accept objects of type CPoints"},
    };
    for (const auto& c : cases) {
        EXPECT_SHAPE_ERROR(c.add(), LibraryError::WrongMemberClass, c.source, c.message);
        EXPECT_STREQ(errorOf(c.add).what(), c.message);
    }
    EXPECT_EQ(line.count() + polygon.count() + multi.count(), 0);

    EXPECT_SHAPE_ERROR(line.item(1), PlatformError::SubscriptOutOfRange, "CPolyLine::Item");
    EXPECT_SHAPE_ERROR(line.remove(1), PlatformError::SubscriptOutOfRange, "CPolyLine::Remove");
    EXPECT_SHAPE_ERROR(polygon.item(0), PlatformError::SubscriptOutOfRange, "CPolygon::Item");
    EXPECT_SHAPE_ERROR(polygon.remove(1), PlatformError::SubscriptOutOfRange, "C_Polygon::Remove");
    EXPECT_SHAPE_ERROR(multi.item(-1), PlatformError::SubscriptOutOfRange, "CMultiPoint::Item");
    EXPECT_SHAPE_ERROR(multi.remove(1), PlatformError::SubscriptOutOfRange, "CMultiPoint::Remove",
                       "Subscript out of range");
    EXPECT_EQ(errorOf([&] { multi.remove(1); }).libraryCode(), 0);
}
