// Creating pairs and appending records: the exact bytes, the headers, the refusals, and
// what a failed write leaves behind.
#include "ShapeFileAccess.h"
#include "ShapeTestSupport.h"

#include "ByteOrder.h"

#include <cmath>
#include <csignal>
#include <limits>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace shapefile;
using namespace shapefile::test;

namespace {

std::int32_t be32(const Bytes& b, std::size_t at) { return detail::loadBE32(b.data() + at); }
std::int32_t le32(const Bytes& b, std::size_t at) { return detail::loadLE32(b.data() + at); }
double leDouble(const Bytes& b, std::size_t at) { return detail::loadLEDouble(b.data() + at); }

// Header box as Xmin, Ymin, Xmax, Ymax.
std::vector<double> headerBox(const Bytes& b) {
    return {leDouble(b, 36), leDouble(b, 44), leDouble(b, 52), leDouble(b, 60)};
}

Bytes fromHex(const std::string& hex) {
    Bytes b;
    for (std::size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ' || hex[i] == '\n') {
            ++i;
            continue;
        }
        b.push_back(std::byte(std::stoi(hex.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return b;
}

class Writer : public ::testing::Test {
protected:
    std::string shp(const std::string& base = "t") const { return dir.file(base + ".shp"); }
    std::string shx(const std::string& base = "t") const { return dir.file(base + ".shx"); }
    void create(CShapeFile& f, std::int32_t type, const std::string& base = "t") {
        f.setFileSpec(fileName(shp(base)), CShapeFile::Status::CreateIt, type);
    }
    TempFolder dir;
};

}  // namespace

TEST_F(Writer, OnePointIsByteForByteTheReferencePair) {
    {
        CShapeFile f;
        create(f, 1);
        f.add(CPoint(5, 7));
        EXPECT_EQ(f.count(), 1);
        EXPECT_EQ(f.left(), 5);
        EXPECT_EQ(f.top(), 7);
    }
    const Bytes expectedShp = fromHex(
        "0000270a 00000000 00000000 00000000 00000000 00000000 00000040 e8030000"
        "01000000 00000000 00001440 00000000 00001c40 00000000 00001440 00000000"
        "00001c40 00000000 00000000 00000000 00000000 00000000 00000000 00000000"
        "00000000 00000001 0000000a 01000000 00000000 00001440 00000000 00001c40");
    EXPECT_EQ(readBytes(shp()), expectedShp);
    Bytes expectedShx(expectedShp.begin(), expectedShp.begin() + 100);
    setBE32(expectedShx, 24, 54);
    putBE32(expectedShx, 50);
    putBE32(expectedShx, 10);
    EXPECT_EQ(readBytes(shx()), expectedShx);
}

TEST_F(Writer, EmptyPairHasHeadersOnly) {
    {
        CShapeFile f;
        create(f, 5);
        EXPECT_EQ(readBytes(shp()).size(), 100u);  // both headers are written at creation
    }
    for (const auto& path : {shp(), shx()}) {
        const Bytes b = readBytes(path);
        ASSERT_EQ(b.size(), 100u);
        EXPECT_EQ(be32(b, 0), 9994);
        EXPECT_EQ(be32(b, 24), 50);
        EXPECT_EQ(le32(b, 28), 1000);
        EXPECT_EQ(le32(b, 32), 5);
        EXPECT_EQ(headerBox(b), (std::vector<double>{0, 0, 0, 0}));
    }
    CShapeFile r;
    r.setFileSpec(fileName(shp()), CShapeFile::Status::Open);
    EXPECT_EQ(r.count(), 0);
    EXPECT_EQ(r.fileType(), 5);
}

TEST_F(Writer, RecordsFollowEachOtherAndTheBoxGrowsOnlyWhereExceeded) {
    CShapeFile f;
    create(f, 1);
    f.add(CPoint(5, 7));
    f.add(CPoint(6, 2));
    f.close();
    const Bytes main = readBytes(shp());
    const Bytes index = readBytes(shx());
    EXPECT_EQ(main.size(), 156u);
    EXPECT_EQ(be32(main, 128), 2);  // record number
    EXPECT_EQ(be32(main, 132), 10);
    EXPECT_EQ(be32(index, 108), 64);  // offset in words of byte 128
    EXPECT_EQ(headerBox(main), (std::vector<double>{5, 2, 6, 7}));
    EXPECT_EQ(headerBox(index), headerBox(main));
    EXPECT_EQ(be32(main, 24), 78);
    EXPECT_EQ(be32(index, 24), 58);
}

TEST_F(Writer, PolyLineMultiPointAndNullRecordLayouts) {
    {
        CShapeFile f;
        create(f, 3);
        f.add(*shapeOf<CPolyLine>({part({{1, 2}, {3, 4}, {5, 0}}), part({{-1, 9}, {0, 0}})}));
        f.close();
        const Bytes b = readBytes(shp());
        EXPECT_EQ(b.size(), 240u);
        EXPECT_EQ(be32(b, 104), 66);
        EXPECT_EQ(le32(b, 108), 3);
        EXPECT_EQ((std::vector<double>{leDouble(b, 112), leDouble(b, 120), leDouble(b, 128), leDouble(b, 136)}),
                  (std::vector<double>{-1, 0, 5, 9}));
        EXPECT_EQ(le32(b, 144), 2);  // NumParts
        EXPECT_EQ(le32(b, 148), 5);  // NumPoints
        EXPECT_EQ(le32(b, 152), 0);
        EXPECT_EQ(le32(b, 156), 3);
        EXPECT_EQ(leDouble(b, 160), 1);
        EXPECT_EQ(leDouble(b, 232), 0);
    }
    {
        CShapeFile f;
        create(f, 8);
        f.add(*multiPoint({{1, 1}, {2, 2}, {3, 3}}));
        f.close();
        EXPECT_EQ(be32(readBytes(shp()), 104), 44);
        EXPECT_EQ(be32(readBytes(shx()), 104), 44);
    }
    {
        CShapeFile f;
        create(f, 1);
        f.add(CPoint(1, 2));
        CPoint empty;
        empty.makeNull(true);
        f.add(empty);
        f.add(CPoint(3, 4));
        EXPECT_EQ(f.count(), 3);
        f.close();
        const Bytes b = readBytes(shp());
        EXPECT_EQ(b.size(), 100u + 28 + 12 + 28);
        EXPECT_EQ(be32(b, 128), 2);
        EXPECT_EQ(be32(b, 132), 2);
        EXPECT_EQ(le32(b, 136), 0);
        EXPECT_EQ(be32(b, 140), 3);
        EXPECT_EQ(be32(readBytes(shx()), 116), 70);
        EXPECT_EQ(headerBox(b), (std::vector<double>{1, 2, 3, 4}));
    }
}

TEST_F(Writer, HeaderBoxStartsAtTheFirstRecordWithAVertex) {
    CShapeFile f;
    create(f, 1);
    CPoint empty;
    empty.makeNull(true);
    f.add(empty);
    EXPECT_EQ(f.left(), 0);
    f.add(CPoint(5, 7));
    f.close();
    EXPECT_EQ(headerBox(readBytes(shp())), (std::vector<double>{5, 7, 5, 7}));
    EXPECT_EQ(f.left(), 5);
    EXPECT_EQ(f.bottom(), 7);

}

// Coordinates are written as given; a vertex with a NaN or infinite coordinate stays out
// of the record's box and the header's, which cover the finite vertices only.
TEST_F(Writer, NonFiniteCoordinatesStayOutOfTheBoxes) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    using XY = std::vector<std::pair<double, double>>;
    struct Case {
        const char* name;
        std::int32_t type;
        std::vector<XY> records;          // one point, or the vertices of a one-part line
        std::vector<double> headerBox;    // Xmin, Ymin, Xmax, Ymax
        std::vector<double> firstBox;     // of the first line record
    };
    const Case cases[] = {
        {"points", 1, {{{nan, 1}}, {{5, 7}}, {{6, inf}}, {{-1, 2}}, {{-inf, -inf}}}, {-1, 2, 5, 7}, {}},
        {"points without a finite one", 1, {{{nan, nan}}, {{inf, 0}}}, {0, 0, 0, 0}, {}},
        {"line", 3, {{{nan, nan}, {10, 20}, {inf, 0}, {11, 21}, {12, nan}}}, {10, 20, 11, 21}, {10, 20, 11, 21}},
        {"first line without a finite vertex", 3, {{{nan, 0}, {0, -inf}}, {{1, 1}, {2, 3}}}, {1, 1, 2, 3},
         {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            CShapeFile f;
            create(f, c.type, "nf");
            for (const XY& xy : c.records) {
                if (c.type == 1) {
                    f.add(CPoint(xy[0].first, xy[0].second));
                    continue;
                }
                auto p = std::make_shared<CPart>();
                for (const auto& [x, y] : xy) p->add(point(x, y));
                f.add(*shapeOf<CPolyLine>({p}));
            }
            EXPECT_EQ((std::vector<double>{f.left(), f.bottom(), f.right(), f.top()}), c.headerBox);
        }
        const Bytes main = readBytes(shp("nf"));
        EXPECT_EQ(headerBox(main), c.headerBox);
        EXPECT_EQ(headerBox(readBytes(shx("nf"))), c.headerBox);
        if (c.type == 3) {
            EXPECT_EQ((std::vector<double>{leDouble(main, 112), leDouble(main, 120), leDouble(main, 128),
                                           leDouble(main, 136)}),
                      c.firstBox);
        }
        // The coordinates themselves are kept.
        const std::size_t firstX = c.type == 1 ? 112 : 100 + 8 + 44 + 4;
        EXPECT_EQ(std::isnan(leDouble(main, firstX)), std::isnan(c.records[0][0].first));
    }
}

TEST_F(Writer, RefusedShapesWriteNothing) {
    CShapeFile f;
    create(f, 3);
    f.add(*shapeOf<CPolyLine>({part({{0, 0}, {1, 1}})}));
    f.flush();
    const Bytes before = readBytes(shp());
    CPoint nullPoint;
    nullPoint.makeNull(true);
    EXPECT_SHAPE_ERROR(f.add(nullPoint), LibraryError::WrongShapeForFile, "CShapeFile::Add");
    EXPECT_SHAPE_ERROR(f.add(CRect()), LibraryError::InvalidShapeType, "CShapeFile::Add", "Invalid shape type");
    EXPECT_EQ(errorOf([&] { f.add(CRect()); }).number(), std::int32_t(0x80040211u));
    EXPECT_SHAPE_ERROR(f.add(CPolyLine()), LibraryError::NoParts, "CShapeFile::PutPolyLine",
                       "A PolyLine or Polygon needs at least one part");
    // A part without a point, first or later, refuses the whole shape.
    for (const auto& line : {shapeOf<CPolyLine>({std::make_shared<CPart>()}),
                             shapeOf<CPolyLine>({part({{0, 0}, {1, 1}}), std::make_shared<CPart>()})})
        EXPECT_SHAPE_ERROR(f.add(*line), LibraryError::EmptyPart, "CShapeFile::PutPolyLine",
                           "A part of a PolyLine or Polygon needs at least one point");
    EXPECT_EQ(errorOf([&] { f.add(*shapeOf<CPolyLine>({std::make_shared<CPart>()})); }).number(),
              std::int32_t(0x80040217u));
    EXPECT_EQ(f.count(), 1);
    f.close();
    EXPECT_EQ(readBytes(shp()), before);

    CShapeFile p;
    create(p, 1, "points");
    struct Case {
        std::function<void()> add;
        const char* message;
    };
    const Case cases[] = {
        {[&] { p.add(*multiPoint({{1, 1}})); }, "Cannot add type CMultiPoint to a ShapeFile initialized as other type"},
        {[&] { p.add(*shapeOf<CPolyLine>({part({{0, 0}})})); },
         "Cannot add type CPolyline to a ShapeFile initialized as other type"},
        {[&] { p.add(*shapeOf<CPolygon>({part({{0, 0}})})); },
         "Cannot add type CPolygon to a ShapeFile initialized as other type"},
    };
    for (const auto& c : cases) {
        EXPECT_SHAPE_ERROR(c.add(), LibraryError::WrongShapeForFile, "CShapeFile::Add", c.message);
        EXPECT_EQ(errorOf(c.add).number(), std::int32_t(0x80040210u));
    }
    CShapeFile g;
    create(g, 5, "rings");
    EXPECT_SHAPE_ERROR(g.add(CPolygon()), LibraryError::NoParts, "CShapeFile::PutPolygon");
    EXPECT_SHAPE_ERROR(g.add(*shapeOf<CPolygon>({part({{0, 0}, {1, 0}, {0, 0}}), std::make_shared<CPart>()})),
                       LibraryError::EmptyPart, "CShapeFile::PutPolygon");
    EXPECT_SHAPE_ERROR(g.add(CPoint(1, 1)), LibraryError::WrongShapeForFile, "CShapeFile::Add",
                       "Cannot add type CPoint to a ShapeFile initialized as other type");
    g.close();
    p.close();
    EXPECT_EQ(readBytes(shp("points")).size(), 100u);
    EXPECT_EQ(readBytes(shx("rings")).size(), 100u);
}

TEST_F(Writer, CreationChecksTheTypeBeforeDeletingAndReplacesAnotherPair) {
    {
        CShapeFile f;
        create(f, 1);
        f.add(CPoint(1, 1));
    }
    writeBytes(dir.file("t.dbf"), Bytes(33, std::byte{7}));
    const Bytes before = readBytes(shp());
    CShapeFile g;
    EXPECT_SHAPE_ERROR(g.setFileSpec(fileName(shp()), CShapeFile::Status::CreateIt), LibraryError::ShapeTypeRequired,
                       "C_ShapeFile::SetFileSpec",
                       "The ShapeType argument is not optional when argument status is CREATEIT");
    EXPECT_SHAPE_ERROR(create(g, 11), LibraryError::InvalidShapeType, "C_ShapeFile::SetFileSpec");
    EXPECT_EQ(readBytes(shp()), before);  // the existing pair is intact

    g.setFileSpec(fileName(dir.file("t.dbf")), CShapeFile::Status::CreateIt, 3);
    g.add(*shapeOf<CPolyLine>({part({{2, 2}, {3, 3}})}));
    g.close();
    CShapeFile r;
    r.setFileSpec(fileName(shp()), CShapeFile::Status::Open);
    EXPECT_EQ(r.fileType(), 3);
    EXPECT_EQ(r.count(), 1);
    EXPECT_EQ(readBytes(dir.file("t.dbf")), Bytes(33, std::byte{7}));
    EXPECT_SHAPE_ERROR(g.setFileSpec(fileName("C:\\data\\x.shp"), CShapeFile::Status::CreateIt, 1),
                       PlatformError::PathNotFound, "C_ShapeFile::SetFileSpec");
    EXPECT_SHAPE_ERROR(g.setFileSpec(fileName(dir.file("missing/x.shp")), CShapeFile::Status::CreateIt, 1),
                       PlatformError::PathNotFound, "C_ShapeFile::SetFileSpec");
    EXPECT_SHAPE_ERROR(g.setFileSpec(CFileName(), CShapeFile::Status::CreateIt, 1), LibraryError::InvalidFileSpec,
                       "C_FileName::SetFileSpec");
}

TEST_F(Writer, HeadersAreFinalAtFlushCloseOrDestruction) {
    Bytes closed;
    {
        CShapeFile f;
        create(f, 1, "a");
        for (int i = 0; i < 3; ++i) f.add(CPoint(i, -i));
        f.close();
        f.close();  // a second close does nothing
        closed = readBytes(shp("a"));
    }
    {
        CShapeFile f;
        create(f, 1, "b");
        for (int i = 0; i < 3; ++i) f.add(CPoint(i, -i));
        EXPECT_EQ(be32(readBytes(shp("b")), 24), 50);  // nothing final before a flush
        f.flush();
        EXPECT_EQ(readBytes(shp("b")), closed);
        EXPECT_EQ(be32(readBytes(shx("b")), 24), 62);
    }
    EXPECT_EQ(readBytes(shp("b")), closed);
}

TEST_F(Writer, ItemOnAPairBeingWrittenSeesTheRecordsAdded) {
    CShapeFile f;
    create(f, 5);
    f.add(*shapeOf<CPolygon>({part({{0, 0}, {0, 1}, {1, 1}, {0, 0}})}));
    auto ring = std::dynamic_pointer_cast<CPolygon>(f.item(1));
    ASSERT_TRUE(ring);
    EXPECT_EQ(ring->item(1)->count(), 4);
    EXPECT_SHAPE_ERROR(f.item(2), LibraryError::NoSuchRecord, "CShapeFile::Item");
    f.add(*shapeOf<CPolygon>({part({{5, 5}, {5, 6}, {6, 6}, {5, 5}})}));
    EXPECT_EQ(std::dynamic_pointer_cast<CPolygon>(f.item(2))->left(), 5);
}

TEST_F(Writer, AppendingToAnOpenedPairContinuesItsNumberingAndBox) {
    {
        CShapeFile f;
        create(f, 1);
        f.add(CPoint(1, 1));
        f.add(CPoint(2, 2));
    }
    {
        CShapeFile f;
        f.setFileSpec(fileName(shp()), CShapeFile::Status::Open);
        ShapeFileAccess::failWrite(f, 1, EIO);
        f.close();  // an unchanged pair: nothing written, so nothing fails
        ShapeFileAccess::failWrite(f, 0, 0);
        f.setFileSpec(fileName(shp()), CShapeFile::Status::Open);
        f.add(CPoint(0, 5));
        EXPECT_EQ(f.count(), 3);
    }
    const Bytes main = readBytes(shp());
    EXPECT_EQ(be32(main, 156), 3);
    EXPECT_EQ(headerBox(main), (std::vector<double>{0, 1, 2, 5}));
    CShapeFile r;
    r.setFileSpec(fileName(shp()), CShapeFile::Status::Open);
    ASSERT_EQ(r.count(), 3);
    EXPECT_EQ(r.readPoint(3)->y(), 5);
}

TEST_F(Writer, AddWithoutAnOpenPairIsAnError) {
    CShapeFile f;
    EXPECT_SHAPE_ERROR(f.add(CPoint(1, 1)), LibraryError::WrongShapeForFile, "CShapeFile::Add");
    create(f, 1);
    f.close();
    EXPECT_SHAPE_ERROR(f.add(CPoint(1, 1)), PlatformError::BadFileNumber, "C_ShapeFile::PutPoints");
    EXPECT_EQ(f.count(), 0);
}

TEST_F(Writer, ReadOnlyPairReadsButRefusesAppends) {
    {
        CShapeFile f;
        create(f, 1);
        f.add(CPoint(4, 4));
    }
    ::chmod(shp().c_str(), 0444);
    ::chmod(shx().c_str(), 0444);
    CShapeFile f;
    f.setFileSpec(fileName(shp()), CShapeFile::Status::Open);
    EXPECT_EQ(f.readPoint(1)->x(), 4);
    if (::geteuid() != 0) {  // file modes do not bind root
        EXPECT_SHAPE_ERROR(f.add(CPoint(1, 1)), PlatformError::PermissionDenied, "C_ShapeFile::PutPoints");
        EXPECT_EQ(f.count(), 1);
    }
}

TEST_F(Writer, SizeLimitRefusesTheRecordThatWouldCrossIt) {
    CShapeFile f;
    create(f, 1);
    // The main file pretends to be 2,147,483,618 bytes: one more point (28 bytes) fits.
    ShapeFileAccess::pretendLarger(f, 2147483618 - 100, 0);
    f.add(CPoint(1, 1));
    EXPECT_SHAPE_ERROR(f.add(CPoint(2, 2)), LibraryError::SizeLimitExceeded, "C_ShapeFile::PutPoints",
                       "The shapefile size limit would be exceeded");
    EXPECT_EQ(f.count(), 1);
    ShapeFileAccess::pretendLarger(f, 0, 2147483647 - 108 - 7);
    EXPECT_SHAPE_ERROR(f.add(CPoint(2, 2)), LibraryError::SizeLimitExceeded, "C_ShapeFile::PutPoints");
    ShapeFileAccess::pretendLarger(f, 0, 0);
    f.close();
    EXPECT_EQ(readBytes(shp()).size(), 128u);
    EXPECT_EQ(readBytes(shx()).size(), 108u);

    CShapeFile g;
    create(g, 3, "line");
    ShapeFileAccess::pretendLarger(g, 2147483647 - 100 - 8 - 48 - 16 * 3 + 1, 0);
    EXPECT_SHAPE_ERROR(g.add(*shapeOf<CPolyLine>({part({{0, 0}, {1, 1}, {2, 2}})})), LibraryError::SizeLimitExceeded,
                       "CShapeFile::PutPolyLine");
    EXPECT_EQ(g.count(), 0);
}

TEST_F(Writer, FailedWriteCutsBothFilesBackToTheLastRecordTheyHold) {
    CShapeFile f;
    create(f, 1);
    for (int i = 0; i < 10; ++i) f.add(CPoint(i, i));
    f.flush();
    for (int i = 10; i < 20; ++i) f.add(CPoint(i, 100 + i));
    // The main file's write fails half-way, after the index entries have been written.
    ShapeFileAccess::failWrite(f, 2, ENOSPC);
    EXPECT_SHAPE_ERROR(f.flush(), PlatformError::DiskFull, "CShapeFile::Flush");
    EXPECT_EQ(f.count(), 10);
    EXPECT_EQ(f.top(), 9);  // the box of the records kept
    EXPECT_EQ(readBytes(shp()).size(), 100u + 10 * 28);
    EXPECT_EQ(readBytes(shx()).size(), 100u + 10 * 8);
    f.add(CPoint(50, 50));  // the next record takes number 11
    f.close();

    CShapeFile r;
    r.setFileSpec(fileName(shp()), CShapeFile::Status::Open);
    ASSERT_EQ(r.count(), 11);
    EXPECT_EQ(r.readPoint(11)->x(), 50);
    EXPECT_EQ(r.top(), 50);
}

// A record larger than the append buffer goes to the file in pieces; a write failing
// among them cuts both files back to the records before it.
TEST_F(Writer, AFailedWriteInsideARecordWrittenInPiecesCutsBackToTheRecordsBefore) {
    constexpr std::size_t kVertices = 200000;  // 3.2 MB of vertices
    std::vector<double> x(kVertices), y(kVertices);
    for (std::size_t i = 0; i < kVertices; ++i) x[i] = double(i), y[i] = -double(i);
    auto big = std::make_shared<CPart>();
    big->addPoints(x, y);
    CPolyLine line;
    line.add(big);

    CShapeFile f;
    create(f, 3);
    f.add(*shapeOf<CPolyLine>({part({{5, 5}, {6, 7}})}));
    // Writes 1 and 2 are the first record's; 3 is the big record's first piece.
    ShapeFileAccess::failWrite(f, 4, ENOSPC);
    EXPECT_SHAPE_ERROR(f.add(line), PlatformError::DiskFull, "CShapeFile::PutPolyLine");
    EXPECT_EQ(f.count(), 1);
    EXPECT_EQ(f.right(), 6);
    EXPECT_EQ(readBytes(shp()).size(), 100u + 8 + 44 + 4 + 2 * 16);
    EXPECT_EQ(readBytes(shx()).size(), 100u + 8);
    f.add(line);
    f.close();

    CShapeFile r;
    r.setFileSpec(fileName(shp()), CShapeFile::Status::Open);
    ASSERT_EQ(r.count(), 2);
    const auto back = r.readPolyLine(2);
    ASSERT_EQ(back->count(), 1);
    const auto backPart = back->item(1);
    ASSERT_EQ(backPart->count(), std::int32_t(kVertices));
    EXPECT_EQ(backPart->item(std::int32_t(kVertices))->x(), double(kVertices - 1));
    EXPECT_EQ(backPart->item(std::int32_t(kVertices))->y(), -double(kVertices - 1));
    EXPECT_EQ(back->left(), 0);
    EXPECT_EQ(back->bottom(), -double(kVertices - 1));
    EXPECT_EQ(r.right(), double(kVertices - 1));
}

TEST_F(Writer, FailureAtCloseStillLeavesMatchingHeaders) {
    std::vector<std::string> diagnostics;
    setDiagnosticsHook([&](const ShapeError& e) { diagnostics.push_back(e.source()); });
    {
        CShapeFile f;
        create(f, 1);
        f.add(CPoint(1, 1));
        f.flush();
        f.add(CPoint(2, 2));
        ShapeFileAccess::failWrite(f, 1, EIO);
    }
    setDiagnosticsHook(nullptr);
    EXPECT_EQ(diagnostics, (std::vector<std::string>{"C_ShapeFile::Class_Terminate"}));
    CShapeFile r;
    r.setFileSpec(fileName(shp()), CShapeFile::Status::Open);
    EXPECT_EQ(r.count(), 1);
    EXPECT_EQ(readBytes(shp()).size(), 128u);
    EXPECT_EQ(be32(readBytes(shp()), 24), 64);

    CShapeFile g;
    create(g, 1, "g");
    g.add(CPoint(1, 1));
    ShapeFileAccess::failWrite(g, 1, EIO);
    EXPECT_SHAPE_ERROR(g.close(), PlatformError::PathFileAccess, "C_ShapeFile::Class_Terminate");
    EXPECT_EQ(g.count(), 0);
    EXPECT_EQ(readBytes(shp("g")).size(), 100u);
}

// A file size limit of the process (EFBIG) is a full disk for the caller.
TEST_F(Writer, FileSizeLimitGivesDiskFull) {
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 1500000;  // the second batch of records crosses it
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    int number = 0;
    std::int32_t kept = -1;
    {
        CShapeFile f;
        create(f, 1);
        try {
            for (int i = 0; i < 100000; ++i) f.add(CPoint(i, i));
            f.close();
        } catch (const ShapeError& e) {
            number = e.number();
        }
        kept = f.count();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(number, 61);
    CShapeFile r;
    r.setFileSpec(fileName(shp()), CShapeFile::Status::Open);
    EXPECT_EQ(r.count(), kept);
    EXPECT_EQ(std::int64_t(readBytes(shp()).size()), 100 + 28 * std::int64_t(kept));
    ASSERT_GT(kept, 0);
    EXPECT_EQ(r.readPoint(kept)->x(), kept - 1);
}

TEST_F(Writer, ASecondSpecRaisesTheFailureOfClosingTheFirstPair) {
    CShapeFile f;
    create(f, 1);
    f.add(CPoint(1, 1));
    ShapeFileAccess::failWrite(f, 1, ENOSPC);
    EXPECT_SHAPE_ERROR(create(f, 3, "other"), PlatformError::DiskFull, "C_ShapeFile::Class_Terminate");
    EXPECT_FALSE(std::filesystem::exists(shp("other")));  // no new pair
    EXPECT_EQ(f.fileType(), 1);
    EXPECT_EQ(readBytes(shp()).size(), 100u);
}

TEST_F(Writer, CreationUsesExactNamesOnly) {
    writeBytes(dir.file("C.SHP"), Bytes(5, std::byte{1}));
    CShapeFile f;
    f.setFileSpec(fileName(dir.file("c.shp")), CShapeFile::Status::CreateIt, 1);
    f.close();
    EXPECT_EQ(readBytes(dir.file("C.SHP")), Bytes(5, std::byte{1}));
    EXPECT_EQ(readBytes(dir.file("c.shp")).size(), 100u);
}
