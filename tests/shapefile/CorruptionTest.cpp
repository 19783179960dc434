// Truncated, corrupt and hostile pairs: every check of the reader, one hand-made pair
// each. Each gives its numbered error; none crashes or allocates by a corrupt count.
#include "ShapeFileAccess.h"
#include "ShapeTestSupport.h"

#include <functional>

using namespace shapefile;
using namespace shapefile::test;

namespace {

struct Case {
    const char* name;
    std::int32_t fileType;
    std::function<void(Pair&)> corrupt;
    int code;
    const char* source;  // of the error out of readPoint / readPolyLine
    std::int32_t index = 2;
};

Pair basePair(std::int32_t type) {
    switch (type) {
    case 1: return makePair(1, {pointContents(1, 2), pointContents(3, 4)});
    case 8: return makePair(8, {multiPointContents({{1, 1}, {2, 2}}), multiPointContents({{3, 3}})});
    default:
        return makePair(type, {polyContents(type, {0, 2}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}),
                               polyContents(type, {0}, {{5, 5}, {6, 6}})});
    }
}

// Second record's contents start at these offsets of the main file.
constexpr std::size_t kPointRecord2 = 128;
constexpr std::size_t kPolyRecord2 = 100 + 8 + 44 + 8 + 64;

}  // namespace

TEST(Corruption, EveryCheckGivesItsNumberedError) {
    const Case cases[] = {
        {"entry cut from the index", 1, [](Pair& p) { p.shx.resize(112); }, 536, "CShapeFile::ReadPoint"},
        {"negative length in the index", 3, [](Pair& p) { setBE32(p.shx, 112, -5); }, 532, "CShapeFile::ReadPolyLine"},
        {"index length past the main file", 1, [](Pair& p) { setBE32(p.shx, 112, 0x7fffffff); }, 531,
         "CShapeFile::ReadPoint"},
        {"offset inside the header", 1, [](Pair& p) { setBE32(p.shx, 108, 10); }, 518, "CShapeFile::ReadPoint"},
        {"negative offset", 3, [](Pair& p) { setBE32(p.shx, 108, -4); }, 518, "CShapeFile::ReadPolyLine"},
        {"offset past the main file", 1, [](Pair& p) { setBE32(p.shx, 108, 0x7fffffff); }, 518, "CShapeFile::ReadPoint"},
        {"record header cut", 1, [](Pair& p) { p.shp.resize(kPointRecord2 + 6); }, 518, "CShapeFile::ReadPoint"},
        {"record number", 3, [](Pair& p) { setBE32(p.shp, kPolyRecord2, 1); }, 517, "CShapeFile::ReadPolyLine"},
        {"content length 0", 1, [](Pair& p) { setBE32(p.shp, kPointRecord2 + 4, 0); }, 532, "CShapeFile::ReadPoint"},
        {"negative content length", 3, [](Pair& p) { setBE32(p.shp, kPolyRecord2 + 4, -2); }, 532,
         "CShapeFile::ReadPolyLine"},
        {"huge content length", 3, [](Pair& p) { setBE32(p.shp, kPolyRecord2 + 4, 0x7fffffff); }, 531,
         "CShapeFile::ReadPolyLine"},
        {"record cut", 1, [](Pair& p) { p.shp.resize(p.shp.size() - 1); }, 531, "CShapeFile::ReadPoint"},
        {"type of another file", 1, [](Pair& p) { setLE32(p.shp, kPointRecord2 + 8, 3); }, 526, "CShapeFile::ReadPoint"},
        {"point record too short", 1,
         [](Pair& p) {
             setBE32(p.shp, kPointRecord2 + 4, 2);
             setBE32(p.shx, 112, 2);
         },
         532, "CShapeFile::ReadPoint"},
        {"no part", 3, [](Pair& p) { setLE32(p.shp, kPolyRecord2 + 8 + 36, 0); }, 532, "CShapeFile::ReadPolyLine"},
        {"negative part count", 5, [](Pair& p) { setLE32(p.shp, kPolyRecord2 + 8 + 36, -1); }, 532,
         "CShapeFile::ReadPolygon"},
        {"negative point count", 3, [](Pair& p) { setLE32(p.shp, kPolyRecord2 + 8 + 40, -1); }, 532,
         "CShapeFile::ReadPolyLine"},
        {"hostile point count", 3, [](Pair& p) { setLE32(p.shp, kPolyRecord2 + 8 + 40, 0x7fffffff); }, 532,
         "CShapeFile::ReadPolyLine"},
        {"hostile part count", 3, [](Pair& p) { setLE32(p.shp, kPolyRecord2 + 8 + 36, 0x40000000); }, 532,
         "CShapeFile::ReadPolyLine"},
        {"first start not 0", 3, [](Pair& p) { setLE32(p.shp, kPolyRecord2 + 8 + 44, 1); }, 532,
         "CShapeFile::ReadPolyLine"},
        {"decreasing starts", 3,
         [](Pair& p) {
             p = makePair(3, {polyContents(3, {0, 3, 2}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}})});
         },
         532, "CShapeFile::ReadPolyLine", 1},
        {"start past the points", 3,
         [](Pair& p) { p = makePair(3, {polyContents(3, {0, 5}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}})}); }, 532,
         "CShapeFile::ReadPolyLine", 1},
        {"more parts than points", 3,
         [](Pair& p) { p = makePair(3, {polyContents(3, {0, 0, 0}, {{0, 0}, {1, 1}})}); }, 532,
         "CShapeFile::ReadPolyLine", 1},
        {"record shorter than its fixed fields", 3,
         [](Pair& p) {
             setBE32(p.shp, kPolyRecord2 + 4, 20);
             setBE32(p.shx, 112, 20);
         },
         532, "CShapeFile::ReadPolyLine"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Pair p = basePair(c.fileType);
        c.corrupt(p);
        CShapeFile f;
        ShapeFileAccess::openFromMemory(f, p.shx, p.shp);
        if (c.fileType == 1)
            EXPECT_SHAPE_ERROR(f.readPoint(c.index), c.code, c.source);
        else if (c.fileType == 3)
            EXPECT_SHAPE_ERROR(f.readPolyLine(c.index), c.code, c.source);
        // Through item the same error carries the source of item.
        const ShapeError e = errorOf([&] { f.item(c.index); });
        EXPECT_EQ(e.libraryCode(), c.code);
        EXPECT_EQ(e.source(), "CShapeFile::Item");
        if (c.code == 531) {
            EXPECT_EQ(e.description(), "Unexpected end of file");
        }
        if (c.code == 532) {
            EXPECT_EQ(e.description(), "Invalid record contents");
        }
    }
}

TEST(Corruption, MultiPointCountsAreChecked) {
    for (std::int32_t n : {-1, 3, 0x7fffffff, std::int32_t(0x80000000u)}) {
        Pair p = basePair(8);
        setLE32(p.shp, 100 + 8 + 36, n);
        CShapeFile f;
        ShapeFileAccess::openFromMemory(f, p.shx, p.shp);
        EXPECT_SHAPE_ERROR(f.item(1), LibraryError::InvalidRecord, "CShapeFile::Item");
        EXPECT_TRUE(f.item(2));
    }
}

TEST(Corruption, BrokenHeadersAndTinyFiles) {
    const Pair good = basePair(1);
    CShapeFile f;
    EXPECT_SHAPE_ERROR(ShapeFileAccess::openFromMemory(f, {}, good.shp), LibraryError::UnexpectedEndOfFile,
                       "C_ShapeFile::SetFileSpec");
    EXPECT_SHAPE_ERROR(ShapeFileAccess::openFromMemory(f, good.shx, Bytes(good.shp.begin(), good.shp.begin() + 60)),
                       LibraryError::UnexpectedEndOfFile, "C_ShapeFile::SetFileSpec");
    // A negative index length holds no record; a huge one no more than the entries present.
    Pair p = good;
    setBE32(p.shx, 24, -100);
    ShapeFileAccess::openFromMemory(f, p.shx, p.shp);
    EXPECT_EQ(f.count(), 0);
    EXPECT_SHAPE_ERROR(f.item(1), LibraryError::NoSuchRecord, "CShapeFile::Item");
    setBE32(p.shx, 24, 0x7fffffff);
    ShapeFileAccess::openFromMemory(f, p.shx, p.shp);
    EXPECT_EQ(f.count(), 2);
    EXPECT_TRUE(f.item(2));
    EXPECT_SHAPE_ERROR(f.item(3), LibraryError::NoSuchRecord, "CShapeFile::Item");
}
