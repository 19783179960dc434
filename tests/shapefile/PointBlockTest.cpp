// The points of a record read, and of a run given to addPoints, share one block: each is a
// CPoint of its own to its holders, the block lives while any of them is held, and two
// reads of a record never share one.
#include "ShapeFileAccess.h"
#include "ShapeTestSupport.h"

#include <algorithm>
#include <span>

using namespace shapefile;
using namespace shapefile::test;

namespace {

template <class Shape>
std::vector<std::weak_ptr<CPoint>> pointsOf(const Shape& shape) {
    std::vector<std::weak_ptr<CPoint>> out;
    for (const auto& part : shape)
        for (const auto& p : *part) out.push_back(p);
    return out;
}

bool allAlive(const std::vector<std::weak_ptr<CPoint>>& points) {
    return std::none_of(points.begin(), points.end(), [](const auto& w) { return w.expired(); });
}

bool allGone(const std::vector<std::weak_ptr<CPoint>>& points) {
    return std::all_of(points.begin(), points.end(), [](const auto& w) { return w.expired(); });
}

}  // namespace

TEST(PointBlock, AnyPointKeptOutlivesItsRecordAndTheLastOneReleasesTheBlock) {
    CShapeFile f;
    const Pair lines = makePair(3, {polyContents(3, {0, 3}, {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}})});
    ShapeFileAccess::openFromMemory(f, lines.shx, lines.shp);
    std::shared_ptr<CPoint> kept;
    std::vector<std::weak_ptr<CPoint>> points;
    std::weak_ptr<CPart> firstPart;
    {
        const auto line = f.readPolyLine(1);
        points = pointsOf(*line);
        ASSERT_EQ(points.size(), 5u);
        firstPart = line->item(1);
        kept = line->item(2)->item(2);
    }
    // The shape and its parts are gone; the point kept holds the block of all five.
    EXPECT_TRUE(firstPart.expired());
    EXPECT_TRUE(allAlive(points));
    EXPECT_EQ(kept.use_count(), 1);
    EXPECT_EQ(kept->x(), 5);
    kept->setX(50);  // still a point of its own
    EXPECT_EQ(points[0].lock()->x(), 1);
    kept.reset();
    EXPECT_TRUE(allGone(points));

    // A multipoint's points, the same way.
    CShapeFile m;
    const Pair multi = makePair(8, {multiPointContents({{7, 8}, {9, 10}})});
    ShapeFileAccess::openFromMemory(m, multi.shx, multi.shp);
    std::weak_ptr<CPoint> other;
    {
        const auto shape = std::dynamic_pointer_cast<CMultiPoint>(m.item(1));
        ASSERT_TRUE(shape);
        kept = shape->item(1);
        other = shape->item(2);
    }
    EXPECT_FALSE(other.expired());
    EXPECT_EQ(kept->y(), 8);
    kept.reset();
    EXPECT_TRUE(other.expired());
}

TEST(PointBlock, EachReadGivesItsOwnBlockAndKeptPointsCanBeWrittenElsewhere) {
    TempFolder dir;
    CShapeFile f;
    const Pair lines = makePair(3, {polyContents(3, {0}, {{1, 2}, {3, 4}, {5, 6}})});
    ShapeFileAccess::openFromMemory(f, lines.shx, lines.shp);
    const auto first = f.readPolyLine(1);
    auto second = f.readPolyLine(1);
    first->item(1)->item(1)->setY(-1);
    EXPECT_EQ(second->item(1)->item(1)->y(), 2);
    EXPECT_NE(first->item(1)->item(1).get(), second->item(1)->item(1).get());

    // Points taken from a record read, the record then dropped, go into a new shape.
    auto part = std::make_shared<CPart>();
    for (const auto& p : *second->item(1)) part->add(p);
    second.reset();
    const std::string path = dir.file("copy.shp");
    {
        CShapeFile out;
        out.setFileSpec(fileName(path), CShapeFile::Status::CreateIt, 3);
        out.add(*shapeOf<CPolyLine>({part}));
    }
    CShapeFile back;
    back.setFileSpec(fileName(path), CShapeFile::Status::Open);
    EXPECT_EQ(coordinates(*back.readPolyLine(1)), (PartsXY{{{1, 2}, {3, 4}, {5, 6}}}));
}

TEST(PointBlock, AddPointsIsAddForEachPairInOneBlock) {
    const std::vector<double> x = {3, 1, 2, 1}, y = {4, 6, 5, 6};
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> before;  // points added one by one first
        std::size_t from;                               // the run given to addPoints
    };
    const Case cases[] = {{"one run", {}, 0}, {"after single points", {{0, 9}, {-2, 5}}, 0}, {"part of a run", {}, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPart bulk, single;
        for (const auto& [px, py] : c.before) {
            bulk.add(point(px, py));
            single.add(point(px, py));
        }
        bulk.addPoints(std::span(x).subspan(c.from), std::span(y).subspan(c.from));
        for (std::size_t i = c.from; i < x.size(); ++i) single.add(point(x[i], y[i]));
        ASSERT_EQ(bulk.count(), single.count());
        for (std::int32_t i = 1; i <= bulk.count(); ++i) {
            EXPECT_EQ(bulk.item(i)->x(), single.item(i)->x());
            EXPECT_EQ(bulk.item(i)->y(), single.item(i)->y());
            EXPECT_FALSE(bulk.item(i)->isNull());
        }
        EXPECT_EQ((std::vector<double>{bulk.left(), bulk.right(), bulk.bottom(), bulk.top()}),
                  (std::vector<double>{single.left(), single.right(), single.bottom(), single.top()}));
    }

    // The block lives while any point of the run is held, by the part or by anyone.
    std::weak_ptr<CPoint> first;
    std::shared_ptr<CPoint> last;
    {
        CPart part;
        part.addPoints(x, y);
        first = part.item(1);
        last = part.item(4);
        EXPECT_NE(part.item(2).get(), part.item(4).get());  // equal coordinates, two points
    }
    EXPECT_FALSE(first.expired());
    last.reset();
    EXPECT_TRUE(first.expired());

    CPart part;
    part.addPoints({}, {});
    EXPECT_EQ(part.count(), 0);
    EXPECT_SHAPE_ERROR(part.addPoints(x, std::span(y).first(3)), PlatformError::InvalidCall, "CPart::AddPoints");
    EXPECT_EQ(part.count(), 0);
}
