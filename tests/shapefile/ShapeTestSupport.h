#pragma once
// Helpers of the shapefile tests: a temporary folder per test, file bytes, hand-made
// records, the outside programs, and the peer that reaches library-internal setters.

#include "Shapefile.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace shapefile {

// Reaches the library-internal members, as the reader does.
struct ShapeTestPeer {
    static void setNull(CPoint& p, bool value) { p.setNull(value); }
    static void setNull(CRect& r, bool value) { r.setNull(value); }
    template <class Shape>
    static void setNull(Shape& s, bool value) {
        s.setNull(value);
    }
    template <class Shape>
    static void setBox(Shape& s, double left, double right, double bottom, double top) {
        s.setLeft(left);
        s.setRight(right);
        s.setBottom(bottom);
        s.setTop(top);
    }
};

}  // namespace shapefile

namespace shapefile::test {

using Bytes = std::vector<std::byte>;

// A fresh folder, removed at the end of the test.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

Bytes readBytes(const std::filesystem::path& p);
void writeBytes(const std::filesystem::path& p, const Bytes& bytes);

CFileName fileName(const std::string& spec);

// Shapes from coordinates.
std::shared_ptr<CPoint> point(double x, double y);
std::shared_ptr<CPart> part(std::initializer_list<std::pair<double, double>> xy);
template <class Shape>
std::shared_ptr<Shape> shapeOf(std::initializer_list<std::shared_ptr<CPart>> parts) {
    auto s = std::make_shared<Shape>();
    for (const auto& p : parts) s->add(p);
    return s;
}
std::shared_ptr<CMultiPoint> multiPoint(std::initializer_list<std::pair<double, double>> xy);

// Coordinates of a polyline or polygon, part by part.
using PartsXY = std::vector<std::vector<std::pair<double, double>>>;
template <class Shape>
PartsXY coordinates(const Shape& s) {
    PartsXY out;
    for (const auto& p : s) {
        out.emplace_back();
        for (const auto& v : *p) out.back().emplace_back(v->x(), v->y());
    }
    return out;
}

// Byte builders for hand-made pairs.
void putBE32(Bytes& b, std::int32_t v);
void putLE32(Bytes& b, std::int32_t v);
void putLEDouble(Bytes& b, double v);
void setBE32(Bytes& b, std::size_t at, std::int32_t v);
void setLE32(Bytes& b, std::size_t at, std::int32_t v);
Bytes header(std::int32_t lengthWords, std::int32_t shapeType, double xmin = 0, double ymin = 0,
             double xmax = 0, double ymax = 0);
// A consistent pair from record contents (each starting with its shape type).
struct Pair {
    Bytes shx, shp;
};
// The main header's box is xmin, ymin, xmax, ymax.
Pair makePair(std::int32_t fileType, const std::vector<Bytes>& contents, std::vector<double> box = {0, 0, 0, 0});
Bytes pointContents(double x, double y);
Bytes nullContents();
Bytes polyContents(std::int32_t type, const std::vector<std::int32_t>& starts,
                   const std::vector<std::pair<double, double>>& points);
Bytes multiPointContents(const std::vector<std::pair<double, double>>& points);

// Runs a program, returns its exit code, standard output and standard error.
struct Run {
    int exitCode = -1;
    std::string out;
    std::string err;
};
Run runProgram(const std::string& program, const std::vector<std::string>& args);

// The library code of a library error, the platform number of a platform failure.
int codeOf(const ShapeError& e);

// The error a statement raises; a test failure (and an empty error) when it raises none.
template <class F>
ShapeError errorOf(F&& statement) {
    try {
        statement();
    } catch (const ShapeError& e) {
        return e;
    }
    ADD_FAILURE() << "no error";
    return ShapeError(0, "", "");
}

// Expects a ShapeError with the library code (or platform number) and source, and with
// the description when one is given.
#define EXPECT_SHAPE_ERROR(statement, code, sourceText, ...)                                 \
    do {                                                                                     \
        const ::shapefile::ShapeError e_ = ::shapefile::test::errorOf([&] { statement; });   \
        EXPECT_EQ(::shapefile::test::codeOf(e_), int(code)) << #statement << ": " << e_.description(); \
        EXPECT_EQ(e_.source(), std::string(sourceText)) << #statement;                       \
        for (const std::string& text_ : std::initializer_list<std::string>{__VA_ARGS__}) \
            EXPECT_EQ(e_.description(), text_);                                               \
    } while (0)

}  // namespace shapefile::test
