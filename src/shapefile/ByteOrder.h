#pragma once
// Fixed-order integer and double fields of the shapefile format, read and written byte
// by byte so that the result is the same on any host.

#include <bit>
#include <cstddef>
#include <cstdint>

namespace shapefile::detail {

inline std::uint32_t loadBEu32(const std::byte* p) noexcept {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}
inline std::int32_t loadBE32(const std::byte* p) noexcept { return std::int32_t(loadBEu32(p)); }

inline std::uint32_t loadLEu32(const std::byte* p) noexcept {
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 |
           std::uint32_t(p[0]);
}
inline std::int32_t loadLE32(const std::byte* p) noexcept { return std::int32_t(loadLEu32(p)); }

inline double loadLEDouble(const std::byte* p) noexcept {
    const std::uint64_t v = std::uint64_t(loadLEu32(p)) | std::uint64_t(loadLEu32(p + 4)) << 32;
    return std::bit_cast<double>(v);
}

inline void storeBE32(std::byte* p, std::int32_t value) noexcept {
    const auto v = std::uint32_t(value);
    p[0] = std::byte(v >> 24);
    p[1] = std::byte(v >> 16);
    p[2] = std::byte(v >> 8);
    p[3] = std::byte(v);
}

inline void storeLE32(std::byte* p, std::int32_t value) noexcept {
    const auto v = std::uint32_t(value);
    p[0] = std::byte(v);
    p[1] = std::byte(v >> 8);
    p[2] = std::byte(v >> 16);
    p[3] = std::byte(v >> 24);
}

inline void storeLEDouble(std::byte* p, double value) noexcept {
    const auto v = std::bit_cast<std::uint64_t>(value);
    storeLE32(p, std::int32_t(std::uint32_t(v)));
    storeLE32(p + 4, std::int32_t(std::uint32_t(v >> 32)));
}

}  // namespace shapefile::detail
