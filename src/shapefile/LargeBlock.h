#pragma once
// Library-internal: memory for the members of one large record. A record of a million
// vertices fills about 50 MB (its points and the collection of their pointers); faulting
// that in one 4 KiB page at a time costs more than reading the record from the file. A
// large block is therefore mapped at once, in huge pages where the system offers them.

#include <cstddef>
#include <memory>

namespace shapefile::detail {

// Hints for a block that is about to be filled whole: back it with huge pages and map it
// now. Blocks under a few megabytes are left alone; a refused hint changes nothing.
void prepareLargeBlock(void* block, std::size_t bytes) noexcept;

// std::allocator that prepares large blocks; for allocate_shared of the points of a record.
template <class T>
struct LargeBlockAllocator {
    using value_type = T;

    LargeBlockAllocator() = default;
    template <class U>
    LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        T* block = std::allocator<T>().allocate(n);
        prepareLargeBlock(block, n * sizeof(T));
        return block;
    }
    void deallocate(T* block, std::size_t n) noexcept { std::allocator<T>().deallocate(block, n); }

    template <class U>
    bool operator==(const LargeBlockAllocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace shapefile::detail
