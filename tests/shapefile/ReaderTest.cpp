// Opening pairs and reading records: counts, lookups, null records, part layouts and the
// errors of the header checks.
#include "ShapeFileAccess.h"
#include "ShapeTestSupport.h"

#include <cmath>
#include <limits>

using namespace shapefile;
using namespace shapefile::test;

namespace {

class Reader : public ::testing::Test {
protected:
    std::string write(const std::string& base, const Pair& p, const std::string& shpExt = "shp",
                      const std::string& shxExt = "shx") {
        writeBytes(dir.file(base + "." + shpExt), p.shp);
        writeBytes(dir.file(base + "." + shxExt), p.shx);
        return dir.file(base + ".shp");
    }
    void open(CShapeFile& f, const std::string& spec) { f.setFileSpec(fileName(spec), CShapeFile::Status::Open); }
    TempFolder dir;
};

}  // namespace

TEST_F(Reader, PointFileRecordsAndIndexesOutsideTheFile) {
    const Pair p = makePair(1, {pointContents(1, 2), nullContents(), pointContents(-3, 4.5)}, {-3, 2, 1, 4.5});
    CShapeFile f;
    open(f, write("pts", p));
    EXPECT_EQ(f.count(), 3);
    EXPECT_EQ(f.fileType(), 1);
    EXPECT_EQ(f.left(), -3);
    EXPECT_EQ(f.bottom(), 2);
    EXPECT_EQ(f.right(), 1);
    EXPECT_EQ(f.top(), 4.5);
    auto first = std::dynamic_pointer_cast<CPoint>(f.item(1));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->x(), 1);
    EXPECT_EQ(first->y(), 2);
    EXPECT_FALSE(first->isNull());
    EXPECT_TRUE(f.item(2)->isNull());
    EXPECT_EQ(f.readPoint(3)->x(), -3);
    EXPECT_NE(f.item(1), f.item(1));  // nothing is cached
}

// One error for an index without a record, whatever the file type.
TEST_F(Reader, IndexesOutsideTheFileRaise536ForEveryType) {
    const Pair points = makePair(1, {pointContents(1, 2)});
    const Pair lines = makePair(3, {polyContents(3, {0}, {{0, 0}, {1, 1}})});
    const Pair rings = makePair(5, {polyContents(5, {0}, {{0, 0}, {1, 1}, {0, 0}})});
    const Pair multi = makePair(8, {multiPointContents({{1, 1}})});
    for (const auto& [name, pair] :
         {std::pair{"p", points}, std::pair{"l", lines}, std::pair{"r", rings}, std::pair{"m", multi}}) {
        SCOPED_TRACE(name);
        CShapeFile f;
        open(f, write(name, pair));
        ASSERT_EQ(f.count(), 1);
        EXPECT_TRUE(f.item(1));
        for (int index : {0, -1, 2, INT32_MAX, INT32_MIN})
            EXPECT_SHAPE_ERROR(f.item(index), LibraryError::NoSuchRecord, "CShapeFile::Item",
                               "There is no record with this index");
    }
    CShapeFile f;
    open(f, write("l", lines));
    EXPECT_SHAPE_ERROR(f.readPolyLine(2), LibraryError::NoSuchRecord, "CShapeFile::ReadPolyLine");
    CShapeFile g;
    open(g, write("p", points));
    EXPECT_SHAPE_ERROR(g.readPoint(2), LibraryError::NoSuchRecord, "CShapeFile::ReadPoint");
}

// readPoint would give the corner of another record's box, readPolyLine a polygon's rings
// or a multipoint's coordinates as parts.
TEST_F(Reader, EachReaderRefusesAFileOfAnotherType) {
    const Pair files[] = {makePair(1, {pointContents(1, 2)}), makePair(3, {polyContents(3, {0}, {{0, 0}, {1, 1}})}),
                          makePair(5, {polyContents(5, {0}, {{0, 0}, {1, 1}, {0, 0}})}),
                          makePair(8, {multiPointContents({{1, 1}})})};
    for (const Pair& pair : files) {
        CShapeFile f;
        open(f, write("t", pair));
        SCOPED_TRACE(f.fileType());
        EXPECT_TRUE(f.item(1));
        if (f.fileType() != 1)
            EXPECT_SHAPE_ERROR(f.readPoint(1), LibraryError::ShapeTypeMismatch, "CShapeFile::ReadPoint",
                               "A shape type does not match main header type.");
        else
            EXPECT_TRUE(f.readPoint(1));
        if (f.fileType() != 3)
            EXPECT_SHAPE_ERROR(f.readPolyLine(1), LibraryError::ShapeTypeMismatch, "CShapeFile::ReadPolyLine");
        else
            EXPECT_TRUE(f.readPolyLine(1));
    }
}

TEST_F(Reader, CountFromTheIndexLengthRoundsHalvesToEven) {
    const Pair base = makePair(1, {pointContents(1, 1), pointContents(2, 2), pointContents(3, 3)});
    for (const auto& [words, count] : {std::pair{52, 0}, {54, 1}, {56, 2}, {46, 0}, {57, 2}, {55, 1}}) {
        Pair p = base;
        setBE32(p.shx, 24, words);
        CShapeFile f;
        open(f, write("c", p));
        EXPECT_EQ(f.count(), count) << words;
    }
    // A rounded-up count does not read past the length the header gives.
    Pair p = base;
    setBE32(p.shx, 24, 57);
    CShapeFile f;
    open(f, write("c", p));
    EXPECT_TRUE(f.item(1));
    EXPECT_SHAPE_ERROR(f.item(2), LibraryError::NoSuchRecord, "CShapeFile::Item");
    // A header claiming more records than the index holds counts those present.
    setBE32(p.shx, 24, 50 + 4 * 100000000);
    CShapeFile g;
    open(g, write("c", p));
    EXPECT_EQ(g.count(), 3);
    p.shx.resize(p.shx.size() - 1);
    CShapeFile h;
    open(h, write("c", p));
    EXPECT_EQ(h.count(), 2);
}

TEST_F(Reader, OtherFileTypesOpenAndReadAsNothing) {
    Pair p = makePair(11, {pointContents(1, 1)});
    setLE32(p.shp, 108, 11);
    CShapeFile f;
    open(f, write("z", p));
    EXPECT_EQ(f.fileType(), 11);
    EXPECT_EQ(f.count(), 1);
    for (int index : {-1, 0, 1, 2}) EXPECT_EQ(f.item(index), nullptr);
}

TEST_F(Reader, NullRecordsComeBackAsNullShapesOfTheFilesClass) {
    CShapeFile f;
    open(f, write("l", makePair(3, {nullContents(), polyContents(3, {0}, {{1, 1}, {2, 2}})})));
    auto nullLine = std::dynamic_pointer_cast<CPolyLine>(f.item(1));
    ASSERT_TRUE(nullLine);
    EXPECT_TRUE(nullLine->isNull());
    EXPECT_EQ(nullLine->count(), 0);
    EXPECT_FALSE(f.item(2)->isNull());
    EXPECT_EQ(f.readPolyLine(2)->item(1)->count(), 2);

    CShapeFile m;
    open(m, write("m", makePair(8, {nullContents(), multiPointContents({})})));
    EXPECT_TRUE(std::dynamic_pointer_cast<CMultiPoint>(m.item(1))->isNull());
    auto empty = std::dynamic_pointer_cast<CMultiPoint>(m.item(2));
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->isNull());
    EXPECT_EQ(empty->count(), 0);
}

TEST_F(Reader, PartsFollowTheStartsAndTheBoxIsThatOfThePoints) {
    // The stored box (all 0 here) is replaced by the box of the points read.
    CShapeFile f;
    open(f, write("l", makePair(3, {polyContents(3, {0, 3}, {{1, 1}, {2, 5}, {3, 1}, {-4, 0}, {-5, 2}}),
                                    polyContents(3, {0, 0, 2}, {{7, 7}, {8, 8}, {9, 9}})})));
    auto line = f.readPolyLine(1);
    EXPECT_EQ(coordinates(*line), (PartsXY{{{1, 1}, {2, 5}, {3, 1}}, {{-4, 0}, {-5, 2}}}));
    EXPECT_EQ(line->left(), -5);
    EXPECT_EQ(line->right(), 3);
    EXPECT_EQ(line->bottom(), 0);
    EXPECT_EQ(line->top(), 5);
    EXPECT_EQ(line->item(2)->left(), -5);
    // Equal starts are an empty part (our writer writes them).
    EXPECT_EQ(coordinates(*f.readPolyLine(2)), (PartsXY{{}, {{7, 7}, {8, 8}}, {{9, 9}}}));

    CShapeFile g;
    open(g, write("g", makePair(5, {polyContents(5, {0, 5}, {{0, 0}, {0, 4}, {4, 4}, {4, 0}, {0, 0},
                                                            {1, 1}, {2, 1}, {2, 2}, {1, 1}})})));
    auto polygon = std::dynamic_pointer_cast<CPolygon>(g.item(1));
    ASSERT_TRUE(polygon);
    EXPECT_EQ(polygon->count(), 2);
    EXPECT_EQ(polygon->item(2)->count(), 4);
}

TEST_F(Reader, RecordsOfAnotherTypeOrNumberAreErrors) {
    CShapeFile f;
    open(f, write("g", makePair(5, {polyContents(3, {0}, {{0, 0}, {1, 1}})})));
    EXPECT_SHAPE_ERROR(f.item(1), LibraryError::ShapeTypeMismatch, "CShapeFile::Item",
                       "A shape type does not match main header type.");

    Pair p = makePair(1, {pointContents(1, 1), pointContents(2, 2)});
    setBE32(p.shp, 128, 7);  // record 2 numbered 7
    CShapeFile g;
    open(g, write("n", p));
    EXPECT_TRUE(g.item(1));
    EXPECT_SHAPE_ERROR(g.readPoint(2), LibraryError::RecordMismatch, "CShapeFile::ReadPoint");
    EXPECT_SHAPE_ERROR(g.item(2), LibraryError::RecordMismatch, "CShapeFile::Item",
                       "Index Record does not match main file Record");
    EXPECT_EQ(errorOf([&] { g.item(2); }).number(), std::int32_t(0x80040205u));
}

TEST_F(Reader, LookupIgnoresCaseAndExtensionOfTheSpec) {
    const Pair p = makePair(1, {pointContents(1, 1)});
    write("UPPER", p, "SHP", "SHX");
    CShapeFile f;
    open(f, dir.file("upper.shp"));
    EXPECT_EQ(f.count(), 1);
    open(f, dir.file("upper.dbf"));
    EXPECT_EQ(f.count(), 1);

    // Among case variants the first in sorted order is taken.
    write("B", makePair(1, {pointContents(1, 1)}), "SHP", "SHX");
    write("b", makePair(1, {pointContents(1, 1), pointContents(2, 2)}), "Shp", "Shx");
    open(f, dir.file("b.shp"));
    EXPECT_EQ(f.count(), 1);

    // The exact name wins over a case variant.
    write("same", p);
    writeBytes(dir.file("SAME.shp"), Bytes(10));
    open(f, dir.file("same.shp"));
    EXPECT_EQ(f.count(), 1);
}

TEST_F(Reader, MissingFilesNameTheFileLookedFor) {
    const Pair p = makePair(1, {pointContents(1, 1)});
    writeBytes(dir.file("only.shp"), p.shp);
    CShapeFile f;
    const char* source = "C_ShapeFile::SetFileSpec";
    EXPECT_SHAPE_ERROR(open(f, dir.file("only.dbf")), LibraryError::FileNotFound, source,
                       "The specified file " + dir.file("only.shx") + " does not exist.");
    EXPECT_SHAPE_ERROR(open(f, dir.file("none.shp")), LibraryError::FileNotFound, source,
                       "The specified file " + dir.file("none.shp") + " does not exist.");
    EXPECT_SHAPE_ERROR(open(f, "C:\\data\\tracks.dbf"), LibraryError::FileNotFound, source,
                       "The specified file C:\\data\\tracks.shp does not exist.");
    EXPECT_SHAPE_ERROR(f.setFileSpec(fileName("/nowhere/x.y"), CShapeFile::Status::Open), LibraryError::FileNotFound,
                       "C_ShapeFile::SetFileSpec");
    EXPECT_SHAPE_ERROR(f.setFileSpec(CFileName(), CShapeFile::Status::Open), LibraryError::InvalidFileSpec,
                       "C_FileName::SetFileSpec");
}

TEST_F(Reader, InvalidFileCodesAreCheckedIndexFirst) {
    const Pair p = makePair(1, {pointContents(1, 1)}, {10, 20, 30, 40});
    Pair badIndex = p;
    setBE32(badIndex.shx, 0, 9995);
    setBE32(badIndex.shp, 0, 1);
    CShapeFile f;
    EXPECT_SHAPE_ERROR(open(f, write("a", badIndex)), LibraryError::InvalidFileCode, "C_ShapeFile::SetFileSpec",
                       "The shx file has an invalid shape code in the main header.");
    EXPECT_EQ(f.left(), 0);  // the main header was not read

    Pair badMain = p;
    setBE32(badMain.shp, 0, 0);
    EXPECT_SHAPE_ERROR(open(f, write("b", badMain)), LibraryError::InvalidFileCode, "C_ShapeFile::SetFileSpec",
                       "The shp file has an invalid shape code in the main header.");
    EXPECT_EQ(f.left(), 10);  // the box is taken before the code is checked
    EXPECT_EQ(f.top(), 40);
    EXPECT_EQ(f.count(), 0);
    EXPECT_EQ(f.item(1), nullptr);

    Pair shortHeader = p;
    shortHeader.shx.resize(99);
    EXPECT_SHAPE_ERROR(open(f, write("c", shortHeader)), LibraryError::UnexpectedEndOfFile, "C_ShapeFile::SetFileSpec");
}

TEST_F(Reader, ASecondSpecClosesTheFirstPair) {
    CShapeFile f;
    f.setFileSpec(fileName(dir.file("w.shp")), CShapeFile::Status::CreateIt, 1);
    f.add(CPoint(9, 9));
    open(f, write("r", makePair(1, {pointContents(1, 1), pointContents(2, 2)})));
    EXPECT_EQ(f.count(), 2);
    CShapeFile g;
    open(g, dir.file("w.shp"));  // the first pair was flushed and closed
    EXPECT_EQ(g.count(), 1);
    EXPECT_EQ(g.readPoint(1)->x(), 9);
}

TEST(ReaderMemory, OpensFromMemoryLikeFiles) {
    const Pair p = makePair(8, {multiPointContents({{1, 2}, {3, 4}})});
    CShapeFile f;
    ShapeFileAccess::openFromMemory(f, p.shx, p.shp);
    EXPECT_EQ(f.count(), 1);
    auto m = std::dynamic_pointer_cast<CMultiPoint>(f.item(1));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->item(2)->y(), 4);
    EXPECT_EQ(m->right(), 3);
}

// The box of each part and multipoint read is the one that adding its points one at a time
// gives: the first point's, widened by each later one, a NaN coordinate never widening it.
TEST_F(Reader, TheBoxOfWhatIsReadIsThatOfItsPointsAddedOneByOne) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    using Points = std::vector<std::pair<double, double>>;
    const std::vector<std::pair<const char*, Points>> cases = {
        {"one point", {{3, -2}}},
        {"growing every way", {{0, 0}, {-1, 2}, {5, -3}, {2, 9}, {-7, 1}}},
        {"a NaN first", {{nan, 1}, {2, nan}, {-3, 4}}},
        {"a NaN later", {{1, 1}, {nan, nan}, {-2, 5}, {4, nan}}},
        {"infinities", {{1, 1}, {-inf, inf}, {inf, -inf}}},
    };
    const auto sameBox = [](const auto& read, const auto& added) {
        const auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
        return same(read.left(), added.left()) && same(read.right(), added.right()) &&
               same(read.bottom(), added.bottom()) && same(read.top(), added.top());
    };
    for (const auto& [name, points] : cases) {
        SCOPED_TRACE(name);
        CPart part;
        CMultiPoint multi;
        for (const auto& [x, y] : points) {
            part.add(std::make_shared<CPoint>(x, y));
            multi.add(std::make_shared<CPoint>(x, y));
        }
        CShapeFile l, m;
        open(l, write("l", makePair(3, {polyContents(3, {0}, points)})));
        open(m, write("m", makePair(8, {multiPointContents(points)})));
        EXPECT_TRUE(sameBox(*l.readPolyLine(1)->item(1), part));
        EXPECT_TRUE(sameBox(*std::dynamic_pointer_cast<CMultiPoint>(m.item(1)), multi));
    }
}
