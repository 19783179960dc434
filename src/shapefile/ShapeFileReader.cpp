// Reading records through the index. Every field that sizes something is checked against
// the bytes actually present before anything is allocated, so a truncated, corrupt or
// hostile pair gives a numbered error (518, 531, 532) and never a crash.
#include "ByteOrder.h"
#include "CShapeFile.h"
#include "ErrorContext.h"
#include "ShapeFormat.h"

namespace shapefile {

using namespace detail;

namespace {

constexpr const char* kReadPoint = "CShapeFile::ReadPoint";
constexpr const char* kReadPolyLine = "CShapeFile::ReadPolyLine";
constexpr const char* kReadPolygon = "CShapeFile::ReadPolygon";
constexpr const char* kReadMultiPoint = "CShapeFile::ReadMultiPoint";

[[noreturn]] void fail(LibraryError code, const char* source) { throw ShapeError::library(code, source); }

}  // namespace

std::shared_ptr<IShape> CShapeFile::item(std::int32_t index) {
    return withSource("CShapeFile::Item", [&]() -> std::shared_ptr<IShape> {
        switch (fileType_) {
        case ShapeType::Point: return readPoint(index);
        case ShapeType::PolyLine: return readPolyLine(index);
        case ShapeType::Polygon: return readPolygon(index);
        case ShapeType::MultiPoint: return readMultiPoint(index);
        default: return nullptr;
        }
    });
}

// Loads index entry `index`; false when the entry would end past the index length.
bool CShapeFile::findOffset(std::int32_t index) {
    if (index < 1) return false;
    const std::int64_t entryEnd = kHeaderBytes + kIndexEntryBytes * std::int64_t(index);
    if (entryEnd > shxLengthWords_ * 2) return false;
    if (entryEnd > shxBytes_) fail(LibraryError::UnexpectedEndOfFile, "C_ShapeFile::FindOffset");
    const auto bytes = shx_.window.read(*shx_.file, entryEnd - kIndexEntryBytes, kIndexEntryBytes, shxBytes_);
    if (bytes.size() < std::size_t(kIndexEntryBytes))
        fail(LibraryError::UnexpectedEndOfFile, "C_ShapeFile::FindOffset");
    entry_ = {loadBE32(bytes.data()), loadBE32(bytes.data() + 4)};
    return true;
}

void CShapeFile::getRecordHeader(std::int64_t bytePosition) {
    const auto bytes = shp_.window.read(*shp_.file, bytePosition, kRecordHeaderBytes, shpBytes_);
    if (bytes.size() < std::size_t(kRecordHeaderBytes))
        fail(LibraryError::UnexpectedEndOfFile, "C_ShapeFile::GetRecordHeader");
    record_ = {loadBE32(bytes.data()), loadBE32(bytes.data() + 4)};
}

// The contents of record `index` (shape type first), read at once; nullopt when the index
// has no entry.
std::optional<std::span<const std::byte>> CShapeFile::recordContents(std::int32_t index, const char* source) {
    if (!shp_.pending.empty() || !shx_.pending.empty()) flushPending();
    if (!withSource("C_ShapeFile::FindOffset", [&] { return findOffset(index); })) return std::nullopt;
    const std::int64_t position = std::int64_t(entry_.offsetWords) * 2;
    if (entry_.offsetWords < kHeaderWords || position + kRecordHeaderBytes > shpBytes_)
        fail(LibraryError::OffsetPastMainFile, source);
    withSource("C_ShapeFile::GetRecordHeader", [&] { getRecordHeader(position); });
    if (record_.number != index) fail(LibraryError::RecordMismatch, source);
    if (record_.contentWords < 2) fail(LibraryError::InvalidRecord, source);
    const std::int64_t contentBytes = std::int64_t(record_.contentWords) * 2;
    if (position + kRecordHeaderBytes + contentBytes > shpBytes_) fail(LibraryError::UnexpectedEndOfFile, source);
    const auto contents = shp_.window.read(*shp_.file, position + kRecordHeaderBytes, std::size_t(contentBytes), shpBytes_);
    if (contents.size() < std::size_t(contentBytes)) fail(LibraryError::UnexpectedEndOfFile, source);
    return contents;
}

std::int32_t CShapeFile::recordType(std::span<const std::byte> contents, const char* source) const {
    const std::int32_t type = loadLE32(contents.data());
    if (type != ShapeType::Null && type != fileType_) fail(LibraryError::ShapeTypeMismatch, source);
    return type;
}

std::shared_ptr<CPoint> CShapeFile::readPoint(std::int32_t index) {
    return withPlatformSource(kReadPoint, [&]() -> std::shared_ptr<CPoint> {
        const auto contents = recordContents(index, kReadPoint);
        if (!contents) return nullptr;
        auto point = std::make_shared<CPoint>();
        if (recordType(*contents, kReadPoint) == ShapeType::Null) {
            point->setNull(true);
            return point;
        }
        if (std::int64_t(contents->size()) < kPointContentBytes) fail(LibraryError::InvalidRecord, kReadPoint);
        point->setX(loadLEDouble(contents->data() + 4));
        point->setY(loadLEDouble(contents->data() + 12));
        return point;
    });
}

// PolyLine and Polygon records: box, NumParts, NumPoints, the part starts, the points.
// Equal part starts are empty parts (the writer writes them); starts must begin at 0,
// never decrease and stay within the points.
template <class Shape>
std::shared_ptr<Shape> CShapeFile::readParts(std::int32_t index, const char* source) {
    const auto contents = recordContents(index, source);
    if (!contents) fail(LibraryError::OffsetPastMainFile, source);
    auto shape = std::make_shared<Shape>();
    if (recordType(*contents, source) == ShapeType::Null) {
        shape->setNull(true);
        return shape;
    }
    const std::byte* b = contents->data();
    const auto size = std::int64_t(contents->size());
    if (size < kPolyFixedBytes) fail(LibraryError::InvalidRecord, source);
    const std::int32_t numParts = loadLE32(b + 36);
    const std::int32_t numPoints = loadLE32(b + 40);
    if (numParts < 1 || numPoints < 0 ||
        kPolyFixedBytes + kPartIndexBytes * numParts + kVertexBytes * numPoints > size)
        fail(LibraryError::InvalidRecord, source);
    const std::byte* starts = b + kPolyFixedBytes;
    const std::byte* xy = starts + kPartIndexBytes * numParts;
    std::int32_t previous = 0;
    for (std::int32_t i = 0; i < numParts; ++i) {
        const std::int32_t start = loadLE32(starts + 4 * i);
        if ((i == 0 && start != 0) || start < previous || start > numPoints)
            fail(LibraryError::InvalidRecord, source);
        previous = start;
    }

    shape->setLeft(loadLEDouble(b + 4));
    shape->setBottom(loadLEDouble(b + 12));
    shape->setRight(loadLEDouble(b + 20));
    shape->setTop(loadLEDouble(b + 28));
    // One allocation for all points and one for all parts; each handed-out pointer shares
    // the block, so a caller may keep any part or point alone.
    const auto points = std::make_shared<CPoint[]>(std::size_t(numPoints));
    const auto parts = std::make_shared<CPart[]>(std::size_t(numParts));
    shape->reserve(std::size_t(numParts));
    for (std::int32_t i = 0; i < numParts; ++i) {
        const std::int32_t first = loadLE32(starts + 4 * i);
        const std::int32_t last = i + 1 < numParts ? loadLE32(starts + 4 * (i + 1)) : numPoints;
        CPart& part = parts[std::size_t(i)];
        part.reserve(std::size_t(last - first));
        for (std::int32_t k = first; k < last; ++k) {
            CPoint& p = points[std::size_t(k)];
            p.setX(loadLEDouble(xy + kVertexBytes * k));
            p.setY(loadLEDouble(xy + kVertexBytes * k + 8));
            part.add(std::shared_ptr<CPoint>(points, &p));
        }
        shape->add(std::shared_ptr<CPart>(parts, &part));
    }
    return shape;
}

std::shared_ptr<CPolyLine> CShapeFile::readPolyLine(std::int32_t index) {
    return withPlatformSource(kReadPolyLine, [&] { return readParts<CPolyLine>(index, kReadPolyLine); });
}

std::shared_ptr<CPolygon> CShapeFile::readPolygon(std::int32_t index) {
    return withPlatformSource(kReadPolygon, [&] { return readParts<CPolygon>(index, kReadPolygon); });
}

std::shared_ptr<CMultiPoint> CShapeFile::readMultiPoint(std::int32_t index) {
    return withPlatformSource(kReadMultiPoint, [&]() -> std::shared_ptr<CMultiPoint> {
        const auto contents = recordContents(index, kReadMultiPoint);
        if (!contents) fail(LibraryError::OffsetPastMainFile, kReadMultiPoint);
        auto shape = std::make_shared<CMultiPoint>();
        if (recordType(*contents, kReadMultiPoint) == ShapeType::Null) {
            shape->setNull(true);
            return shape;
        }
        const std::byte* b = contents->data();
        const auto size = std::int64_t(contents->size());
        if (size < kMultiPointFixedBytes) fail(LibraryError::InvalidRecord, kReadMultiPoint);
        const std::int32_t numPoints = loadLE32(b + 36);
        if (numPoints < 0 || kMultiPointFixedBytes + kVertexBytes * numPoints > size)
            fail(LibraryError::InvalidRecord, kReadMultiPoint);
        shape->setLeft(loadLEDouble(b + 4));
        shape->setBottom(loadLEDouble(b + 12));
        shape->setRight(loadLEDouble(b + 20));
        shape->setTop(loadLEDouble(b + 28));
        const std::byte* xy = b + kMultiPointFixedBytes;
        const auto points = std::make_shared<CPoint[]>(std::size_t(numPoints));
        shape->reserve(std::size_t(numPoints));
        for (std::int32_t k = 0; k < numPoints; ++k) {
            CPoint& p = points[std::size_t(k)];
            p.setX(loadLEDouble(xy + kVertexBytes * k));
            p.setY(loadLEDouble(xy + kVertexBytes * k + 8));
            shape->add(std::shared_ptr<CPoint>(points, &p));
        }
        return shape;
    });
}

}  // namespace shapefile
