#pragma once
// Library-internal: the layout of the ESRI shapefile main file (.shp) and index (.shx).
// Big-endian fields are the file code, the file length and the record and index
// headers; everything else is little-endian. Lengths and offsets count 16-bit words.

#include <cstddef>
#include <cstdint>

namespace shapefile::detail {

constexpr std::int32_t kFileCode = 9994;
constexpr std::int32_t kVersion = 1000;
constexpr std::int64_t kHeaderBytes = 100;
constexpr std::int64_t kHeaderWords = kHeaderBytes / 2;
constexpr std::int64_t kIndexEntryBytes = 8;
constexpr std::int64_t kRecordHeaderBytes = 8;
// Word fields are signed 32-bit: the writer keeps both files within this many bytes.
constexpr std::int64_t kMaxFileBytes = 2147483647;

namespace ShapeType {
constexpr std::int32_t Null = 0;
constexpr std::int32_t Point = 1;
constexpr std::int32_t PolyLine = 3;
constexpr std::int32_t Polygon = 5;
constexpr std::int32_t MultiPoint = 8;
constexpr std::int32_t PointZ = 11;
constexpr std::int32_t PolyLineZ = 13;
constexpr std::int32_t PolygonZ = 15;
constexpr std::int32_t MultiPointZ = 18;
constexpr std::int32_t PointM = 21;
constexpr std::int32_t PolyLineM = 23;
constexpr std::int32_t PolygonM = 25;
constexpr std::int32_t MultiPointM = 28;
}  // namespace ShapeType

// Record contents (after the 4-byte shape type) of the fixed-size parts.
constexpr std::int64_t kNullContentBytes = 4;
constexpr std::int64_t kPointContentBytes = 20;
constexpr std::int64_t kPolyFixedBytes = 44;        // type, box, NumParts, NumPoints
constexpr std::int64_t kMultiPointFixedBytes = 40;  // type, box, NumPoints
constexpr std::int64_t kVertexBytes = 16;
constexpr std::int64_t kPartIndexBytes = 4;

struct MainHeader {
    std::int32_t fileCode = 0;
    std::int32_t fileLengthWords = 0;
    std::int32_t shapeType = 0;
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
};

MainHeader decodeMainHeader(const std::byte* bytes) noexcept;
// The 100 bytes written at the start of both files: code 9994, version 1000, Z and M 0.
void encodeMainHeader(std::byte* bytes, const MainHeader& header) noexcept;

// The number of records an index length gives: (words - 50) / 4, halves to even, 0 when
// the length is below the header's.
std::int32_t recordCountFromIndexLength(std::int32_t indexWords) noexcept;

}  // namespace shapefile::detail
