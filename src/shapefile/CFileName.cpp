#include "CFileName.h"

#include "ShapeError.h"

namespace shapefile {

namespace {

// Characters refused inside a base name or an extension (NUL too).
bool hasReservedCharacter(std::string_view part) {
    return part.find_first_of(std::string_view("?\"*|/><:\\\0", 10)) != std::string_view::npos;
}

}  // namespace

char CFileName::separator() const noexcept {
    return !spec_.empty() && spec_[0] == '/' ? '/' : '\\';
}

bool CFileName::isWindowsForm() const noexcept { return !spec_.empty() && spec_[0] != '/'; }

void CFileName::setFileSpec(const std::string& fileSpec) {
    const bool valid = !fileSpec.empty() && fileSpec[0] == '/' ? isValidPosixFileSpec(fileSpec)
                                                                : isValidWindowsFileSpec(fileSpec);
    if (!valid) throw ShapeError::library(LibraryError::InvalidFileSpec, "C_FileName::SetFileSpec");
    spec_ = fileSpec;
}

std::string CFileName::getBaseName() const {
    // Positions counted from 1, 0 when the character is absent.
    const auto pos = [&](char c) {
        const auto p = spec_.rfind(c);
        return p == std::string::npos ? std::size_t(0) : p + 1;
    };
    const std::size_t lastSep = pos(separator());
    const std::size_t lastDot = pos('.');
    if (lastDot <= lastSep) return {};
    return spec_.substr(lastSep, lastDot - lastSep - 1);
}

void CFileName::setBaseName(const std::string& aName) {
    constexpr const char* kSource = "C_FileName::SetBaseName";
    if (aName.empty() || hasReservedCharacter(aName))
        throw ShapeError::library(LibraryError::InvalidFileSpec, kSource);
    const auto lastDot = spec_.rfind('.');
    if (lastDot == std::string::npos) throw ShapeError::platform(PlatformError::InvalidCall, kSource);
    const auto lastSep = spec_.rfind(separator());
    const std::size_t keep = lastSep == std::string::npos ? 0 : lastSep + 1;
    spec_ = spec_.substr(0, keep) + aName + spec_.substr(lastDot);
}

std::string CFileName::getExtension() const {
    const auto lastDot = spec_.rfind('.');
    return lastDot == std::string::npos ? spec_ : spec_.substr(lastDot + 1);
}

void CFileName::setExtension(const std::string& aExt) {
    if (aExt.empty() || hasReservedCharacter(aExt))
        throw ShapeError::library(LibraryError::InvalidFileSpec, "C_FileName::SetExtension");
    const auto lastDot = spec_.rfind('.');
    spec_ = lastDot == std::string::npos ? aExt : spec_.substr(0, lastDot + 1) + aExt;
}

}  // namespace shapefile
