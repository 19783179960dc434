#pragma once
// The one error type of the shapefile library: a number, a source naming the class and
// member that raised it ("CShapeFile::PutPolyLine") and an English description.
// Library errors are numbered from the object-error base (base + 515 ...); platform
// failures (file not found, disk full, subscript out of range ...) carry the small
// numbers of the original runtime, so that callers see one numbering.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace shapefile {

constexpr std::int32_t kObjectErrorBase = std::int32_t(0x80040000u);  // -2147221504

// Library error codes; the number raised is kObjectErrorBase + code.
enum class LibraryError : int {
    InvalidFileSpec = 515,
    RecordMismatch = 517,
    OffsetPastMainFile = 518,
    InvalidFileCode = 519,
    FileNotFound = 524,
    ShapeTypeRequired = 525,
    ShapeTypeMismatch = 526,
    WrongMemberClass = 527,
    WrongShapeForFile = 528,
    InvalidShapeType = 529,
    NullShapeDistance = 530,
    UnexpectedEndOfFile = 531,
    InvalidRecord = 532,
    SizeLimitExceeded = 533,
    NoParts = 534,
    EmptyPart = 535,
    NoSuchRecord = 536,
};

// Platform failures, numbered as the original runtime numbered them.
enum class PlatformError : int {
    InvalidCall = 5,
    OutOfMemory = 7,
    SubscriptOutOfRange = 9,
    DivisionByZero = 11,
    BadFileNumber = 52,
    FileNotFound = 53,
    DiskFull = 61,
    PermissionDenied = 70,
    PathFileAccess = 75,
    PathNotFound = 76,
    ObjectNotSet = 91,
};

class ShapeError : public std::runtime_error {
public:
    ShapeError(std::int32_t number, std::string source, std::string description);

    static ShapeError library(LibraryError code, std::string source, std::string description);
    // A library error with its fixed description (the codes whose text never varies).
    static ShapeError library(LibraryError code, std::string source);
    static ShapeError platform(PlatformError code, std::string source);

    std::int32_t number() const noexcept { return number_; }
    // The library code (515 ...), or 0 for a platform failure.
    int libraryCode() const noexcept;
    const std::string& source() const noexcept { return source_; }
    void setSource(std::string source) { source_ = std::move(source); }
    const std::string& description() const noexcept { return description_; }

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

std::string_view platformMessage(PlatformError code);

// The application shows "NOT IMPLEMENTED" in a message box; without a hook nothing is shown.
void setNotImplementedHook(std::function<void(std::string_view)> hook);
// Errors that a destructor cannot raise are handed here.
void setDiagnosticsHook(std::function<void(const ShapeError&)> hook);

namespace detail {
void notImplemented();
void reportDiagnostic(const ShapeError& error) noexcept;
}  // namespace detail

}  // namespace shapefile
