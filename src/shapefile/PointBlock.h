#pragma once
// Library-internal: the points of one record, or of one run of points added at once, made
// together in one block, each as it is given. Each point handed out is an aliasing
// shared_ptr into the block, so that it is a CPoint of its own to its holders while a
// million of them cost one allocation; the block lives as long as any of its points is
// held.

#include "CPoint.h"
#include "LargeBlock.h"

#include <cstddef>
#include <memory>
#include <stdexcept>

namespace shapefile::detail {

class PointBlock {
public:
    explicit PointBlock(std::size_t capacity) : storage_(std::make_shared<Storage>(capacity)) {}

    // The next point of the block, made from its coordinates.
    std::shared_ptr<CPoint> add(double x, double y) {
        Storage& s = *storage_;
        if (s.made == s.capacity) throw std::logic_error("point block full");
        CPoint* p = std::construct_at(s.points + s.made, x, y);
        ++s.made;
        return std::shared_ptr<CPoint>(storage_, p);
    }

private:
    struct Storage {
        explicit Storage(std::size_t n) : points(LargeBlockAllocator<CPoint>().allocate(n)), capacity(n) {}
        ~Storage() {
            std::destroy_n(points, made);
            LargeBlockAllocator<CPoint>().deallocate(points, capacity);
        }
        Storage(const Storage&) = delete;
        Storage& operator=(const Storage&) = delete;

        CPoint* points;
        std::size_t capacity;
        std::size_t made = 0;
    };

    std::shared_ptr<Storage> storage_;
};

}  // namespace shapefile::detail
