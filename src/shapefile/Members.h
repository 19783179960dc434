#pragma once
// An ordered collection of shared members at positions 1 to count(): the very objects
// given are held, not copies, so the same object added twice is a member twice and a
// later change to it shows through every holder. Range-for walks the members in order.

#include "LargeBlock.h"
#include "ShapeError.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace shapefile {

// The sources of a collection's failures, one set per holding class.
struct MemberSources {
    const char* item;
    const char* remove;
};

template <class T>
class Members {
public:
    using Container = std::vector<std::shared_ptr<T>>;

    std::int32_t count() const noexcept { return std::int32_t(members_.size()); }

    // The member at a 1-based position; outside 1..count(): 9 "Subscript out of range".
    std::shared_ptr<T> item(std::int32_t index) const {
        checkIndex(index, sources_->item);
        return members_[std::size_t(index - 1)];
    }

    typename Container::const_iterator begin() const noexcept { return members_.begin(); }
    typename Container::const_iterator end() const noexcept { return members_.end(); }

protected:
    explicit Members(const MemberSources& sources) : sources_(&sources) {}

    void append(std::shared_ptr<T> member) { members_.push_back(std::move(member)); }

    // Removes the member at a 1-based position; the failure carries the holder's source.
    void removeAt(std::int32_t index) {
        checkIndex(index, sources_->remove);
        members_.erase(members_.begin() + (index - 1));
    }

    const Container& members() const noexcept { return members_; }

    // Room for n members in all, when the number to come is known (a record being read,
    // a run of points added at once). Grows at least twofold, so that repeated calls
    // stay linear.
    void reserve(std::size_t n) {
        if (n <= members_.capacity()) return;
        members_.reserve(std::max(n, 2 * members_.capacity()));
        detail::prepareLargeBlock(members_.data(), members_.capacity() * sizeof(std::shared_ptr<T>));
    }

private:
    void checkIndex(std::int32_t index, const char* source) const {
        if (index < 1 || index > count())
            throw ShapeError::platform(PlatformError::SubscriptOutOfRange, source);
    }

    Container members_;
    const MemberSources* sources_;

    friend class CShapeFile;
};

}  // namespace shapefile
