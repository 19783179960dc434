// Appending records. Each record is checked first, so a refused shape writes nothing; the
// record and its index entry are then added to two append buffers that go to disk
// together, always at record boundaries (a record larger than the buffer goes straight to
// the file, in pieces). A failed write cuts both files back to the last boundary they both
// hold, so the pair stays consistent.
#include "ByteOrder.h"
#include "CShapeFile.h"
#include "ErrorContext.h"
#include "ShapeFormat.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>
#include <vector>

namespace shapefile {

using namespace detail;

namespace {

constexpr std::size_t kFlushBytes = std::size_t(1) << 20;
constexpr std::size_t kKeptBufferBytes = 4 * kFlushBytes;

struct VertexBox {
    double xmin = std::numeric_limits<double>::infinity();
    double ymin = std::numeric_limits<double>::infinity();
    double xmax = -std::numeric_limits<double>::infinity();
    double ymax = -std::numeric_limits<double>::infinity();
    bool empty = true;

    // A vertex with a NaN or infinite coordinate has no place in a box: it would leave
    // the box NaN or infinite for good.
    void take(double x, double y) noexcept {
        if (!std::isfinite(x) || !std::isfinite(y)) return;
        if (x < xmin) xmin = x;
        if (x > xmax) xmax = x;
        if (y < ymin) ymin = y;
        if (y > ymax) ymax = y;
        empty = false;
    }
    // Xmin, Ymin, Xmax, Ymax of the vertices written; all 0 without a finite vertex.
    void store(std::byte* p) const noexcept {
        storeLEDouble(p, empty ? 0.0 : xmin);
        storeLEDouble(p + 8, empty ? 0.0 : ymin);
        storeLEDouble(p + 16, empty ? 0.0 : xmax);
        storeLEDouble(p + 24, empty ? 0.0 : ymax);
    }
};

std::byte* storePoint(std::byte* p, const CPoint& point, VertexBox& box) noexcept {
    storeLEDouble(p, point.x());
    storeLEDouble(p + 8, point.y());
    box.take(point.x(), point.y());
    return p + kVertexBytes;
}

}  // namespace

void CShapeFile::add(const IShape& aShape) {
    constexpr const char* kSource = "CShapeFile::Add";
    withPlatformSource(kSource, [&] {
        const auto refuse = [&](const char* name) {
            throw ShapeError::library(LibraryError::WrongShapeForFile, kSource,
                                      std::string("Cannot add type ") + name +
                                          " to a ShapeFile initialized as other type");
        };
        switch (aShape.shapeClass()) {
        case ShapeClass::Point:
            if (fileType_ != ShapeType::Point) refuse("CPoint");
            break;
        case ShapeClass::PolyLine:
            if (fileType_ != ShapeType::PolyLine) refuse("CPolyline");
            break;
        case ShapeClass::Polygon:
            if (fileType_ != ShapeType::Polygon) refuse("CPolygon");
            break;
        case ShapeClass::MultiPoint:
            if (fileType_ != ShapeType::MultiPoint) refuse("CMultiPoint");
            break;
        case ShapeClass::Rect: throw ShapeError::library(LibraryError::InvalidShapeType, kSource);
        }
        if (aShape.isNull()) return putNull();
        switch (aShape.shapeClass()) {
        case ShapeClass::Point: return putPoints(static_cast<const CPoint&>(aShape));
        case ShapeClass::PolyLine: return putPolyLine(static_cast<const CPolyLine&>(aShape));
        case ShapeClass::Polygon: return putPolygon(static_cast<const CPolygon&>(aShape));
        case ShapeClass::MultiPoint: return putMultiPoints(static_cast<const CMultiPoint&>(aShape));
        case ShapeClass::Rect: break;
        }
    });
}

// A pair opened for reading is reopened for writing on its first append.
void CShapeFile::ensureWritable() {
    // Raised inside a writer, which gives it its own source (as for 533 to 535 below).
    if (!isOpen()) throw ShapeError::platform(PlatformError::BadFileNumber, "");
    if (writable_) return;
    shx_.file->makeWritable();
    shp_.file->makeWritable();
    writable_ = true;
}

// Refuses (533) a record that would take either file past the limit of its signed 32-bit
// word lengths.
void CShapeFile::checkRecordFits(std::int64_t contentBytes) const {
    if (shpBytes_ + shpExtraBytes_ + kRecordHeaderBytes + contentBytes > kMaxFileBytes ||
        shxBytes_ + shxExtraBytes_ + kIndexEntryBytes > kMaxFileBytes)
        throw ShapeError::library(LibraryError::SizeLimitExceeded, "");
}

// Adds the index entry of a record of the given contents that starts at shpBytes_, and
// counts the record.
void CShapeFile::countRecord(std::int64_t contentBytes) {
    auto& index = shx_.pending;
    index.resize(index.size() + std::size_t(kIndexEntryBytes));
    std::byte* entry = index.data() + index.size() - kIndexEntryBytes;
    storeBE32(entry, std::int32_t(shpBytes_ / 2));
    storeBE32(entry + 4, std::int32_t(contentBytes / 2));
    shpBytes_ += kRecordHeaderBytes + contentBytes;
    shxBytes_ += kIndexEntryBytes;
    shxLengthWords_ = shxBytes_ / 2;
    ++count_;
    headersDirty_ = true;
}

// Adds the record header and the index entry for contents of the given size to the append
// buffers and returns where the contents go. A record refused (533) adds nothing.
std::byte* CShapeFile::appendRecord(std::int64_t contentBytes) {
    checkRecordFits(contentBytes);
    auto& main = shp_.pending;
    const std::size_t at = main.size();
    const std::size_t need = at + std::size_t(kRecordHeaderBytes + contentBytes);
    if (need > main.capacity()) main.reserve(std::max(need, 2 * main.capacity()));
    main.resize(need);
    storeBE32(main.data() + at, count_ + 1);
    storeBE32(main.data() + at + 4, std::int32_t(contentBytes / 2));
    try {
        countRecord(contentBytes);
    } catch (...) {
        main.resize(at);
        throw;
    }
    return main.data() + at + kRecordHeaderBytes;
}

void CShapeFile::putNull() {
    withSource("CShapeFile::PutNull", [&] {
        ensureWritable();
        storeLE32(appendRecord(kNullContentBytes), ShapeType::Null);
        if (shp_.pending.size() >= kFlushBytes) flushPending();
    });
}

void CShapeFile::putPoints(const CPoint& point) {
    withSource("C_ShapeFile::PutPoints", [&] {
        ensureWritable();
        std::byte* c = appendRecord(kPointContentBytes);
        storeLE32(c, fileType_);
        storeLEDouble(c + 4, point.x());
        storeLEDouble(c + 12, point.y());
        if (std::isfinite(point.x()) && std::isfinite(point.y())) putExtent(point.x(), point.y(), point.x(), point.y());
        if (shp_.pending.size() >= kFlushBytes) flushPending();
    });
}

template <class Shape>
void CShapeFile::putParts(const Shape& shape) {
    ensureWritable();
    const std::int32_t numParts = shape.count();
    if (numParts == 0) throw ShapeError::library(LibraryError::NoParts, "");
    // A part without a point is no line and no ring: shapelib and GDAL refuse the record.
    std::int64_t numPoints = 0;
    for (const auto& part : shape) {
        if (part->count() == 0) throw ShapeError::library(LibraryError::EmptyPart, "");
        numPoints += part->count();
    }
    const std::int64_t contentBytes = kPolyFixedBytes + kPartIndexBytes * numParts + kVertexBytes * numPoints;
    if (contentBytes > std::int64_t(kFlushBytes)) return putPartsInPieces(shape, numParts, numPoints, contentBytes);
    std::byte* c = appendRecord(contentBytes);
    storeLE32(c, fileType_);
    storeLE32(c + 36, numParts);
    storeLE32(c + 40, std::int32_t(numPoints));
    std::byte* starts = c + kPolyFixedBytes;
    std::byte* xy = starts + kPartIndexBytes * numParts;
    std::int32_t start = 0;
    VertexBox box;
    for (const auto& part : shape) {
        storeLE32(starts, start);
        starts += kPartIndexBytes;
        for (const auto& point : *part) xy = storePoint(xy, *point, box);
        start += part->count();
    }
    box.store(c + 4);
    if (!box.empty) putExtent(box.xmin, box.ymin, box.xmax, box.ymax);
    if (shp_.pending.size() >= kFlushBytes) flushPending();
}

// A record larger than the append buffer goes to the file a piece at a time, after the
// records before it: it costs a piece of memory, not its size. Its box, known at the end,
// is written last; a failed write cuts both files back to the records before it.
template <class Shape>
void CShapeFile::putPartsInPieces(const Shape& shape, std::int32_t numParts, std::int64_t numPoints,
                                  std::int64_t contentBytes) {
    checkRecordFits(contentBytes);
    flushPending();
    const std::int64_t recordAt = shpBytes_;
    std::vector<std::byte> piece(kFlushBytes + std::size_t(kPolyFixedBytes + kRecordHeaderBytes));
    std::size_t used = 0;
    std::int64_t offset = recordAt;
    auto room = [&](std::size_t bytes) {
        if (used + bytes <= piece.size()) return;
        writeAt(shp_, offset, std::span(piece).first(used));
        offset += std::int64_t(used);
        used = 0;
    };
    VertexBox box;
    try {
        std::byte* h = piece.data();
        storeBE32(h, count_ + 1);
        storeBE32(h + 4, std::int32_t(contentBytes / 2));
        storeLE32(h + kRecordHeaderBytes, fileType_);
        storeLE32(h + kRecordHeaderBytes + 36, numParts);
        storeLE32(h + kRecordHeaderBytes + 40, std::int32_t(numPoints));
        used = std::size_t(kRecordHeaderBytes + kPolyFixedBytes);
        std::int32_t start = 0;
        for (const auto& part : shape) {
            room(std::size_t(kPartIndexBytes));
            storeLE32(piece.data() + used, start);
            used += std::size_t(kPartIndexBytes);
            start += part->count();
        }
        for (const auto& part : shape) {
            for (const auto& point : *part) {
                room(std::size_t(kVertexBytes));
                storePoint(piece.data() + used, *point, box);
                used += std::size_t(kVertexBytes);
            }
        }
        room(piece.size());
        std::array<std::byte, 32> stored{};
        box.store(stored.data());
        writeAt(shp_, recordAt + kRecordHeaderBytes + 4, stored);
    } catch (...) {
        rollBack();
        throw;
    }
    countRecord(contentBytes);
    if (!box.empty) putExtent(box.xmin, box.ymin, box.xmax, box.ymax);
    flushPending();
}

void CShapeFile::putPolyLine(const CPolyLine& line) {
    withSource("CShapeFile::PutPolyLine", [&] { putParts(line); });
}

void CShapeFile::putPolygon(const CPolygon& polygon) {
    withSource("CShapeFile::PutPolygon", [&] { putParts(polygon); });
}

void CShapeFile::putMultiPoints(const CMultiPoint& points) {
    withSource("CShapeFile::PutMultiPoints", [&] {
        ensureWritable();
        const std::int32_t numPoints = points.count();
        std::byte* c = appendRecord(kMultiPointFixedBytes + kVertexBytes * std::int64_t(numPoints));
        storeLE32(c, fileType_);
        storeLE32(c + 36, numPoints);
        std::byte* xy = c + kMultiPointFixedBytes;
        VertexBox box;
        for (const auto& point : points) xy = storePoint(xy, *point, box);
        box.store(c + 4);
        if (!box.empty) putExtent(box.xmin, box.ymin, box.xmax, box.ymax);
        if (shp_.pending.size() >= kFlushBytes) flushPending();
    });
}

// The header box: the first record with a vertex sets it, the following ones widen it.
void CShapeFile::putExtent(double xmin, double ymin, double xmax, double ymax) {
    if (!seeded_) {
        extent_.setLeft(xmin);
        extent_.setRight(xmax);
        extent_.setTop(ymax);
        extent_.setBottom(ymin);
        seeded_ = true;
        return;
    }
    if (xmin < extent_.left()) extent_.setLeft(xmin);
    if (xmax > extent_.right()) extent_.setRight(xmax);
    if (ymax > extent_.top()) extent_.setTop(ymax);
    if (ymin < extent_.bottom()) extent_.setBottom(ymin);
}

void CShapeFile::flushPending() {
    if (shp_.pending.empty() && shx_.pending.empty()) return;
    try {
        writeAt(shx_, committed_.shxBytes, shx_.pending);
        writeAt(shp_, committed_.shpBytes, shp_.pending);
    } catch (...) {
        rollBack();
        throw;
    }
    for (PairFile* pf : {&shx_, &shp_}) {
        pf->pending.clear();
        // The room a large record took is given back rather than kept to the close.
        if (pf->pending.capacity() > kKeptBufferBytes) std::vector<std::byte>().swap(pf->pending);
    }
    committed_ = {shpBytes_, shxBytes_, shxLengthWords_, count_, extent_, seeded_};
}

void CShapeFile::writeAt(PairFile& pf, std::int64_t offset, std::span<const std::byte> bytes) {
    pf.window.invalidate();
    if (fault_.failAt > 0 && ++fault_.writes == fault_.failAt) {
        // A failing device: part of the bytes land, then the error.
        pf.file->writeAt(offset, bytes.first(bytes.size() / 2));
        throw std::filesystem::filesystem_error("write", std::error_code(fault_.error, std::generic_category()));
    }
    pf.file->writeAt(offset, bytes);
}

// Back to the last state both files hold on disk: the records of the failed write are
// dropped from the files, the count and the box.
void CShapeFile::rollBack() noexcept {
    shx_.pending.clear();
    shp_.pending.clear();
    for (PairFile* pf : {&shx_, &shp_}) pf->window.invalidate();
    try {
        shx_.file->truncate(committed_.shxBytes);
    } catch (...) {
        // The header written at close gives the length kept; bytes past it are ignored.
    }
    try {
        shp_.file->truncate(committed_.shpBytes);
    } catch (...) {
    }
    shpBytes_ = committed_.shpBytes;
    shxBytes_ = committed_.shxBytes;
    shxLengthWords_ = committed_.shxLengthWords;
    count_ = committed_.count;
    extent_ = committed_.extent;
    seeded_ = committed_.seeded;
}

}  // namespace shapefile
