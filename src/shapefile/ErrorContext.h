#pragma once
// Library-internal: how members pass errors on. `withSource` runs a step and gives every
// error out of it the member's own source; `withPlatformSource` leaves library errors as
// they are and turns only platform failures (memory, files) into numbered errors.

#include "ShapeError.h"

#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

namespace shapefile::detail {

// The platform error of a failed file operation: errno mapped to the runtime's numbers.
// A missing file is "File not found" when its folder exists, "Path not found" otherwise.
ShapeError fileError(const std::error_code& code, const std::filesystem::path& path,
                     std::string source);

template <class F>
decltype(auto) withPlatformSource(const char* source, F&& step) {
    try {
        return step();
    } catch (const ShapeError&) {
        throw;
    } catch (const std::filesystem::filesystem_error& e) {
        throw fileError(e.code(), e.path1(), source);
    } catch (const std::system_error& e) {
        throw fileError(e.code(), {}, source);
    } catch (const std::bad_alloc&) {
        throw ShapeError::platform(PlatformError::OutOfMemory, source);
    } catch (const std::length_error&) {
        throw ShapeError::platform(PlatformError::OutOfMemory, source);
    }
}

template <class F>
decltype(auto) withSource(const char* source, F&& step) {
    try {
        return withPlatformSource(source, std::forward<F>(step));
    } catch (ShapeError& e) {
        e.setSource(source);
        throw;
    }
}

}  // namespace shapefile::detail
