#include "LargeBlock.h"

#include <cstdint>
#include <utility>

#include <sys/mman.h>

namespace shapefile::detail {

namespace {

constexpr std::uintptr_t kPage = 4096;
constexpr std::uintptr_t kHugePage = std::uintptr_t(2) << 20;
constexpr std::size_t kLargeBlock = std::size_t(4) << 20;

// The whole units of `unit` bytes inside [from, to), as a start and a length (0 when none).
std::pair<void*, std::size_t> inner(std::uintptr_t from, std::uintptr_t to, std::uintptr_t unit) {
    const std::uintptr_t begin = (from + unit - 1) & ~(unit - 1);
    const std::uintptr_t end = to & ~(unit - 1);
    return {reinterpret_cast<void*>(begin), end > begin ? std::size_t(end - begin) : 0};
}

}  // namespace

void prepareLargeBlock(void* block, std::size_t bytes) noexcept {
    if (bytes < kLargeBlock) return;
    const auto from = reinterpret_cast<std::uintptr_t>(block);
    const auto to = from + bytes;
    // Only whole pages inside the block are advised: the allocator's own bytes around it
    // are never touched. Failures are ignored: these are hints.
#ifdef MADV_HUGEPAGE
    if (const auto [start, length] = inner(from, to, kHugePage); length > 0)
        ::madvise(start, length, MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
    if (const auto [start, length] = inner(from, to, kPage); length > 0)
        ::madvise(start, length, MADV_POPULATE_WRITE);
#endif
}

}  // namespace shapefile::detail
