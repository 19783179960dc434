// Reading records through the index. Every field that sizes something is checked against
// the bytes actually present before anything is allocated, so a truncated, corrupt or
// hostile pair gives a numbered error (518, 531, 532, 536) and never a crash, and a
// record never costs more memory than a small multiple of its size. Contents are read
// through the main file's window in pieces of at most one window, so a record of a
// million vertices needs no buffer of its own size; its points are made in one block.
#include "ByteOrder.h"
#include "CShapeFile.h"
#include "ErrorContext.h"
#include "PointBlock.h"
#include "ShapeFormat.h"

#include <algorithm>
#include <array>
#include <span>
#include <vector>

namespace shapefile {

using namespace detail;

namespace {

constexpr const char* kReadPoint = "CShapeFile::ReadPoint";
constexpr const char* kReadPolyLine = "CShapeFile::ReadPolyLine";
constexpr const char* kReadPolygon = "CShapeFile::ReadPolygon";
constexpr const char* kReadMultiPoint = "CShapeFile::ReadMultiPoint";

// Vertices or part starts taken from the window at a time.
constexpr std::int64_t kPieceBytes = 32 * 1024;

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

std::int32_t CShapeFile::baseType() const noexcept {
    switch (fileType_) {
    case ShapeType::PointZ: case ShapeType::PointM: return ShapeType::Point;
    case ShapeType::PolyLineZ: case ShapeType::PolyLineM: return ShapeType::PolyLine;
    case ShapeType::PolygonZ: case ShapeType::PolygonM: return ShapeType::Polygon;
    case ShapeType::MultiPointZ: case ShapeType::MultiPointM: return ShapeType::MultiPoint;
    default: return fileType_;
    }
}

// The Z and M records begin with the layout of their base type, which is all that is
// read of them; the record's own type is still checked against the file's.
std::shared_ptr<IShape> CShapeFile::itemXY(std::int32_t index) {
    return withSource("CShapeFile::Item", [&]() -> std::shared_ptr<IShape> {
        switch (baseType()) {
        case ShapeType::Point: return readPoint(index);
        case ShapeType::PolyLine: return readPolyLine(index);
        case ShapeType::Polygon: return readPolygon(index);
        case ShapeType::MultiPoint: return readMultiPoint(index);
        default: return nullptr;
        }
    });
}

// Loads index entry `index`; false when there is no such record or the entry would end
// past the index length.
bool CShapeFile::findOffset(std::int32_t index) {
    if (index < 1 || index > count_) return false;
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

// Locates the contents of record `index` (shape type first) and checks that they lie
// within the main file, as the index entry says too. Every reader refuses an index with
// no record the same way (536).
CShapeFile::RecordSpan CShapeFile::recordContents(std::int32_t index, const char* source) {
    if (!shp_.pending.empty() || !shx_.pending.empty()) flushPending();
    if (!withSource("C_ShapeFile::FindOffset", [&] { return findOffset(index); }))
        fail(LibraryError::NoSuchRecord, source);
    const std::int64_t position = std::int64_t(entry_.offsetWords) * 2;
    if (entry_.offsetWords < kHeaderWords || position + kRecordHeaderBytes > shpBytes_)
        fail(LibraryError::OffsetPastMainFile, source);
    if (entry_.contentWords < 0) fail(LibraryError::InvalidRecord, source);
    if (position + kRecordHeaderBytes + std::int64_t(entry_.contentWords) * 2 > shpBytes_)
        fail(LibraryError::UnexpectedEndOfFile, source);
    withSource("C_ShapeFile::GetRecordHeader", [&] { getRecordHeader(position); });
    if (record_.number != index) fail(LibraryError::RecordMismatch, source);
    if (record_.contentWords < 2) fail(LibraryError::InvalidRecord, source);
    const RecordSpan record{position + kRecordHeaderBytes, std::int64_t(record_.contentWords) * 2};
    if (record.offset + record.size > shpBytes_) fail(LibraryError::UnexpectedEndOfFile, source);
    return record;
}

// Bytes [from, from + length) of a record's contents; the caller has checked that they lie
// within the record. The span is valid until the next read of the main file.
std::span<const std::byte> CShapeFile::contentBytes(const RecordSpan& record, std::int64_t from,
                                                    std::int64_t length, const char* source) {
    const auto bytes = shp_.window.read(*shp_.file, record.offset + from, std::size_t(length), shpBytes_);
    if (bytes.size() < std::size_t(length)) fail(LibraryError::UnexpectedEndOfFile, source);
    return bytes;
}

std::int32_t CShapeFile::recordType(const RecordSpan& record, const char* source) {
    const std::int32_t type = loadLE32(contentBytes(record, 0, 4, source).data());
    if (type != ShapeType::Null && type != fileType_) fail(LibraryError::ShapeTypeMismatch, source);
    return type;
}

std::shared_ptr<CPoint> CShapeFile::readPoint(std::int32_t index) {
    return withPlatformSource(kReadPoint, [&]() -> std::shared_ptr<CPoint> {
        // The X and Y of another file's record would be the corner of its box.
        if (baseType() != ShapeType::Point) fail(LibraryError::ShapeTypeMismatch, kReadPoint);
        const RecordSpan record = recordContents(index, kReadPoint);
        auto point = std::make_shared<CPoint>();
        if (recordType(record, kReadPoint) == ShapeType::Null) {
            point->setNull(true);
            return point;
        }
        if (record.size < kPointContentBytes) fail(LibraryError::InvalidRecord, kReadPoint);
        const auto xy = contentBytes(record, 4, 16, kReadPoint);
        point->setX(loadLEDouble(xy.data()));
        point->setY(loadLEDouble(xy.data() + 8));
        return point;
    });
}

// The box stored in a record, set outright; adding the members then replaces it with theirs.
template <class Shape>
void CShapeFile::setStoredBox(Shape& shape, std::span<const std::byte> fixed) {
    shape.setLeft(loadLEDouble(fixed.data() + 4));
    shape.setBottom(loadLEDouble(fixed.data() + 12));
    shape.setRight(loadLEDouble(fixed.data() + 20));
    shape.setTop(loadLEDouble(fixed.data() + 28));
}

// Reads numPoints vertices from contents offset `from`, in pieces, as the next points of
// the record's block, and appends them to `target` (a new part or multipoint) with the box
// that adding them one by one would give: the first point's, widened by each later one.
// Each pointer handed out shares the block, so a caller may keep any point alone.
template <class Target>
void CShapeFile::readPoints(Target& target, PointBlock& block, const RecordSpan& record, std::int64_t from,
                            std::int32_t numPoints, const char* source) {
    if (numPoints == 0) return;
    target.reserve(std::size_t(numPoints));
    auto& members = target.members_;
    // Made in place: no growth can happen inside the loop.
    auto out = members.insert(members.end(), std::size_t(numPoints), nullptr);
    constexpr std::int32_t kPerPiece = std::int32_t(kPieceBytes / kVertexBytes);
    const std::byte* first = contentBytes(record, from, kVertexBytes, source).data();
    double left = loadLEDouble(first), right = left, bottom = loadLEDouble(first + 8), top = bottom;
    for (std::int32_t k = 0; k < numPoints; k += kPerPiece) {
        const std::int32_t n = std::min(kPerPiece, numPoints - k);
        const std::byte* xy = contentBytes(record, from + kVertexBytes * k, kVertexBytes * n, source).data();
        for (std::int32_t i = 0; i < n; ++i, xy += kVertexBytes) {
            const double x = loadLEDouble(xy), y = loadLEDouble(xy + 8);
            left = x < left ? x : left;
            right = x > right ? x : right;
            bottom = y < bottom ? y : bottom;
            top = y > top ? y : top;
            *out++ = block.add(x, y);
        }
    }
    target.setLeft(left);
    target.setRight(right);
    target.setBottom(bottom);
    target.setTop(top);
}

// PolyLine and Polygon records: box, NumParts, NumPoints, the part starts, the points.
// Starts must begin at 0, never decrease and stay within the points. Equal starts are an
// empty part, but never more parts than points: a record of millions of empty parts would
// cost a part object for every 4 bytes of the file.
template <class Shape>
std::shared_ptr<Shape> CShapeFile::readParts(std::int32_t index, const char* source) {
    const RecordSpan record = recordContents(index, source);
    auto shape = std::make_shared<Shape>();
    if (recordType(record, source) == ShapeType::Null) {
        shape->setNull(true);
        return shape;
    }
    if (record.size < kPolyFixedBytes) fail(LibraryError::InvalidRecord, source);
    const auto fixed = contentBytes(record, 0, kPolyFixedBytes, source);
    const std::int32_t numParts = loadLE32(fixed.data() + 36);
    const std::int32_t numPoints = loadLE32(fixed.data() + 40);
    if (numParts < 1 || numPoints < 0 || numParts > numPoints ||
        kPolyFixedBytes + kPartIndexBytes * numParts + kVertexBytes * numPoints > record.size)
        fail(LibraryError::InvalidRecord, source);
    setStoredBox(*shape, fixed);

    // The starts, plus NumPoints as the end of the last part; those of a few parts stay on
    // the stack.
    std::array<std::int32_t, 16> fewStarts;
    std::vector<std::int32_t> manyStarts;
    const std::size_t startCount = std::size_t(numParts) + 1;
    if (startCount > fewStarts.size()) manyStarts.resize(startCount);
    const std::span<std::int32_t> starts =
        manyStarts.empty() ? std::span(fewStarts).first(startCount) : std::span(manyStarts);
    std::ranges::fill(starts, numPoints);
    constexpr std::int32_t kPerPiece = std::int32_t(kPieceBytes / kPartIndexBytes);
    for (std::int32_t k = 0; k < numParts; k += kPerPiece) {
        const std::int32_t n = std::min(kPerPiece, numParts - k);
        const std::byte* b = contentBytes(record, kPolyFixedBytes + kPartIndexBytes * k, kPartIndexBytes * n, source).data();
        for (std::int32_t i = 0; i < n; ++i) starts[std::size_t(k + i)] = loadLE32(b + kPartIndexBytes * i);
    }
    if (starts[0] != 0) fail(LibraryError::InvalidRecord, source);
    for (std::size_t i = 1; i < starts.size(); ++i)
        if (starts[i] < starts[i - 1] || starts[i] > numPoints) fail(LibraryError::InvalidRecord, source);

    const std::int64_t pointsAt = kPolyFixedBytes + kPartIndexBytes * numParts;
    PointBlock points{std::size_t(numPoints)};
    const auto parts = std::make_shared<CPart[]>(std::size_t(numParts));
    shape->reserve(std::size_t(numParts));
    for (std::int32_t i = 0; i < numParts; ++i) {
        CPart& part = parts[i];
        const std::int32_t first = starts[std::size_t(i)];
        readPoints(part, points, record, pointsAt + kVertexBytes * first, starts[std::size_t(i) + 1] - first, source);
        shape->add(std::shared_ptr<CPart>(parts, &part));
    }
    return shape;
}

std::shared_ptr<CPolyLine> CShapeFile::readPolyLine(std::int32_t index) {
    return withPlatformSource(kReadPolyLine, [&] {
        if (baseType() != ShapeType::PolyLine) fail(LibraryError::ShapeTypeMismatch, kReadPolyLine);
        return readParts<CPolyLine>(index, kReadPolyLine);
    });
}

std::shared_ptr<CPolygon> CShapeFile::readPolygon(std::int32_t index) {
    return withPlatformSource(kReadPolygon, [&] { return readParts<CPolygon>(index, kReadPolygon); });
}

std::shared_ptr<CMultiPoint> CShapeFile::readMultiPoint(std::int32_t index) {
    return withPlatformSource(kReadMultiPoint, [&]() -> std::shared_ptr<CMultiPoint> {
        const RecordSpan record = recordContents(index, kReadMultiPoint);
        auto shape = std::make_shared<CMultiPoint>();
        if (recordType(record, kReadMultiPoint) == ShapeType::Null) {
            shape->setNull(true);
            return shape;
        }
        if (record.size < kMultiPointFixedBytes) fail(LibraryError::InvalidRecord, kReadMultiPoint);
        const auto fixed = contentBytes(record, 0, kMultiPointFixedBytes, kReadMultiPoint);
        const std::int32_t numPoints = loadLE32(fixed.data() + 36);
        if (numPoints < 0 || kMultiPointFixedBytes + kVertexBytes * numPoints > record.size)
            fail(LibraryError::InvalidRecord, kReadMultiPoint);
        setStoredBox(*shape, fixed);
        PointBlock points{std::size_t(numPoints)};
        readPoints(*shape, points, record, kMultiPointFixedBytes, numPoints, kReadMultiPoint);
        return shape;
    });
}

}  // namespace shapefile
