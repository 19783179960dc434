#pragma once
// The reader and writer of an ESRI shapefile pair: the main file (.shp, the geometry
// records) and its index (.shx, one entry per record). The attribute table (.dbf) is not
// touched. A pair is opened read-only or created; records are read one at a time through
// the index and appended at the end. Appended bytes are buffered and both headers are
// written from lengths and a box kept in memory, at flush() or close() (the destructor
// closes too, handing any error to the diagnostics hook).

#include "CFileName.h"
#include "CMultiPoint.h"
#include "CPoint.h"
#include "CPolyLine.h"
#include "CPolygon.h"
#include "CRect.h"
#include "IShape.h"
#include "RandomAccessFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace shapefile {

namespace detail {
class PointBlock;
}

class CShapeFile {
public:
    enum class Status : std::int32_t { Open = 0, CreateIt = 1 };

    CShapeFile() = default;
    ~CShapeFile();
    CShapeFile(const CShapeFile&) = delete;
    CShapeFile& operator=(const CShapeFile&) = delete;

    // Opens the existing pair named by fileSpec, whatever its extension (Open), or deletes
    // and creates it with the shape type given (CreateIt: 1, 3, 5 or 8). A pair already
    // held is closed first.
    void setFileSpec(const CFileName& fileSpec, Status status,
                     std::optional<std::int32_t> aShapeType = std::nullopt);

    double left() const noexcept { return extent_.left(); }
    double right() const noexcept { return extent_.right(); }
    double top() const noexcept { return extent_.top(); }
    double bottom() const noexcept { return extent_.bottom(); }
    // The records the index holds: what its header says, at most the entries present.
    std::int32_t count() const noexcept { return count_; }
    std::int32_t fileType() const noexcept { return fileType_; }

    // Record index (from 1) as a shape of the file's class; nullptr for a file type other
    // than 1, 3, 5 and 8. Null records come back as null shapes. An index outside 1 to
    // count() raises 536. Nothing is cached: each call reads the record again and gives a
    // new object, whose points (and parts) share one block per record.
    std::shared_ptr<IShape> item(std::int32_t index);
    // The file type without Z and M: 1, 3, 5 and 8 for the types 11 and 21, 13 and 23, 15
    // and 25, 18 and 28; the stored type for any other.
    std::int32_t baseType() const noexcept;
    // Record index (from 1) as a shape of the base type: for a Z or M file, the X and Y
    // of its record with Z and M left out; for the other types, what item() gives.
    std::shared_ptr<IShape> itemXY(std::int32_t index);
    // The readers of one type: a file of another type raises 526.
    std::shared_ptr<CPoint> readPoint(std::int32_t index);
    std::shared_ptr<CPolyLine> readPolyLine(std::int32_t index);

    // Appends a record for the shape, which must match the file type.
    void add(const IShape& aShape);
    // Writes the buffered records and both headers.
    void flush();
    // Flushes, then closes the main file and the index.
    void close();

private:
    struct PairFile {
        std::unique_ptr<detail::RandomAccessFile> file;
        detail::ReadWindow window;
        std::vector<std::byte> pending;  // appended bytes not yet written
    };
    // What is safely on disk: the state a failed write goes back to.
    struct Committed {
        std::int64_t shpBytes = 0;
        std::int64_t shxBytes = 0;
        std::int64_t shxLengthWords = 0;
        std::int32_t count = 0;
        CRect extent;
        bool seeded = false;
    };
    struct WriteFault {
        long failAt = 0;  // the n-th write from the arming fails (0: never)
        int error = 0;
        long writes = 0;
    };
    struct RecordHeader {
        std::int32_t number = 0;
        std::int32_t contentWords = 0;
    };
    struct IndexEntry {
        std::int32_t offsetWords = 0;
        std::int32_t contentWords = 0;
    };
    // Where a record's contents lie in the main file; they are read piece by piece.
    struct RecordSpan {
        std::int64_t offset = 0;
        std::int64_t size = 0;
    };

    bool isOpen() const noexcept { return shp_.file || shx_.file; }

    // Opening and closing.
    void openExisting();
    void create(std::optional<std::int32_t> aShapeType);
    void openPair(std::unique_ptr<detail::RandomAccessFile> shx,
                  std::unique_ptr<detail::RandomAccessFile> shp);
    void closePair();
    void putMainHeaders();
    void writeHeaders();

    // Reading.
    std::shared_ptr<CPolygon> readPolygon(std::int32_t index);
    std::shared_ptr<CMultiPoint> readMultiPoint(std::int32_t index);
    bool findOffset(std::int32_t index);
    void getRecordHeader(std::int64_t bytePosition);
    RecordSpan recordContents(std::int32_t index, const char* source);
    std::span<const std::byte> contentBytes(const RecordSpan& record, std::int64_t from, std::int64_t length,
                                            const char* source);
    std::int32_t recordType(const RecordSpan& record, const char* source);
    template <class Shape>
    static void setStoredBox(Shape& shape, std::span<const std::byte> fixed);
    template <class Target>
    void readPoints(Target& target, detail::PointBlock& block, const RecordSpan& record, std::int64_t from,
                    std::int32_t numPoints, const char* source);
    template <class Shape>
    std::shared_ptr<Shape> readParts(std::int32_t index, const char* source);

    // Writing.
    void ensureWritable();
    void putNull();
    void putPoints(const CPoint& point);
    void putPolyLine(const CPolyLine& line);
    void putPolygon(const CPolygon& polygon);
    void putMultiPoints(const CMultiPoint& points);
    template <class Shape>
    void putParts(const Shape& shape);
    template <class Shape>
    void putPartsInPieces(const Shape& shape, std::int32_t numParts, std::int64_t numPoints,
                          std::int64_t contentBytes);
    void checkRecordFits(std::int64_t contentBytes) const;
    void countRecord(std::int64_t contentBytes);
    std::byte* appendRecord(std::int64_t contentBytes);
    void putExtent(double xmin, double ymin, double xmax, double ymax);
    void flushPending();
    void writeAt(PairFile& pf, std::int64_t offset, std::span<const std::byte> bytes);
    void rollBack() noexcept;

    std::int32_t fileType_ = 0;
    CFileName fileName_;
    CRect extent_;
    std::int32_t count_ = 0;
    RecordHeader record_;
    IndexEntry entry_;
    PairFile shx_;
    PairFile shp_;
    std::int64_t shxLengthWords_ = 0;  // bound of the index entries that can be read
    std::int64_t shpBytes_ = 0;        // sizes including the bytes still pending
    std::int64_t shxBytes_ = 0;
    Committed committed_;
    bool seeded_ = false;  // the header box holds a record's box
    bool headersDirty_ = false;
    bool writable_ = false;

    // Test seams: a failing write, and sizes pretended larger for the size limit.
    WriteFault fault_;
    std::int64_t shpExtraBytes_ = 0;
    std::int64_t shxExtraBytes_ = 0;

    friend struct ShapeFileAccess;
};

}  // namespace shapefile
