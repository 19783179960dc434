// Input: a 4-byte little-endian length n, then n bytes of index (.shx), then the main
// file (.shp). The pair is opened from memory and every record within reach is read and
// walked. Only the library's numbered errors may come out; anything else is a failure.
#include "ShapeFileAccess.h"
#include "Shapefile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

using namespace shapefile;

namespace {

double sink = 0;

template <class Shape>
void walkParts(const Shape& shape) {
    for (const auto& part : shape) {
        sink += part->left() + part->right() + part->top() + part->bottom();
        for (const auto& p : *part) sink += p->x() + p->y();
    }
}

void walk(const IShape& shape) {
    sink += shape.left() + shape.right() + shape.top() + shape.bottom();
    switch (shape.shapeClass()) {
    case ShapeClass::PolyLine: walkParts(static_cast<const CPolyLine&>(shape)); break;
    case ShapeClass::Polygon: walkParts(static_cast<const CPolygon&>(shape)); break;
    case ShapeClass::MultiPoint:
        for (const auto& p : static_cast<const CMultiPoint&>(shape)) sink += p->x();
        break;
    case ShapeClass::Point:
    case ShapeClass::Rect: break;
    }
    // The distance walks parts and vertices by position; degenerate shapes must give errors.
    try {
        sink += CPoint(1.5, -2.5).distance(&shape);
    } catch (const ShapeError&) {
    }
}

std::vector<std::byte> bytes(const std::uint8_t* from, const std::uint8_t* to) {
    return std::vector<std::byte>(reinterpret_cast<const std::byte*>(from), reinterpret_cast<const std::byte*>(to));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::size_t declared = std::size_t(data[0]) | std::size_t(data[1]) << 8 | std::size_t(data[2]) << 16 |
                                 std::size_t(data[3]) << 24;
    const std::uint8_t* body = data + 4;
    const std::size_t bodySize = size - 4;
    const std::size_t shxSize = std::min(declared, bodySize);

    CShapeFile file;
    try {
        ShapeFileAccess::openFromMemory(file, bytes(body, body + shxSize), bytes(body + shxSize, body + bodySize));
    } catch (const ShapeError&) {
        return 0;
    }
    sink += file.left() + file.right() + file.top() + file.bottom() + file.fileType();
    const std::int32_t count = file.count();
    std::vector<std::int32_t> indexes = {-1, 0, count == INT32_MAX ? count : count + 1};
    // Records up to 2000 (count() is already bounded by the entries the index holds).
    for (std::int32_t i = 1; i <= std::min(count, 2000); ++i) indexes.push_back(i);
    for (const std::int32_t i : indexes) {
        try {
            if (const auto shape = file.item(i)) walk(*shape);
        } catch (const ShapeError&) {
        }
    }
    // The readers a caller may use directly, whatever the file type.
    for (const std::int32_t i : {1, 2}) {
        try {
            if (const auto p = file.readPoint(i)) walk(*p);
        } catch (const ShapeError&) {
        }
        try {
            walk(*file.readPolyLine(i));
        } catch (const ShapeError&) {
        }
    }
    return 0;
}
