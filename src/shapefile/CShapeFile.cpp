// Opening, creating, flushing and closing a pair.
#include "CShapeFile.h"

#include "ErrorContext.h"
#include "ShapeFormat.h"

#include <algorithm>
#include <array>
#include <exception>

namespace shapefile {

using namespace detail;

namespace {

constexpr const char* kSetFileSpec = "C_ShapeFile::SetFileSpec";
constexpr const char* kTerminate = "C_ShapeFile::Class_Terminate";

ShapeError fileMissing(const std::string& fullText) {
    return ShapeError::library(LibraryError::FileNotFound, kSetFileSpec,
                               "The specified file " + fullText + " does not exist.");
}

bool isWritableType(std::int32_t type) {
    return type == ShapeType::Point || type == ShapeType::PolyLine || type == ShapeType::Polygon ||
           type == ShapeType::MultiPoint;
}

}  // namespace

CShapeFile::~CShapeFile() {
    try {
        close();
    } catch (const ShapeError& e) {
        reportDiagnostic(e);
    } catch (...) {
        // Nothing else is thrown by close(); a destructor never lets anything out.
    }
}

void CShapeFile::setFileSpec(const CFileName& fileSpec, Status status, std::optional<std::int32_t> aShapeType) {
    withSource(kTerminate, [&] { closePair(); });
    withPlatformSource(kSetFileSpec, [&] {
        fileName_ = CFileName();
        fileName_.setFileSpec(fileSpec.getFileSpec());
        switch (status) {
        case Status::Open: openExisting(); return;
        case Status::CreateIt: create(aShapeType); return;
        }
        throw ShapeError::platform(PlatformError::InvalidCall, kSetFileSpec);
    });
}

void CShapeFile::openExisting() {
    // A Windows path names nothing on this system.
    if (fileName_.isWindowsForm()) {
        fileName_.setExtension("shp");
        throw fileMissing(fileName_.getFileSpec());
    }
    fileName_.setExtension("shp");
    const auto shpPath = findExisting(fileName_.getFileSpec());
    if (!shpPath) throw fileMissing(fileName_.getFileSpec());
    fileName_.setExtension("shx");
    const auto shxPath = findExisting(fileName_.getFileSpec());
    if (!shxPath) throw fileMissing(fileName_.getFileSpec());
    auto shx = openFile(*shxPath, OpenMode::Read);
    fileName_.setExtension("shp");
    auto shp = openFile(*shpPath, OpenMode::Read);
    openPair(std::move(shx), std::move(shp));
}

void CShapeFile::openPair(std::unique_ptr<RandomAccessFile> shx, std::unique_ptr<RandomAccessFile> shp) {
    shx_.file = std::move(shx);
    shp_.file = std::move(shp);
    try {
        std::array<std::byte, kHeaderBytes> bytes{};
        if (shx_.file->readAt(0, bytes) < bytes.size())
            throw ShapeError::library(LibraryError::UnexpectedEndOfFile, kSetFileSpec);
        const MainHeader shxHeader = decodeMainHeader(bytes.data());
        if (shxHeader.fileCode != kFileCode)
            throw ShapeError::library(LibraryError::InvalidFileCode, kSetFileSpec,
                                      "The shx file has an invalid shape code in the main header.");
        if (shp_.file->readAt(0, bytes) < bytes.size())
            throw ShapeError::library(LibraryError::UnexpectedEndOfFile, kSetFileSpec);
        const MainHeader shpHeader = decodeMainHeader(bytes.data());
        extent_.setLeft(shpHeader.xmin);
        extent_.setRight(shpHeader.xmax);
        extent_.setTop(shpHeader.ymax);
        extent_.setBottom(shpHeader.ymin);
        if (shpHeader.fileCode != kFileCode)
            throw ShapeError::library(LibraryError::InvalidFileCode, kSetFileSpec,
                                      "The shp file has an invalid shape code in the main header.");
        shxLengthWords_ = shxHeader.fileLengthWords;
        shpBytes_ = shp_.file->size();
        shxBytes_ = shx_.file->size();
        // A header may claim any number of records; only the entries present can be read.
        const std::int64_t present = std::max<std::int64_t>(shxBytes_ - kHeaderBytes, 0) / kIndexEntryBytes;
        count_ = std::int32_t(std::min<std::int64_t>(recordCountFromIndexLength(shxHeader.fileLengthWords), present));
        fileType_ = shpHeader.shapeType;
    } catch (...) {
        // A pair that fails its checks is not kept open.
        shx_ = PairFile();
        shp_ = PairFile();
        shxLengthWords_ = shpBytes_ = shxBytes_ = 0;
        throw;
    }
    seeded_ = count_ > 0;
    headersDirty_ = false;
    writable_ = false;
    committed_ = {shpBytes_, shxBytes_, shxLengthWords_, count_, extent_, seeded_};
}

void CShapeFile::create(std::optional<std::int32_t> aShapeType) {
    if (!aShapeType) throw ShapeError::library(LibraryError::ShapeTypeRequired, kSetFileSpec);
    if (!isWritableType(*aShapeType)) throw ShapeError::library(LibraryError::InvalidShapeType, kSetFileSpec);
    if (fileName_.isWindowsForm()) throw ShapeError::platform(PlatformError::PathNotFound, kSetFileSpec);

    fileName_.setExtension("shp");
    const std::filesystem::path shpPath = fileName_.getFileSpec();
    removeFile(shpPath);
    fileName_.setExtension("shx");
    const std::filesystem::path shxPath = fileName_.getFileSpec();
    removeFile(shxPath);
    shx_.file = openFile(shxPath, OpenMode::Create);
    fileName_.setExtension("shp");
    try {
        shp_.file = openFile(shpPath, OpenMode::Create);
        fileType_ = *aShapeType;
        extent_.makeEmpty();
        count_ = 0;
        shpBytes_ = shxBytes_ = kHeaderBytes;
        shxLengthWords_ = kHeaderWords;
        seeded_ = false;
        writable_ = true;
        withSource("CShapeFile::PutMainHeaders", [&] { putMainHeaders(); });
    } catch (...) {
        shx_ = PairFile();
        shp_ = PairFile();
        shxLengthWords_ = shpBytes_ = shxBytes_ = 0;
        throw;
    }
    headersDirty_ = false;
    committed_ = {shpBytes_, shxBytes_, shxLengthWords_, count_, extent_, seeded_};
}

void CShapeFile::putMainHeaders() { writeHeaders(); }

void CShapeFile::writeHeaders() {
    MainHeader header;
    header.fileCode = kFileCode;
    header.shapeType = fileType_;
    header.xmin = extent_.left();
    header.ymin = extent_.bottom();
    header.xmax = extent_.right();
    header.ymax = extent_.top();
    std::array<std::byte, kHeaderBytes> bytes{};
    header.fileLengthWords = std::int32_t(shpBytes_ / 2);
    encodeMainHeader(bytes.data(), header);
    writeAt(shp_, 0, bytes);
    header.fileLengthWords = std::int32_t(shxBytes_ / 2);
    encodeMainHeader(bytes.data(), header);
    writeAt(shx_, 0, bytes);
    headersDirty_ = false;
}

void CShapeFile::flush() {
    withSource("CShapeFile::Flush", [&] {
        if (!isOpen()) return;
        flushPending();
        if (headersDirty_) writeHeaders();
    });
}

void CShapeFile::close() { withSource(kTerminate, [&] { closePair(); }); }

// Writes what is pending and the headers, then closes the main file and the index. The
// first failure is raised once everything has been tried: after a failed append the
// headers still match the records kept.
void CShapeFile::closePair() {
    if (!isOpen()) return;
    std::exception_ptr failure;
    const auto attempt = [&](auto&& step) {
        try {
            step();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    };
    attempt([&] { flushPending(); });
    attempt([&] {
        if (headersDirty_) writeHeaders();
    });
    attempt([&] {
        if (shp_.file) shp_.file->close();
    });
    attempt([&] {
        if (shx_.file) shx_.file->close();
    });
    shp_ = PairFile();
    shx_ = PairFile();
    shxLengthWords_ = shpBytes_ = shxBytes_ = 0;
    headersDirty_ = writable_ = false;
    if (failure) std::rethrow_exception(failure);
}

}  // namespace shapefile
