#pragma once
// The common body of CPolyLine, CPolygon (members: parts) and CMultiPoint (members:
// points): a shape whose extent grows as members are added. The first member's box
// replaces whatever the extent held; later members widen it side by side. A member's box
// is read when it is added: later changes to the member do not reach the holder.

#include "CPart.h"
#include "CPoint.h"
#include "CRect.h"
#include "IShape.h"
#include "Members.h"
#include "ShapeError.h"

#include <memory>

namespace shapefile {

// What differs between the three holders: their class and the texts of their errors.
struct CompositeTraits {
    ShapeClass shapeClass;
    MemberSources sources;
    const char* addSource;
    const char* addMessage;
};

namespace detail {
struct Box {
    double left, right, bottom, top;
};
inline Box boxOf(const CPart& part) { return {part.left(), part.right(), part.bottom(), part.top()}; }
inline Box boxOf(const CPoint& point) { return {point.x(), point.x(), point.y(), point.y()}; }
}  // namespace detail

template <class M>
class CompositeShape : public IShape, public Members<M> {
public:
    // Appends the member and grows the extent; nullptr raises 527 and changes nothing.
    void add(std::shared_ptr<M> member) {
        if (!member)
            throw ShapeError::library(LibraryError::WrongMemberClass, traits_->addSource,
                                      traits_->addMessage);
        const detail::Box b = detail::boxOf(*member);
        if (this->count() == 0) {
            extent_.setLeft(b.left);
            extent_.setRight(b.right);
            extent_.setBottom(b.bottom);
            extent_.setTop(b.top);
        } else {
            if (b.left < extent_.left()) extent_.setLeft(b.left);
            if (b.right > extent_.right()) extent_.setRight(b.right);
            if (b.bottom < extent_.bottom()) extent_.setBottom(b.bottom);
            if (b.top > extent_.top()) extent_.setTop(b.top);
        }
        this->append(std::move(member));
    }

    // Removes a member; the extent stays as it is.
    void remove(std::int32_t index) { this->removeAt(index); }

    double top() const override { return extent_.top(); }
    double bottom() const override { return extent_.bottom(); }
    double left() const override { return extent_.left(); }
    double right() const override { return extent_.right(); }
    bool isNull() const override { return null_; }
    void makeNull(bool trueOrFalse) override { null_ = trueOrFalse; }
    // Not implemented for these shapes: shows "NOT IMPLEMENTED" and gives 0.
    double distance(const IShape*) const override {
        detail::notImplemented();
        return 0.0;
    }
    ShapeClass shapeClass() const noexcept override { return traits_->shapeClass; }

protected:
    explicit CompositeShape(const CompositeTraits& traits)
        : Members<M>(traits.sources), traits_(&traits) {}

    // Library-internal: the reader sets the record's box and null flag directly.
    void setNull(bool value) noexcept { null_ = value; }
    void setLeft(double value) noexcept { extent_.setLeft(value); }
    void setRight(double value) noexcept { extent_.setRight(value); }
    void setTop(double value) noexcept { extent_.setTop(value); }
    void setBottom(double value) noexcept { extent_.setBottom(value); }

private:
    CRect extent_;
    bool null_ = false;
    const CompositeTraits* traits_;
};

}  // namespace shapefile
