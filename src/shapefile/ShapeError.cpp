#include "ShapeError.h"

#include <utility>

namespace shapefile {

namespace {

std::string_view fixedDescription(LibraryError code) {
    switch (code) {
    case LibraryError::InvalidFileSpec: return "The FileSpec is invalid";
    case LibraryError::RecordMismatch: return "Index Record does not match main file Record";
    case LibraryError::OffsetPastMainFile:
        return "The offset read from index file is larger then the mainfile size";
    case LibraryError::ShapeTypeRequired:
        return "The ShapeType argument is not optional when argument status is CREATEIT";
    case LibraryError::ShapeTypeMismatch: return "A shape type does not match main header type.";
    case LibraryError::InvalidShapeType: return "Invalid shape type";
    case LibraryError::NullShapeDistance: return "Cannot compute distance to a null shape";
    case LibraryError::UnexpectedEndOfFile: return "Unexpected end of file";
    case LibraryError::InvalidRecord: return "Invalid record contents";
    case LibraryError::SizeLimitExceeded: return "The shapefile size limit would be exceeded";
    case LibraryError::NoParts: return "A PolyLine or Polygon needs at least one part";
    case LibraryError::EmptyPart: return "A part of a PolyLine or Polygon needs at least one point";
    case LibraryError::NoSuchRecord: return "There is no record with this index";
    case LibraryError::InvalidFileCode:
    case LibraryError::FileNotFound:
    case LibraryError::WrongMemberClass:
    case LibraryError::WrongShapeForFile: break;  // texts given at the raise
    }
    return {};
}

struct Hooks {
    std::function<void(std::string_view)> notImplemented;
    std::function<void(const ShapeError&)> diagnostics;
};

Hooks& hooks() {
    static Hooks instance;
    return instance;
}

}  // namespace

ShapeError::ShapeError(std::int32_t number, std::string source, std::string description)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

ShapeError ShapeError::library(LibraryError code, std::string source, std::string description) {
    // Two's-complement wrap of base + code, done in unsigned arithmetic.
    const auto number = std::int32_t(std::uint32_t(kObjectErrorBase) + std::uint32_t(code));
    return ShapeError(number, std::move(source), std::move(description));
}

ShapeError ShapeError::library(LibraryError code, std::string source) {
    return library(code, std::move(source), std::string(fixedDescription(code)));
}

ShapeError ShapeError::platform(PlatformError code, std::string source) {
    return ShapeError(std::int32_t(code), std::move(source), std::string(platformMessage(code)));
}

int ShapeError::libraryCode() const noexcept {
    const std::uint32_t offset = std::uint32_t(number_) - std::uint32_t(kObjectErrorBase);
    return offset <= 0xFFFFu ? int(offset) : 0;
}

std::string_view platformMessage(PlatformError code) {
    switch (code) {
    case PlatformError::InvalidCall: return "Invalid procedure call or argument";
    case PlatformError::OutOfMemory: return "Out of memory";
    case PlatformError::SubscriptOutOfRange: return "Subscript out of range";
    case PlatformError::DivisionByZero: return "Division by zero";
    case PlatformError::BadFileNumber: return "Bad file name or number";
    case PlatformError::FileNotFound: return "File not found";
    case PlatformError::DiskFull: return "Disk full";
    case PlatformError::PermissionDenied: return "Permission denied";
    case PlatformError::PathFileAccess: return "Path/File access error";
    case PlatformError::PathNotFound: return "Path not found";
    case PlatformError::ObjectNotSet: return "Object variable or With block variable not set";
    }
    return "Application-defined or object-defined error";
}

void setNotImplementedHook(std::function<void(std::string_view)> hook) {
    hooks().notImplemented = std::move(hook);
}

void setDiagnosticsHook(std::function<void(const ShapeError&)> hook) {
    hooks().diagnostics = std::move(hook);
}

namespace detail {

void notImplemented() {
    if (hooks().notImplemented) hooks().notImplemented("NOT IMPLEMENTED");
}

void reportDiagnostic(const ShapeError& error) noexcept {
    try {
        if (hooks().diagnostics) hooks().diagnostics(error);
    } catch (...) {
        // A failing hook must not take a destructor down with it.
    }
}

}  // namespace detail

}  // namespace shapefile
