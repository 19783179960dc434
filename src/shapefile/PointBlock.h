#pragma once
// Library-internal: the points of one record, or of one run of points added at once, made
// together in one block. Each point handed out is an aliasing shared_ptr into the block,
// so that it is a CPoint of its own to its holders while a million of them cost one
// allocation; the block lives as long as any of its points is held.

#include "CPoint.h"
#include "LargeBlock.h"

#include <cstddef>
#include <memory>

namespace shapefile::detail {

inline std::shared_ptr<CPoint[]> makePointBlock(std::size_t n) {
    return std::allocate_shared<CPoint[]>(LargeBlockAllocator<CPoint>(), n);
}

}  // namespace shapefile::detail
