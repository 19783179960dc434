// Our pairs against the outside readers and writers: shapelib reads them and writes the
// very same bytes, ogrinfo sees the same features, and pairs written by ogr2ogr read back
// as shapelib reads them.
#include "Records.h"

#include <charconv>
#include <fstream>
#include <limits>
#include <sstream>

using namespace shapefile;
using namespace shapefile::test;

namespace {

std::string number(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string coords(const std::vector<std::pair<double, double>>& xy, std::size_t from, std::size_t to) {
    std::string s;
    for (std::size_t k = from; k < to; ++k) {
        if (k > from) s += ',';
        s += number(xy[k].first);
        s += ' ';
        s += number(xy[k].second);
    }
    return s;
}

// The WKT ogrinfo prints for a record; "" for a null record.
std::string wkt(std::int32_t type, const Record& r) {
    if (r.null) return "";
    if (type == 1) return "POINT (" + coords(r.xy, 0, 1) + ")";
    if (type == 8) {
        std::string s;
        for (std::size_t k = 0; k < r.xy.size(); ++k) s += (k ? ",(" : "(") + coords(r.xy, k, k + 1) + ")";
        return "MULTIPOINT (" + s + ")";
    }
    std::string parts;
    for (std::size_t i = 0; i < r.starts.size(); ++i) {
        const std::size_t end = i + 1 < r.starts.size() ? std::size_t(r.starts[i + 1]) : r.xy.size();
        parts += (i ? ",(" : "(") + coords(r.xy, std::size_t(r.starts[i]), end) + ")";
    }
    if (type == 3) return r.starts.size() == 1 ? "LINESTRING " + parts : "MULTILINESTRING (" + parts + ")";
    return "POLYGON (" + parts + ")";  // one outer ring (clockwise) and its holes
}

// Numbers in a WKT text rewritten in one form ("12.5 10.0" and "1e+05" as "12.5 10" and
// "100000"), so that texts compare by value.
std::string normalized(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if ((c >= '0' && c <= '9') || c == '-' || c == '.') {
            double v = 0;
            const auto r = std::from_chars(text.data() + i, text.data() + text.size(), v);
            if (r.ec != std::errc()) {
                out += c;
                ++i;
                continue;
            }
            out += number(v);
            i = std::size_t(r.ptr - text.data());
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

struct OgrLayer {
    int count = -1;
    std::string extent;
    std::vector<std::string> geometries;
};

OgrLayer ogrinfo(const std::string& path) {
    const Run run = runProgram("ogrinfo", {"-al", "-ro", path});
    EXPECT_EQ(run.exitCode, 0) << run.out;
    OgrLayer layer;
    std::istringstream in(run.out);
    std::string line;
    bool inFeature = false;
    while (std::getline(in, line)) {
        if (line.rfind("Feature Count: ", 0) == 0) layer.count = std::stoi(line.substr(15));
        if (line.rfind("Extent: ", 0) == 0) layer.extent = line.substr(8);
        if (line.rfind("OGRFeature(", 0) == 0) {
            layer.geometries.emplace_back();
            inFeature = true;
        } else if (inFeature && line.rfind("  ", 0) == 0 && line.find(" = ") == std::string::npos) {
            layer.geometries.back() = normalized(line.substr(2));
        }
    }
    return layer;
}

// The extent as ogrinfo prints it: six decimals.
std::string extentText(const std::vector<double>& box) {
    const auto fixed = [](double v) {
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
        return std::string(buf, r.ptr);
    };
    return "(" + fixed(box[0]) + ", " + fixed(box[1]) + ") - (" + fixed(box[2]) + ", " + fixed(box[3]) + ")";
}

Record rec(std::vector<std::int32_t> starts, std::vector<std::pair<double, double>> xy) {
    return Record{false, std::move(starts), std::move(xy)};
}
Record nullRecord() { return Record{true, {}, {}}; }

// A closed clockwise ring of four sides from (x, y).
Record square(double x, double y) { return rec({0}, {{x, y}, {x, y + 1}, {x + 1, y + 1}, {x + 1, y}, {x, y}}); }

// Hand-picked records per type, with short decimals so that ogrinfo prints them exactly.
std::vector<std::pair<std::int32_t, std::vector<Record>>> sampleSets() {
    return {
        {1, {nullRecord(), rec({}, {{5, 7}}), rec({}, {{-1.25, 3.5}}), nullRecord(), rec({}, {{1e5, -2e5}})}},
        {3,
         {rec({0}, {{0, 0}, {1, 1}, {2, 0}}), nullRecord(),
          rec({0, 3}, {{10, 10}, {11, 12}, {12.5, 10}, {-3, -4}, {-2, -2}}), rec({0}, {{7, 7}, {8, 9}})}},
        {5,
         {rec({0, 5}, {{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}, {2, 2}, {4, 2}, {4, 4}, {2, 4}, {2, 2}}), nullRecord(),
          rec({0}, {{20, 20}, {20, 21}, {21, 21}, {20, 20}})}},
        {8, {nullRecord(), rec({}, {{1, 2}, {3, 4}, {-5, 6.75}}), rec({}, {{0.5, 0.5}})}},
    };
}

}  // namespace

TEST(Interop, ShapelibReadsOurPairsAndWritesTheSameBytes) {
    TempFolder dir;
    for (const auto& [type, records] : sampleSets()) {
        SCOPED_TRACE(type);
        const std::string ours = dir.file("ours" + std::to_string(type) + ".shp");
        const std::string theirs = dir.file("theirs" + std::to_string(type) + ".shp");
        writeOurs(ours, type, records);
        writeShapelib(theirs, type, records);
        EXPECT_EQ(readBytes(ours), readBytes(theirs));
        EXPECT_EQ(readBytes(dir.file("ours" + std::to_string(type) + ".shx")),
                  readBytes(dir.file("theirs" + std::to_string(type) + ".shx")));

        const PairContents seen = readShapelib(ours);
        EXPECT_EQ(seen.type, type);
        EXPECT_EQ(seen.count, std::int32_t(records.size()));
        EXPECT_EQ(seen.records, records);
        EXPECT_EQ((std::vector<double>{seen.xmin, seen.ymin, seen.xmax, seen.ymax}), vertexBox(records));
        const PairContents back = readOurs(ours);
        EXPECT_EQ(back.records, records);
    }
}

TEST(Interop, OgrinfoSeesOurFeatures) {
    TempFolder dir;
    for (const auto& [type, records] : sampleSets()) {
        SCOPED_TRACE(type);
        const std::string path = dir.file("layer" + std::to_string(type) + ".shp");
        writeOurs(path, type, records);
        const OgrLayer layer = ogrinfo(path);
        EXPECT_EQ(layer.count, int(records.size()));
        EXPECT_EQ(layer.extent, extentText(vertexBox(records)));
        ASSERT_EQ(layer.geometries.size(), records.size());
        for (std::size_t i = 0; i < records.size(); ++i)
            EXPECT_EQ(layer.geometries[i], normalized(wkt(type, records[i]))) << i;
    }
}

TEST(Interop, PairsWrittenByOgr2ogrReadAsShapelibReadsThem) {
    TempFolder dir;
    const auto feature = [](const std::string& geometry) {
        return R"({"type":"Feature","properties":{"n":1},"geometry":)" + geometry + "}";
    };
    const std::vector<std::pair<std::string, std::vector<std::string>>> layers = {
        {"points", {feature(R"({"type":"Point","coordinates":[5,7]})"), feature("null"),
                    feature(R"({"type":"Point","coordinates":[-1.5,2.25]})")}},
        {"lines", {feature(R"({"type":"MultiLineString","coordinates":[[[0,0],[1,1],[2,0]],[[5,5],[6,7]]]})"),
                   feature("null"), feature(R"({"type":"LineString","coordinates":[[3,3],[4,4]]})")}},
        {"polygons",
         {feature(R"({"type":"Polygon","coordinates":[[[0,0],[10,0],[10,10],[0,10],[0,0]],[[2,2],[2,4],[4,4],[4,2],[2,2]]]})"),
          feature("null"),
          feature(R"({"type":"MultiPolygon","coordinates":[[[[20,20],[21,20],[21,21],[20,20]]],[[[30,30],[31,30],[31,31],[30,30]]]]})")}},
        {"multipoints", {feature(R"({"type":"MultiPoint","coordinates":[[1,2],[3,4]]})"), feature("null")}},
    };
    for (const auto& [name, features] : layers) {
        SCOPED_TRACE(name);
        const std::string source = dir.file(name + ".geojson");
        std::ofstream(source) << R"({"type":"FeatureCollection","features":[)"
                              << [&features = features] {
                                     std::string s;
                                     for (std::size_t i = 0; i < features.size(); ++i) s += (i ? "," : "") + features[i];
                                     return s;
                                 }()
                              << "]}";
        const std::string target = dir.file(name + ".shp");
        ASSERT_EQ(runProgram("ogr2ogr", {"-f", "ESRI Shapefile", target, source}).exitCode, 0);
        const PairContents ours = readOurs(target);
        const PairContents theirs = readShapelib(target);
        EXPECT_EQ(ours.type, theirs.type);
        EXPECT_EQ(ours.count, std::int32_t(features.size()));
        EXPECT_EQ(ours.records, theirs.records);
        EXPECT_EQ((std::vector<double>{ours.xmin, ours.ymin, ours.xmax, ours.ymax}),
                  (std::vector<double>{theirs.xmin, theirs.ymin, theirs.xmax, theirs.ymax}));
        EXPECT_TRUE(ours.records[1].null);
        EXPECT_FALSE(ours.records[0].null);
    }
    // A polygon with a hole reads as two rings of five points.
    const PairContents polygons = readOurs(dir.file("polygons.shp"));
    EXPECT_EQ(polygons.records[0].starts, (std::vector<std::int32_t>{0, 5}));
    EXPECT_EQ(polygons.records[0].xy.size(), 10u);
    EXPECT_EQ(polygons.records[2].starts, (std::vector<std::int32_t>{0, 4}));
    const PairContents lines = readOurs(dir.file("lines.shp"));
    EXPECT_EQ(lines.records[0].starts, (std::vector<std::int32_t>{0, 3}));
    EXPECT_EQ(lines.records[0].xy[4], (std::pair<double, double>{6, 7}));
}

TEST(Interop, RandomShapesRoundTripThroughUsAndShapelib) {
    TempFolder dir;
    std::mt19937_64 rng(20240601);
    for (std::int32_t type : {1, 3, 5, 8}) {
        SCOPED_TRACE(type);
        const auto records = randomRecords(type, 1000, rng);
        const std::string ours = dir.file("r" + std::to_string(type) + ".shp");
        writeOurs(ours, type, records);
        const PairContents back = readOurs(ours);
        EXPECT_EQ(back.count, 1000);
        EXPECT_TRUE(back.records == records);
        EXPECT_EQ((std::vector<double>{back.xmin, back.ymin, back.xmax, back.ymax}), vertexBox(records));
        EXPECT_TRUE(readShapelib(ours).records == records);

        const std::string theirs = dir.file("s" + std::to_string(type) + ".shp");
        writeShapelib(theirs, type, records);
        EXPECT_TRUE(readBytes(ours) == readBytes(theirs));
        EXPECT_TRUE(readBytes(dir.file("r" + std::to_string(type) + ".shx")) ==
                    readBytes(dir.file("s" + std::to_string(type) + ".shx")));
    }
}

// Records many times larger than the reader's window: points and part starts are taken in
// pieces, parts begin and end inside pieces, and the large point blocks take the bulk
// allocation path. Each record reads back whole, as written and as shapelib reads it.
TEST(Interop, RecordsLargerThanTheReadWindowReadBackWhole) {
    TempFolder dir;
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> coord(-1e6, 1e6);
    const auto points = [&](std::size_t n) {
        std::vector<std::pair<double, double>> xy(n);
        for (auto& p : xy) p = {coord(rng), coord(rng)};
        return xy;
    };
    // A long line between two short ones; 10,000 rings of 4 points (more starts than one
    // piece holds); 300,001 loose points.
    const Record line = rec({0, 5, 300006}, points(300013));
    Record rings;
    rings.xy = points(40000);
    for (std::int32_t i = 0; i < 10000; ++i) rings.starts.push_back(4 * i);
    const Record multi = rec({}, points(300001));
    for (const auto& [type, records] : std::vector<std::pair<std::int32_t, std::vector<Record>>>{
             {3, {line, rec({0}, {{1, 2}, {3, 4}})}}, {5, {rings}}, {8, {multi}}}) {
        SCOPED_TRACE(type);
        const std::string path = dir.file("big" + std::to_string(type) + ".shp");
        writeOurs(path, type, records);
        const PairContents back = readOurs(path);
        EXPECT_TRUE(back.records == records);
        EXPECT_TRUE(readShapelib(path).records == records);
    }
}

TEST(Interop, ZAndMFilesReadAsTheirBaseType) {
    TempFolder dir;
    struct Case {
        const char* nlt;
        std::int32_t type, base;
        const char* geometries;  // one WKT a line, "" for a null record
    };
    const Case cases[] = {
        {"POINTZ", 11, 1, "POINT Z (1 2 3)\n\nPOINT Z (4 5 6)"},
        {"MULTILINESTRINGZ", 13, 3, "MULTILINESTRING Z ((1 2 3,4 5 6),(7 8 9,1 1 1,2 2 2))\nLINESTRING Z (0 0 0,1 1 1)"},
        {"POLYGONZ", 15, 5, "POLYGON Z ((0 0 1,0 10 1,10 10 1,10 0 1,0 0 1),(2 2 0,4 2 0,4 4 0,2 2 0))"},
        {"MULTIPOINTZ", 18, 8, "MULTIPOINT Z ((1 2 3),(4 5 6))"},
        {"POINTM", 21, 1, "POINT M (1 2 3)"},
        {"MULTILINESTRINGM", 23, 3, "LINESTRING M (1 2 3,4 5 6,7 8 9)\n"},
        {"POLYGONM", 25, 5, "POLYGON M ((0 0 1,0 10 1,10 10 1,0 0 1))"},
        {"MULTIPOINTM", 28, 8, "MULTIPOINT M ((1 2 3))"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nlt);
        const std::string source = dir.file(std::string(c.nlt) + ".csv");
        {
            std::ofstream csv(source);
            csv << "WKT,id\n";
            std::istringstream lines(c.geometries);
            int id = 0;
            for (std::string g; std::getline(lines, g);) csv << '"' << g << "\"," << ++id << '\n';
        }
        const std::string target = dir.file(std::string(c.nlt) + ".shp");
        ASSERT_EQ(runProgram("ogr2ogr", {"-f", "ESRI Shapefile", "-oo", "KEEP_GEOM_COLUMNS=NO", "-nlt", c.nlt, target, source})
                      .exitCode,
                  0);
        const PairContents theirs = readShapelib(target);
        CShapeFile f;
        f.setFileSpec(fileName(target), CShapeFile::Status::Open);
        EXPECT_EQ(f.fileType(), c.type);
        EXPECT_EQ(f.baseType(), c.base);
        ASSERT_EQ(f.count(), theirs.count);
        for (std::int32_t i = 1; i <= f.count(); ++i) {
            EXPECT_EQ(f.item(i), nullptr);  // what item() gives these types stays as it was
            const auto shape = f.itemXY(i);
            ASSERT_NE(shape, nullptr);
            const Record ours = fromShape(*shape);
            EXPECT_EQ(ours.null, theirs.records[std::size_t(i - 1)].null) << i;
            EXPECT_EQ(ours.xy, theirs.records[std::size_t(i - 1)].xy) << i;
            if (i == 1 && c.type == 13) {
                EXPECT_EQ(ours.starts, (std::vector<std::int32_t>{0, 2}));
            }
            if (i == 1 && c.type == 15) {
                EXPECT_EQ(ours.starts, (std::vector<std::int32_t>{0, 5}));
            }
        }
    }
    // The 2D types read through either.
    CShapeFile plain;
    const std::string source = dir.file("plain.csv");
    std::ofstream(source) << "WKT,id\n\"POINT (1 2)\",1\n";
    ASSERT_EQ(runProgram("ogr2ogr", {"-f", "ESRI Shapefile", "-oo", "KEEP_GEOM_COLUMNS=NO", dir.file("plain.shp"), source})
                  .exitCode,
              0);
    plain.setFileSpec(fileName(dir.file("plain.shp")), CShapeFile::Status::Open);
    EXPECT_EQ(plain.baseType(), 1);
    EXPECT_EQ(fromShape(*plain.itemXY(1)), fromShape(*plain.item(1)));
}

// Whatever callers hand the writer, the pair it leaves is one that shpdump and ogrinfo read
// without a complaint: random records, null ones, coordinates NaN, infinite or huge, and
// shapes with a part without points, which the writer refuses and leaves out. Polygons are
// given as the export gives them, one closed clockwise ring, so that GDAL has nothing to
// say of their geometry.
TEST(Interop, ShpdumpAndOgrinfoReadWhateverTheWriterWrote) {
    TempFolder dir;
    std::mt19937_64 rng(99);
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<double, double>> odd = {{nan, 1}, {2, inf}, {1e300, -1e300}, {-0.0, 5}, {7, 8}};
    for (std::int32_t type : {1, 3, 5, 8}) {
        SCOPED_TRACE(type);
        const std::string path = dir.file("w" + std::to_string(type) + ".shp");
        std::int32_t written = 0;
        {
            CShapeFile f;
            f.setFileSpec(fileName(path), CShapeFile::Status::CreateIt, type);
            std::vector<Record> records = randomRecords(type, 200, rng);
            if (type == 5) {
                std::uniform_real_distribution<double> coord(-1e6, 1e6);
                for (Record& r : records)
                    if (!r.null) r = square(coord(rng), coord(rng));
            }
            // In a ring, the odd vertex sits between equal ends.
            for (const auto& [x, y] : odd)
                records.push_back(type == 5 ? rec({0}, {{0, 0}, {x, y}, {1, 1}, {1, 0}, {0, 0}})
                                            : Record{false, {}, {{x, y}, {x + 1, y}}});
            for (Record& r : records) {
                if (type == 3 && !r.null && r.starts.empty()) r.starts = {0};
                f.add(*toShape(type, r));
                ++written;
            }
            if (type == 3 || type == 5) {
                const auto refused = toShape(type, Record{false, {0, 2}, {{0, 0}, {1, 1}}});  // second part empty
                EXPECT_SHAPE_ERROR(f.add(*refused), LibraryError::EmptyPart,
                                   type == 3 ? "CShapeFile::PutPolyLine" : "CShapeFile::PutPolygon");
            }
            EXPECT_EQ(f.count(), written);
        }
        const test::Run dump = runProgram("shpdump", {path});
        EXPECT_EQ(dump.exitCode, 0);
        EXPECT_EQ(dump.err, "");
        EXPECT_EQ(dump.out.find("Corrupt"), std::string::npos) << dump.out.substr(0, 2000);
        EXPECT_EQ(dump.out.find("Unable"), std::string::npos);
        EXPECT_NE(dump.out.find("# of Shapes: " + std::to_string(written)), std::string::npos);
        const test::Run info = runProgram("ogrinfo", {"-al", "-ro", path});
        EXPECT_EQ(info.exitCode, 0);
        EXPECT_EQ(info.err, "");
        EXPECT_NE(info.out.find("Feature Count: " + std::to_string(written)), std::string::npos);
        // ogrinfo lists every feature.
        EXPECT_NE(info.out.find("OGRFeature(w" + std::to_string(type) + "):" + std::to_string(written - 1)),
                  std::string::npos);
    }
}
